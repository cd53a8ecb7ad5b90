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
#include "scenario/SnrCommandArgs.h"

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
    Next();
}

void CDIBSnrBaseScreen::MoveCmdLS() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdLS");
    SnrCommandArgs args(*buffer_);
    if (!CheckFault("LS", args) || !CheckCount("LS", args, 1) || !CheckString("LS", args, 0))
        return;
    std::string name = args.Text(0);
    if (!CheckFault("LS", args)) return;
    buffer_->Release();
    // A file that cannot be read leaves nothing to run: the game reports it and ends.
    if (!buffer_->Read(name)) {
        ErrorRead("LS", name.c_str(), true);
        return;
    }
    CMainWindow* main = GetMainWindow();
    if (CSaveData* save = main ? main->GetSaveData() : nullptr) save->SetSnrFileName(name);
    if (DebugHook* hook = main ? main->GetDebugHook() : nullptr; hook && hook->IsLoaded())
        hook->OnSnrFileChange(name.c_str());
    continue_ = 1; // from the first command of the new file
}

void CDIBSnrBaseScreen::MoveCmdJP() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdJP");
    SnrCommandArgs args(*buffer_);
    if (!CheckFault("JP", args) || !CheckCount("JP", args, 1) || !CheckValue("JP", args, 0)) return;
    int32_t label = args.Value(0);
    if (!CheckFault("JP", args) || !Jump("JP", label, 0)) return;
    continue_ = 1;
}

void CDIBSnrBaseScreen::MoveCmdONJP() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdONJP");
    SnrCommandArgs args(*buffer_);
    if (!CheckFault("ONJP", args)) return;
    if (args.Count() <= 1) {
        ErrorNumParam("ONJP", args.Count());
        return;
    }
    if (!CheckValue("ONJP", args, 0)) return;
    int32_t selector = args.Value(0);
    if (!CheckFault("ONJP", args)) return;
    if (selector < 0 || selector > args.Count() - 2) {
        Next();
        return;
    }
    // The labels up to the chosen one are walked; a text among them is a type error.
    for (int i = 1; i <= selector + 1; ++i)
        if (!CheckValue("ONJP", args, i)) return;
    int32_t label = args.Value(selector + 1);
    if (!CheckFault("ONJP", args) || !Jump("ONJP", label, selector + 1)) return;
    continue_ = 1;
}

// IF left, operator, right [, left, operator, right …], label. Any number of conditions is
// accepted: k conditions and the label make 3k + 1 parameters. Every parameter's class and every
// operator text are checked before anything is evaluated, so a malformed IF is reported whatever
// the values; the conditions are then evaluated in order until the first that fails.
void CDIBSnrBaseScreen::MoveCmdIF() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdIF");
    SnrCommandArgs args(*buffer_);
    if (!CheckFault("IF", args)) return;
    const int count = args.Count();
    if (count < 4 || (count - 1) % 3 != 0) {
        ErrorNumParam("IF", count);
        return;
    }
    const int conditions = (count - 1) / 3;
    for (int c = 0; c < conditions; ++c) {
        const int at = c * 3;
        if (!CheckValue("IF", args, at)) return;
        if (args.IsString(at + 1)) {
            std::string text = args.Text(at + 1);
            if (!CheckFault("IF", args)) return;
            if (IfOperatorCode(text) < 0) {
                ErrorTypeParam("IF", at + 2);
                return;
            }
        }
        if (!CheckValue("IF", args, at + 2)) return;
    }
    if (!CheckValue("IF", args, count - 1)) return;

    bool all = true;
    for (int c = 0; c < conditions && all; ++c) {
        const int at = c * 3;
        int32_t left = args.Value(at);
        int32_t op = args.IsString(at + 1) ? IfOperatorCode(args.Text(at + 1)) : args.Value(at + 1);
        int32_t right = args.Value(at + 2);
        if (!CheckFault("IF", args)) return;
        all = Holds(left, op, right);
    }
    if (!all) {
        Next();
        return;
    }
    int32_t label = args.Value(count - 1);
    if (!CheckFault("IF", args) || !Jump("IF", label, count - 1)) return;
    continue_ = 1;
}

void CDIBSnrBaseScreen::MoveCmdATIMES() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdATIMES");
    SnrCommandArgs args(*buffer_);
    if (!CheckFault("ATIMES", args) || !CheckCount("ATIMES", args, 1) ||
        !CheckValue("ATIMES", args, 0))
        return;
    int32_t time = args.Value(0);
    if (!CheckFault("ATIMES", args)) return;
    waitLimit_ = time < 0 ? kNoTimeLimit : static_cast<uint32_t>(time);
    waitElapsed_ = 0;
    latches_.fill(0);
    Next(false);
}

// AWAIT skippable, then five variable numbers that receive the latches (left button, right
// button, Enter, Escape, Space) when the wait ends.
void CDIBSnrBaseScreen::MoveCmdAWAIT() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdAWAIT");
    SnrCommandArgs args(*buffer_);
    if (!CheckFault("AWAIT", args) || !CheckCount("AWAIT", args, 6)) return;
    for (int i = 0; i < 6; ++i)
        if (!CheckValue("AWAIT", args, i)) return;
    int32_t values[6];
    for (int i = 0; i < 6; ++i)
        values[i] = args.Value(i);
    if (!CheckFault("AWAIT", args)) return;

    bool anyLatch = false;
    for (uint8_t latch : latches_)
        anyLatch = anyLatch || latch;
    if (values[0] != 0 && anyLatch) waitElapsed_ = waitLimit_;
    if (waitElapsed_ < waitLimit_) return; // still waiting: the tick ends
    for (int i = 0; i < kLatchCount; ++i)
        if (!CheckVariable("AWAIT", values[i + 1], i + 1)) return;
    for (int i = 0; i < kLatchCount; ++i)
        SetVariable(values[i + 1], latches_[static_cast<size_t>(i)]);
    waitLimit_ = 0;
    waitElapsed_ = 0;
    latches_.fill(0);
    Next(false);
}

void CDIBSnrBaseScreen::MoveCmdCMPSTR() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdCMPSTR");
    SnrCommandArgs args(*buffer_);
    if (!CheckFault("CMPSTR", args) || !CheckCount("CMPSTR", args, 3) ||
        !CheckString("CMPSTR", args, 0) || !CheckString("CMPSTR", args, 1) ||
        !CheckValue("CMPSTR", args, 2))
        return;
    std::string first = args.Text(0);
    std::string second = args.Text(1);
    int32_t label = args.Value(2);
    if (!CheckFault("CMPSTR", args)) return;
    if (EqualsIgnoringCase(CutTo255(first), CutTo255(second))) {
        Jump("CMPSTR", label, 2); // the tick ends after the jump
        return;
    }
    Next();
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
