// Sound effects, voices and system sounds in the recorded sound of headless runs
// (--record-audio): an effect starts on the block of the tick that played it, channels of one
// sound overlap, the waits end with their sounds, the controls play the game's system sounds,
// and two runs give the same bytes.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "OggEncode.h"
#include "TestGame.h"
#include "graphics/MgdFormat.h"

namespace qw::e2e {
namespace {

constexpr int kBlock = 1323; // frames per 30 ms pass

// A tone at `hz` that starts loud on its first frame.
std::string Tone(double seconds, double hz, int rate = 22050, int channels = 1) {
    size_t frames = static_cast<size_t>(seconds * rate);
    std::vector<int16_t> pcm(frames * static_cast<size_t>(channels));
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            pcm[i * static_cast<size_t>(channels) + static_cast<size_t>(c)] = static_cast<int16_t>(
                12000 * std::cos(2 * 3.14159265358979 * hz * static_cast<double>(i) / rate));
    auto ogg = oggenc::EncodeVorbis(pcm, channels, rate);
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

size_t FirstSound(const std::vector<int16_t>& s, size_t from = 0) {
    while (from < s.size() && s[from] == 0)
        ++from;
    return from;
}

// The level of the `hz` component of block b (Goertzel).
double BlockLevel(const std::vector<int16_t>& s, size_t block, double hz) {
    const double w = 2 * 3.14159265358979 * hz / 44100;
    double s1 = 0, s2 = 0;
    for (size_t i = block * kBlock; i < (block + 1) * kBlock && i < s.size(); ++i) {
        double v = s[i] + 2 * std::cos(w) * s1 - s2;
        s2 = s1;
        s1 = v;
    }
    return 2 * std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - 2 * std::cos(w) * s1 * s2)) / kBlock;
}

// The first and the last block (+ 1) where the tone at `hz` is heard; {n, n} when never.
std::pair<size_t, size_t> Heard(const std::vector<int16_t>& s, double hz) {
    size_t n = s.size() / kBlock, first = n, last = n;
    for (size_t b = 0; b < n; ++b) {
        if (BlockLevel(s, b, hz) < 500) continue;
        if (first == n) first = b;
        last = b + 1;
    }
    return {first, first == n ? n : last};
}

double Rms(const std::vector<int16_t>& s, size_t from, size_t n) {
    double sum = 0;
    for (size_t i = from; i < from + n && i < s.size(); ++i)
        sum += double(s[i]) * s[i];
    return std::sqrt(sum / double(n));
}

const JsonValue* Channel(const JsonValue& state, int number) {
    for (const JsonValue& c : state["audio"]["effects"]["channels"].Items())
        if (c["channel"].Int() == number) return &c;
    return nullptr;
}

TEST(EffectsVoice, AnEffectStartsOnItsTicksBlockAndTwoChannelsOfOneSoundOverlap) {
    TestGame game("se_tick");
    game.AddScenario("START.MSD", R"(SEREAD 0, "BELL"
SEREAD 1, "bell"
ATIMES 200
AWAIT 0, 1, 1, 1, 1, 1
SEPLAY 0, 0, 0, 0
ATIMES 150
AWAIT 0, 1, 1, 1, 1, 1
SEPLAY 1, 0, 0, 0
ATIMES -1
AWAIT 0, 1, 1, 1, 1, 1
)");
    game.AddFile("SE", "BELL.OGG", Tone(0.5, 200)); // whole periods in a block: in phase
    game.Pack("SE", "fjsys");
    const std::string wav = game.Path("a.wav"), again = game.Path("b.wav");
    RunResult a = game.Run("--ticks 60 --start-scenario START --record-audio " + Quote(wav));
    ASSERT_EQ(a.exitCode, 0) << a.stderrText;
    ASSERT_TRUE(a.state);
    const JsonValue& sounds = (*a.state)["audio"]["effects"]["sounds"];
    ASSERT_EQ(sounds.Items().size(), 1u);
    EXPECT_EQ(sounds[0]["name"].String(), "BELL");
    EXPECT_EQ(sounds[0]["uses"].Int(), 2);

    std::vector<int16_t> left = Left(ReadText(wav));
    const size_t first = FirstSound(left);
    ASSERT_LT(first, left.size()) << "nothing was heard";
    ASSERT_EQ(first % kBlock, 0u) << first;
    const int tick = static_cast<int>(first / kBlock) + 1; // the tick whose pass starts there
    // The dumped state pins the tick that played it: not yet active after tick N - 1.
    RunResult before = game.Run("--ticks " + std::to_string(tick - 1) + " --start-scenario START");
    RunResult at = game.Run("--ticks " + std::to_string(tick) + " --start-scenario START");
    ASSERT_TRUE(before.state && at.state);
    ASSERT_TRUE(Channel(*before.state, 1) && Channel(*at.state, 1));
    EXPECT_FALSE(std::get<bool>((*Channel(*before.state, 1))["active"].v));
    EXPECT_TRUE(std::get<bool>((*Channel(*at.state, 1))["active"].v));

    // The second channel starts on a later block while the first still sounds: twice the level.
    const size_t second = first + 5 * kBlock;
    ASSERT_LT(second + 4 * kBlock, first + 22050);
    const double one = Rms(left, first + kBlock, 3 * kBlock);
    size_t start2 = second;
    while (start2 < first + 22050 && Rms(left, start2, kBlock) < one * 1.5)
        start2 += kBlock;
    EXPECT_LT(start2, first + 22050) << "the second channel was never heard over the first";
    EXPECT_NEAR(Rms(left, start2 + kBlock, kBlock), 2 * one, one * 0.1);

    RunResult b = game.Run("--ticks 60 --start-scenario START --record-audio " + Quote(again));
    ASSERT_EQ(b.exitCode, 0) << b.stderrText;
    EXPECT_TRUE(ReadText(wav) == ReadText(again)) << "two runs mixed different sound";
}

TEST(EffectsVoice, TheWaitsEndWithTheirSoundsAndBadFilesAreReported) {
    // LONG (500 Hz) plays to its end under SEWAIT mode 2; then the voice (300 Hz) under its
    // wait; then VOICEWAIT on nothing, a one-shot BELL (1200 Hz) under SEWAIT-free SEPLAY.
    TestGame game("se_waits");
    game.AddScenario("START.MSD", R"(SEREAD 0, "LONG"
SEREAD 1, "BROKEN"
MOV 1, 1
SEPLAY 0, 0, 0, 0
SEWAIT 0, 2
VOICELIST 3, "V_A"
VOICEPLAY 3, 1, 0
VOICEWAIT
SEPLAY "BELL", 0, 0
VOICEPLAY "MISSING", 1
SEWAIT 9, 2
SEWAIT 0, 7
MOV 2, 1
ATIMES -1
AWAIT 0, 1, 1, 1, 1, 1
)");
    game.AddFile("SE", "LONG.OGG", Tone(0.8, 500));
    game.AddFile("SE", "BELL.OGG", Tone(0.3, 1200));
    game.AddFile("SE", "BROKEN.OGG", "OggS, and nothing after");
    game.AddFile("VOICE", "V_A0001.OGG", Tone(2.5, 300, 44100, 2));
    game.Pack("VOICE", "mgcfile");
    const std::string wav = game.Path("w.wav");
    RunResult r = game.Run("--ticks 200 --start-scenario START --record-audio " + Quote(wav));
    ASSERT_EQ(r.exitCode, 0) << r.stderrText;
    ASSERT_TRUE(r.state);
    EXPECT_EQ((*r.state)["local_variables"][1].Int(), 1);
    EXPECT_EQ((*r.state)["local_variables"][2].Int(), 1); // the game went on past the failures
    EXPECT_NE(r.stderrText.find("BROKEN"), std::string::npos) << r.stderrText;
    EXPECT_NE(r.stderrText.find("MISSING"), std::string::npos) << r.stderrText;
    const JsonValue& voice = (*r.state)["audio"]["voice"];
    EXPECT_EQ(voice["form"].String(), "memory");
    EXPECT_FALSE(std::get<bool>(voice["playing"].v));
    EXPECT_EQ(voice["character"].Int(), 8);

    std::vector<int16_t> left = Left(ReadText(wav));
    auto [longFrom, longTo] = Heard(left, 500);
    auto [voiceFrom, voiceTo] = Heard(left, 300);
    auto [bellFrom, bellTo] = Heard(left, 1200);
    const size_t n = left.size() / kBlock;
    ASSERT_LT(longFrom, n);
    ASSERT_LT(voiceFrom, n);
    ASSERT_LT(bellFrom, n);
    EXPECT_NEAR(double(longTo - longFrom), 800.0 / 30, 2);
    EXPECT_NEAR(double(voiceTo - voiceFrom), 2500.0 / 30, 2);
    // Each wait ends with its sound: the next one starts within a few blocks of the end
    // (SEWAIT sees the channel stopped in the next Move; the voice's buffer stops within a
    // quarter, one second, after its data).
    EXPECT_GE(voiceFrom, longTo);
    EXPECT_LE(voiceFrom, longTo + 3);
    EXPECT_GE(bellFrom, voiceTo);
    EXPECT_LE(bellFrom, voiceTo + 1000 / 30 + 3);
    // The voice's stream thread refills in step with the mixer: the same bytes again.
    const std::string again = game.Path("w2.wav");
    RunResult r2 = game.Run("--ticks 200 --start-scenario START --record-audio " + Quote(again));
    ASSERT_EQ(r2.exitCode, 0) << r2.stderrText;
    EXPECT_TRUE(ReadText(wav) == ReadText(again)) << "two runs mixed different sound";
}

// The control test screen's game (ControlsTest.cpp has the full one): one button focused at the
// start and a check box below it.
TestGame SoundControlGame(const std::string& name, bool withSounds) {
    TestGame game(name);
    game.AddScenario("START.MSD", "END\n");
    game.AddScenario("CTRLTEST.MSD", R"(record 90, 0, 1
record 90, 1, 1, "PARTS.MGD", "", 1, 0, 100, 100, 0, 1, 2, 3, 4, 1
record 90, 2, 2, "PARTS.MGD", "", 2, 0, 100, 150, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0
record 91, 0, 1, -1, 2, -1, -1, 2
record 91, 1, 2, 1, -1, -1, -1, 1
)");
    std::vector<SpriteElement> cells;
    ByteWriter pixels;
    for (int i = 0; i < 10; ++i)
        cells.push_back({static_cast<int16_t>(i * 20), 0, 20, 10});
    for (int i = 0; i < 200 * 10; ++i)
        pixels.Put<uint32_t>(0xFF000000u | static_cast<uint32_t>(i % 200 / 20) * 0x101010u);
    Bytes parts = BuildMgdFile(200, 10, MgdEncoding::Raw, pixels.Take(), cells, 4);
    game.AddFile("MGD", "PARTS.MGD", std::string(parts.begin(), parts.end()));
    game.AddFile("SE", "SYS_CANCEL.OGG", Tone(0.2, 300));
    game.AddFile("SE", "SYS_DECIDE.OGG", Tone(0.2, 1200));
    game.AddFile("SE", "SYS_CURSOR.OGG", Tone(0.1, 2400));
    if (withSounds)
        game.WriteIni("[MainWindow]\nSystemSE0=SYS_CANCEL\nSystemSE1=SYS_DECIDE\n"
                      "SystemSE2=SYS_CURSOR\n");
    return game;
}

TEST(EffectsVoice, ControlsPlayTheGamesSystemSoundsAndStockGamesStaySilent) {
    for (bool withSounds : {true, false}) {
        SCOPED_TRACE(withSounds);
        TestGame game = SoundControlGame(withSounds ? "sysse_on" : "sysse_off", withSounds);
        WriteText(game.Path("input.txt"), "25 key TAB down\n26 key TAB up\n"
                                          "30 key RETURN down\n31 key RETURN up\n");
        const std::string wav = game.Path("s.wav");
        RunResult r =
            game.RunProgram(QW_BIN_UI_TEST, "--ticks 50 --input " + Quote(game.Path("input.txt")) +
                                                " --record-audio " + Quote(wav));
        ASSERT_EQ(r.exitCode, 0) << r.stderrText;
        ASSERT_TRUE(r.state);
        // The calls are made either way; only a named sound is heard.
        EXPECT_GE((*r.state)["system_sounds"][2].Int(), 2);
        EXPECT_EQ((*r.state)["system_sounds"][1].Int(), 1);
        std::vector<int16_t> left = Left(ReadText(wav));
        const size_t n = left.size() / kBlock;
        auto [cursorFrom, cursorTo] = Heard(left, 2400);
        auto [decideFrom, decideTo] = Heard(left, 1200);
        if (!withSounds) {
            EXPECT_EQ(FirstSound(left), left.size()) << "a stock game played a system sound";
            continue;
        }
        ASSERT_LT(cursorFrom, n);
        ASSERT_LT(decideFrom, n);
        // The focus moves at tick 25 (the Tab); the click fires when Enter is released.
        EXPECT_GE(decideFrom, cursorFrom);
        EXPECT_EQ(Heard(left, 300).first, n); // no cancel
    }
}

} // namespace
} // namespace qw::e2e
