#pragma once
// Voices: one spoken line at a time. Like the music it decodes Ogg Vorbis into a looping sound
// buffer from a thread of its own, a quarter at a time and one quarter ahead, but the buffer is
// four seconds long, the file is read either whole into memory or straight from the archive on
// a handle of its own, the buffer stops itself shortly after the data end, and the voice can be
// muted as a whole or per speaking character, found from the file name's prefix.
//
// Two locks: the thread holds the refill lock while it refills a quarter, and every decode, on
// either thread, runs under the decode lock. Stop (0) waits for the thread to be idle, without a
// time limit, before the decoder is cleared.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "audio/OggStream.h"
#include "common/Bytes.h"
#include "common/PauseNesting.h"
#include "files/MemberSource.h"

namespace qw {

class CDSound;
class QuarterSignals;

namespace platform {
class SoundBuffer;
}

class CVoiceBuffer {
public:
    static constexpr int kBufferMs = 4000;
    static constexpr size_t kNameSize = 260; // with its terminating zero
    static constexpr int kCharacters = 256;
    static constexpr int kPrefixes = 32;
    static constexpr size_t kPrefixSize = 8; // with its terminating zero
    static constexpr int kUnmatchedCharacter = 8;

    CVoiceBuffer();
    virtual ~CVoiceBuffer();
    CVoiceBuffer(const CVoiceBuffer&) = delete;
    CVoiceBuffer& operator=(const CVoiceBuffer&) = delete;

    virtual bool Initialize(CDSound* device, IMemberSource* archive);
    virtual void Release();
    // Stops the voice and loads `name`, whole into memory or (fromFile) streamed from the
    // archive. False, with one line on stderr, when it cannot be read.
    virtual bool Read(std::string_view name, bool fromFile);
    virtual bool Play(int fadeInMs, bool loop);
    virtual void Stop(int fadeOutMs);
    virtual void SetPause(bool on);
    virtual void SetVolume(int volume);
    virtual void SetMute(bool on);
    virtual void SetCharaMute(int character, bool on);
    // The mutes are ignored until the next Play.
    void SetMuteBypass(bool on);
    virtual void Move(int frameMs);

    // The character the name's prefix belongs to; 8 when no prefix matches.
    int GetCharaNo(std::string_view name) const;
    // Fills prefix `index` (0-31) of `character` (0-255); prefixes of 8 bytes and more are cut.
    void SetCharaPrefix(int character, int index, std::string_view prefix);
    int GetCharaCount() const { return charaCount_; }
    // The attenuation the volume, the fade and the mutes give now.
    int32_t GetPureVol() const;

    bool IsPlaying() const { return playing_; }
    bool HasEnded() const { return ended_; }
    bool IsMemoryForm() const { return !fromFile_; }
    bool IsMuted() const { return mute_; }
    bool IsCharaMuted(int character) const;
    int GetVolume() const { return volume_; }
    int GetPauseCount() const { return pause_.Count(); }
    int GetFadeMode() const { return fadeMode_; }
    int32_t GetAttenuation() const { return attenuation_; }
    const std::string& GetName() const { return name_; }
    const platform::SoundBuffer* GetSoundBuffer() const { return buffer_.get(); }

private:
    void StreamThread();
    void RefillQuarter(int quarter);
    void StreamClose();
    void ChangeVoiceVol();
    // Decodes the first half of the buffer; false when the data ended inside it.
    bool DecodeFirstHalf();

    CDSound* device_ = nullptr;
    IMemberSource* archive_ = nullptr;
    std::string name_;
    bool fromFile_ = false;
    Bytes image_;                        // the memory form: the whole file
    std::optional<MemberStream> member_; // the file form: the member on its own handle
    OggStream stream_;
    std::shared_ptr<platform::SoundBuffer> buffer_;
    uint32_t quarter_ = 0;
    std::shared_ptr<QuarterSignals> signals_;
    std::thread thread_;
    std::mutex refillMutex_; // held by the thread while it refills; guards buffer_ and endCount_
    std::mutex decodeMutex_; // held around every decode and every change of the decoder
    std::atomic<bool> playing_{false};
    std::atomic<bool> loop_{true};
    std::atomic<bool> ended_{false};
    int endCount_ = 0; // quarters refilled since the data ended
    bool paused_ = false;
    PauseNesting pause_;
    uint32_t savedStatus_ = 0;
    int volume_ = 255;
    bool mute_ = false;
    // Every character GetCharaNo can answer has its mute.
    std::array<bool, kCharacters> charaMute_{};
    bool bypass_ = false;
    int fadeMode_ = 0;
    int fadeTotal_ = 0;
    int fadeElapsed_ = 0;
    int32_t attenuation_ = -10000;
    std::array<std::array<std::array<char, kPrefixSize>, kPrefixes>, kCharacters> prefixes_{};
    int charaCount_ = 0;
};

} // namespace qw
