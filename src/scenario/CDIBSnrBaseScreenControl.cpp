// Control-flow commands: load points, scenario files, jumps, conditions, timed waits and the end
// of the scenario.

#include <string>
#include <string_view>

#include "app/CMainWindow.h"
#include "app/DebugHook.h"
#include "common/ExecLog.h"
#include "common/Text.h"
#include "save/CSaveData.h"
#include "scenario/CDIBSnrBaseScreen.h"
#include "scenario/CSnrBuffer.h"

namespace qw {

namespace {

// IF operators: a value 0–5, or one of these texts (compared without regard to case).
struct IfOperator {
    std::string_view text;
    int code;
};
constexpr IfOperator kIfOperators[] = {
    {"＝", 0}, {"=", 0},  {"==", 0}, {"≠", 1}, {"!=", 1}, {"<>", 1}, {"＜", 2},
    {"<", 2},  {"＞", 3}, {">", 3},  {"≦", 4}, {"<=", 4}, {"≧", 5},  {">=", 5},
};

int IfOperatorCode(std::string_view text) {
    for (const IfOperator& op : kIfOperators)
        if (EqualsNoCase(op.text, text)) return op.code;
    return -1;
}

// Comparisons are signed 32-bit; an operator outside 0–5 never holds.
bool Holds(int32_t left, int32_t op, int32_t right) {
    switch (op) {
    case 0:
        return left == right;
    case 1:
        return left != right;
    case 2:
        return left < right;
    case 3:
        return left > right;
    case 4:
        return left <= right;
    case 5:
        return left >= right;
    default:
        return false;
    }
}

// Equal ignoring the case of ASCII letters. A double-byte character is compared whole: its trail
// byte may have the code of a letter without being one.
bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (IsLeadByte(static_cast<uint8_t>(a[i])) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
        } else if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// CMPSTR compares at most 255 bytes of each text (they are copied into 256-byte buffers).
std::string_view CutTo255(std::string_view s) {
    return s.substr(0, 255);
}

} // namespace

void CDIBSnrBaseScreen::MoveCmdLPT() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdLPT");
    Advance();
}

void CDIBSnrBaseScreen::MoveCmdLS() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdLS");
    const std::string name = Text(0);
    buffer_->Release();
    // A file that cannot be read leaves nothing to run: the game reports it and ends.
    if (!buffer_->Read(name)) {
        ReadError(name.c_str(), true);
        return;
    }
    CMainWindow* main = GetMainWindow();
    if (CSaveData* save = main ? main->GetSaveData() : nullptr) save->SetSnrFileName(name);
    if (DebugHook* hook = main ? main->GetDebugHook() : nullptr; hook && hook->IsLoaded())
        hook->OnSnrFileChange(name.c_str());
    Continue(); // from the first command of the new file
}

void CDIBSnrBaseScreen::MoveCmdJP() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdJP");
    if (Jump(Value(0), 0)) Continue();
}

// ONJP selector, labels…: the labels up to the chosen one are walked; a text among them is a
// type error, and the labels after it are not looked at.
void CDIBSnrBaseScreen::MoveCmdONJP() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdONJP");
    const int32_t selector = Value(0);
    if (selector < 0 || selector > ParamCount() - 2) {
        Advance();
        return;
    }
    for (int i = 1; i <= selector + 1; ++i)
        if (!CheckValue(i)) return;
    const int32_t label = Value(selector + 1);
    if (!CheckFault() || !Jump(label, selector + 1)) return;
    Continue();
}

// IF left, operator, right [, left, operator, right …], label. Any number of conditions is
// accepted: k conditions and the label make 3k + 1 parameters. Every parameter's class and every
// operator text are checked before anything is evaluated, so a malformed IF is reported whatever
// the values; the conditions are then evaluated in order until the first that fails.
void CDIBSnrBaseScreen::MoveCmdIF() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdIF");
    const int count = ParamCount();
    const int conditions = (count - 1) / 3;
    for (int c = 0; c < conditions; ++c) {
        const int at = c * 3;
        if (!CheckValue(at)) return;
        if (IsText(at + 1)) {
            const std::string& text = Text(at + 1);
            if (!CheckFault()) return;
            if (IfOperatorCode(text) < 0) {
                TypeError(at + 1);
                return;
            }
        }
        if (!CheckValue(at + 2)) return;
    }
    if (!CheckValue(count - 1)) return;

    bool all = true;
    for (int c = 0; c < conditions && all; ++c) {
        const int at = c * 3;
        int32_t left = Value(at);
        int32_t op = IsText(at + 1) ? IfOperatorCode(Text(at + 1)) : Value(at + 1);
        int32_t right = Value(at + 2);
        if (!CheckFault()) return;
        all = Holds(left, op, right);
    }
    if (!all) {
        Advance();
        return;
    }
    const int32_t label = Value(count - 1);
    if (!CheckFault() || !Jump(label, count - 1)) return;
    Continue();
}

void CDIBSnrBaseScreen::MoveCmdATIMES() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdATIMES");
    const int32_t time = Value(0);
    waitLimit_ = time < 0 ? kNoTimeLimit : static_cast<uint32_t>(time);
    waitElapsed_ = 0;
    latches_.fill(0);
    AdvanceAndYield();
}

// AWAIT skippable, then five variable numbers that receive the latches (left button, right
// button, Enter, Escape, Space) when the wait ends.
void CDIBSnrBaseScreen::MoveCmdAWAIT() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdAWAIT");
    bool anyLatch = false;
    for (uint8_t latch : latches_)
        anyLatch = anyLatch || latch;
    if (Value(0) != 0 && anyLatch) waitElapsed_ = waitLimit_;
    if (waitElapsed_ < waitLimit_) return; // still waiting: the tick ends
    for (int i = 0; i < kLatchCount; ++i)
        if (!CheckVariable(Value(i + 1), i + 1)) return;
    for (int i = 0; i < kLatchCount; ++i)
        SetVariable(Value(i + 1), latches_[static_cast<size_t>(i)]);
    waitLimit_ = 0;
    waitElapsed_ = 0;
    latches_.fill(0);
    AdvanceAndYield();
}

void CDIBSnrBaseScreen::MoveCmdCMPSTR() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdCMPSTR");
    if (EqualsIgnoringCase(CutTo255(Text(0)), CutTo255(Text(1)))) {
        Jump(Value(2), 2); // the tick ends after the jump
        return;
    }
    Advance();
}

void CDIBSnrBaseScreen::MoveCmdEND() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdEND");
    EndGame();
    ClearResult();
}

void CDIBSnrBaseScreen::MoveCmdUnknow() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdUnknow");
    ErrorMsg("未知のコマンド", "コマンドシークエラー", true);
}

} // namespace qw
