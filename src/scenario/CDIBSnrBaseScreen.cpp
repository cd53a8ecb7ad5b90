// The interpreter's life cycle, its per-tick loop and its dispatch table.

#include "scenario/CDIBSnrBaseScreen.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "app/CInput.h"
#include "app/CMainWindow.h"
#include "app/DebugHook.h"
#include "app/StateDump.h"
#include "common/ExecLog.h"
#include "graphics/CDIBSnrVVram.h"
#include "platform/Clock.h"
#include "platform/Window.h"
#include "save/CSaveData.h"
#include "scenario/CSnrBuffer.h"
#include "scenario/ScenarioCommands.h"
#include "scenario/SnrCommandArgs.h"

namespace qw {

namespace {

// A headless tick runs on a clock that stands still, so the time budget never ends it: a
// scenario that loops without a waiting command would hold the tick forever. There this count
// of commands stands in for the budget.
constexpr int kHeadlessCommandsPerTick = 1 << 20;

DebugHook* LoadedDebugHook() {
    CMainWindow* main = GetMainWindow();
    DebugHook* hook = main ? main->GetDebugHook() : nullptr;
    return hook && hook->IsLoaded() ? hook : nullptr;
}

} // namespace

SnrStartRecord SnrStartRecord::ForFile(std::string_view name) {
    SnrStartRecord r;
    size_t n = std::min(name.size(), r.fileName.size() - 1);
    std::memcpy(r.fileName.data(), name.data(), n);
    return r;
}

std::string_view SnrStartRecord::FileName() const {
    return std::string_view(fileName.data(), strnlen(fileName.data(), fileName.size()));
}

// The dispatch table: each handler under the name of its command. The ids come from the shared
// command table, so the interpreter, the assembler and the disassembler agree on them.
#define QW_SNR_HANDLER(NAME)                                                                       \
    { #NAME, &CDIBSnrBaseScreen::MoveCmd##NAME }

std::span<const CDIBSnrBaseScreen::CommandEntry> CDIBSnrBaseScreen::CommandTable() {
    struct Named {
        std::string_view name;
        Handler handler;
    };
    static const Named kHandlers[] = {
        QW_SNR_HANDLER(LPT),
        QW_SNR_HANDLER(LS),
        QW_SNR_HANDLER(JP),
        QW_SNR_HANDLER(ONJP),
        QW_SNR_HANDLER(MOV),
        QW_SNR_HANDLER(IF),
        QW_SNR_HANDLER(ATIMES),
        QW_SNR_HANDLER(AWAIT),
        QW_SNR_HANDLER(RANDOM),
        QW_SNR_HANDLER(CMPSTR),
        QW_SNR_HANDLER(IMREAD),
        QW_SNR_HANDLER(IMFREE),
        QW_SNR_HANDLER(LYIMAGE),
        QW_SNR_HANDLER(LYPOS),
        QW_SNR_HANDLER(LYSIZE),
        QW_SNR_HANDLER(LYCOLOR),
        QW_SNR_HANDLER(LYBLEND),
        QW_SNR_HANDLER(LYANTI),
        QW_SNR_HANDLER(LYACTION),
        QW_SNR_HANDLER(LYCAMSTATE),
        QW_SNR_HANDLER(OVERLAP),
        QW_SNR_HANDLER(CAMMOVE),
        QW_SNR_HANDLER(CURSOR),
        QW_SNR_HANDLER(MOVIE),
        QW_SNR_HANDLER(BGMLIST),
        QW_SNR_HANDLER(BGMPLAY),
        QW_SNR_HANDLER(BGMSTOP),
        QW_SNR_HANDLER(BGMWAIT),
        QW_SNR_HANDLER(VOICELIST),
        QW_SNR_HANDLER(VOICEPLAY),
        QW_SNR_HANDLER(VOICESTOP),
        QW_SNR_HANDLER(VOICEWAIT),
        QW_SNR_HANDLER(SEPLAY),
        QW_SNR_HANDLER(SESTOP),
        QW_SNR_HANDLER(SEWAIT),
        QW_SNR_HANDLER(SEREAD),
        QW_SNR_HANDLER(SEFREE),
        QW_SNR_HANDLER(MSG),
        QW_SNR_HANDLER(MWO),
        QW_SNR_HANDLER(MWC),
        QW_SNR_HANDLER(SELECT),
        QW_SNR_HANDLER(CHKSCEXEC),
        QW_SNR_HANDLER(SUBTITLE),
        QW_SNR_HANDLER(SETCGFLAG),
        QW_SNR_HANDLER(SETSCENEFLAG),
        QW_SNR_HANDLER(SETMESSKIP),
        QW_SNR_HANDLER(SELITEM),
        QW_SNR_HANDLER(MESFTSIZE),
        QW_SNR_HANDLER(MESFTCOLOR),
        QW_SNR_HANDLER(MESFTBLOD),
        QW_SNR_HANDLER(MESFTSHADOW),
        QW_SNR_HANDLER(MESTXAREA),
        QW_SNR_HANDLER(MESTXKINSOKU),
        QW_SNR_HANDLER(MESTXDOWN),
        QW_SNR_HANDLER(MESNAME),
        QW_SNR_HANDLER(MESVPLAY),
        QW_SNR_HANDLER(MESVSTOP),
        QW_SNR_HANDLER(MESRUN),
        QW_SNR_HANDLER(BLOGSAVEBEGIN),
        QW_SNR_HANDLER(BLOGSAVEEND),
        QW_SNR_HANDLER(SELMAKE),
        QW_SNR_HANDLER(SELRUN),
        QW_SNR_HANDLER(ACTMAKE),
        QW_SNR_HANDLER(ACTFREE),
        QW_SNR_HANDLER(ACTPLAY),
        QW_SNR_HANDLER(ACTSTOP),
        QW_SNR_HANDLER(SCREENACT),
        QW_SNR_HANDLER(SAVESAM),
        QW_SNR_HANDLER(FACE),
        QW_SNR_HANDLER(MOVIEPAUSE),
        QW_SNR_HANDLER(MOVIERATE),
        QW_SNR_HANDLER(MOVIELOOP),
        QW_SNR_HANDLER(END),
    };
    static const std::vector<CommandEntry> kTable = [] {
        std::vector<CommandEntry> table;
        for (const Named& h : kHandlers) {
            // Every handler names a command of the shared table; a name missing there is a
            // programming error that the interpreter's tests catch (the entry gets id 0, which
            // no scenario command has).
            const ScenarioCommand* command = FindScenarioCommand(h.name);
            table.push_back({command ? command->id : uint16_t{0}, h.name, h.handler});
        }
        return table;
    }();
    return kTable;
}

#undef QW_SNR_HANDLER

CDIBSnrBaseScreen::Handler CDIBSnrBaseScreen::FindHandler(uint16_t id) {
    // Ids index a flat table of 65,536 bytes holding the handler's number plus one (0: none).
    struct Lookup {
        std::vector<uint8_t> index = std::vector<uint8_t>(65536, 0);
        std::vector<Handler> handlers;
    };
    static const Lookup kLookup = [] {
        Lookup lookup;
        for (const CommandEntry& entry : CommandTable()) {
            lookup.handlers.push_back(entry.handler);
            if (entry.id != 0)
                lookup.index[entry.id] = static_cast<uint8_t>(lookup.handlers.size());
        }
        return lookup;
    }();
    const uint8_t number = kLookup.index[id];
    return number ? kLookup.handlers[number - 1u] : &CDIBSnrBaseScreen::MoveCmdUnknow;
}

CDIBSnrBaseScreen::CDIBSnrBaseScreen(CBaseGame* parent) : CDIBBaseScreen(parent) {}

CDIBSnrBaseScreen::~CDIBSnrBaseScreen() {
    CDIBSnrBaseScreen::Release();
}

bool CDIBSnrBaseScreen::Initialize(const SnrStartRecord& start) {
    AddExecLog("CDIBSnrBaseScreen::Initialize");
    Release();
    start_ = start;
    CMainWindow* main = GetMainWindow();
    CSaveData* save = main ? main->GetSaveData() : nullptr;
    if (!save) return false;
    if (!GetParent()) save->localVars.fill(0);
    if (DebugHook* hook = LoadedDebugHook())
        for (int i = 0; i < kVariableCount; ++i)
            hook->OnUpdateValue(i, save->localVars[static_cast<size_t>(i)]);

    vvram_ = std::make_unique<CDIBSnrVVram>();
    if (!vvram_->Initialize()) {
        main->ErrorETC("CDIBSnrBaseScreen", "mpVVram");
        return false;
    }
    buffer_ = std::make_unique<CSnrBuffer>();
    if (!buffer_->Initialize()) {
        main->ErrorETC("CDIBSnrBaseScreen", "mpBuffer");
        return false;
    }
    buffer_->SetValList(save->localVars.data(), kVariableCount);
    for (int i = 0; i < kStringVariableCount; ++i)
        buffer_->SetStrList(i, save->stringVars[static_cast<size_t>(i)].data());
    continue_ = 0;
    waitLimit_ = 0;
    waitElapsed_ = 0;
    latches_.fill(0);
    return true;
}

void CDIBSnrBaseScreen::Release() {
    AddExecLog("CDIBSnrBaseScreen::Release");
    vvram_.reset();
    buffer_.reset();
    // The music's lowered-for-voice flag belongs here too, once voices lower the music.
    CDIBBaseScreen::Release();
}

bool CDIBSnrBaseScreen::Save() {
    AddExecLog("CDIBSnrBaseScreen::Save");
    return true;
}

bool CDIBSnrBaseScreen::Load() {
    AddExecLog("CDIBSnrBaseScreen::Load");
    return true;
}

void CDIBSnrBaseScreen::SetWaitState(uint32_t limit, uint32_t elapsed) {
    waitLimit_ = limit;
    waitElapsed_ = elapsed;
}

bool CDIBSnrBaseScreen::GetLatch(int latch) const {
    return latch >= 0 && latch < kLatchCount && latches_[static_cast<size_t>(latch)] != 0;
}

void CDIBSnrBaseScreen::LatchInputs() {
    AddExecLog("CDIBSnrBaseScreen::LatchInputs");
    CMainWindow* main = GetMainWindow();
    const CInput* input = main ? main->GetInput() : nullptr;
    if (!input) return;
    static constexpr int kWatched[kLatchCount] = {vk::kLButton, vk::kRButton, vk::kReturn,
                                                  vk::kEscape, vk::kSpace};
    for (int i = 0; i < kLatchCount; ++i)
        if (input->Key(kWatched[i]).pressed) latches_[static_cast<size_t>(i)] = 1;
}

void CDIBSnrBaseScreen::Move() {
    AddExecLog("CDIBSnrBaseScreen::Move");
    const uint32_t start = platform::NowMs();
    LatchInputs();
    if (waitLimit_ != kNoTimeLimit && waitElapsed_ < waitLimit_)
        waitElapsed_ += static_cast<uint32_t>(GetFrameTime());
    continue_ = 0;
    if (buffer_) {
        CMainWindow* main = GetMainWindow();
        const bool headless = main && main->GetWindow() && main->GetWindow()->IsHeadless();
        DebugHook* hook = LoadedDebugHook();
        for (int run = 1;; ++run) {
            // Each handler says afresh whether the next command may run: one that reports an
            // error (or ends the game) leaves the flag clear and so ends the tick.
            continue_ = 0;
            buffer_->ClearFault();
            (this->*FindHandler(buffer_->GetCmdID()))();
            if (hook) hook->OnSnrCmdChange(static_cast<int>(buffer_->GetPos()));
            if (!continue_ || platform::NowMs() - start > kTickBudgetMs) break;
            if (headless && run >= kHeadlessCommandsPerTick) break;
        }
    }
    if (vvram_) vvram_->Move(skip_ != 0);
}

void CDIBSnrBaseScreen::Update() {
    AddExecLog("CDIBSnrBaseScreen::Update");
}

void CDIBSnrBaseScreen::Draw(CDIBImage& target) {
    AddExecLog("CDIBSnrBaseScreen::Draw");
    if (vvram_) vvram_->Draw(target);
}

void CDIBSnrBaseScreen::CopyImage(CDIBImage& target) {
    AddExecLog("CDIBSnrBaseScreen::CopyImage");
    if (vvram_) vvram_->CopyImage(target);
}

bool CDIBSnrBaseScreen::GetDumpState(ScenarioStateForDump& out) const {
    AddExecLog("CDIBSnrBaseScreen::GetDumpState");
    if (!buffer_ || !buffer_->IsLoaded()) return false;
    out.file = buffer_->GetFileName();
    out.position = static_cast<int>(buffer_->GetPos());
    return true;
}

// Handler helpers.

bool CDIBSnrBaseScreen::CheckFault(const char* command, const SnrCommandArgs& args) {
    AddExecLog("CDIBSnrBaseScreen::CheckFault");
    if (args.FaultParam() == 0) return true;
    ErrorParam(command, args.FaultParam());
    return false;
}

bool CDIBSnrBaseScreen::CheckCount(const char* command, const SnrCommandArgs& args, int count) {
    AddExecLog("CDIBSnrBaseScreen::CheckCount");
    if (args.Count() == count) return true;
    ErrorNumParam(command, args.Count());
    return false;
}

bool CDIBSnrBaseScreen::CheckValue(const char* command, const SnrCommandArgs& args, int index) {
    AddExecLog("CDIBSnrBaseScreen::CheckValue");
    if (!args.IsString(index)) return true;
    ErrorTypeParam(command, index + 1);
    return false;
}

bool CDIBSnrBaseScreen::CheckString(const char* command, const SnrCommandArgs& args, int index) {
    AddExecLog("CDIBSnrBaseScreen::CheckString");
    if (args.IsString(index)) return true;
    ErrorTypeParam(command, index + 1);
    return false;
}

std::optional<std::string> CDIBSnrBaseScreen::SingleTextParam(const char* command) {
    AddExecLog("CDIBSnrBaseScreen::SingleTextParam");
    SnrCommandArgs args(*buffer_);
    if (!CheckFault(command, args) || !CheckCount(command, args, 1) ||
        !CheckString(command, args, 0))
        return std::nullopt;
    std::string text = args.Text(0);
    if (!CheckFault(command, args)) return std::nullopt;
    return text;
}

bool CDIBSnrBaseScreen::CheckVariable(const char* command, int32_t number, int index) {
    AddExecLog("CDIBSnrBaseScreen::CheckVariable");
    if (number >= 0 && number < kVariableCount) return true;
    ErrorParam(command, index + 1);
    return false;
}

void CDIBSnrBaseScreen::SetVariable(int number, int32_t value) {
    AddExecLog("CDIBSnrBaseScreen::SetVariable");
    CMainWindow* main = GetMainWindow();
    CSaveData* save = main ? main->GetSaveData() : nullptr;
    if (!save || number < 0 || number >= kVariableCount) return;
    save->localVars[static_cast<size_t>(number)] = value;
    if (DebugHook* hook = LoadedDebugHook()) hook->OnUpdateValue(number, value);
}

void CDIBSnrBaseScreen::Next(bool go) {
    AddExecLog("CDIBSnrBaseScreen::Next");
    buffer_->NextCommand();
    continue_ = go;
}

bool CDIBSnrBaseScreen::Jump(const char* command, int32_t label, int index) {
    AddExecLog("CDIBSnrBaseScreen::Jump");
    if (buffer_->JumpToLabel(label)) return true;
    ErrorParam(command, index + 1);
    return false;
}

void CDIBSnrBaseScreen::EndGame() {
    AddExecLog("CDIBSnrBaseScreen::EndGame");
    if (CMainWindow* main = GetMainWindow()) {
        main->SetCloseWithoutAsking(true);
        main->PostCloseRequest();
    }
}

} // namespace qw
