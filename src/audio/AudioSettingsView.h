#pragma once
// The player's settings the sound buffers follow, handed to them and read when needed.

namespace qw {

// The player's settings the sound buffers follow, read when they are needed.
class AudioSettingsView {
public:
    virtual ~AudioSettingsView() = default;
    virtual int FrameSpeed() const = 0;        // "FrameSpeed"
    virtual bool MusicSmallVolume() const = 0; // "BGMSmallVolume": lower the music under voices
};

} // namespace qw
