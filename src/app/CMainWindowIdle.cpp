// Frame pacing: one tick every 30 ms with a bounded catch-up, and presentation of the frame.

#include <algorithm>

#include "app/CInput.h"
#include "app/CMainWindow.h"
#include "app/CScreenBuffer.h"
#include "app/FaultInjection.h"
#include "audio/CBGMBuffer.h"
#include "audio/CSEBuffer.h"
#include "audio/CVoiceBuffer.h"
#include "common/ExecLog.h"
#include "graphics/CDIBImage.h"
#include "platform/Clock.h"
#include "save/CSaveData.h"
#include "scenario/CRootFlow.h"
#include "video/CVideoPlayer.h"

namespace qw {

void CMainWindow::OnIdle() {
    AddExecLog("CMainWindow::OnIdle");
    if (!rootFlow_) return;
    uint32_t now = platform::NowMs();
    int elapsed = static_cast<int>(now - lastFrameTime_);
    bool videoPlaying = videoPlayer_ && videoPlayer_->IsPlaying();
    if (elapsed < kTickMs) {
        if (!videoPlaying) return;
        lostTime_ = 0;
    } else {
        lostTime_ = elapsed - kTickMs;
    }
    lostTime_ = std::min(lostTime_, kTickMs);
    frameTime_ = (kTickMs + lostTime_) * GetFrameSpeed();
    lastFrameTime_ = now;
    ++tickCount_;
    InjectFaultAtTick(tickCount_);

    if (!paused_) {
        input_->Poll();
        if (saveData_->configEx.altAndEnter && input_->IsAltEnter()) {
            ToggleDisplayModeFromKeys();
        } else {
            screenBuffer_->FlipDirty();
            seBuffer_->Move(frameTime_);
            bgmBuffer_->Move(frameTime_);
            voiceBuffer_->Move(frameTime_);
            videoPlayer_->Move(frameTime_);
            if (gameRunning_ && rootFlow_) {
                rootFlow_->Move();
                if (gameRunning_) screenBuffer_->BuildRectList();
            }
            if (rootFlow_) rootFlow_->Draw(*screenBuffer_->GetImage());
        }
        Present();
    }
    if (tickObserver_) tickObserver_(tickCount_);
}

int CMainWindow::MillisecondsToNextTick() const {
    if (window_->IsHeadless() || (videoPlayer_ && videoPlayer_->IsPlaying())) return 0;
    int elapsed = static_cast<int>(platform::NowMs() - lastFrameTime_);
    return std::max(0, kTickMs - elapsed);
}

void CMainWindow::ToggleDisplayModeFromKeys() {
    AddExecLog("CMainWindow::ToggleDisplayModeFromKeys");
    SetDisplayMode(!fullScreen_);
    saveData_->settings.fullScreen = fullScreen_;
}

void CMainWindow::Present() {
    AddExecLog("CMainWindow::Present");
    if (videoPlayer_->IsPlaying() && videoPlayer_->Present(*window_)) return;
    CDIBImage* frame = screenBuffer_->GetImage();
    if (useD3D_) {
        // The whole frame every time, as one texture upload.
        screenBuffer_->InvalidateAll();
        window_->Present(frame->GetPixels(), frame->GetWidth(), frame->GetHeight(), nullptr);
        return;
    }
    std::vector<platform::Rect> rects = screenBuffer_->DirtyRects();
    if (!rects.empty())
        window_->Present(frame->GetPixels(), frame->GetWidth(), frame->GetHeight(), &rects);
}

} // namespace qw
