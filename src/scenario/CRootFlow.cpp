#include "scenario/CRootFlow.h"

#include <algorithm>

#include "app/CInput.h"
#include "app/CScreenBuffer.h"
#include "app/GameServices.h"
#include "audio/CBGMBuffer.h"
#include "common/ExecLog.h"
#include "files/CFileJoin.h"
#include "files/GameArchives.h"
#include "graphics/CDIBImage.h"
#include "graphics/CDIBOverlap.h"
#include "save/CSaveData.h"
#include "scenario/CDIBBaseScreen.h"
#include "scenario/CSnrBuffer.h"

namespace qw {

CRootFlow::CRootFlow() = default;
CRootFlow::~CRootFlow() {
    Release();
}

bool CRootFlow::Initialize() {
    AddExecLog("CRootFlow::Initialize");
    Release();
    GameServices& services = Services();
    {
        CSnrBuffer start;
        start.Initialize();
        if (!start.Read("START")) {
            services.ErrorMsg("データを読み込めませんでした。");
            return false;
        }
    }
    backImage_ = std::make_unique<CDIBImage>();
    if (!backImage_->Create(800, 600)) {
        services.ErrorMemory("CRootFlow", "mpBackImage");
        return false;
    }
    overlap_ = std::make_unique<CDIBOverlap>();
    overlap_->SetServices(services.GetSpriteCache(), [](const char* object, const char* file) {
        Services().ErrorRead(object, file);
    });
    for (auto& image : ovImage_) {
        image = std::make_unique<CDIBImage>();
        if (!image->Create(800, 600)) {
            services.ErrorMemory("CRootFlow", "mpOVImage");
            return false;
        }
    }
    return true;
}

void CRootFlow::Release() {
    AddExecLog("CRootFlow::Release");
    current_.reset();
    next_.reset();
    for (int i = stackCount_ - 1; i >= 0; --i)
        stack_[static_cast<size_t>(i)].reset();
    stackCount_ = 0;
    overlap_.reset();
    backImage_.reset();
    ovImage_[0].reset();
    ovImage_[1].reset();
    secondPhasePending_ = false;
    musicRunning_ = false;
}

CDIBBaseScreen* CRootFlow::GetStackedScreen(int index) const {
    if (index < 0 || index >= stackCount_) return nullptr;
    return stack_[static_cast<size_t>(index)].get();
}

bool CRootFlow::IsChanging() const {
    return next_ || (overlap_ && overlap_->IsActive()) || musicRunning_;
}

bool CRootFlow::ChangeScreen(const CallEffectParam& first, const CallEffectParam* second,
                             const ScreenBGMParam* music, CDIBBaseScreen* screen,
                             bool keepCurrent) {
    AddExecLog("CRootFlow::ChangeScreen");
    if (next_ || !screen || !overlap_) return false;
    // The stack has 256 places: a change that would push a 257th screen is refused.
    if (keepCurrent && current_ && stackCount_ >= kStackSize) return false;
    if (!keepCurrent) {
        for (int i = stackCount_ - 1; i >= 0; --i)
            stack_[static_cast<size_t>(i)].reset();
        stackCount_ = 0;
    }
    next_.reset(screen);
    keepCurrent_ = keepCurrent;
    StartTransition(first, second, music, true);
    return true;
}

void CRootFlow::ReturnScreen(const CallEffectParam& first, const CallEffectParam* second,
                             const ScreenBGMParam* music, int depth) {
    AddExecLog("CRootFlow::ReturnScreen");
    if (next_ || !overlap_) return;
    for (int i = 1; i < depth && stackCount_ > 0; ++i)
        stack_[static_cast<size_t>(--stackCount_)].reset();
    if (stackCount_ == 0) return;
    next_ = std::move(stack_[static_cast<size_t>(--stackCount_)]);
    keepCurrent_ = false;
    StartTransition(first, second, music, false);
}

void CRootFlow::StartTransition(const CallEffectParam& first, const CallEffectParam* second,
                                const ScreenBGMParam* music, bool newScreen) {
    AddExecLog("CRootFlow::StartTransition");
    if (current_)
        current_->CopyImage(*ovImage_[0]);
    else
        ovImage_[0]->FillFull(0xFF000000);
    if (second) {
        ovImage_[1]->FillFull(middleColour_);
        overlap_->InitEffect(ovImage_[0].get(), ovImage_[1].get(), first);
        secondPhasePending_ = true;
        secondEffect_ = *second;
    } else {
        // A new screen is told before its first capture; a screen returned to is captured as it is.
        if (newScreen) next_->OnChangeScreen1st();
        next_->CopyImage(*ovImage_[1]);
        overlap_->InitEffect(ovImage_[0].get(), ovImage_[1].get(), first);
        secondPhasePending_ = false;
    }
    musicRunning_ = music != nullptr;
    if (music) {
        music_ = *music;
        musicElapsed_ = 0;
        musicHurry_ = false;
        musicState_ = kMusicWait;
        CBGMBuffer* bgm = Services().GetBGMBuffer();
        if ((music_.flags & ScreenBGMParam::kPlay) && bgm) bgm->Cache(music_.name);
    }
}

void CRootFlow::Move() {
    AddExecLog("CRootFlow::Move");
    GameServices& services = Services();
    bool transitionRunning = overlap_ && overlap_->IsActive();
    if (!transitionRunning && !musicRunning_) {
        if (current_) {
            current_->Move();
            current_->UpdateForcus();
            current_->Update();
        }
        return;
    }
    bool ready = true;
    CBGMBuffer* bgm = services.GetBGMBuffer();
    if (musicRunning_) {
        if (musicHurry_) {
            if (bgm) bgm->FinishFade();
            musicElapsed_ = music_.waitMs;
        }
        ready = StepMusic();
    }
    const CInput* input = services.GetInput();
    const CSaveData* save = services.GetSaveData();
    bool skip = input && input->CheckKeyTbl(keytable::kSkip);
    bool noEffects = save && save->configEx.noneEffect;
    if (skip || noEffects) {
        overlap_->SetFinishNow();
        musicHurry_ = true;
    }
    // The stored setting as it is (0 is possible while the options are open: half speed).
    overlap_->Move(services.GetFrameTime(), save ? save->configEx.frameSpeed : 1);
    if (!overlap_->IsActive()) {
        if (secondPhasePending_ && ready) {
            ovImage_[0]->FillFull(middleColour_);
            if (next_) {
                next_->OnChangeScreen1st();
                next_->CopyImage(*ovImage_[1]);
            } else {
                ovImage_[1]->FillFull(0xFF000000);
            }
            overlap_->InitEffect(ovImage_[0].get(), ovImage_[1].get(), secondEffect_);
            secondPhasePending_ = false;
        } else if (!secondPhasePending_ && !musicRunning_) {
            CompleteChange();
        }
    }
    if (CScreenBuffer* screen = services.GetScreenBuffer()) screen->InvalidateAll();
}

void CRootFlow::CompleteChange() {
    AddExecLog("CRootFlow::CompleteChange");
    if (keepCurrent_ && current_ && stackCount_ < kStackSize) {
        stack_[static_cast<size_t>(stackCount_++)] = std::move(current_);
    }
    current_.reset();
    keepCurrent_ = false;
    if (next_) {
        next_->OnChangeScreen2nd();
        current_ = std::move(next_);
        current_->ResetForcusInAll();
    } else {
        Services().PostCloseRequest(); // nothing to show: the game ends
    }
}

bool CRootFlow::StepMusic() {
    AddExecLog("CRootFlow::StepMusic");
    CBGMBuffer* bgm = Services().GetBGMBuffer();
    switch (musicState_) {
    case kMusicWait:
        if (musicElapsed_ < music_.waitMs) {
            musicElapsed_ = std::min(musicElapsed_ + Services().GetFrameTime(), music_.waitMs);
        } else {
            musicState_ = kMusicStop;
        }
        return true;
    case kMusicStop:
        if ((music_.flags & ScreenBGMParam::kStopFirst) && bgm) {
            bgm->Stop(music_.fadeOutMs);
            musicState_ = kMusicStopping;
        } else {
            musicState_ = kMusicStart;
        }
        return false;
    case kMusicStopping:
        if (bgm && (bgm->IsPlaying() || bgm->GetFadeMode() != 0)) return false;
        musicState_ = kMusicStart;
        return true;
    case kMusicStart: {
        bool play = (music_.flags & ScreenBGMParam::kPlay) != 0;
        bool restart = (music_.flags & ScreenBGMParam::kRestart) != 0;
        if (play && restart && bgm) {
            if (bgm->Read(music_.name)) bgm->Play(music_.fadeInMs, true);
            musicState_ = kMusicStarting;
        } else if (play && bgm && !bgm->CheckPlaying(music_.name) && bgm->Read(music_.name)) {
            bgm->Play(music_.fadeInMs, true); // the next tick finds it playing
        } else {
            musicState_ = kMusicDone;
        }
        return true;
    }
    case kMusicStarting:
        if (!bgm || (bgm->IsPlaying() && bgm->GetFadeMode() == 0) || !bgm->IsPlaying())
            musicState_ = kMusicDone;
        return true;
    case kMusicDone:
    default:
        musicState_ = kMusicWait;
        musicHurry_ = false;
        musicRunning_ = false;
        return true;
    }
}

void CRootFlow::Draw(CDIBImage& target) {
    AddExecLog("CRootFlow::Draw");
    if (overlap_ && overlap_->IsActive()) {
        overlap_->Draw(target);
        return;
    }
    if (!current_ || next_) return;
    if (musicRunning_) {
        target.FillFull(0xFF000000);
        return;
    }
    current_->Draw(target);
}

} // namespace qw
