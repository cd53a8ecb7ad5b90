#include "video/CVideoPlayer.h"

#include "common/ExecLog.h"

namespace qw {

bool CVideoPlayer::Initialize(platform::Window* window) {
    AddExecLog("CVideoPlayer::Initialize");
    window_ = window;
    return true;
}

void CVideoPlayer::SetPause(bool on) {
    AddExecLog("CVideoPlayer::SetPause");
    pause_.Set(on);
}

} // namespace qw
