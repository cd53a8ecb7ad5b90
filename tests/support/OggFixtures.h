#pragma once
// Small Ogg Vorbis files for the sound tests, made with the project's encoder.

#include <cmath>
#include <cstdint>
#include <vector>

#include "OggEncode.h"

namespace qw::test {

// A tone of `seconds` at `rate` Hz on each of `channels`.
inline std::vector<uint8_t> ToneOgg(double seconds, int rate, int channels, double hz = 440.0,
                                    int serial = 0x51770) {
    size_t frames = static_cast<size_t>(seconds * rate);
    std::vector<int16_t> samples(frames * static_cast<size_t>(channels));
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            samples[i * static_cast<size_t>(channels) + static_cast<size_t>(c)] =
                static_cast<int16_t>(
                    12000 * std::sin(2 * 3.14159265358979 * hz * static_cast<double>(i) / rate));
    return oggenc::EncodeVorbis(samples, channels, rate, 0.3f, serial);
}

// Rewrites the channel count and the rate in the identification header of the first page and
// mends the page's checksum, so the decoder sees that format.
inline void PatchOggFormat(std::vector<uint8_t>& ogg, uint8_t channels, uint32_t rate) {
    size_t segments = ogg[26];
    size_t body = 27 + segments;
    size_t length = body;
    for (size_t i = 0; i < segments; ++i)
        length += ogg[27 + i];
    ogg[body + 11] = channels;
    for (int i = 0; i < 4; ++i)
        ogg[body + 12 + i] = static_cast<uint8_t>(rate >> (8 * i));
    for (int i = 22; i < 26; ++i)
        ogg[i] = 0;
    uint32_t crc = 0;
    for (size_t i = 0; i < length; ++i) {
        crc ^= static_cast<uint32_t>(ogg[i]) << 24;
        for (int b = 0; b < 8; ++b)
            crc = crc & 0x80000000u ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    for (int i = 0; i < 4; ++i)
        ogg[22 + i] = static_cast<uint8_t>(crc >> (8 * i));
}

} // namespace qw::test
