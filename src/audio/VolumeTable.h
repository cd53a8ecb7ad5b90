#pragma once
// The volume table shared by music, sound effects and voices: a linear volume (0-499) to an
// attenuation in hundredths of a decibel for the sound buffers.

#include <cstdint>

namespace qw {

// Entry 0 is silence (-10000); 3-497 are 1000 * ln(i / 500) truncated; the index is clamped.
int32_t VolumeTableEntry(int index);
// A 0-255 volume (clamped) as an attenuation.
inline int32_t VolumeToAttenuation(int volume) {
    return VolumeTableEntry(volume < 0 ? 0 : (volume > 255 ? 255 : volume));
}

} // namespace qw
