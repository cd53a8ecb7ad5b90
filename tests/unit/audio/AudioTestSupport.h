#pragma once
// What the sound buffer tests share: members by name, the player's settings, and measures of
// mixed sound.

#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "audio/AudioSettingsView.h"
#include "audio/CBGMBuffer.h"
#include "files/MemberSource.h"

namespace qw::test {

// Members by name; like an archive, the lookup ignores case and the extension.
class MapSource : public IMemberSource {
public:
    std::optional<Bytes> ReadMember(std::string_view name) override {
        ++reads;
        for (const auto& [key, bytes] : files)
            if (CmpFName(key, name)) return bytes;
        return std::nullopt;
    }
    std::map<std::string, Bytes> files;
    int reads = 0;
};

class Settings : public AudioSettingsView {
public:
    int FrameSpeed() const override { return speed; }
    bool MusicSmallVolume() const override { return small; }
    int speed = 1;
    bool small = false;
};

// The amplitude of the `hz` component of one channel of interleaved stereo (Goertzel).
inline double ToneLevel(const std::vector<int16_t>& stereo, size_t fromFrame, size_t frames,
                        double hz, int channel = 0) {
    const double w = 2 * 3.14159265358979 * hz / 44100;
    double s1 = 0, s2 = 0;
    for (size_t i = fromFrame; i < fromFrame + frames; ++i) {
        double s = stereo[2 * i + static_cast<size_t>(channel)] + 2 * std::cos(w) * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    double power = s1 * s1 + s2 * s2 - 2 * std::cos(w) * s1 * s2;
    return 2 * std::sqrt(std::max(power, 0.0)) / static_cast<double>(frames);
}

inline double Rms(const std::vector<int16_t>& stereo, size_t fromFrame, size_t frames) {
    double sum = 0;
    for (size_t i = fromFrame; i < fromFrame + frames && 2 * i < stereo.size(); ++i)
        sum += double(stereo[2 * i]) * stereo[2 * i];
    return std::sqrt(sum / static_cast<double>(frames));
}

} // namespace qw::test
