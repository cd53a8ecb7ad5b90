// The recorded sound of headless runs (--record-audio): a piece starts on a block boundary,
// fades out, loops without a gap, two runs give the same bytes, and a bad file is reported while
// the game goes on.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "OggEncode.h"
#include "TestGame.h"

namespace qw::e2e {
namespace {

constexpr int kBlock = 1323; // frames per 30 ms pass

// One second of a square-ish tone that starts loud on its first frame, so its start is exact.
std::string ToneFile() {
    std::vector<int16_t> pcm(44100 * 2);
    for (size_t i = 0; i < pcm.size() / 2; ++i) {
        double t = static_cast<double>(i) / 44100;
        int16_t v = static_cast<int16_t>(10000 * std::cos(2 * 3.14159265358979 * 441 * t));
        pcm[2 * i] = pcm[2 * i + 1] = v;
    }
    auto ogg = oggenc::EncodeVorbis(pcm, 2, 44100);
    return std::string(ogg.begin(), ogg.end());
}

std::vector<int16_t> Left(const std::string& wav) {
    std::vector<int16_t> out;
    for (size_t at = 44; at + 4 <= wav.size(); at += 4) {
        int16_t v;
        std::memcpy(&v, wav.data() + at, 2);
        out.push_back(v);
    }
    return out;
}

double Rms(const std::vector<int16_t>& s, size_t from, size_t n) {
    double sum = 0;
    for (size_t i = from; i < from + n && i < s.size(); ++i)
        sum += double(s[i]) * s[i];
    return std::sqrt(sum / double(n));
}

constexpr const char* kScenario = R"(ATIMES 300
AWAIT 0, 1, 1, 1, 1, 1
BGMPLAY "TONE", 0, 1, 0
ATIMES 2500
AWAIT 0, 1, 1, 1, 1, 1
BGMSTOP 1, 600
MOV 5, 1
BGMPLAY "BAD", 0, 1, 0
MOV 6, 1
ATIMES -1
AWAIT 0, 1, 1, 1, 1, 1
)";

TEST(Audio, RecordedMusicStartsOnItsBlockLoopsFadesAndRepeats) {
    TestGame game("audio_record");
    game.AddScenario("START.MSD", kScenario);
    game.AddFile("BGM", "TONE.OGG", ToneFile());
    game.AddFile("BGM", "BAD.OGG", "OggS but not a stream");
    game.Pack("BGM", "sm2mpx10");

    std::string wavA = game.Path("a.wav"), wavB = game.Path("b.wav");
    RunResult a = game.Run("--ticks 150 --start-scenario START --record-audio " + Quote(wavA));
    RunResult b =
        game.Run("--ticks 150 --start-scenario START --record-audio " + Quote(wavB), false);
    ASSERT_EQ(a.exitCode, 0) << a.stderrText;
    ASSERT_EQ(b.exitCode, 0) << b.stderrText;
    // The bad file: one line from the loader and the read error; the story goes on.
    EXPECT_NE(a.stderrText.find("BAD"), std::string::npos) << a.stderrText;
    ASSERT_TRUE(a.state);
    EXPECT_EQ((*a.state)["local_variables"][5].Int(), 1);
    EXPECT_EQ((*a.state)["local_variables"][6].Int(), 1);
    EXPECT_EQ((*a.state)["audio"]["device"]["sink"].String(), "null");
    EXPECT_EQ((*a.state)["audio"]["device"]["frames"].Int(), 150 * kBlock);

    std::string bytesA = ReadText(wavA), bytesB = ReadText(wavB);
    ASSERT_EQ(bytesA.size(), 44u + 150u * kBlock * 4);
    EXPECT_EQ(bytesA.substr(0, 4), "RIFF");
    EXPECT_TRUE(bytesA == bytesB) << "two runs mixed different sound";

    std::vector<int16_t> left = Left(bytesA);
    size_t first = 0;
    while (first < left.size() && left[first] == 0)
        ++first;
    ASSERT_LT(first, left.size()) << "nothing was heard";
    EXPECT_EQ(first % kBlock, 0u) << first;
    EXPECT_GT(first, 0u);
    // Steady play across the piece's loop point (one second in): no window goes quiet.
    double loud = Rms(left, first + 4410, 4410);
    EXPECT_GT(loud, 800); // the default music volume 128 is -13.62 dB
    for (size_t at = first; at + 441 < first + 2 * 44100; at += 441)
        EXPECT_GT(Rms(left, at, 441), loud * 0.5) << "gap at frame " << at;
    // The fade-out: the level falls, then silence to the end.
    size_t end = left.size();
    while (end > 0 && left[end - 1] == 0)
        --end;
    ASSERT_GT(end, first + 3 * 44100 / 2);
    EXPECT_LT(Rms(left, end - 2646, 1323), Rms(left, end - 26460, 1323));
    EXPECT_LT(left.size() - end, left.size()); // silence after it
    EXPECT_GT(left.size() - end, size_t{kBlock});
}

TEST(Audio, RecordingNeedsAHeadlessRun) {
    TestGame game("audio_window");
    std::string cmd = std::string(QW_BIN_QUILLWORK) + " " + Quote(game.Dir()) + " --record-audio " +
                      Quote(game.Path("x.wav")) + " 2>/dev/null";
    EXPECT_EQ(RunCommand(cmd), 2);
    EXPECT_FALSE(FileExists(game.Path("x.wav")));
}

} // namespace
} // namespace qw::e2e
