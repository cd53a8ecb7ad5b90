#pragma once
// Sound effects. Each sound file is decoded whole, once, into one buffer (the sound's master);
// every playback gets a duplicate of it (a channel) that shares the master's samples, so one
// sound plays on several channels at once. Channels fade in and out, may free themselves when
// they stop, pause together, and are decoded again by name when their buffer was lost. Sounds
// that no channel uses are released by a sweep every ten seconds of frame time.
//
// Channel numbers are 1-256; 0 means none. A number outside 1-256, or a free channel, plays
// nothing: IsPlay answers false and GetFadeMode 0, and Play, Stop and Free do nothing.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/Bytes.h"
#include "common/PauseNesting.h"

namespace qw {

class CDSound;
class IMemberSource;

namespace platform {
class SoundBuffer;
struct SoundFormat;
} // namespace platform

// One sound-effect slot as the save file keeps it: the name the slot's channel was read under,
// whether it plays and whether it loops; 34 zero bytes for an empty slot.
struct SESlotRecord {
    static constexpr size_t kSize = 34;
    std::array<char, 32> name{};
    uint8_t playing = 0;
    uint8_t loop = 0;
};

class CSEBuffer {
public:
    static constexpr int kSoundCount = 256;
    static constexpr int kChannelCount = 256;
    static constexpr size_t kNameSize = 32; // with its terminating zero
    static constexpr int kSweepMs = 10000;

    struct Sound {
        std::array<char, kNameSize> name{};
        int32_t uses = 0;
        std::shared_ptr<platform::SoundBuffer> master; // null: entry free
    };
    struct Channel {
        std::shared_ptr<platform::SoundBuffer> buffer; // null: channel free
        int32_t sound = 0;
        uint8_t autoFree = 0;
        int32_t fadeFactor = 255;
        uint8_t active = 0;
        uint8_t loop = 0;
        int32_t fadeMode = 0; // 0 none, 1 in, 2 out
        int32_t fadeTotal = 0;
        int32_t fadeElapsed = 0;
        uint32_t savedStatus = 0;
        uint8_t completeFade = 0;
    };

    CSEBuffer();
    virtual ~CSEBuffer();
    CSEBuffer(const CSEBuffer&) = delete;
    CSEBuffer& operator=(const CSEBuffer&) = delete;

    virtual bool Initialize(CDSound* device, IMemberSource* archive);
    virtual void Release();

    // A channel prepared for the named sound, not started; 0 when none is free, the name is
    // longer than 31 bytes or the sound cannot be read (one line on stderr says why).
    virtual int Read(std::string_view name);
    virtual bool Play(int channel, int fadeInMs, bool loop);
    // Read, then Play without looping; the channel frees itself once it has stopped.
    virtual int PlayAutoFree(std::string_view name, int fadeInMs);
    virtual void Stop(int channel, int fadeOutMs);
    virtual bool IsPlay(int channel) const;
    virtual int GetFadeMode(int channel) const;
    // The running fade ends at the next Move.
    virtual void FinishFade(int channel);
    virtual void Free(int channel);

    virtual void SetVolume(int volume);
    virtual void SetMute(bool on);
    virtual void SetPause(bool on);
    virtual void Move(int frameMs);

    // The save file's record of the slot holding `channel` (0: an empty slot), and the way back:
    // the slot's old channel is stopped and freed, the named sound read again and, when it
    // played, played without fade. Returns the new channel (0 for an empty record or a failed
    // read).
    SESlotRecord GetSlotRecord(int channel) const;
    int RestoreSlot(int32_t oldChannel, const SESlotRecord& record);
    static void WriteSlotRecord(const SESlotRecord& record, uint8_t* out34);
    static SESlotRecord ReadSlotRecord(const uint8_t* in34);

    // Decodes a whole Ogg Vorbis file into a new buffer; null with the reason in `why`.
    std::shared_ptr<platform::SoundBuffer> OggDecode(std::span<const uint8_t> bytes,
                                                     std::string& why);
    // The bytes a whole decode of `frames` takes: false with the reason when the decoder could
    // not count them, there are none, or they exceed 0x0FFFFFFF bytes.
    static bool DecodedSize(int64_t frames, const platform::SoundFormat& format, uint64_t& bytes,
                            std::string& why);
    // The same decode into a restored buffer of the same size and format.
    bool OggDecodeForLost(std::span<const uint8_t> bytes, platform::SoundBuffer& buffer,
                          std::string& why);

    bool IsMuted() const { return mute_; }
    int GetVolume() const { return volume_; }
    int GetPauseCount() const { return pause_.Count(); }
    int GetReleaseTimer() const { return releaseTimer_; }
    // Null for a number outside the tables.
    const Sound* GetSound(int index) const;
    const Channel* GetChannel(int channel) const;

private:
    Channel* UsedChannel(int channel);
    const Channel* UsedChannel(int channel) const;
    void UpdateVolume();
    void ApplyVolume(Channel& c);
    int FindSound(std::string_view name) const;
    std::optional<Bytes> LoadFile(std::string_view name, std::string& why);
    bool DecodeInto(std::span<const uint8_t> bytes, platform::SoundBuffer* buffer,
                    std::shared_ptr<platform::SoundBuffer>* made, std::string& why);

    CDSound* device_ = nullptr;
    IMemberSource* archive_ = nullptr;
    std::array<Sound, kSoundCount> sounds_{};
    std::array<Channel, kChannelCount> channels_{};
    bool mute_ = false;
    int volume_ = 255;
    bool paused_ = false;
    PauseNesting pause_;
    int releaseTimer_ = 0;
};

} // namespace qw
