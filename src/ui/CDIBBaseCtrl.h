#pragma once
// The base of every control: a push button, check box, slider or passive picture drawn from
// one parts image, owned by a screen or window (CBaseGame) that moves it every tick, draws it
// and polls its one-tick fired flag.
//
// Input comes from CInput: in keyboard mode the focused control answers Enter (down and up
// edges) and the arrows and Tab (auto-repeat); in mouse mode every control follows the left
// button's edges and the pointer's moves, so the focus follows the mouse. While one control is
// held down it sets its owner's press flag and keeps the focus; the others then ignore input.
//
// A click fires on the tick after it completes, for that tick only: Move turns the clicked flag
// into the fired flag and clears it again on the next Move.
//
// The virtual operations are declared in the order the control kinds rely on; each kind adds
// its own Initialize (the set-up MakeControl calls) after them.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "common/Bytes.h"
#include "graphics/CDIBImage.h"
#include "ui/CtrlParam.h"

namespace qw {

class CBaseGame;
class CDIBSprite;
class CSpriteCache;

struct CtrlPoint {
    int32_t x = 0, y = 0;
};

class CDIBBaseCtrl {
public:
    // States of buttons and sliders (check boxes add 5 while checked).
    enum State : int32_t {
        kStateNormal = 0,
        kStateFocused = 1,
        kStatePressed = 2,
        kStateDisabled = 3,
        kStateFocusedDisabled = 4,
    };
    // Bytes of the saved record every kind starts with.
    static constexpr size_t kSavedCommonSize = 5674;

    CDIBBaseCtrl(CBaseGame* owner, int32_t type);
    CDIBBaseCtrl(const CDIBBaseCtrl&) = delete;
    CDIBBaseCtrl& operator=(const CDIBBaseCtrl&) = delete;

    virtual ~CDIBBaseCtrl();
    // The common set-up every kind's own Initialize runs first: reads the parts image (a file
    // that cannot be read is reported with "CDIBBaseCtrl" and fails the set-up) and copies the
    // record's common fields.
    virtual bool Initialize(const CtrlCommonParam& param);
    // Gives the parts image back to the sprite cache.
    virtual void Release();
    // The saved record (packed, little-endian) appended to `out`.
    virtual void Save(ByteWriter& out) const;
    // Reads a saved record of this kind back: the bytes consumed, or nullopt when the record is
    // refused (short, another kind's, a name without terminator, a row count outside 0-256, a
    // state outside the kind's range, or a parts image that cannot be read). A refused record
    // leaves the control as it was.
    virtual std::optional<size_t> Load(ByteSpan record);
    virtual bool IsHit();
    virtual void UpdateVertex() {}
    virtual void SetNext(CDIBBaseCtrl* next);
    // Replaces the parts image; false (control unchanged) when it cannot be read.
    virtual bool SetParts(std::string_view file);
    // Sets the hit-map name; false when the data archive has no such member. An empty name
    // means hit by the drawn quad.
    virtual bool SetHitFName(std::string_view file);
    virtual void SetShow(bool show);
    virtual void SetEnable(bool enable);
    virtual void SetPos(int x, int y);
    virtual void SetColor(uint32_t colour);
    virtual void SetEnterSE(bool on);
    virtual void SetOncurSE(bool on);
    // The first target of the navigation rows for `direction` that names a shown control of the
    // owner, or -1.
    virtual int GetJumpToCtrlID(int direction) const;
    virtual void SetInputEnable(bool on);
    virtual void Move();
    // When marked for redrawing: adds the area drawn now, recomputes the quads when shown and
    // adds the new area too, so both are redrawn. Into the dirty region of `image`, or of the
    // presented frame when it is null.
    virtual void UpdateRGN(CDIBImage* image);
    // Draws when marked for redrawing or when forced, and clears the mark.
    virtual void Draw(CDIBImage& target, bool force);
    virtual void Blt(CDIBImage& /*target*/) {}
    virtual bool OnGetForcus();
    virtual bool OnKillForcus();

    virtual CBaseGame* GetOwner() const { return owner_; }
    virtual CDIBBaseCtrl* GetNext() const { return next_; }
    virtual bool IsUpdate() const { return redraw_ != 0; }
    virtual void SetUpdate(bool redraw) { redraw_ = redraw; }
    virtual int32_t GetCtrlType() const { return ctrlType_; }
    virtual int32_t GetCtrlID() const { return id_; }
    virtual int32_t GetHitNo() const { return hitNo_; }
    virtual bool IsForcus() const { return focus_ != 0; }
    virtual bool IsShow() const { return show_ != 0; }
    virtual bool IsEnable() const { return enable_ != 0; }
    virtual CtrlPoint GetPos() const { return {x_, y_}; }
    virtual bool IsEnterSE() const { return enterSE_ != 0; }
    virtual bool IsOncurSE() const { return oncurSE_ != 0; }
    // The target of one navigation cell; -1 outside the table.
    virtual int32_t GetJumpTable(int row, int direction) const;
    virtual bool IsPush() const { return fired_ != 0; }

