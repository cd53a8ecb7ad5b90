#pragma once
// Background music: one piece at a time, looping, with fades and nested pauses. The operations
// are virtual so that screens and tests can work against another implementation.

#include <string>
#include <string_view>

#include "common/PauseNesting.h"

namespace qw {

class CDSound;
class IMemberSource;

class CBGMBuffer {
public:
    virtual ~CBGMBuffer() = default;

    virtual bool Initialize(CDSound* device, IMemberSource* archive);
    virtual void Release();
    // Loads a piece without starting it. False without a device or when it cannot be read.
    virtual bool Read(std::string_view name);
    // Reads a file whole ahead of time, for a later Read of the same name.
    virtual bool Cache(std::string_view name);
    virtual bool Play(int fadeInMs, bool loop);
    virtual void Stop(int fadeOutMs);
    virtual void SetPause(bool on);
    virtual void SetMute(bool on) { mute_ = on; }
    virtual void SetVolume(int volume) { volume_ = volume; }
    // Playing, and `name` is the current piece (case-insensitive; an extension on either side
    // is ignored).
    virtual bool CheckPlaying(std::string_view name) const;
    virtual bool IsPlaying() const { return playing_; }
    // 0 none, 1 fading in, 2 fading out.
    virtual int GetFadeMode() const { return fadeMode_; }
    // Completes the running fade on the next Move.
    virtual void FinishFade() { finishFade_ = true; }
    virtual void Move(int frameMs);
    const std::string& GetName() const { return name_; }

protected:
    CDSound* device_ = nullptr;
    IMemberSource* archive_ = nullptr;
    std::string name_;
    bool playing_ = false;
    bool loop_ = false;
    bool mute_ = false;
    int volume_ = 255;
    PauseNesting pause_;
    int fadeMode_ = 0;
    int fadeTotal_ = 0;
    int fadeElapsed_ = 0;
    bool finishFade_ = false;
};

} // namespace qw
