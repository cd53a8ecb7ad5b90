#pragma once
// Encodes 16-bit PCM as one Ogg Vorbis stream in memory. The serial number and the quality are
// fixed by the caller and the encoder is deterministic, so the same samples give the same bytes.

#include <cstdint>
#include <vector>

namespace qw::oggenc {

// `samples` interleaved, `channels` 1-8 (more than the engine plays, for its tests). Empty on
// failure.
std::vector<uint8_t> EncodeVorbis(const std::vector<int16_t>& samples, int channels, int rate,
                                  float quality = 0.3f, int serial = 0x51770);

} // namespace qw::oggenc
