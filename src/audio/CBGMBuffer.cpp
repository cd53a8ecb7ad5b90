#include "audio/CBGMBuffer.h"

#include <algorithm>
#include <cstdio>

#include "audio/CDSound.h"
#include "audio/QuarterSignals.h"
#include "audio/VolumeTable.h"
#include "common/ExecLog.h"
#include "common/Text.h"
#include "files/MemberSource.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/SoundMixer.h"

namespace qw {

namespace {
constexpr int kBufferMs = 8000;
constexpr int kStopWaitMs = 5000;

std::string_view CutAtFirstDot(std::string_view name) {
    return name.substr(0, std::min(name.find('.'), name.size()));
}
} // namespace

bool CmpFName(std::string_view a, std::string_view b) {
    return EqualsNoCase(CutAtFirstDot(a), CutAtFirstDot(b));
}

CBGMBuffer::CBGMBuffer() = default;

CBGMBuffer::~CBGMBuffer() {
    if (thread_.joinable()) CBGMBuffer::Release();
}

bool CBGMBuffer::Initialize(CDSound* device, IMemberSource* archive) {
    AddExecLog("CBGMBuffer::Initialize");
    device_ = device;
    archive_ = archive;
    if (!thread_.joinable()) {
        signals_ = std::make_shared<QuarterSignals>(kStopWaitMs);
        thread_ = std::thread([this] { StreamThread(); });
    }
    return true;
}

void CBGMBuffer::Release() {
    AddExecLog("CBGMBuffer::Release");
    Stop(0);
    StreamClose();
    if (thread_.joinable()) {
        signals_->Exit();
        thread_.join();
    }
    std::lock_guard lock(decodeMutex_);
    buffer_.reset();
    preload_.clear();
    preloadName_.clear();
}

void CBGMBuffer::StreamClose() {
    std::lock_guard lock(decodeMutex_);
    stream_.Clear();
    image_.clear();
    name_.clear();
}

bool CBGMBuffer::WaitStreamIdle(int ms) {
    return !signals_ || signals_->WaitIdle(ms);
}

std::optional<Bytes> CBGMBuffer::LoadChecked(std::string_view name, const char* what) {
    std::string shown = platform::GameToUtf8Lossy(std::string(name));
    std::optional<Bytes> bytes = archive_ ? archive_->ReadMember(name) : std::nullopt;
    if (!bytes) {
        std::fprintf(stderr, "quillwork: %s: music %s cannot be read\n", what, shown.c_str());
        return std::nullopt;
    }
    OggStream probe;
    std::string why;
    if (!probe.OpenMemory(*bytes, why)) {
        std::fprintf(stderr, "quillwork: %s: music %s %s\n", what, shown.c_str(), why.c_str());
        return std::nullopt;
    }
    return bytes;
}

bool CBGMBuffer::Read(std::string_view name) {
    AddExecLog("CBGMBuffer::Read");
    if (!device_) return false;
    bool was = playing_;
    Stop(0);
    StreamClose();
    if (was) platform::GetClock().SleepMs(100);
    WaitStreamIdle(kStopWaitMs); // a tail being played out may still be refilling

    Bytes bytes;
    if (!preloadName_.empty() && CmpFName(preloadName_, name)) {
        bytes = std::move(preload_);
    } else {
        std::optional<Bytes> loaded = LoadChecked(name, "Read");
        if (!loaded) return false;
        bytes = std::move(*loaded);
    }
    preload_.clear();
    preloadName_.clear();

    std::lock_guard lock(decodeMutex_);
    image_ = std::move(bytes);
    std::string why;
    if (!stream_.OpenMemory(image_, why)) {
        std::fprintf(stderr, "quillwork: Read: music %s %s\n",
                     platform::GameToUtf8Lossy(std::string(name)).c_str(), why.c_str());
        image_.clear();
        return false;
    }
    const platform::SoundFormat format = stream_.Format();
    if (buffer_ && !(buffer_->Format() == format)) buffer_.reset();
    if (!buffer_) {
        uint32_t size = static_cast<uint32_t>(static_cast<uint64_t>(format.BytesPerSecond()) *
                                              kBufferMs / 1000);
        size -= size % static_cast<uint32_t>(format.BlockAlign() * 4);
        if (!device_->MakeSoundBuffer(buffer_, format, size)) {
            stream_.Clear();
            image_.clear();
            return false;
        }
        quarter_ = size / 4;
        uint32_t align = static_cast<uint32_t>(format.BlockAlign());
        buffer_->SetNotificationPositions(
            {quarter_ - align, 2 * quarter_ - align, 3 * quarter_ - align, 4 * quarter_ - align},
            signals_);
    }
    CDSound::SoundBufferFillZero(*buffer_);
    name_ = std::string(name);
    ended_ = false;
    return true;
}

bool CBGMBuffer::Cache(std::string_view name) {
    AddExecLog("CBGMBuffer::Cache");
    if (!device_) return false;
    std::optional<Bytes> bytes = LoadChecked(name, "Cache");
    if (!bytes) return false;
    preload_ = std::move(*bytes);
    preloadName_ = std::string(name);
    return true;
}

void CBGMBuffer::DecodeFirstHalf() {
    void *p1 = nullptr, *p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    if (!buffer_->Lock(0, quarter_ * 2, &p1, &n1, &p2, &n2)) return;
    if (!stream_.Decode(static_cast<uint8_t*>(p1), n1, loop_)) ended_ = true;
    buffer_->Unlock(p1, n1, p2, n2);
}

bool CBGMBuffer::Play(int fadeInMs, bool loop) {
    AddExecLog("CBGMBuffer::Play");
    if (!buffer_) return false;
    if (playing_) {
        buffer_->Stop();
        playing_ = false;
    }
    WaitStreamIdle(kStopWaitMs);
    {
        std::lock_guard lock(decodeMutex_);
        if (!stream_.IsOpen()) return false; // nothing loaded: after Stop (0) or a failed Read
        buffer_->SetCurrentPosition(0);
        loop_ = loop;
        ended_ = false;
        if (!stream_.Rewind()) {
            stream_.Clear();
            return false;
        }
        DecodeFirstHalf();
    }
    fadeMode_ = fadeInMs > 0 ? 1 : 0;
    fadeTotal_ = fadeInMs;
    fadeElapsed_ = 0;
    paused_ = false;
    pause_.Reset();
    playing_ = true;
    UpdateVolume();
    buffer_->Play(true);
    return true;
}

void CBGMBuffer::Stop(int fadeOutMs) {
    AddExecLog("CBGMBuffer::Stop");
    if (!playing_) return;
    if (paused_ || pause_.IsPaused() || fadeOutMs <= 0) {
        if (buffer_) buffer_->Stop();
        playing_ = false;
        fadeMode_ = 0;
        WaitStreamIdle(kStopWaitMs);
        // Under the decode lock: a thread still decoding after the wait ran out finishes first.
        std::lock_guard lock(decodeMutex_);
        stream_.Clear();
        return;
    }
    fadeMode_ = 2;
    fadeTotal_ = fadeOutMs;
    fadeElapsed_ = 0;
}

void CBGMBuffer::SetPause(bool on) {
    AddExecLog("CBGMBuffer::SetPause");
    pause_.Set(on);
    if (on ? pause_.Count() > 1 || paused_ : pause_.Count() > 0 || !paused_) return;
    paused_ = on;
    if (!buffer_) return;
    if (on) {
        savedStatus_ = buffer_->GetStatus();
        buffer_->Stop();
        return;
    }
    // Lost while paused shows in the status now, not in the one saved at the pause.
    if ((savedStatus_ | buffer_->GetStatus()) & platform::SoundBuffer::kStatusLost)
        buffer_->Restore();
    bool wasPlaying = savedStatus_ & platform::SoundBuffer::kStatusPlaying;
    if (wasPlaying) {
        WaitStreamIdle(kStopWaitMs);
        std::lock_guard lock(decodeMutex_);
        buffer_->SetCurrentPosition(0);
        DecodeFirstHalf();
    }
    if (wasPlaying && playing_) buffer_->Play(true);
}

void CBGMBuffer::SetMute(bool on) {
    AddExecLog("CBGMBuffer::SetMute");
    mute_ = on;
    UpdateVolume();
}

void CBGMBuffer::SetVolume(int volume) {
    AddExecLog("CBGMBuffer::SetVolume");
    volume_ = std::clamp(volume, 0, 255);
    UpdateVolume();
}

bool CBGMBuffer::CheckPlaying(std::string_view name) const {
    AddExecLog("CBGMBuffer::CheckPlaying");
    return playing_ && CmpFName(name, name_);
}

bool CBGMBuffer::SmallVolumeOn() const {
    return settings_ && settings_->MusicSmallVolume();
}

int32_t CBGMBuffer::GetPureVolume() const {
    AddExecLog("CBGMBuffer::GetPureVolume");
    int v = SmallVolumeOn() ? duckedVolume_ : volume_;
    if (fadeMode_ == 1 && fadeTotal_ > 0) v = v * fadeElapsed_ / fadeTotal_;
    if (fadeMode_ == 2 && fadeTotal_ > 0) v = v - v * fadeElapsed_ / fadeTotal_;
    if (mute_) v = 0;
    return VolumeToAttenuation(v);
}

void CBGMBuffer::UpdateVolume() {
    attenuation_ = GetPureVolume();
    if (buffer_) buffer_->SetVolume(attenuation_);
}

int CBGMBuffer::FadeStep(int frameMs) const {
    int speed = settings_ ? settings_->FrameSpeed() : 1;
    if (speed < 1) return frameMs / 2;
    if (speed <= 2) return frameMs * speed;
    return 100000;
}

void CBGMBuffer::Move(int frameMs) {
    AddExecLog("CBGMBuffer::Move");
    if (!playing_) {
        fadeMode_ = 0;
        return;
    }
    if (pause_.IsPaused()) return;
    int step = FadeStep(frameMs);
    if (buffer_ && !(buffer_->GetStatus() & platform::SoundBuffer::kStatusPlaying))
        playing_ = false;
    if (SmallVolumeOn()) {
        duckLevel_ =
            voicePlaying_ ? std::min(duckLevel_ + step, 100) : std::max(duckLevel_ - step, 0);
        int ducked = volume_ - (volume_ / 2) * duckLevel_ / 100;
        if (ducked != duckedVolume_) {
            duckedVolume_ = ducked;
            UpdateVolume();
        }
    } else if (duckedVolume_ != 0) {
        UpdateVolume();
        duckedVolume_ = 0;
    }
    if (finishFade_) {
        fadeElapsed_ = fadeTotal_;
        finishFade_ = false;
    }
    if (fadeMode_ == 1 || fadeMode_ == 2) {
        UpdateVolume();
        if (fadeElapsed_ >= fadeTotal_) {
            if (fadeMode_ == 2) Stop(0);
            fadeMode_ = 0;
        } else {
            fadeElapsed_ = std::min(fadeElapsed_ + step, fadeTotal_);
        }
    }
}

void CBGMBuffer::StreamThread() {
    for (;;) {
        int k = signals_->Next();
        if (k < 0) return;
        if (playing_) RefillQuarter((k + 2) % 4);
        signals_->Done(k);
    }
}

void CBGMBuffer::RefillQuarter(int quarter) {
    std::lock_guard lock(decodeMutex_);
    if (!buffer_ || !playing_) return;
    // The data ended: let the buffer play out what is decoded and stop at its end.
    if (quarter == 0 && ended_ && (buffer_->GetStatus() & platform::SoundBuffer::kStatusLooping))
        buffer_->Play(false);
    void *p1 = nullptr, *p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    if (!buffer_->Lock(static_cast<uint32_t>(quarter) * quarter_, quarter_, &p1, &n1, &p2, &n2))
        return;
    bool more = !ended_ && stream_.Decode(static_cast<uint8_t*>(p1), n1, loop_);
    if (ended_) std::fill_n(static_cast<uint8_t*>(p1), n1, 0);
    if (!more) ended_ = true;
    buffer_->Unlock(p1, n1, p2, n2);
}

} // namespace qw
