#pragma once
// The base of every screen and of the message window: the list of controls, keyboard focus, a
// pending result, and the sprite-motion counters screens animate with.

#include <cstdint>

namespace qw {

class CDIBBaseCtrl;
class CDIBImage;
struct CtrlParam;

// A counter that runs from 0 to an end value by the frame time, once or looping.
struct SprtMotion {
    int32_t first = 0;
    int32_t end = 0;
    int32_t current = 0;
    uint8_t loop = 0;
    uint8_t jump = 0; // jump straight to the end (when not looping)
    uint8_t changed = 0;
};

class CBaseGame {
public:
    explicit CBaseGame(CBaseGame* parent = nullptr) : parent_(parent) {}
    CBaseGame(const CBaseGame&) = delete;
    CBaseGame& operator=(const CBaseGame&) = delete;
    virtual ~CBaseGame();

    virtual bool Initialize();
    virtual void Release();
    // Creates a control by type (1 button, 2 check box, 3 slider, 100 image), sets it up from
    // the record when one is given, and appends it. Null, with nothing appended, for another
    // type or a failed set-up.
    virtual CDIBBaseCtrl* MakeControl(int type, const CtrlParam* params);
    virtual void DeleteControl(int id);
    virtual int GetCtrlCount() const;
    virtual void Move() {}
    virtual void UpdateForcus();
    virtual void Draw(CDIBImage& /*target*/) {}
    virtual CDIBBaseCtrl* GetCtrl(int id) const;
    virtual bool IsForcusInAll() const;
    virtual void ResetForcusInAll();
    virtual void SetAllCtrlInput(bool on);
    virtual void SetResult(int value);
    virtual bool IsResult() const { return resultPending_ != 0; }
    virtual CBaseGame* GetParent() const { return parent_; }
    virtual uint8_t GetCtrlFlag() const { return ctrlFlag_; }
    virtual void SetCtrlFlag(uint8_t flag) { ctrlFlag_ = flag; }
    virtual int GetForcus() const { return focus_; }
    virtual void SetForcus(int focus) { focus_ = focus; }
    virtual CDIBBaseCtrl* GetCtrlTop() const { return controls_; }
    virtual void CopyImage(CDIBImage& /*target*/) {}
    virtual int Reaction(int /*argument*/) { return 0; }
    virtual SprtMotion* SetSprtMotion(SprtMotion* motion, int first, int end, bool loop);
    virtual void MoveSprtMotion(SprtMotion* motion);

    // A short name for diagnostics and the dumped state.
    virtual const char* ScreenName() const { return "CBaseGame"; }

    int GetResult() const { return result_; }
    void ClearResult() { resultPending_ = 0; }
    // Appends an already made control (used by MakeControl and by screens with their own kinds).
    void AppendControl(CDIBBaseCtrl* control);

protected:
    uint8_t resultPending_ = 0;
    int result_ = 0;
    int resultExtra_ = 0;
    CBaseGame* parent_ = nullptr;
    uint8_t ctrlFlag_ = 0;
    int focus_ = -1; // -1 no control, -2 every focused control, otherwise a control id
    CDIBBaseCtrl* controls_ = nullptr;
};

} // namespace qw
