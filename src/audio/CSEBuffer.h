#pragma once
// Sound effects. Silent until the mixer lands; the main window already drives it every tick.

#include "common/PauseNesting.h"

namespace qw {

class CDSound;
class IMemberSource;

class CSEBuffer {
public:
    virtual ~CSEBuffer() = default;
    virtual bool Initialize(CDSound* device, IMemberSource* archive);
    virtual void Release() {}
    virtual void Move(int /*frameMs*/) {}
    virtual void SetPause(bool on);
    virtual void SetMute(bool on) { mute_ = on; }
    virtual void SetVolume(int volume) { volume_ = volume; }
    bool IsMuted() const { return mute_; }
    int GetVolume() const { return volume_; }
    int GetPauseCount() const { return pause_.Count(); }

protected:
    CDSound* device_ = nullptr;
    IMemberSource* archive_ = nullptr;
    bool mute_ = false;
    int volume_ = 255;
    PauseNesting pause_;
};

} // namespace qw
