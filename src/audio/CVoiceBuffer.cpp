#include "audio/CVoiceBuffer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "audio/CDSound.h"
#include "audio/QuarterSignals.h"
#include "audio/VolumeTable.h"
#include "common/ExecLog.h"
#include "common/Text.h"
#include "platform/CodePage.h"
#include "platform/SoundMixer.h"

namespace qw {

namespace {

// How long the headless mixer waits for a refill before it mixes on.
constexpr int kHandoverWaitMs = 5000;

void Complain(std::string_view name, const std::string& why) {
    std::fprintf(stderr, "quillwork: voice %s %s\n", platform::GameToUtf8Lossy(name).c_str(),
                 why.c_str());
}

} // namespace

CVoiceBuffer::CVoiceBuffer() = default;

CVoiceBuffer::~CVoiceBuffer() {
    if (thread_.joinable()) CVoiceBuffer::Release();
}

bool CVoiceBuffer::Initialize(CDSound* device, IMemberSource* archive) {
    AddExecLog("CVoiceBuffer::Initialize");
    device_ = device;
    archive_ = archive;
    if (!thread_.joinable()) {
        signals_ = std::make_shared<QuarterSignals>(kHandoverWaitMs);
        thread_ = std::thread([this] { StreamThread(); });
    }
    return true;
}

void CVoiceBuffer::Release() {
    AddExecLog("CVoiceBuffer::Release");
    Stop(0);
    StreamClose();
    if (thread_.joinable()) {
        signals_->Exit();
        thread_.join();
    }
    std::lock_guard lock(refillMutex_);
    buffer_.reset();
}

void CVoiceBuffer::StreamClose() {
    std::lock_guard lock(decodeMutex_);
    stream_.Clear();
    image_.clear();
    member_.reset();
    name_.clear();
}

bool CVoiceBuffer::Read(std::string_view name, bool fromFile) {
    AddExecLog("CVoiceBuffer::Read");
    Stop(0);
    StreamClose();
    if (!device_) return false;
    if (name.size() >= kNameSize) {
        Complain(name, "has a name longer than 259 bytes");
        return false;
    }
    std::string why;
    {
        std::lock_guard lock(decodeMutex_);
        bool open = false;
        if (fromFile) {
            member_ = archive_ ? archive_->OpenStream(name) : std::nullopt;
            if (!member_)
                why = "cannot be found";
            else
                open = stream_.OpenMember(*member_, why);
        } else {
            std::optional<Bytes> bytes = archive_ ? archive_->ReadMember(name) : std::nullopt;
            if (!bytes) {
                why = "cannot be read";
            } else {
                image_ = std::move(*bytes);
                open = stream_.OpenMemory(image_, why);
            }
        }
        if (!open) {
            stream_.Clear();
            image_.clear();
            member_.reset();
        }
    }
    if (!why.empty()) {
        Complain(name, why);
        return false;
    }
    fromFile_ = fromFile;
    const platform::SoundFormat format = stream_.Format();
    std::lock_guard lock(refillMutex_);
    if (buffer_ && !(buffer_->Format() == format)) buffer_.reset();
    if (!buffer_) {
        uint32_t size = static_cast<uint32_t>(static_cast<uint64_t>(format.BytesPerSecond()) *
                                              kBufferMs / 1000);
        size -= size % static_cast<uint32_t>(format.BlockAlign() * 4);
        if (!device_->MakeSoundBuffer(buffer_, format, size)) {
            std::lock_guard decode(decodeMutex_);
            stream_.Clear();
            image_.clear();
            member_.reset();
            Complain(name, "cannot be given a sound buffer");
            return false;
        }
        quarter_ = size / 4;
        uint32_t align = static_cast<uint32_t>(format.BlockAlign());
        buffer_->SetNotificationPositions(
            {quarter_ - align, 2 * quarter_ - align, 3 * quarter_ - align, 4 * quarter_ - align},
            signals_);
    }
    name_ = std::string(name);
    return true;
}

bool CVoiceBuffer::DecodeFirstHalf() {
    void *p1 = nullptr, *p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    if (!buffer_->Lock(0, quarter_ * 2, &p1, &n1, &p2, &n2)) return true;
    bool more = stream_.Decode(static_cast<uint8_t*>(p1), n1, loop_);
    buffer_->Unlock(p1, n1, p2, n2);
    return more;
}

bool CVoiceBuffer::Play(int fadeInMs, bool loop) {
    AddExecLog("CVoiceBuffer::Play");
    if (!buffer_) return false;
    if (playing_) {
        buffer_->Stop();
        playing_ = false;
        signals_->WaitIdle();
    }
    {
        std::lock_guard refill(refillMutex_);
        std::lock_guard decode(decodeMutex_);
        if (!stream_.IsOpen()) return false; // nothing loaded: after Stop (0) or a failed Read
        buffer_->SetCurrentPosition(0);
        loop_ = loop;
        ended_ = false;
        endCount_ = 0;
        if (!stream_.Rewind()) {
            stream_.Clear();
            return false;
        }
        if (!DecodeFirstHalf()) ended_ = true;
    }
    paused_ = false;
    pause_.Reset();
    bypass_ = false;
    fadeElapsed_ = 0;
    fadeMode_ = fadeInMs > 0 ? 1 : 0;
    fadeTotal_ = fadeInMs;
    playing_ = true;
    ChangeVoiceVol();
    // A voice that ended inside the first half plays it once; the thread stops it after that.
    buffer_->Play(!ended_);
    return true;
}

void CVoiceBuffer::Stop(int fadeOutMs) {
    AddExecLog("CVoiceBuffer::Stop");
    if (fadeOutMs > 0) {
        fadeMode_ = 2;
        fadeTotal_ = fadeOutMs;
        fadeElapsed_ = 0;
        return;
    }
    {
        std::lock_guard refill(refillMutex_);
        endCount_ = 0;
        if (buffer_) buffer_->Stop();
        playing_ = false;
    }
    if (signals_) signals_->WaitIdle();
    {
        std::lock_guard decode(decodeMutex_);
        stream_.Clear();
    }
    fadeMode_ = 0;
    paused_ = false;
    pause_.Reset();
}

void CVoiceBuffer::SetPause(bool on) {
    AddExecLog("CVoiceBuffer::SetPause");
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
    const bool wasPlaying = savedStatus_ & platform::SoundBuffer::kStatusPlaying;
    if (!wasPlaying || !playing_ || ended_) return;
    signals_->WaitIdle();
    {
        // The stream goes on from where the thread left it.
        std::lock_guard refill(refillMutex_);
        std::lock_guard decode(decodeMutex_);
        buffer_->SetCurrentPosition(0);
        endCount_ = 0;
        if (!DecodeFirstHalf()) ended_ = true;
    }
    buffer_->Play(!ended_);
}

void CVoiceBuffer::SetVolume(int volume) {
    AddExecLog("CVoiceBuffer::SetVolume");
    volume_ = std::clamp(volume, 0, 255);
    ChangeVoiceVol();
}

void CVoiceBuffer::SetMute(bool on) {
    AddExecLog("CVoiceBuffer::SetMute");
    mute_ = on;
    ChangeVoiceVol();
}

void CVoiceBuffer::SetCharaMute(int character, bool on) {
    AddExecLog("CVoiceBuffer::SetCharaMute");
    if (character < 0 || character >= kCharacters) return;
    charaMute_[static_cast<size_t>(character)] = on;
    ChangeVoiceVol();
}

bool CVoiceBuffer::IsCharaMuted(int character) const {
    return character >= 0 && character < kCharacters && charaMute_[static_cast<size_t>(character)];
}

void CVoiceBuffer::SetMuteBypass(bool on) {
    bypass_ = on;
    ChangeVoiceVol();
}

void CVoiceBuffer::ChangeVoiceVol() {
    if (!buffer_ || !playing_) return;
    attenuation_ = GetPureVol();
    buffer_->SetVolume(attenuation_);
}

int CVoiceBuffer::GetCharaNo(std::string_view name) const {
    AddExecLog("CVoiceBuffer::GetCharaNo");
    for (int i = 0; i < charaCount_; ++i) {
        for (const auto& p : prefixes_[static_cast<size_t>(i)]) {
            size_t n = strnlen(p.data(), p.size());
            if (n > 0 && n < name.size() && EqualsNoCase(name.substr(0, n), {p.data(), n}))
                return i;
        }
    }
    return kUnmatchedCharacter;
}

void CVoiceBuffer::SetCharaPrefix(int character, int index, std::string_view prefix) {
    if (character < 0 || character >= kCharacters || index < 0 || index >= kPrefixes) return;
    auto& p = prefixes_[static_cast<size_t>(character)][static_cast<size_t>(index)];
    p.fill(0);
    std::memcpy(p.data(), prefix.data(), std::min(prefix.size(), p.size() - 1));
    charaCount_ = std::max(charaCount_, character + 1);
}

int32_t CVoiceBuffer::GetPureVol() const {
    AddExecLog("CVoiceBuffer::GetPureVol");
    int v = volume_;
    if (fadeMode_ == 1 && fadeTotal_ > 0) v = v * fadeElapsed_ / fadeTotal_;
    if (fadeMode_ == 2 && fadeTotal_ > 0) v = v - v * fadeElapsed_ / fadeTotal_;
    bool muted = mute_ || IsCharaMuted(GetCharaNo(name_));
    return VolumeToAttenuation(bypass_ || !muted ? v : 0);
}

void CVoiceBuffer::Move(int frameMs) {
    AddExecLog("CVoiceBuffer::Move");
    if (!playing_ || paused_) return;
    if (buffer_ && !(buffer_->GetStatus() & platform::SoundBuffer::kStatusPlaying))
        playing_ = false;
    if (fadeMode_ != 1 && fadeMode_ != 2) return;
    ChangeVoiceVol();
    if (fadeElapsed_ >= fadeTotal_) {
        if (fadeMode_ == 2) Stop(0);
        fadeMode_ = 0;
    } else {
        fadeElapsed_ = std::min(fadeElapsed_ + frameMs, fadeTotal_);
    }
}

void CVoiceBuffer::StreamThread() {
    for (;;) {
        int k = signals_->Next();
        if (k < 0) return;
        if (playing_) RefillQuarter((k + 2) % 4);
        signals_->Done(k);
    }
}

void CVoiceBuffer::RefillQuarter(int quarter) {
    std::lock_guard refill(refillMutex_);
    if (!buffer_ || !playing_) return;
    // One quarter after the quarter the data ended in has played, the buffer stops.
    if (ended_ && ++endCount_ >= 2) {
        buffer_->Stop();
        endCount_ = 0;
        return;
    }
    void *p1 = nullptr, *p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    if (!buffer_->Lock(static_cast<uint32_t>(quarter) * quarter_, quarter_, &p1, &n1, &p2, &n2))
        return;
    std::memset(p1, 0, n1);
    {
        std::lock_guard decode(decodeMutex_);
        if (!ended_ && !stream_.Decode(static_cast<uint8_t*>(p1), n1, loop_)) ended_ = true;
    }
    buffer_->Unlock(p1, n1, p2, n2);
}

} // namespace qw
