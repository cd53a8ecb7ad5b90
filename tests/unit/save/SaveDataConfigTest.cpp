#include <gtest/gtest.h>

#include "platform/FileSystem.h"
#include "platform/IniProfile.h"
#include "save/CSaveData.h"
#include "support/TempGame.h"

namespace qw {
namespace {

class SaveDataConfigTest : public ::testing::Test {
protected:
    std::string Dir() const { return game_.Dir() + "/"; }
    test::TempGame game_{"savedata"};
};

TEST_F(SaveDataConfigTest, ExtendedSettingsDefaultsAndRoundTrip) {
    game_.WriteText(
        "Novel.ini",
        "[ConfigEx]\nFrameSpeed=0\nNonePause=3\n[char002]\nvoice=0\ncolor=10,20,30,40\n");
    CSaveData save(Dir());
    save.LoadConfigEx();
    EXPECT_EQ(save.configEx.frameSpeed, 1); // 0 reads as 1
    EXPECT_EQ(save.configEx.nonePause, 1);
    EXPECT_EQ(save.configEx.systemSE, 1);
    const CharacterOption& c0 = save.configEx.characters[0];
    EXPECT_EQ(std::tuple(c0.voice, c0.alpha, c0.red, c0.green, c0.blue),
              std::tuple(1, 255, 255, 255, 255));
    const CharacterOption& c2 = save.configEx.characters[2];
    EXPECT_EQ(std::tuple(c2.voice, c2.alpha, c2.red, c2.green, c2.blue),
              std::tuple(0, 10, 20, 30, 40));

    save.configEx.frameSpeed = 3;
    save.configEx.characters[5].red = 7;
    save.characterCount = 6;
    ASSERT_TRUE(save.SaveConfigEx());
    CSaveData again(Dir());
    again.LoadConfigEx();
    EXPECT_EQ(again.configEx.frameSpeed, 3);
    EXPECT_EQ(again.configEx.characters[5].red, 7);
    EXPECT_EQ(platform::GetProfileString("char006", "voice", "none", Dir() + "Novel.ini"), "none");
}

TEST_F(SaveDataConfigTest, ConfigurationFileKeepsFlagsAndRefusesShortFiles) {
    {
        CSaveData save(Dir());
        ASSERT_TRUE(save.Initialize());
        save.globalVars[999] = -5;
        save.SetSnrFileName("A01.SNR");
        save.SetKidokuFlag(8192); // grows the record past its first 1024 bytes
        save.SetKidokuFlag(3);
        save.cgFlags[123] = 1;
        save.sceneFlags[399] = 1;
        save.settings.textSpeed = 200;
        ASSERT_TRUE(save.SaveConfig());
    }
    CSaveData load(Dir());
    ASSERT_TRUE(load.Initialize());
    EXPECT_EQ(load.globalVars[999], -5);
    load.SetSnrFileName("a01"); // the same record, without regard to case or extension
    EXPECT_TRUE(load.CheckKidokuFlag(8192));
    EXPECT_TRUE(load.CheckKidokuFlag(3));
    EXPECT_FALSE(load.CheckKidokuFlag(4));
    EXPECT_EQ(load.cgFlags[123], 1);
    EXPECT_EQ(load.sceneFlags[399], 1);
    EXPECT_EQ(load.settings.textSpeed, 200);

    // Cut the file short: it is refused whole and nothing changes.
    std::string path = Dir() + "SAVE/CONFIG.SAV";
    auto data = *platform::ReadWholeFile(path);
    data.resize(data.size() - 1);
    platform::WriteFileAtomic(path, data);
    CSaveData cut(Dir());
    ASSERT_TRUE(cut.Initialize()); // a bad configuration gives the defaults
    EXPECT_EQ(cut.globalVars[999], 0);
    EXPECT_EQ(cut.settings.textSpeed, 128);
}

} // namespace
} // namespace qw
