#pragma once
// The sound device. The buffers accept a null device: the game then runs silently.

namespace qw {

namespace platform {
class Window;
}

class CDSound {
public:
    virtual ~CDSound() = default;
    // Opens the device (44100 Hz, 2 channels, 16 bits at start-up). False when there is none;
    // the main window then deletes it and runs silently.
    virtual bool Initialize(platform::Window* window, int sampleRate, int channels, int bits);
    virtual void Release() {}
};

} // namespace qw
