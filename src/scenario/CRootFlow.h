#pragma once
// The screen flow: owns the one current full screen, moves and draws it every tick, and changes
// to another screen on request with a transition (in one phase, or in two phases through black)
// and, optionally, a change of background music. Suspended screens wait on a stack of 256 to be
// returned to.

#include <array>
#include <memory>

#include "graphics/CallEffectParam.h"
#include "scenario/ScreenBGMParam.h"

namespace qw {

class CDIBBaseScreen;
class CDIBImage;
class CDIBOverlap;

class CRootFlow {
public:
    static constexpr int kStackSize = 256;
    // Music states.
    enum MusicState {
        kMusicWait = 0,
        kMusicStop = 10,
        kMusicStopping = 11,
        kMusicStart = 20,
        kMusicStarting = 21,
        kMusicDone = 30
    };

    CRootFlow();
    virtual ~CRootFlow();

    bool Initialize();
    void Release();

    // Requests a change to `screen` (made and initialised by the caller). False when a change is
    // already pending or the stack is full; the screen then stays the caller's to delete.
    // Otherwise the flow owns it. `keepCurrent` pushes the current screen instead of deleting it.
    bool ChangeScreen(const CallEffectParam& first, const CallEffectParam* second,
                      const ScreenBGMParam* music, CDIBBaseScreen* screen, bool keepCurrent);
    // Requests a return to a stacked screen: depth 1 is the top, depth n deletes n − 1 first.
    void ReturnScreen(const CallEffectParam& first, const CallEffectParam* second,
                      const ScreenBGMParam* music, int depth);

    void Move();
    void Draw(CDIBImage& target);

    bool HasCurrentScreen() const { return current_ != nullptr; }
    CDIBBaseScreen* GetCurrentScreen() const { return current_.get(); }
    CDIBBaseScreen* GetNextScreen() const { return next_.get(); }
    int GetStackCount() const { return stackCount_; }
    CDIBBaseScreen* GetStackedScreen(int index) const;
    bool IsChanging() const;
    int GetMusicState() const { return musicState_; }
    bool IsMusicChangeRunning() const { return musicRunning_; }
    CDIBOverlap* GetOverlap() const { return overlap_.get(); }

private:
    void StartTransition(const CallEffectParam& first, const CallEffectParam* second,
                         const ScreenBGMParam* music, bool captureNext);
    bool StepMusic();
    void CompleteChange();

    std::unique_ptr<CDIBBaseScreen> current_;
    std::unique_ptr<CDIBBaseScreen> next_;
    bool keepCurrent_ = false;
    std::array<std::unique_ptr<CDIBBaseScreen>, kStackSize> stack_;
    int stackCount_ = 0;
    std::unique_ptr<CDIBImage> backImage_;
    std::unique_ptr<CDIBOverlap> overlap_;
    std::unique_ptr<CDIBImage> ovImage_[2];
    bool secondPhasePending_ = false;
    uint32_t middleColour_ = 0;
    CallEffectParam secondEffect_;
    bool musicRunning_ = false;
    ScreenBGMParam music_;
    int musicElapsed_ = 0;
    bool musicHurry_ = false;
    int musicState_ = kMusicWait;
};

} // namespace qw