    virtual void OnLockInput() {}
    virtual bool OnKeyInput();
    virtual bool OnMouseInput();
    virtual void OnChangeInputType();
    virtual bool OnKeyEnterDown();
    virtual bool OnKeyEnterUp();
    virtual bool OnKeyUpBtn();
    virtual bool OnKeyDownBtn();
    virtual bool OnKeyLeftBtn();
    virtual bool OnKeyRightBtn();
    virtual bool OnKeyTabBtn();
    virtual bool OnMouseLBtnDown();
    virtual bool OnMouseLBtnUp();
    virtual bool OnMouseMove();

    // The kind's own set-up (what MakeControl calls): the common part, then the class data.
    virtual bool Initialize(const CtrlParam& param) = 0;

    // Not part of the saved state: for the dump and tests.
    CDIBSprite* GetParts() const { return parts_; }
    std::string_view GetPartsName() const { return CtrlNameText(partsName_); }
    std::string_view GetHitFName() const { return CtrlNameText(hitName_); }
    int32_t GetJumpRows() const { return jumpRows_; }
    bool IsInputEnable() const { return inputEnable_ != 0; }

protected:
    // The looks a kind maps to its states (with the enabled and checked flags).
    enum class Look { Normal, Focused, Pressed };
    virtual void SetLook(Look /*look*/) {}
    // The state 0-4 of a look: normal 0, focused 1, pressed 2; disabled 3, or 4 when focused
    // or pressed.
    static int32_t StateOf(Look look, bool enabled);
    // A click has completed (Enter released, or the button released over the focused control).
    virtual void OnClickDone() {}
    // The quads the control draws; the first one is hit-tested.
    virtual std::span<const VertexQuad> Quads() const { return {}; }

    uint8_t PressFlag() const;
    void SetPressFlag(uint8_t flag);
    void RequestFocus(int id);
    void PlayEnterSE();
    // Steps through a navigation row: kill the focus and ask the owner to focus the target.
    bool Jump(int direction);

    // The common part of a saved record, checked and not yet applied.
    struct SavedCommon;
    std::optional<SavedCommon> ParseCommon(ByteSpan record) const;
    // Reads the record's parts image and applies the common part; false (nothing changed) when
    // the image cannot be read.
    bool ApplyCommon(const SavedCommon& saved);

    CBaseGame* owner_ = nullptr;
    CDIBBaseCtrl* next_ = nullptr;
    uint8_t redraw_ = 0;
    int32_t inputType_ = 0; // the input mode seen at the last Move (0 keys, 1 mouse)
    uint8_t clicked_ = 0;
    CDIBSprite* parts_ = nullptr;
    CSpriteCache* partsCache_ = nullptr; // the cache parts_ is held from
    CtrlName partsName_{};
    CtrlName hitName_{};
    int32_t ctrlType_ = 0;
    int32_t id_ = 0;
    int32_t hitNo_ = 0;
    uint8_t focus_ = 0;
    uint8_t show_ = 1;
    uint8_t enable_ = 1;
    int32_t x_ = 0, y_ = 0;
    uint32_t colour_ = 0xFFFFFFFF;
    uint8_t enterSE_ = 1;
    uint8_t oncurSE_ = 1;
    int32_t jumpRows_ = 0;
    std::array<CtrlJumpRow, kCtrlJumpRows> jumpTable_;
    uint8_t fired_ = 0;
    uint8_t inputEnable_ = 0;
    uint8_t soundKind_ = 0;

private:
    void AddArea(CDIBImage* image, const VertexQuad& quad) const;
};

struct CDIBBaseCtrl::SavedCommon {
    uint8_t redraw = 0;
    int32_t inputType = 0;
    uint8_t clicked = 0;
    CtrlName parts{};
    CtrlName hitName{};
    int32_t type = 0, id = 0, hitNo = 0;
    uint8_t focus = 0, show = 0, enable = 0;
    int32_t x = 0, y = 0;
    uint32_t colour = 0;
    uint8_t enterSE = 0, oncurSE = 0;
    int32_t jumpRows = 0;
    std::array<CtrlJumpRow, kCtrlJumpRows> jumpTable{};
    uint8_t fired = 0, inputEnable = 0, soundKind = 0;
};

// Makes an uninitialised control of `type` (1 button, 2 check box, 3 slider, 100 picture) for
// `owner`; null for any other type.
CDIBBaseCtrl* NewControl(int type, CBaseGame* owner);

} // namespace qw
