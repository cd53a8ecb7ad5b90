#pragma once
// The screen that runs a compiled scenario: it owns the scenario reader and the virtual VRAM and
// on every tick executes commands one after another until one has to wait or the tick's 29 ms
// budget is spent.
//
// Each command has a virtual handler, MoveCmd + its name, declared and dispatched from the one
// command list (ScenarioCommandList.h, where adding a command is explained). Before a handler
// runs, its command's parameters are gathered and checked against the row (PrepareCommand): a
// wrong count or class is reported with the command's name and the handler does not run. A
// handler then does its work and either
//   - finishes: steps the reader to the next command (Advance) or jumps (Continue), so the next
//     command runs in the same tick, or finishes and ends the tick (AdvanceAndYield); or
//   - waits: leaves the reader where it is and the continue flag clear, so the tick ends and the
//     same command runs again on the next tick (the step counter says how far it got).
// Errors in a command show a message box and end the game without asking (the Error...
// operations); the handler then returns at once and the tick ends.
//
// The handlers live in files by command family: control flow (CDIBSnrBaseScreenControl.cpp),
// variables and save-data state (CDIBSnrBaseScreenVariables.cpp), image slots and back-page
// layers (CDIBSnrBaseScreenLayers.cpp), layer actions (CDIBSnrBaseScreenActions.cpp),
// transitions and the page cameras (CDIBSnrBaseScreenEffects.cpp), and the generated stand-ins
// (CDIBSnrBaseScreenPending.cpp). The loop, the dispatch table and the parameter check are in
// CDIBSnrBaseScreen.cpp, the error operations in CDIBSnrBaseScreenErrors.cpp.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "common/Bytes.h"
#include "scenario/CDIBBaseScreen.h"
#include "scenario/ScenarioCommandList.h"
#include "scenario/SnrCommandArgs.h"
#include "scenario/SnrVVramHost.h"

namespace qw {

class CDIBSnrAction;
class CDIBSnrLayer;
class CDIBSnrVVram;
class CSaveData;
class CSnrBuffer;
struct CallEffectParam;
struct ScenarioCommand;

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

    // The command handlers, in slot order, then END (ScenarioCommandList.h).
#define QW_DECLARE_HANDLER(NAME, ID, PARAMS, BODY) virtual void MoveCmd##NAME();
    QW_SCENARIO_COMMANDS(QW_DECLARE_HANDLER)
#undef QW_DECLARE_HANDLER

    CSnrBuffer* GetSnrBuffer() const {
        return buffer_.get();
    }
    CDIBSnrVVram* GetVVram() const {
        return vvram_.get();
    }
    const SnrStartRecord& GetStartRecord() const {
        return start_;
    }
    bool IsContinue() const {
        return continue_ != 0;
    }
    void SetSkipFlag(bool skip) {
        skip_ = skip;
    }
    // The wait state ATIMES arms and AWAIT polls: limit and elapsed milliseconds.
    uint32_t GetWaitLimit() const {
        return waitLimit_;
    }
    uint32_t GetWaitElapsed() const {
        return waitElapsed_;
    }
    void SetWaitState(uint32_t limit, uint32_t elapsed);
    // Forgets how far a waiting command had got, for a reader moved to another position from
    // outside (the next command starts afresh).
    void ResetStep() {
        step_ = 0;
    }
    bool GetLatch(int latch) const;

protected:
    // Gathers the parameters of the command at the reader's position and checks them against
    // `command`'s row: a fault in the parameter area, the count, then the class of each checked
    // position in order; then reads the checked positions. The first failure is reported with
    // the command's name and gives false. Screens that route a command of their own (SETCHARID)
    // call it before its handler.
    bool PrepareCommand(const ScenarioCommand& command);

    // Handler helpers. Positions count from 0 here, like Value(i); the error texts count from 1.
    //
    // The running command's parameters. Those its row checks are already read.
    int ParamCount() const {
        return args_.Count();
    }
    bool IsText(int i) const {
        return args_.IsString(i);
    }
    int32_t Value(int i) {
        return args_.Value(i);
    }
    const std::string& Text(int i) {
        return args_.Text(i);
    }
    // Checks for what the row leaves to the handler. Each reports its error with the command's
    // name (ending the game) and returns false, so a handler goes on only while they hold.
    bool CheckValue(int i);
    bool CheckText(int i);
    // A command taking a file name or a number first: `countByName` parameters in the name form,
    // one more in the numbered form, every parameter after the first a value.
    bool CheckNameOrNumberForm(int countByName);
    // A fault raised while reading a parameter: the parameter error for that parameter.
    bool CheckFault();
    // A variable number that the command stores into; false (parameter error) outside 0–999.
    bool CheckVariable(int32_t number, int i);
    // The errors, named after the running command.
    void CountError();
    void TypeError(int i);
    void ParamError(int i);
    void ReadError(const char* file, bool end);
    // The name the running command's errors show.
    const char* CommandName() const;

    // Finishing a command. Advance: step to the next command and let it run in this tick;
    // AdvanceAndYield: step to it, and the tick ends. Both clear the step counter. Continue:
    // run the command the reader is at now (after a jump or a new file) in this tick.
    void Advance();
    void AdvanceAndYield();
    void Continue() {
        continue_ = 1;
    }
    // Jumps to label `label` (from parameter `i`); a refused jump is a parameter error.
    bool Jump(int32_t label, int i);
    // Stores a scenario variable and tells the debug hook.
    void SetVariable(int number, int32_t value);
    // Ends the game without asking (scenario errors and END).
    void EndGame();
    // OVERLAP's transition record goes to the pages here (a screen may watch what starts).
    virtual void StartOverlap(const CallEffectParam& param);
    // Sound-effect slot `slot` of the save data (null outside 0-255), and the channel it holds
    // (0 for an empty slot or one outside the table).
    int32_t* SESlot(int32_t slot);
    int SESlotChannel(int32_t slot);
    // The picture and layer commands' numbers (parameter `i`): back-page layer 0–15, image
    // slot 0–255, action 0–255 (the action object). Outside: the parameter error, null / false.
    CDIBSnrLayer* CheckBackLayer(int32_t layer, int i);
    bool CheckImageSlot(int32_t slot, int i);
    CDIBSnrAction* CheckAction(int32_t action, int i);
    // Where the layer commands report the values they set; null without the development module.
    virtual LayerDebugHook* GetLayerDebugHook() const;

    SnrStartRecord start_;
    CSaveData* save_ = nullptr; // the services' save data, bound at Initialize
    SnrVVramHost vvramHost_;
    std::unique_ptr<CDIBSnrVVram> vvram_;
    std::unique_ptr<CSnrBuffer> buffer_;
    uint8_t continue_ = 0;
    uint8_t skip_ = 0;
    uint32_t waitLimit_ = 0;
    uint32_t waitElapsed_ = 0;
    std::array<uint8_t, kLatchCount> latches_{};
    // How far a waiting command has got (0: not started); Advance clears it.
    int32_t step_ = 0;

private:
    void LatchInputs();

    SnrCommandArgs args_;                      // the running command's parameters
    const ScenarioCommand* command_ = nullptr; // the running command's row (null: unknown id)
};

} // namespace qw
