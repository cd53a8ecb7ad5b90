#pragma once
// A transition: blends from one picture to another over a given time, drawing each frame of it
// into the frame surface. Advanced by the frame time; the final state is drawn for at least one
// frame before the effect ends.

#include <cstdint>

#include "graphics/CallEffectParam.h"

namespace qw {

class CDIBImage;

class CDIBOverlap {
public:
    CDIBOverlap() = default;
    CDIBOverlap(const CDIBOverlap&) = delete;
    CDIBOverlap& operator=(const CDIBOverlap&) = delete;
    virtual ~CDIBOverlap();

    virtual void Release();
    // Starts the effect named by the parameter's number; an unknown number starts nothing.
    void InitEffect(CDIBImage* from, CDIBImage* to, const CallEffectParam& param);
    // `frameSpeed` is the player's frame-speed setting: it scales the time, and above 2 the
    // effect jumps to its end.
    void Move(int frameMs, int frameSpeed);
    void Draw(CDIBImage& frame);

    bool IsActive() const { return active_; }
    void SetFinishNow() { finishNow_ = true; }
    int GetEffect() const { return effect_; }
    int GetElapsed() const { return elapsed_; }
    int GetDuration() const { return duration_; }

private:
    void DrawFade(CDIBImage& frame);

    bool active_ = false;
    CDIBImage* from_ = nullptr;
    CDIBImage* to_ = nullptr;
    int effect_ = 0;
    int elapsed_ = 0;
    int duration_ = 0;
    bool finishNow_ = false;
};

} // namespace qw
