#pragma once
// The sound device: the software mixer and where its sound goes (the audio device, or the null
// sink of headless runs), with one silent buffer kept playing. The buffers accept a null device:
// the game then runs silently.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/SoundMixer.h"

namespace qw {

namespace platform {
class AudioSink;
class Window;
} // namespace platform

class CDSound {
public:
    CDSound();
    virtual ~CDSound();
    // Opens the mixer's output (44100 Hz, 2 channels, 16 bits at start-up). False when there is
    // none; the main window then deletes it and runs silently.
    virtual bool Initialize(platform::Window* window, int sampleRate, int channels, int bits);
    virtual void Release();

    // A stopped, silent buffer with volume and pan.
    bool MakeSoundBuffer(std::shared_ptr<platform::SoundBuffer>& out,
                         const platform::SoundFormat& format, uint32_t bytes);
    // A stopped buffer holding `samples` (interleaved 16-bit frames), taken over uncopied.
    bool MakeSoundBuffer(std::shared_ptr<platform::SoundBuffer>& out,
                         const platform::SoundFormat& format, std::vector<int16_t>&& samples);
    // Locks the whole buffer and zeroes it.
    static bool SoundBufferFillZero(platform::SoundBuffer& buffer);

    // Headless runs: mix the sound of one loop pass of `ms` virtual milliseconds.
    void Pass(uint32_t ms);
    const platform::AudioSink* GetSink() const { return sink_.get(); }
    platform::SoundMixer* GetMixer() const { return mixer_.get(); }

private:
    std::shared_ptr<platform::SoundMixer> mixer_;
    std::unique_ptr<platform::AudioSink> sink_;
    std::shared_ptr<platform::SoundBuffer> silent_;
};

} // namespace qw
