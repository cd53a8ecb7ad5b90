// The interpreter's life cycle, its per-tick loop and its dispatch table.

#include "scenario/CDIBSnrBaseScreen.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>

#include "app/CInput.h"
#include "app/CScreenBuffer.h"
#include "app/DebugHook.h"
#include "app/GameServices.h"
#include "app/StateDump.h"
#include "common/ExecLog.h"
#include "graphics/CDIBSnrVVram.h"
#include "platform/Clock.h"
#include "save/CSaveData.h"
#include "scenario/CSnrBuffer.h"
#include "scenario/ScenarioCommands.h"

namespace qw {

namespace {

// A headless tick runs on a clock that stands still, so the time budget never ends it: a
// scenario that loops without a waiting command would hold the tick forever. There this count
// of commands stands in for the budget.
constexpr int kHeadlessCommandsPerTick = 1 << 20;

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

namespace {

using Screen = CDIBSnrBaseScreen;

// The dispatch table, entry for entry the shared command table: both come from the one list.
constexpr Screen::CommandEntry kDispatch[] = {
#define QW_DISPATCH_ENTRY(NAME, ID, PARAMS, BODY) {ID, #NAME, &Screen::MoveCmd##NAME},
    QW_SCENARIO_COMMANDS(QW_DISPATCH_ENTRY)
#undef QW_DISPATCH_ENTRY
};
static_assert(std::size(kDispatch) == std::size(kScenarioCommandTable));

// Ids index a flat table of 65,536 bytes holding the entry's number plus one (0: none).
constexpr std::array<uint8_t, 65536> kDispatchIndex = [] {
    std::array<uint8_t, 65536> index{};
    for (size_t i = 0; i < std::size(kDispatch); ++i) {
        if (index[kDispatch[i].id] != 0) throw "two commands with one id";
        index[kDispatch[i].id] = static_cast<uint8_t>(i + 1);
    }
    return index;
}();

} // namespace

std::span<const CDIBSnrBaseScreen::CommandEntry> CDIBSnrBaseScreen::CommandTable() {
    return kDispatch;
}

CDIBSnrBaseScreen::Handler CDIBSnrBaseScreen::FindHandler(uint16_t id) {
    const uint8_t number = kDispatchIndex[id];
    return number ? kDispatch[number - 1u].handler : &CDIBSnrBaseScreen::MoveCmdUnknow;
}

CDIBSnrBaseScreen::CDIBSnrBaseScreen(CBaseGame* parent) : CDIBBaseScreen(parent) {}

CDIBSnrBaseScreen::~CDIBSnrBaseScreen() {
    CDIBSnrBaseScreen::Release();
}

bool CDIBSnrBaseScreen::Initialize(const SnrStartRecord& start) {
    AddExecLog("CDIBSnrBaseScreen::Initialize");
    Release();
    start_ = start;
    GameServices& services = Services();
    // The variables live in the save data, which outlives the screen; no save data, no scenario.
    save_ = services.GetSaveData();
    if (!save_) return false;
    if (!GetParent()) save_->localVars.fill(0);
    if (DebugHook* hook = services.GetLoadedDebugHook())
        for (int i = 0; i < kVariableCount; ++i)
            hook->OnUpdateValue(i, save_->localVars[static_cast<size_t>(i)]);

    vvram_ = std::make_unique<CDIBSnrVVram>();
    if (!vvram_->Initialize(&vvramHost_)) {
        services.ErrorETC("CDIBSnrBaseScreen", "mpVVram");
        return false;
    }
    buffer_ = std::make_unique<CSnrBuffer>();
    if (!buffer_->Initialize()) {
        services.ErrorETC("CDIBSnrBaseScreen", "mpBuffer");
        return false;
    }
    buffer_->SetValList(save_->localVars.data(), kVariableCount);
    for (int i = 0; i < kStringVariableCount; ++i)
        buffer_->SetStrList(i, save_->stringVars[static_cast<size_t>(i)].data());
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
    const CInput* input = Services().GetInput();
    if (!input) return;
    static constexpr int kWatched[kLatchCount] = {vk::kLButton, vk::kRButton, vk::kReturn,
                                                  vk::kEscape, vk::kSpace};
    for (int i = 0; i < kLatchCount; ++i)
        if (input->Key(kWatched[i]).pressed) latches_[static_cast<size_t>(i)] = 1;
}

void CDIBSnrBaseScreen::Move() {
    AddExecLog("CDIBSnrBaseScreen::Move");
    const uint32_t start = platform::NowMs();
    GameServices& services = Services();
    LatchInputs();
    if (waitLimit_ != kNoTimeLimit && waitElapsed_ < waitLimit_)
        waitElapsed_ += static_cast<uint32_t>(services.GetFrameTime());
    continue_ = 0;
    if (buffer_) {
        const bool headless = services.IsHeadless();
        DebugHook* hook = services.GetLoadedDebugHook();
        for (int run = 1;; ++run) {
            // Each handler says afresh whether the next command may run: one that reports an
            // error (or ends the game) leaves the flag clear and so ends the tick.
            continue_ = 0;
            buffer_->ClearFault();
            const uint8_t number = kDispatchIndex[buffer_->GetCmdID()];
            if (number == 0) {
                command_ = nullptr;
                MoveCmdUnknow();
            } else if (PrepareCommand(kScenarioCommandTable[number - 1u])) {
                (this->*kDispatch[number - 1u].handler)();
            }
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

// The parameter check and the handler helpers.

bool CDIBSnrBaseScreen::PrepareCommand(const ScenarioCommand& command) {
    AddExecLog("CDIBSnrBaseScreen::PrepareCommand");
    command_ = &command;
    args_.Gather(*buffer_);
    const ScenarioParams& params = command.params;
    if (!params.Checks()) return true;
    const char* name = command.ReportName();
    if (args_.FaultParam() != 0) {
        ErrorParam(name, args_.FaultParam());
        return false;
    }
    const int count = args_.Count();
    if (!params.AcceptsCount(count)) {
        ErrorNumParam(name, count);
        return false;
    }
    for (int i = 0; i < count; ++i) {
        if (!params.CheckedAt(i, count)) continue;
        const ParamClass wanted = params.ClassAt(i, count);
        if (wanted == ParamClass::kEither) continue;
        if (args_.IsString(i) != (wanted == ParamClass::kText)) {
            ErrorTypeParam(name, i + 1);
            return false;
        }
    }
    for (int i = 0; i < count; ++i)
        if (params.CheckedAt(i, count)) args_.Fetch(i);
    if (args_.FaultParam() != 0) {
        ErrorParam(name, args_.FaultParam());
        return false;
    }
    return true;
}

const char* CDIBSnrBaseScreen::CommandName() const {
    return command_ ? command_->ReportName() : "";
}

bool CDIBSnrBaseScreen::CheckFault() {
    AddExecLog("CDIBSnrBaseScreen::CheckFault");
    if (args_.FaultParam() == 0) return true;
    ErrorParam(CommandName(), args_.FaultParam());
    return false;
}

bool CDIBSnrBaseScreen::CheckNameOrNumberForm(int countByName) {
    if (ParamCount() != (IsText(0) ? countByName : countByName + 1)) {
        CountError();
        return false;
    }
    for (int i = 1; i < ParamCount(); ++i)
        if (!CheckValue(i)) return false;
    return true;
}

bool CDIBSnrBaseScreen::CheckValue(int i) {
    AddExecLog("CDIBSnrBaseScreen::CheckValue");
    if (!args_.IsString(i)) return true;
    TypeError(i);
    return false;
}

bool CDIBSnrBaseScreen::CheckText(int i) {
    AddExecLog("CDIBSnrBaseScreen::CheckText");
    if (args_.IsString(i)) return true;
    TypeError(i);
    return false;
}

bool CDIBSnrBaseScreen::CheckVariable(int32_t number, int i) {
    AddExecLog("CDIBSnrBaseScreen::CheckVariable");
    if (number >= 0 && number < kVariableCount) return true;
    ParamError(i);
    return false;
}

void CDIBSnrBaseScreen::CountError() {
    AddExecLog("CDIBSnrBaseScreen::CountError");
    ErrorNumParam(CommandName(), args_.Count());
}

void CDIBSnrBaseScreen::TypeError(int i) {
    AddExecLog("CDIBSnrBaseScreen::TypeError");
    ErrorTypeParam(CommandName(), i + 1);
}

void CDIBSnrBaseScreen::ParamError(int i) {
    AddExecLog("CDIBSnrBaseScreen::ParamError");
    ErrorParam(CommandName(), i + 1);
}

void CDIBSnrBaseScreen::ReadError(const char* file, bool end) {
    AddExecLog("CDIBSnrBaseScreen::ReadError");
    ErrorRead(CommandName(), file, end);
}

void CDIBSnrBaseScreen::SetVariable(int number, int32_t value) {
    AddExecLog("CDIBSnrBaseScreen::SetVariable");
    if (number < 0 || number >= kVariableCount) return;
    save_->localVars[static_cast<size_t>(number)] = value;
    if (DebugHook* hook = Services().GetLoadedDebugHook()) hook->OnUpdateValue(number, value);
}

void CDIBSnrBaseScreen::Advance() {
    AddExecLog("CDIBSnrBaseScreen::Advance");
    buffer_->NextCommand();
    step_ = 0;
    continue_ = 1;
}

void CDIBSnrBaseScreen::AdvanceAndYield() {
    AddExecLog("CDIBSnrBaseScreen::AdvanceAndYield");
    buffer_->NextCommand();
    step_ = 0;
    continue_ = 0;
}

bool CDIBSnrBaseScreen::Jump(int32_t label, int i) {
    AddExecLog("CDIBSnrBaseScreen::Jump");
    if (buffer_->JumpToLabel(label)) return true;
    ParamError(i);
    return false;
}

void CDIBSnrBaseScreen::EndGame() {
    AddExecLog("CDIBSnrBaseScreen::EndGame");
    GameServices& services = Services();
    services.SetCloseWithoutAsking(true);
    services.PostCloseRequest();
}

} // namespace qw
