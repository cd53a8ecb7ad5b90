#include "audio/CDSound.h"

#include <cstring>

#include "common/ExecLog.h"
#include "platform/AudioSink.h"
#include "platform/Window.h"

namespace qw {

CDSound::CDSound() = default;
CDSound::~CDSound() {
    Release();
}

bool CDSound::Initialize(platform::Window* window, int sampleRate, int channels, int bits) {
    AddExecLog("CDSound::Initialize");
    Release();
    if (!window || bits != 16) return false;
    mixer_ = platform::SoundMixer::Create();
    platform::SoundFormat format{sampleRate, channels};
    // One second of silence, always playing, as the device's own buffer.
    silent_ = mixer_->MakeBuffer(format, static_cast<uint32_t>(format.BytesPerSecond()));
    if (!silent_ || !SoundBufferFillZero(*silent_)) {
        Release();
        return false;
    }
    silent_->Play(true);
    sink_ = window->OpenAudio(mixer_);
    if (!sink_) {
        Release();
        return false;
    }
    return true;
}

void CDSound::Release() {
    AddExecLog("CDSound::Release");
    sink_.reset(); // no more mixing, then the buffers go
    silent_.reset();
    mixer_.reset();
}

bool CDSound::MakeSoundBuffer(std::shared_ptr<platform::SoundBuffer>& out,
                              const platform::SoundFormat& format, uint32_t bytes) {
    AddExecLog("CDSound::MakeSoundBuffer");
    out = mixer_ ? mixer_->MakeBuffer(format, bytes) : nullptr;
    return out != nullptr;
}

bool CDSound::MakeSoundBuffer(std::shared_ptr<platform::SoundBuffer>& out,
                              const platform::SoundFormat& format, std::vector<int16_t>&& samples) {
    AddExecLog("CDSound::MakeSoundBuffer");
    out = mixer_ ? mixer_->AdoptBuffer(format, std::move(samples)) : nullptr;
    return out != nullptr;
}

bool CDSound::SoundBufferFillZero(platform::SoundBuffer& buffer) {
    AddExecLog("CDSound::SoundBufferFillZero");
    void *p1 = nullptr, *p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    if (!buffer.Lock(0, 0, &p1, &n1, &p2, &n2, true)) return false;
    std::memset(p1, 0, n1);
    if (p2) std::memset(p2, 0, n2);
    return buffer.Unlock(p1, n1, p2, n2);
}

void CDSound::Pass(uint32_t ms) {
    if (sink_) sink_->Pass(ms);
}

} // namespace qw
