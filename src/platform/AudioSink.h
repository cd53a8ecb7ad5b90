#pragma once
// Where the mixed sound goes: the audio device (platform/sdl), or a null sink that pulls the
// mixer without playing anything. The headless null sink is pulled at the end of each loop pass
// for the virtual time of that pass, hands notifications over synchronously and can record
// what it mixed into a WAV file, so a headless run's sound is repeatable to the byte. The other
// null sink follows the system clock, for games with no device: they keep their timing.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/SoundMixer.h"

namespace qw::platform {

class AudioSink {
public:
    virtual ~AudioSink() = default;
    virtual const char* Name() const = 0; // "sdl" or "null"
    // Every frame mixed so far.
    virtual uint64_t Frames() const = 0;
    // Headless: mixes `ms` of virtual time (44100 frames a second, the remainder carried).
    virtual void Pass(uint32_t /*ms*/) {}
};

// Null sink pulled by Pass; with a path, everything mixed is written there as a WAV file when
// the sink closes (44100 Hz, stereo, 16-bit PCM).
std::unique_ptr<AudioSink> MakeHeadlessAudioSink(std::shared_ptr<SoundMixer> mixer,
                                                 const std::string& wavPath);
// Null sink on the system clock: a thread pulls what real time has asked for.
std::unique_ptr<AudioSink> MakeClockAudioSink(std::shared_ptr<SoundMixer> mixer);
// The default audio device (platform/sdl); with none, one line on stderr and a clock sink.
std::unique_ptr<AudioSink> OpenSdlAudioSink(std::shared_ptr<SoundMixer> mixer);

// The 44-byte header of a 44100 Hz stereo 16-bit PCM file holding `dataBytes` of samples.
std::string WavHeader(uint32_t dataBytes);

} // namespace qw::platform
