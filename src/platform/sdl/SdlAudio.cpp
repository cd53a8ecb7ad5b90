// The audio device: SDL's default output at 44100 Hz, 16-bit stereo, mixed in SDL's callback.
// With no device, or when the device goes away, one line on stderr and the mixer goes on being
// pulled by the system clock, so games keep their timing.

#include <SDL.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "platform/AudioSink.h"

namespace qw::platform {
namespace {

constexpr int kPeriodFrames = 512;

class SdlAudioSink final : public AudioSink {
public:
    explicit SdlAudioSink(std::shared_ptr<SoundMixer> mixer) : mixer_(std::move(mixer)) {}
    ~SdlAudioSink() override {
        {
            std::lock_guard lock(mutex_);
            exit_ = true;
        }
        cv_.notify_all();
        if (watch_.joinable()) watch_.join();
        CloseDevice();
        fallback_.reset();
    }

    bool Open() {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return Fail(SDL_GetError());
        subsystem_ = true;
        SDL_AudioSpec want{};
        want.freq = kMixRate;
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        want.samples = kPeriodFrames;
        want.callback = &SdlAudioSink::Callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device_ == 0) return Fail(SDL_GetError());
        SDL_PauseAudioDevice(device_, 0);
        watch_ = std::thread([this] { Watch(); });
        return true;
    }

    const char* Name() const override { return fellBack_.load() ? "null" : "sdl"; }
    uint64_t Frames() const override {
        return frames_.load() + (fellBack_.load() ? fallback_->Frames() : 0);
    }

private:
    static void Callback(void* self, Uint8* stream, int len) {
        auto* sink = static_cast<SdlAudioSink*>(self);
        int frames = len / 4;
        sink->mixer_->Mix(reinterpret_cast<int16_t*>(stream), frames, SoundMixer::Handover::Signal);
        sink->frames_ += static_cast<uint64_t>(frames);
    }

    bool Fail(const char* why) {
        std::fprintf(stderr, "quillwork: no audio device (%s); the game plays silently\n", why);
        CloseDevice();
        fallback_ = MakeClockAudioSink(mixer_);
        fellBack_ = true;
        return false;
    }

    void CloseDevice() {
        if (device_) SDL_CloseAudioDevice(device_);
        device_ = 0;
        if (subsystem_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystem_ = false;
    }

    // A removed device stops calling back: from then on the system clock pulls the mixer.
    void Watch() {
        std::unique_lock lock(mutex_);
        while (!cv_.wait_for(lock, std::chrono::milliseconds(200), [this] { return exit_; })) {
            if (SDL_GetAudioDeviceStatus(device_) != SDL_AUDIO_STOPPED) continue;
            std::fprintf(stderr,
                         "quillwork: the audio device was removed; the game plays silently\n");
            SDL_CloseAudioDevice(device_);
            device_ = 0;
            fallback_ = MakeClockAudioSink(mixer_);
            fellBack_ = true;
            return;
        }
    }

    std::shared_ptr<SoundMixer> mixer_;
    SDL_AudioDeviceID device_ = 0;
    bool subsystem_ = false;
    std::atomic<uint64_t> frames_{0};
    std::unique_ptr<AudioSink> fallback_; // set once, before fellBack_
    std::atomic<bool> fellBack_{false};
    std::mutex mutex_;
    std::condition_variable cv_;
    bool exit_ = false;
    std::thread watch_;
};

} // namespace

std::unique_ptr<AudioSink> OpenSdlAudioSink(std::shared_ptr<SoundMixer> mixer) {
    auto sink = std::make_unique<SdlAudioSink>(std::move(mixer));
    sink->Open(); // on failure it already runs on the system clock
    return sink;
}

} // namespace qw::platform
