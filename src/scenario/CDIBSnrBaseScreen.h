#pragma once
// The screen that runs a compiled scenario: it owns the scenario reader and the virtual VRAM and
// on every tick executes commands one after another until one has to wait or the tick's 29 ms
// budget is spent.
//
// Each command has a virtual handler, MoveCmd + its name, found through one dispatch table of
// (id, name, handler) built from the shared command table (ScenarioCommands.h). A handler reads
// its parameters, does its work and then either
//   - finishes: steps the reader to the next command (or jumps) and sets the continue flag, so
//     the next command runs in the same tick; or
//   - waits: leaves the reader where it is and the continue flag clear, so the tick ends and the
//     same command runs again on the next tick.
// Errors in a command show a message box and end the game without asking (the Error...
// operations); the handler then returns at once and the tick ends.
//
// The handlers live in files by command family: control flow (CDIBSnrBaseScreenControl.cpp),
// variables and save-data state (CDIBSnrBaseScreenVariables.cpp), and the commands whose
// families have not been built yet (CDIBSnrBaseScreenPending.cpp). The loop and the table are in
// CDIBSnrBaseScreen.cpp, the error operations in CDIBSnrBaseScreenErrors.cpp.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/Bytes.h"
#include "scenario/CDIBBaseScreen.h"

namespace qw {

class CDIBSnrVVram;
class CSnrBuffer;
class SnrCommandArgs;

// What a scenario screen is started with (328 bytes): start from a saved game or from a
// scenario file.
struct SnrStartRecord {
    int32_t loadFlag = 0; // non-zero: load the saved game in `saveSlot`
    int32_t saveSlot = -1;
    std::array<char, 320> fileName{}; // the scenario file to start, zero-terminated

    static SnrStartRecord ForFile(std::string_view name);
    std::string_view FileName() const;
};
static_assert(sizeof(SnrStartRecord) == 328);

class CDIBSnrBaseScreen : public CDIBBaseScreen {
public:
    using Handler = void (CDIBSnrBaseScreen::*)();
    struct CommandEntry {
        uint16_t id;
        std::string_view name;
        Handler handler;
    };

    static constexpr int kVariableCount = 1000;
    static constexpr int kStringVariableCount = 256;
    static constexpr uint32_t kNoTimeLimit = 0xFFFFFFFF;
    static constexpr uint32_t kTickBudgetMs = 29;
    // The watched inputs, in latch order.
    enum Latch { kLatchLeft, kLatchRight, kLatchReturn, kLatchEscape, kLatchSpace, kLatchCount };

    explicit CDIBSnrBaseScreen(CBaseGame* parent = nullptr);
    ~CDIBSnrBaseScreen() override;

    // The handlers in slot order, then END (the table the interpreter dispatches from).
    static std::span<const CommandEntry> CommandTable();
    // The handler of `id`: its table entry, or MoveCmdUnknow.
    static Handler FindHandler(uint16_t id);

    void Release() override;
    void Move() override;
    void Draw(CDIBImage& target) override;
    void CopyImage(CDIBImage& target) override;
    void Update() override;
    const char* ScreenName() const override { return "CDIBSnrBaseScreen"; }
    bool GetDumpState(ScenarioStateForDump& out) const override;

    using CDIBBaseScreen::Initialize;
    virtual bool Initialize(const SnrStartRecord& start);
    // The interpreter keeps nothing of its own in a saved game: the scenario screen's record
    // carries the wait state (GetWaitState / SetWaitState).
    virtual bool Save();
    virtual bool Load();

    // Error operations. Each shows a message box; all but ErrorMsg and ErrorRead without the
    // end flag end the game without asking.
    virtual void ErrorMsg(const char* title, const char* text, bool end);
    virtual void ErrorNumParam(const char* command, int count);
    virtual void ErrorTypeParam(const char* command, int param);
    virtual void ErrorParam(const char* command, int param);
    virtual void ErrorRead(const char* command, const char* file, bool end);

    virtual void MoveCmdUnknow();
    virtual void MoveCmdEND();

