#pragma once
// Background music: one piece at a time from an Ogg Vorbis file held in memory, decoded by a
// thread of its own into a looping eight-second sound buffer, a quarter (two seconds) at a time
// and one quarter ahead of the play position. It loops, fades in and out, pauses with nesting
// and lowers itself while a voice plays. The operations are virtual so that screens and tests
// can work against another implementation.

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "audio/AudioSettingsView.h"
#include "audio/OggStream.h"
#include "common/Bytes.h"
#include "common/PauseNesting.h"

namespace qw {

class CDSound;
class IMemberSource;
class QuarterSignals;

namespace platform {
class SoundBuffer;
}

// True when both names are equal up to their first "." (case-insensitive).
bool CmpFName(std::string_view a, std::string_view b);

class CBGMBuffer {
public:
    CBGMBuffer();
    virtual ~CBGMBuffer();

    virtual bool Initialize(CDSound* device, IMemberSource* archive);
    virtual void Release();
    void SetSettings(const AudioSettingsView* settings) { settings_ = settings; }
    // Loads a piece without starting it. False without a device or when it cannot be read.
    virtual bool Read(std::string_view name);
    // Reads a file whole ahead of time, for a later Read of the same name.
    virtual bool Cache(std::string_view name);
    // False with no piece loaded (after Stop (0) or a failed Read).
    virtual bool Play(int fadeInMs, bool loop);
    virtual void Stop(int fadeOutMs);
    virtual void SetPause(bool on);
    virtual void SetMute(bool on);
    virtual void SetVolume(int volume);
    // Playing, and `name` is the current piece (CmpFName).
    virtual bool CheckPlaying(std::string_view name) const;
    virtual bool IsPlaying() const { return playing_; }
    // 0 none, 1 fading in, 2 fading out.
    virtual int GetFadeMode() const { return fadeMode_; }
    // Completes the running fade on the next Move.
    virtual void FinishFade() { finishFade_ = true; }
    virtual void Move(int frameMs);
    // Set while a voice plays (the message window and MESVPLAY).
    void SetVoicePlaying(bool on) { voicePlaying_ = on; }
    // The attenuation the volume, fade, ducking and mute give now.
    int32_t GetPureVolume() const;
    const std::string& GetName() const { return name_; }

    // What the state dump shows.
    bool IsLooping() const { return loop_; }
    bool HasEnded() const { return ended_; }
    int GetPauseCount() const { return pause_.Count(); }
    bool IsMuted() const { return mute_; }
    int GetVolume() const { return volume_; }
    int GetDuckedVolume() const { return duckedVolume_; }
    int GetDuckLevel() const { return duckLevel_; }
    bool IsVoicePlaying() const { return voicePlaying_; }
    int32_t GetAttenuation() const { return attenuation_; }
    const platform::SoundBuffer* GetSoundBuffer() const { return buffer_.get(); }

protected:
    CDSound* device_ = nullptr;
    IMemberSource* archive_ = nullptr;
    std::string name_;
    std::atomic<bool> playing_{false};
    std::atomic<bool> loop_{false};
    bool mute_ = false;
    int volume_ = 255;
    PauseNesting pause_;
    int fadeMode_ = 0;
    int fadeTotal_ = 0;
    int fadeElapsed_ = 0;
    bool finishFade_ = false;

private:
    void StreamThread();
    void RefillQuarter(int quarter);
    void StreamClose();
    void UpdateVolume();
    bool WaitStreamIdle(int ms);
    // Decodes the first half of the buffer (Play and resuming).
    void DecodeFirstHalf();
    int FadeStep(int frameMs) const;
    bool SmallVolumeOn() const;
    std::optional<Bytes> LoadChecked(std::string_view name, const char* what);

    const AudioSettingsView* settings_ = nullptr;
    Bytes image_; // the piece's file, whole
    OggStream stream_;
    std::shared_ptr<platform::SoundBuffer> buffer_;
    uint32_t quarter_ = 0;
    std::shared_ptr<QuarterSignals> signals_; // the quarter events, the thread's idle state
    std::thread thread_;
    // Every decode, and every change of the decoder or the buffer, runs under this lock.
    mutable std::mutex decodeMutex_;
    std::atomic<bool> ended_{false};
    bool paused_ = false;
    uint32_t savedStatus_ = 0;
    int duckedVolume_ = 255;
    int duckLevel_ = 0;
    bool voicePlaying_ = false;
    int32_t attenuation_ = -10000;
    Bytes preload_;
    std::string preloadName_;
};

} // namespace qw
