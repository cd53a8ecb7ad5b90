// The voice and sound-effect commands against real buffers on a headless sound device: names,
// slots, waits, hurry rules and errors.

#include <gtest/gtest.h>

#include "audio/CDSound.h"
#include "audio/CSEBuffer.h"
#include "audio/CVoiceBuffer.h"
#include "support/OggFixtures.h"
#include "unit/audio/AudioTestSupport.h"
#include "unit/scenario/InterpreterFixture.h"

namespace qw::test {
namespace {

class SoundCommands : public InterpreterFixture {
protected:
    void SetUp() override {
        InterpreterFixture::SetUp();
        ASSERT_TRUE(sound_.Initialize(window_, 44100, 2, 16));
        se_.Initialize(&sound_, &effects_);
        voice_.Initialize(&sound_, &voices_);
        services_.seBuffer = &se_;
        services_.voiceBuffer = &voice_;
        effects_.files["BELL"] = ToneOgg(0.3, 22050, 1);
        voices_.files["V_KA0007"] = ToneOgg(0.5, 22050, 1);
        voices_.files["LINE"] = ToneOgg(0.5, 22050, 1);
    }
    void TearDown() override {
        services_.seBuffer = nullptr;
        services_.voiceBuffer = nullptr;
        screen_.reset();
        voice_.Release();
        se_.Release();
        sound_.Release();
        InterpreterFixture::TearDown();
    }
    // A tick as the main window runs it: the buffers move, the screen runs, the pass's sound.
    void SoundTick() {
        se_.Move(30);
        voice_.Move(30);
        Tick();
        sound_.Pass(30);
    }
    // Ticks until variable `v` is set; the count (or `limit` + 1).
    int TicksUntil(int v, int limit = 400) {
        for (int t = 1; t <= limit; ++t) {
            SoundTick();
            if (Var(v) != 0) return t;
        }
        return limit + 1;
    }

    CDSound sound_;
    MapSource effects_, voices_;
    CSEBuffer se_;
    CVoiceBuffer voice_;
};

TEST_F(SoundCommands, VoicePlayNamesTheListEntryWithFourDigitsAndWaitsForItsEnd) {
    AddScenario("V", R"(VOICELIST 3, "V_KA"
VOICEPLAY 3, 7, 1
MOV 1, 1
VOICEPLAY "LINE", 0
MOV 2, 1
VOICEWAIT
MOV 3, 1
END
)");
    ASSERT_TRUE(Start("V"));
    SoundTick();
    EXPECT_EQ(voice_.GetName(), "V_KA0007");
    EXPECT_TRUE(voice_.IsPlaying());
    EXPECT_STREQ(Save().voiceList[3].data(), "V_KA");
    // A half-second line ends with its buffer, within the first two quarters.
    int waited = TicksUntil(1);
    EXPECT_GT(waited * 30, 500);
    EXPECT_LE(waited * 30, 2000 + 90);
    EXPECT_EQ(TicksUntil(2), 1); // no wait: the tick ends after it
    EXPECT_EQ(voice_.GetName(), "LINE");
    EXPECT_GT(TicksUntil(3), 10);
    EXPECT_TRUE(window_->boxes.empty()) << LastBox();
}

TEST_F(SoundCommands, AHurryCutsFadesAndWaitsShort) {
    Save().configEx.noneEffect = 1;
    AddScenario("H", R"(SEPLAY "BELL", 800, 1
MOV 1, 1
VOICEPLAY "LINE", 1
MOV 2, 1
SEREAD 0, "BELL"
SEPLAY 0, 0, 0, 1
SESTOP 0, 900, 1
MOV 3, 1
END
)");
    ASSERT_TRUE(Start("H"));
    EXPECT_EQ(TicksUntil(1), 2); // SEPLAY ends its tick without waiting
    EXPECT_EQ(se_.GetChannel(1)->fadeFactor, 255); // played with no fade-in
    EXPECT_EQ(TicksUntil(2), 1);
    EXPECT_EQ(voice_.GetName(), ""); // nothing is played while hurrying
    EXPECT_LE(TicksUntil(3), 3);
    EXPECT_EQ(se_.GetFadeMode(Save().seSlots[0]), 0); // stopped at once
    EXPECT_TRUE(window_->boxes.empty()) << LastBox();
}

TEST_F(SoundCommands, SlotsAreFreedBeforeTheyAreReadAgainAndEmptyOnesAreNotWaitedFor) {
    effects_.files["LONG"] = ToneOgg(1.0, 22050, 1);
    AddScenario("S", R"(SEREAD 5, "LONG"
SEREAD 5, "long"
MOV 1, 1
SEWAIT 6, 2
SEWAIT 5, 2
SEPLAY 5, 300, 1, 0
MOV 2, 1
SEWAIT 5, 9
SEWAIT 5, 2
MOV 3, 1
SEFREE 5
SEREAD 300, "LONG"
SEREAD 6, "NONE"
MOV 4, 1
END
)");
    ASSERT_TRUE(Start("S"));
    TicksUntil(1);
    EXPECT_EQ(Save().seSlots[5], 1);
    EXPECT_EQ(se_.GetSound(0)->uses, 1);
    // Mode 2 on an empty slot goes on at once (it once waited for ever); then the fade-in wait.
    int fadeIn = TicksUntil(2);
    EXPECT_GE(fadeIn, 300 / 30 + 2);
    EXPECT_LE(fadeIn, 300 / 30 + 5);
    // An unknown mode goes on; mode 2 waits for the rest of the one-second sound.
    int played = TicksUntil(3);
    EXPECT_GE(played, 650 / 30);
    EXPECT_LE(played, 750 / 30 + 3);
    EXPECT_EQ(TicksUntil(4), 3); // SEFREE, SEREAD, SEREAD each end their tick
    EXPECT_EQ(Save().seSlots[5], 0);
    EXPECT_EQ(Save().seSlots[6], 0);
    EXPECT_EQ(se_.GetSound(0)->uses, 0);
    // The failed read is reported, and the game goes on (variable 4 is set after it).
    ASSERT_EQ(window_->boxes.size(), 1u);
    EXPECT_NE(LastBox().find("NONE"), std::string::npos) << LastBox();
}

TEST_F(SoundCommands, TheFormsOfVoicePlayAndSePlayTakeTheirCounts) {
    struct Case {
        const char* line;
        const char* name;
    } cases[] = {{"VOICEPLAY \"LINE\", 1, 2", "VOICEPLAY"},
                 {"VOICEPLAY 1, 2", "VOICEPLAY"},
                 {"VOICEPLAY 1, \"x\", 0", "VOICEPLAY"},
                 {"SEPLAY \"BELL\", 0, 0, 0", "SEPLAY"},
                 {"SEPLAY 0, 0, 0", "SEPLAY"},
                 {"SEWAIT 0", "SEWAIT"},
                 {"VOICESTOP 1", "VOICESTOP"}};
    for (const Case& c : cases) {
        window_->boxes.clear();
        AddScenario("E", std::string(c.line) + "\nEND\n");
        ASSERT_TRUE(Start("E"));
        RunToEnd(5);
        EXPECT_TRUE(Ended()) << c.line;
        ASSERT_FALSE(window_->boxes.empty()) << c.line;
        EXPECT_NE(LastBox().find(c.name), std::string::npos) << LastBox();
    }
}

} // namespace
} // namespace qw::test
