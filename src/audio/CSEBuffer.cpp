#include "audio/CSEBuffer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "audio/CDSound.h"
#include "audio/OggStream.h"
#include "audio/VolumeTable.h"
#include "common/ExecLog.h"
#include "common/Text.h"
#include "files/MemberSource.h"
#include "platform/CodePage.h"
#include "platform/SoundMixer.h"

namespace qw {

namespace {

// The largest decoded sound: the size field of a sound buffer keeps below this.
constexpr uint64_t kMaxDecodedBytes = 0x0FFFFFFF;

void Complain(std::string_view name, const std::string& why) {
    std::fprintf(stderr, "quillwork: sound effect %s %s\n", platform::GameToUtf8Lossy(name).c_str(),
                 why.c_str());
}

std::string_view NameOf(const std::array<char, CSEBuffer::kNameSize>& name) {
    return {name.data(), strnlen(name.data(), name.size())};
}

} // namespace

CSEBuffer::CSEBuffer() = default;

CSEBuffer::~CSEBuffer() {
    CSEBuffer::Release();
}

bool CSEBuffer::Initialize(CDSound* device, IMemberSource* archive) {
    AddExecLog("CSEBuffer::Initialize");
    Release();
    device_ = device;
    archive_ = archive;
    volume_ = 255;
    mute_ = false;
    paused_ = false;
    pause_.Reset();
    releaseTimer_ = 0;
    return true;
}

void CSEBuffer::Release() {
    AddExecLog("CSEBuffer::Release");
    for (Channel& c : channels_) {
        if (c.buffer) c.buffer->Stop();
        c = Channel{};
    }
    for (Sound& s : sounds_)
        s = Sound{};
}

const CSEBuffer::Sound* CSEBuffer::GetSound(int index) const {
    return index >= 0 && index < kSoundCount ? &sounds_[static_cast<size_t>(index)] : nullptr;
}

const CSEBuffer::Channel* CSEBuffer::GetChannel(int channel) const {
    return channel >= 1 && channel <= kChannelCount ? &channels_[static_cast<size_t>(channel - 1)]
                                                    : nullptr;
}

CSEBuffer::Channel* CSEBuffer::UsedChannel(int channel) {
    return const_cast<Channel*>(std::as_const(*this).UsedChannel(channel));
}

const CSEBuffer::Channel* CSEBuffer::UsedChannel(int channel) const {
    const Channel* c = GetChannel(channel);
    return c && c->buffer ? c : nullptr;
}

int CSEBuffer::FindSound(std::string_view name) const {
    for (int i = 0; i < kSoundCount; ++i) {
        const Sound& s = sounds_[static_cast<size_t>(i)];
        if (s.master && EqualsNoCase(NameOf(s.name), name)) return i;
    }
    return -1;
}

std::optional<Bytes> CSEBuffer::LoadFile(std::string_view name, std::string& why) {
    std::optional<Bytes> bytes = archive_ ? archive_->ReadMember(name) : std::nullopt;
    if (!bytes) why = "cannot be read";
    return bytes;
}

int CSEBuffer::Read(std::string_view name) {
    AddExecLog("CSEBuffer::Read");
    if (!device_) return 0;
    // The name must fit the table's 32 bytes (and the save file's slot record) whole.
    if (name.size() >= kNameSize) {
        Complain(name, "has a name longer than 31 bytes");
        return 0;
    }
    int channel = -1;
    for (int i = 0; i < kChannelCount && channel < 0; ++i)
        if (!channels_[static_cast<size_t>(i)].buffer) channel = i;
    if (channel < 0) {
        Complain(name, "finds no free channel (256 in use)");
        return 0;
    }
    int sound = FindSound(name);
    if (sound < 0) {
        for (int i = 0; i < kSoundCount && sound < 0; ++i)
            if (!sounds_[static_cast<size_t>(i)].master) sound = i;
        if (sound < 0) {
            Complain(name, "finds no free sound entry (256 in use)");
            return 0;
        }
        std::string why;
        std::optional<Bytes> bytes = LoadFile(name, why);
        std::shared_ptr<platform::SoundBuffer> master;
        if (bytes) master = OggDecode(*bytes, why);
        if (!master) {
            Complain(name, why);
            return 0;
        }
        Sound& s = sounds_[static_cast<size_t>(sound)];
        s = Sound{};
        std::memcpy(s.name.data(), name.data(), name.size());
        s.master = std::move(master);
    }
    Sound& s = sounds_[static_cast<size_t>(sound)];
    std::shared_ptr<platform::SoundBuffer> copy = s.master->Duplicate();
    if (!copy) {
        Complain(name, "cannot be given a channel");
        return 0;
    }
    ++s.uses;
    Channel& c = channels_[static_cast<size_t>(channel)];
    c = Channel{};
    c.buffer = std::move(copy);
    c.sound = sound;
    return channel + 1;
}

bool CSEBuffer::DecodeInto(std::span<const uint8_t> bytes, platform::SoundBuffer* buffer,
                           std::shared_ptr<platform::SoundBuffer>* made, std::string& why) {
    OggStream stream;
    if (!stream.OpenMemory(bytes, why)) return false;
    const platform::SoundFormat format = stream.Format();
    uint64_t size = 0;
    if (!DecodedSize(stream.PcmTotal(), format, size, why)) return false;
    if (made) {
        // A new sound is decoded straight into the samples its buffer then takes over.
        if (!device_) {
            why = "cannot be given a sound buffer";
            return false;
        }
        std::vector<int16_t> samples(static_cast<size_t>(size / 2));
        bool ok = stream.Decode(reinterpret_cast<uint8_t*>(samples.data()), size, false) ||
                  stream.IsOpen();
        if (!ok) {
            why = "failed to decode";
            return false;
        }
        if (!device_->MakeSoundBuffer(*made, format, std::move(samples))) {
            why = "cannot be given a sound buffer";
            return false;
        }
        return true;
    }
    if (!(buffer->Format() == format) || buffer->Size() != size) {
        why = "no longer fits its buffer";
        return false;
    }
    void *p1 = nullptr, *p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    if (!buffer->Lock(0, 0, &p1, &n1, &p2, &n2, true)) {
        why = "cannot be written into its buffer";
        return false;
    }
    // The end of the stream before the count leaves zeros; an error closes the stream.
    bool ok = stream.Decode(static_cast<uint8_t*>(p1), n1, false) || stream.IsOpen();
    buffer->Unlock(p1, n1, p2, n2);
    if (!ok) why = "failed to decode";
    return ok;
}

bool CSEBuffer::DecodedSize(int64_t frames, const platform::SoundFormat& format, uint64_t& bytes,
                            std::string& why) {
    if (frames < 0) {
        why = "has no sample count";
        return false;
    }
    // Compared in frames first, so that the product cannot wrap.
    const uint64_t align = static_cast<uint64_t>(format.BlockAlign());
    if (static_cast<uint64_t>(frames) > kMaxDecodedBytes / align) {
        why = "decodes to more than 0x0FFFFFFF bytes";
        return false;
    }
    if (frames == 0) {
        why = "holds no samples";
        return false;
    }
    bytes = static_cast<uint64_t>(frames) * align;
    return true;
}

std::shared_ptr<platform::SoundBuffer> CSEBuffer::OggDecode(std::span<const uint8_t> bytes,
                                                            std::string& why) {
    AddExecLog("CSEBuffer::OggDecode");
    std::shared_ptr<platform::SoundBuffer> made;
    if (!DecodeInto(bytes, nullptr, &made, why)) return nullptr;
    return made;
}

bool CSEBuffer::OggDecodeForLost(std::span<const uint8_t> bytes, platform::SoundBuffer& buffer,
                                 std::string& why) {
    AddExecLog("CSEBuffer::OggDecodeForLost");
    return DecodeInto(bytes, &buffer, nullptr, why);
}

void CSEBuffer::ApplyVolume(Channel& c) {
    c.buffer->SetVolume(VolumeToAttenuation(mute_ ? 0 : volume_ * c.fadeFactor / 255));
}

void CSEBuffer::UpdateVolume() {
    for (Channel& c : channels_)
        if (c.buffer) ApplyVolume(c);
}

bool CSEBuffer::Play(int channel, int fadeInMs, bool loop) {
    AddExecLog("CSEBuffer::Play");
    Channel* c = device_ ? UsedChannel(channel) : nullptr;
    if (!c) return false;
    c->buffer->Stop();
    c->fadeMode = fadeInMs > 0 ? 1 : 0;
    c->fadeTotal = fadeInMs;
    c->fadeElapsed = 0;
    c->completeFade = 0;
    c->active = 1;
    c->autoFree = 0;
    // A fade-in starts from silence, not from a burst at full volume until the first Move.
    c->fadeFactor = c->fadeMode == 1 ? 0 : 255;
    c->loop = loop;
    ApplyVolume(*c);
    c->buffer->SetCurrentPosition(0);
    if (paused_) {
        // Started during a pause: it starts when the pause ends, like the channels it stopped.
        c->savedStatus = platform::SoundBuffer::kStatusPlaying;
    } else {
        c->buffer->Play(loop);
    }
    return true;
}

int CSEBuffer::PlayAutoFree(std::string_view name, int fadeInMs) {
    AddExecLog("CSEBuffer::PlayAutoFree");
    int channel = Read(name);
    if (channel == 0) return 0;
    Play(channel, fadeInMs, false);
    channels_[static_cast<size_t>(channel - 1)].autoFree = 1;
    return channel;
}

void CSEBuffer::Stop(int channel, int fadeOutMs) {
    AddExecLog("CSEBuffer::Stop");
    Channel* c = UsedChannel(channel);
    if (!c) return;
    if (fadeOutMs > 0) {
        c->fadeMode = 2;
        c->fadeTotal = fadeOutMs;
        c->fadeElapsed = 0;
        return;
    }
    c->fadeMode = 0;
    c->buffer->Stop();
}

bool CSEBuffer::IsPlay(int channel) const {
    AddExecLog("CSEBuffer::IsPlay");
    const Channel* c = UsedChannel(channel);
    return c && c->active;
}

int CSEBuffer::GetFadeMode(int channel) const {
    AddExecLog("CSEBuffer::GetFadeMode");
    const Channel* c = UsedChannel(channel);
    return c ? c->fadeMode : 0;
}

void CSEBuffer::FinishFade(int channel) {
    if (Channel* c = UsedChannel(channel)) c->completeFade = 1;
}

void CSEBuffer::Free(int channel) {
    AddExecLog("CSEBuffer::Free");
    Channel* c = UsedChannel(channel);
    if (!c) return;
    c->buffer->Stop();
    --sounds_[static_cast<size_t>(c->sound)].uses;
    *c = Channel{};
}

void CSEBuffer::SetVolume(int volume) {
    AddExecLog("CSEBuffer::SetVolume");
    volume_ = std::clamp(volume, 0, 255);
    UpdateVolume();
}

void CSEBuffer::SetMute(bool on) {
    AddExecLog("CSEBuffer::SetMute");
    mute_ = on;
    UpdateVolume();
}

void CSEBuffer::SetPause(bool on) {
    AddExecLog("CSEBuffer::SetPause");
    pause_.Set(on);
    if (on ? pause_.Count() > 1 || paused_ : pause_.Count() > 0 || !paused_) return;
    paused_ = on;
    if (on) {
        for (Channel& c : channels_) {
            if (!c.buffer) continue;
            c.savedStatus = c.buffer->GetStatus();
            c.buffer->Stop();
        }
        return;
    }
    // Lost sounds are decoded again from their files.
    for (Sound& s : sounds_) {
        if (!s.master || !(s.master->GetStatus() & platform::SoundBuffer::kStatusLost)) continue;
        s.master->Restore();
        std::string why;
        std::optional<Bytes> bytes = LoadFile(NameOf(s.name), why);
        if (!bytes || !OggDecodeForLost(*bytes, *s.master, why)) Complain(NameOf(s.name), why);
    }
    for (Channel& c : channels_) {
        if (!c.buffer) continue;
        if (c.buffer->GetStatus() & platform::SoundBuffer::kStatusLost) c.buffer->Restore();
        if ((c.savedStatus & platform::SoundBuffer::kStatusPlaying) && c.active) {
            ApplyVolume(c);
            c.buffer->Play(c.loop);
        }
    }
}

void CSEBuffer::Move(int frameMs) {
    AddExecLog("CSEBuffer::Move");
    if (!device_ || paused_) return;
    bool update = false;
    for (int i = 0; i < kChannelCount; ++i) {
        Channel& c = channels_[static_cast<size_t>(i)];
        if (!c.buffer) continue;
        if (!(c.buffer->GetStatus() & platform::SoundBuffer::kStatusPlaying)) {
            c.active = 0;
            if (c.autoFree) Free(i + 1);
            continue;
        }
        if (c.completeFade) {
            c.fadeElapsed = c.fadeTotal;
            c.completeFade = 0;
        }
        if (c.fadeMode == 1 || c.fadeMode == 2) {
            int f = c.fadeElapsed * 255 / c.fadeTotal;
            c.fadeFactor = c.fadeMode == 1 ? f : 255 - f;
            update = true;
            if (c.fadeElapsed < c.fadeTotal) {
                c.fadeElapsed = std::min(c.fadeElapsed + frameMs, c.fadeTotal);
            } else {
                if (c.fadeMode == 2) Stop(i + 1, 0);
                c.fadeMode = 0;
            }
        }
    }
    if (update) UpdateVolume();
    if (releaseTimer_ <= kSweepMs) {
        releaseTimer_ += frameMs;
        return;
    }
    for (Sound& s : sounds_)
        if (s.master && s.uses <= 0) s = Sound{};
    releaseTimer_ = 0;
}

SESlotRecord CSEBuffer::GetSlotRecord(int channel) const {
    SESlotRecord r;
    const Channel* c = UsedChannel(channel);
    if (!c) return r;
    r.name = sounds_[static_cast<size_t>(c->sound)].name;
    r.playing = c->active;
    r.loop = c->loop;
    return r;
}

int CSEBuffer::RestoreSlot(int32_t oldChannel, const SESlotRecord& record) {
    AddExecLog("CSEBuffer::RestoreSlot");
    if (oldChannel != 0) {
        Stop(oldChannel, 0);
        Free(oldChannel);
    }
    std::string_view name = NameOf(record.name);
    if (name.empty()) return 0;
    int channel = Read(name);
    if (channel != 0 && record.playing) Play(channel, 0, record.loop != 0);
    return channel;
}

void CSEBuffer::WriteSlotRecord(const SESlotRecord& record, uint8_t* out34) {
    std::memcpy(out34, record.name.data(), record.name.size());
    out34[32] = record.playing;
    out34[33] = record.loop;
}

SESlotRecord CSEBuffer::ReadSlotRecord(const uint8_t* in34) {
    SESlotRecord r;
    std::memcpy(r.name.data(), in34, r.name.size());
    r.name.back() = 0; // a name that fills the field is cut to 31 bytes
    r.playing = in34[32];
    r.loop = in34[33];
    return r;
}

} // namespace qw
