// The sound a saved game keeps: the music with its playing and loop flags, and the effect slots
// with theirs, come back from the file on a headless sound device; the voice stops.

#include <gtest/gtest.h>

#include <cstring>

#include "audio/CBGMBuffer.h"
#include "audio/CDSound.h"
#include "audio/CSEBuffer.h"
#include "audio/CVoiceBuffer.h"
#include "save/CSaveData.h"
#include "support/LightServices.h"
#include "support/OggFixtures.h"
#include "support/TempGame.h"
#include "unit/audio/AudioTestSupport.h"

namespace qw::test {
namespace {

class SaveSound : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sound.Initialize(&services.device, 44100, 2, 16));
        music.files["BGM01"] = ToneOgg(2.0, 22050, 1);
        effects.files["BELL"] = ToneOgg(1.0, 22050, 1);
        effects.files["DRUM"] = ToneOgg(1.0, 22050, 1, 880.0);
        voices.files["V01"] = ToneOgg(1.0, 22050, 1);
        ASSERT_TRUE(bgm.Initialize(&sound, &music));
        bgm.SetSettings(&settings);
        ASSERT_TRUE(se.Initialize(&sound, &effects));
        ASSERT_TRUE(voice.Initialize(&sound, &voices));
        save = std::make_unique<CSaveData>(game.Dir() + "/");
        ASSERT_TRUE(save->Initialize());
        save->SetSound({&bgm, &se, &voice});
    }
    void TearDown() override {
        save.reset();
        voice.Release();
        se.Release();
        bgm.Release();
        sound.Release();
    }

    TempGame game{"savesound"};
    LightServices services;
    CDSound sound;
    MapSource music, effects, voices;
    Settings settings;
    CBGMBuffer bgm;
    CSEBuffer se;
    CVoiceBuffer voice;
    std::unique_ptr<CSaveData> save;
};

TEST_F(SaveSound, MusicAndEffectSlotsComeBackAsTheyWere) {
    ASSERT_TRUE(bgm.Read("BGM01"));
    ASSERT_TRUE(bgm.Play(0, true));
    save->seSlots[2] = se.Read("BELL");
    ASSERT_NE(save->seSlots[2], 0);
    ASSERT_TRUE(se.Play(save->seSlots[2], 0, true));
    save->seSlots[7] = se.Read("DRUM"); // read, not playing
    ASSERT_NE(save->seSlots[7], 0);
    save->TakeSnapshot();
    ASSERT_TRUE(save->SaveGame(1));

    // Whatever plays when the game is loaded goes.
    bgm.Stop(0);
    se.Stop(save->seSlots[2], 0);
    se.Free(save->seSlots[2]);
    save->seSlots[2] = 0;
    save->seSlots[9] = se.Read("DRUM");
    ASSERT_TRUE(voice.Read("V01", false));
    ASSERT_TRUE(voice.Play(0, false));

    ASSERT_TRUE(save->LoadGame(1));
    EXPECT_EQ(bgm.GetName(), "BGM01");
    EXPECT_TRUE(bgm.IsPlaying());
    EXPECT_TRUE(bgm.IsLooping());
    ASSERT_NE(save->seSlots[2], 0);
    EXPECT_TRUE(se.IsPlay(save->seSlots[2]));
    EXPECT_EQ(se.GetSlotRecord(save->seSlots[2]).loop, 1);
    ASSERT_NE(save->seSlots[7], 0);
    EXPECT_FALSE(se.IsPlay(save->seSlots[7]));
    EXPECT_EQ(std::string(se.GetSlotRecord(save->seSlots[7]).name.data()), "DRUM");
    EXPECT_EQ(save->seSlots[9], 0);
    EXPECT_FALSE(voice.IsPlaying());

    // A game saved with nothing playing stops the music on load.
    bgm.Stop(0);
    save->TakeSnapshot();
    ASSERT_TRUE(save->SaveGame(2));
    ASSERT_TRUE(save->LoadGame(1));
    ASSERT_TRUE(save->LoadGame(2));
    EXPECT_FALSE(bgm.IsPlaying());
}

} // namespace
} // namespace qw::test
