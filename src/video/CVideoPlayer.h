#pragma once
// Movie playback. No movie plays until the decoder lands; the main window already asks it every
// tick whether one does, and hands it presentation when it does.

#include "common/PauseNesting.h"

namespace qw {

namespace platform {
class Window;
}

class CVideoPlayer {
public:
    virtual ~CVideoPlayer() = default;
    virtual bool Initialize(platform::Window* window);
    virtual void Release() {}
    virtual bool IsPlaying() const { return false; }
    virtual void Move(int /*frameMs*/) {}
    virtual void SetPause(bool on);
    // While a movie plays it presents its own frames instead of the screen buffer: true when it
    // has put a frame on the window this tick.
    virtual bool Present(platform::Window& /*window*/) { return false; }
    int GetPauseCount() const { return pause_.Count(); }

protected:
    platform::Window* window_ = nullptr;
    PauseNesting pause_;
};

} // namespace qw
