// Draws the demo's music at build time: two pieces synthesised here and encoded with the
// project's Vorbis encoder (fixed serial and quality, so every build gives the same bytes).
//
//   BGM01.OGG  44100 Hz stereo, 8 s: a slow arpeggio over a drone that loops without a seam
//              (every voice completes whole cycles within the piece)
//   BGM02.OGG  22050 Hz mono, 6 s: a plucked melody for the night scene
//
// Usage: demo_sounds OUTPUT_DIR

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "OggEncode.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

int16_t Clip(double v) {
    v = std::round(v);
    return static_cast<int16_t>(v > 32767 ? 32767 : (v < -32768 ? -32768 : v));
}

// Eight seconds; each note frequency is a whole number of cycles per second, so the piece ends
// on the phase it began with and loops seamlessly.
std::vector<int16_t> Dawn() {
    const int rate = 44100, seconds = 8;
    const double notes[] = {220, 277, 330, 440, 330, 277, 247, 294}; // one per second
    std::vector<int16_t> out(static_cast<size_t>(rate * seconds) * 2);
    for (int i = 0; i < rate * seconds; ++i) {
        double t = static_cast<double>(i) / rate;
        int beat = i / rate;
        double within = t - beat;
        double envelope = std::sin(kPi * within); // zero at both ends of every note
        double note = std::sin(2 * kPi * notes[beat] * t) * envelope;
        double drone = 0.5 * std::sin(2 * kPi * 110 * t) + 0.25 * std::sin(2 * kPi * 165 * t);
        double pan = 0.5 + 0.4 * std::sin(2 * kPi * t / seconds);
        out[static_cast<size_t>(i) * 2] = Clip(6000 * drone + 9000 * note * (1 - pan));
        out[static_cast<size_t>(i) * 2 + 1] = Clip(6000 * drone + 9000 * note * pan);
    }
    return out;
}

std::vector<int16_t> Night() {
    const int rate = 22050;
    const double notes[] = {392, 330, 294, 262, 294, 330, 392, 440, 392, 330, 294, 262};
    std::vector<int16_t> out(static_cast<size_t>(rate) * 6);
    const size_t step = out.size() / 12;
    for (size_t i = 0; i < out.size(); ++i) {
        size_t n = i / step;
        double t = static_cast<double>(i - n * step) / rate;
        double pluck = std::exp(-6 * t) *
                       (std::sin(2 * kPi * notes[n] * t) + 0.3 * std::sin(4 * kPi * notes[n] * t));
        out[i] = Clip(11000 * pluck * std::min(1.0, t * 200)); // a soft attack, no click
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: demo_sounds OUTPUT_DIR\n");
        return 2;
    }
    std::string dir = argv[1];
    auto dawn = qw::oggenc::EncodeVorbis(Dawn(), 2, 44100, 0.4f, 0x0DA1);
    auto night = qw::oggenc::EncodeVorbis(Night(), 1, 22050, 0.4f, 0x0DA2);
    if (dawn.empty() || night.empty() || !WriteFile(dir + "/BGM01.OGG", dawn) ||
        !WriteFile(dir + "/BGM02.OGG", night)) {
        std::fprintf(stderr, "demo_sounds: cannot write the music into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
