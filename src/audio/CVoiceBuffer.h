#pragma once
// Voices. Silent until the mixer lands; the main window already drives it every tick.

#include "common/PauseNesting.h"

namespace qw {

class CDSound;
class IMemberSource;

class CVoiceBuffer {
public:
    virtual ~CVoiceBuffer() = default;
    virtual bool Initialize(CDSound* device, IMemberSource* archive);
    virtual void Release() {}
    virtual void Move(int /*frameMs*/) {}
    virtual void SetPause(bool on);
    virtual void SetMute(bool on) { mute_ = on; }
    virtual void SetVolume(int volume) { volume_ = volume; }
    int GetPauseCount() const { return pause_.Count(); }

protected:
    CDSound* device_ = nullptr;
    IMemberSource* archive_ = nullptr;
    bool mute_ = false;
    int volume_ = 255;
    PauseNesting pause_;
};

} // namespace qw
