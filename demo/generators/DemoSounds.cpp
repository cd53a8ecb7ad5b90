// Makes the demo's sound at build time: music, effects and voice lines synthesised here and
// encoded with the project's Vorbis encoder (fixed serial and quality, so every build gives the
// same bytes).
//
//   BGM01.OGG  44100 Hz stereo, 8 s: a slow arpeggio over a drone that loops without a seam
//              (every voice completes whole cycles within the piece)
//   BGM02.OGG  22050 Hz mono, 6 s: a plucked melody for the night scene
//   effects, 22050 Hz mono: SE_BELL (a struck bell), SE_PAGE (a page turned), and the system
//              sounds SYS_BACK (cancel), SYS_OK (decide) and SYS_MOVE (cursor)
//   voices, 22050 Hz mono, from a small formant synthesiser: VA_0001, VA_0002 (a low voice) and
//              VB_0001 (a higher one), named by prefix and four digits
//
// Usage: demo_sounds BGM_DIR [SE_DIR VOICE_DIR]

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
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

// The pluck of the night's melody as a short effect: partials with their own decays.
std::vector<int16_t> Struck(double seconds, const std::vector<std::pair<double, double>>& partials,
                            double decay, double gain) {
    const int rate = 22050;
    std::vector<int16_t> out(static_cast<size_t>(seconds * rate));
    for (size_t i = 0; i < out.size(); ++i) {
        double t = static_cast<double>(i) / rate, v = 0;
        for (size_t k = 0; k < partials.size(); ++k)
            v += partials[k].second * std::exp(-decay * (1 + 0.7 * double(k)) * t) *
                 std::sin(2 * kPi * partials[k].first * t);
        out[i] = Clip(gain * v * std::min(1.0, t * 400));
    }
    return out;
}

// A page turned: a swish of filtered noise rising and falling.
std::vector<int16_t> Page() {
    const int rate = 22050;
    std::vector<int16_t> out(static_cast<size_t>(0.45 * rate));
    uint32_t seed = 12345;
    double low = 0, band = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = static_cast<double>(i) / rate;
        seed = seed * 214013u + 2531011u;
        double noise = static_cast<double>((seed >> 16) & 0x7FFF) / 16384.0 - 1;
        double f = 2 * std::sin(kPi * (900 + 2500 * t) / rate); // a sweeping band-pass
        low += f * band;
        band += f * (noise - low - 0.5 * band);
        double envelope = std::sin(kPi * t / 0.45) * (1 + 0.5 * std::sin(2 * kPi * 9 * t));
        out[i] = Clip(9000 * band * envelope);
    }
    return out;
}

// A voice line: a glottal pulse train at `pitch` (with a falling intonation and a little
// vibrato) through three formant resonators, one vowel per syllable.
std::vector<int16_t> Speak(const char* vowels, double pitch, double syllable) {
    struct Formants {
        char vowel;
        double f1, f2, f3;
    };
    static const Formants table[] = {{'a', 800, 1200, 2500},
                                     {'i', 300, 2300, 3000},
                                     {'u', 350, 1300, 2400},
                                     {'e', 500, 1900, 2600},
                                     {'o', 500, 850, 2500}};
    const int rate = 22050;
    const size_t count = std::char_traits<char>::length(vowels);
    std::vector<int16_t> out(static_cast<size_t>((count * syllable + 0.2) * rate));
    struct Resonator {
        double y1 = 0, y2 = 0;
        double Step(double x, double f, double bandwidth) {
            double r = std::exp(-kPi * bandwidth / rate);
            double y = (1 - r) * x + 2 * r * std::cos(2 * kPi * f / rate) * y1 - r * r * y2;
            y2 = y1;
            y1 = y;
            return y;
        }
    } r1, r2, r3;
    double phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = static_cast<double>(i) / rate;
        size_t n = std::min(count - 1, static_cast<size_t>(t / syllable));
        const Formants* f = &table[0];
        for (const Formants& candidate : table)
            if (candidate.vowel == vowels[n]) f = &candidate;
        double within = t - static_cast<double>(n) * syllable;
        double hz = pitch * (1.1 - 0.25 * t / (count * syllable)) *
                    (1 + 0.02 * std::sin(2 * kPi * 5.5 * t));
        phase += hz / rate;
        phase -= std::floor(phase);
        double source = 1 - 2 * phase; // a falling ramp each glottal period
        double v = r1.Step(source, f->f1, 80) + 0.6 * r2.Step(source, f->f2, 100) +
                   0.3 * r3.Step(source, f->f3, 150);
        double envelope =
            t < count * syllable ? std::sin(kPi * std::min(1.0, within / syllable)) : 0.0;
        out[i] = Clip(9000 * v * std::sqrt(envelope));
    }
    return out;
}

struct Named {
    const char* name;
    std::vector<int16_t> pcm;
};

bool WriteAll(const std::string& dir, const std::vector<Named>& sounds, int serial) {
    for (const Named& s : sounds) {
        auto ogg = qw::oggenc::EncodeVorbis(s.pcm, 1, 22050, 0.4f, serial++);
        if (ogg.empty() || !WriteFile(dir + "/" + s.name + ".OGG", ogg)) return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: demo_sounds BGM_DIR [SE_DIR VOICE_DIR]\n");
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
    if (argc == 2) return 0;
    const std::vector<Named> effects = {
        {"SE_BELL", Struck(1.6, {{660, 1.0}, {1320 * 1.19, 0.5}, {1980 * 1.32, 0.25}}, 2.5, 9000)},
        {"SE_PAGE", Page()},
        {"SYS_BACK", Struck(0.18, {{392, 1.0}, {294, 0.6}}, 14, 8000)},
        {"SYS_OK", Struck(0.22, {{784, 1.0}, {1176, 0.5}}, 12, 8000)},
        {"SYS_MOVE", Struck(0.06, {{1568, 1.0}}, 40, 5000)},
    };
    const std::vector<Named> voices = {
        {"VA_0001", Speak("aoiue", 120, 0.22)},
        {"VA_0002", Speak("oaeia", 115, 0.25)},
        {"VB_0001", Speak("ieaou", 230, 0.2)},
    };
    if (!WriteAll(argv[2], effects, 0x0E00) || !WriteAll(argv[3], voices, 0x0F00)) {
        std::fprintf(stderr, "demo_sounds: cannot write the effects and voices\n");
        return 1;
    }
    return 0;
}