    // The command handlers, in slot order.
    virtual void MoveCmdLPT();
    virtual void MoveCmdLS();
    virtual void MoveCmdJP();
    virtual void MoveCmdONJP();
    virtual void MoveCmdMOV();
    virtual void MoveCmdIF();
    virtual void MoveCmdATIMES();
    virtual void MoveCmdAWAIT();
    virtual void MoveCmdRANDOM();
    virtual void MoveCmdCMPSTR();
    virtual void MoveCmdIMREAD();
    virtual void MoveCmdIMFREE();
    virtual void MoveCmdLYIMAGE();
    virtual void MoveCmdLYPOS();
    virtual void MoveCmdLYSIZE();
    virtual void MoveCmdLYCOLOR();
    virtual void MoveCmdLYBLEND();
    virtual void MoveCmdLYANTI();
    virtual void MoveCmdLYACTION();
    virtual void MoveCmdLYCAMSTATE();
    virtual void MoveCmdOVERLAP();
    virtual void MoveCmdCAMMOVE();
    virtual void MoveCmdCURSOR();
    virtual void MoveCmdMOVIE();
    virtual void MoveCmdBGMLIST();
    virtual void MoveCmdBGMPLAY();
    virtual void MoveCmdBGMSTOP();
    virtual void MoveCmdBGMWAIT();
    virtual void MoveCmdVOICELIST();
    virtual void MoveCmdVOICEPLAY();
    virtual void MoveCmdVOICESTOP();
    virtual void MoveCmdVOICEWAIT();
    virtual void MoveCmdSEPLAY();
    virtual void MoveCmdSESTOP();
    virtual void MoveCmdSEWAIT();
    virtual void MoveCmdSEREAD();
    virtual void MoveCmdSEFREE();
    virtual void MoveCmdMSG();
    virtual void MoveCmdMWO();
    virtual void MoveCmdMWC();
    virtual void MoveCmdSELECT();
    virtual void MoveCmdCHKSCEXEC();
    virtual void MoveCmdSUBTITLE();
    virtual void MoveCmdSETCGFLAG();
    virtual void MoveCmdSETSCENEFLAG();
    virtual void MoveCmdSETMESSKIP();
    virtual void MoveCmdSELITEM();
    virtual void MoveCmdMESFTSIZE();
    virtual void MoveCmdMESFTCOLOR();
    virtual void MoveCmdMESFTBLOD();
    virtual void MoveCmdMESFTSHADOW();
    virtual void MoveCmdMESTXAREA();
    virtual void MoveCmdMESTXKINSOKU();
    virtual void MoveCmdMESTXDOWN();
    virtual void MoveCmdMESNAME();
    virtual void MoveCmdMESVPLAY();
    virtual void MoveCmdMESVSTOP();
    virtual void MoveCmdMESRUN();
    virtual void MoveCmdBLOGSAVEBEGIN();
    virtual void MoveCmdBLOGSAVEEND();
    virtual void MoveCmdSELMAKE();
    virtual void MoveCmdSELRUN();
    virtual void MoveCmdACTMAKE();
    virtual void MoveCmdACTFREE();
    virtual void MoveCmdACTPLAY();
    virtual void MoveCmdACTSTOP();
    virtual void MoveCmdSCREENACT();
    virtual void MoveCmdSAVESAM();
    virtual void MoveCmdFACE();
    virtual void MoveCmdMOVIEPAUSE();
    virtual void MoveCmdMOVIERATE();
    virtual void MoveCmdMOVIELOOP();

    CSnrBuffer* GetSnrBuffer() const { return buffer_.get(); }
    CDIBSnrVVram* GetVVram() const { return vvram_.get(); }
    const SnrStartRecord& GetStartRecord() const { return start_; }
    bool IsContinue() const { return continue_ != 0; }
    void SetSkipFlag(bool skip) { skip_ = skip; }
    // The wait state ATIMES arms and AWAIT polls: limit and elapsed milliseconds.
    uint32_t GetWaitLimit() const { return waitLimit_; }
    uint32_t GetWaitElapsed() const { return waitElapsed_; }
    void SetWaitState(uint32_t limit, uint32_t elapsed);
    bool GetLatch(int latch) const;

protected:
    // Handler helpers. Each reports its error (ending the game) and returns false when the check
    // fails, so a handler goes on only while they hold.
    bool CheckFault(const char* command, const SnrCommandArgs& args);
    bool CheckCount(const char* command, const SnrCommandArgs& args, int count);
    bool CheckValue(const char* command, const SnrCommandArgs& args, int index);
    bool CheckString(const char* command, const SnrCommandArgs& args, int index);
    // The text of a command that takes exactly one text parameter (SUBTITLE, SETCGFLAG, …);
    // nullopt, with the error reported, otherwise.
    std::optional<std::string> SingleTextParam(const char* command);
    // A variable number that the command stores into; false (parameter error) outside 0–999.
    bool CheckVariable(const char* command, int32_t number, int index);
    // Stores a scenario variable and tells the debug hook.
    void SetVariable(int number, int32_t value);
    // Finishes the command: steps to the next one; `go` lets the next one run in this tick.
    void Next(bool go = true);
    // Jumps to label `label` (from parameter `index`); a refused jump is a parameter error.
    bool Jump(const char* command, int32_t label, int index);
    // Ends the game without asking (scenario errors and END).
    void EndGame();
    // The step-over body of the commands whose families are not built yet.
    void StepOver(bool go);

    SnrStartRecord start_;
    std::unique_ptr<CDIBSnrVVram> vvram_;
    std::unique_ptr<CSnrBuffer> buffer_;
    uint8_t continue_ = 0;
    uint8_t skip_ = 0;
    uint32_t waitLimit_ = 0;
    uint32_t waitElapsed_ = 0;
    std::array<uint8_t, kLatchCount> latches_{};

private:
    void LatchInputs();
};

} // namespace qw
