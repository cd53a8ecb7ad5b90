#pragma once
// The base of windows that open and close with a timed animation (the message window): while
// the animation runs the window's controls take no input, and input comes back once an opening
// has run its whole duration.

#include <cstdint>

#include "scenario/CBaseGame.h"

namespace qw {

class CDIBBaseWnd : public CBaseGame {
public:
    explicit CDIBBaseWnd(CBaseGame* parent = nullptr) : CBaseGame(parent) {}

    bool Initialize() override;
    void Release() override;
    // Runs the opening or closing animation.
    void Move() override;
    void Draw(CDIBImage& /*target*/) override {}

    // Both start the animation and switch control input off. With `animate` the animation runs
    // from the start; without it, it is already at its end, and the next MoveOpenClose finishes
    // it (and, after Open, switches input on again).
    virtual void Open(bool animate);
    virtual void Close(bool animate);
    virtual void Blt(CDIBImage& /*target*/) {}
    virtual void MoveOpenClose();
    virtual bool IsOpen() const { return open_ != 0; }
    virtual bool IsAnimating() const { return animating_ != 0; }

    // The animation's length; windows set it from their definitions.
    void SetDuration(int32_t ms) { duration_ = ms < 0 ? 0 : ms; }
    int32_t GetDuration() const { return duration_; }
    int32_t GetElapsed() const { return elapsed_; }

protected:
    uint8_t animating_ = 0;
    int32_t elapsed_ = 0;  // ms
    int32_t duration_ = 0; // ms
    uint8_t open_ = 0;

private:
    void Start(bool open, bool animate);
};

} // namespace qw
