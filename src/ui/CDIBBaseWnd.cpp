#include "ui/CDIBBaseWnd.h"

#include <algorithm>

#include "common/ExecLog.h"
#include "ui/CtrlServices.h"

namespace qw {

bool CDIBBaseWnd::Initialize() {
    AddExecLog("CDIBBaseWnd::Initialize");
    if (!CBaseGame::Initialize()) return false;
    animating_ = 0;
    elapsed_ = 0;
    open_ = 0;
    return true;
}

void CDIBBaseWnd::Release() {
    AddExecLog("CDIBBaseWnd::Release");
    CBaseGame::Release();
}

void CDIBBaseWnd::Move() {
    AddExecLog("CDIBBaseWnd::Move");
    MoveOpenClose();
}

void CDIBBaseWnd::Start(bool open, bool animate) {
    open_ = open;
    // Always animating, so the end of the animation (where input comes back) is reached in
    // MoveOpenClose even when it is skipped.
    animating_ = 1;
    elapsed_ = animate ? 0 : duration_;
    SetAllCtrlInput(false);
}

void CDIBBaseWnd::Open(bool animate) {
    AddExecLog("CDIBBaseWnd::Open");
    Start(true, animate);
}

void CDIBBaseWnd::Close(bool animate) {
    AddExecLog("CDIBBaseWnd::Close");
    Start(false, animate);
}

void CDIBBaseWnd::MoveOpenClose() {
    AddExecLog("CDIBBaseWnd::MoveOpenClose");
    if (!animating_) return;
    if (elapsed_ < duration_)
        elapsed_ = static_cast<int32_t>(
            std::min<int64_t>(int64_t{elapsed_} + ctrl::FrameTime(), duration_));
    if (elapsed_ >= duration_) {
        if (open_) SetAllCtrlInput(true);
        animating_ = 0;
    }
}

} // namespace qw
