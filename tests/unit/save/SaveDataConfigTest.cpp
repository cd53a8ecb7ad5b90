#include <gtest/gtest.h>

#include <filesystem>

#include "platform/FileSystem.h"
#include "platform/IniProfile.h"
#include "save/CSaveData.h"
#include "support/TempGame.h"

namespace qw {
namespace {

class SaveDataConfigTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(Dir() + "SAVE"); }
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

// A configuration file put together by hand: globals, K records, CG and scene flags, settings.
Bytes ConfigFile(const std::vector<std::pair<std::string, Bytes>>& records, const Bytes& settings) {
    ByteWriter w;
    for (int i = 0; i < 1000; ++i)
        w.Put<int32_t>(i == 7 ? 77 : 0);
    w.Put<int32_t>(static_cast<int32_t>(records.size()));
    for (const auto& [name, flags] : records) {
        w.PutFixedString(name, 256);
        w.Put<int32_t>(static_cast<int32_t>(flags.size()));
        w.PutBytes(flags);
    }
    Bytes cg(40000), scene(400);
    cg[39999] = 1;
    scene[0] = 1;
    w.PutBytes(cg);
    w.PutBytes(scene);
    w.PutBytes(settings);
    return w.Take();
}

TEST_F(SaveDataConfigTest, NoRecordsStillRestoresFlagsAndSettingsInRange) {
    ByteWriter s;
    s.Put<uint8_t>(7); // full screen: any non-zero value is on
    s.PutZeros(3);
    s.Put<int32_t>(5);      // skip mode: a switch
    s.Put<int32_t>(-20);    // text speed
    s.Put<int32_t>(100000); // auto speed
    s.Put<uint8_t>(0);
    s.Put<uint8_t>(2);
    s.Put<uint8_t>(1);
    s.Put<uint8_t>(0);
    s.Put<int32_t>(256);
    s.Put<int32_t>(255);
    s.Put<int32_t>(INT32_MIN);
    game_.Write("SAVE/CONFIG.SAV", ConfigFile({}, s.Take()));
    CSaveData save(Dir());
    ASSERT_TRUE(save.Initialize());
    EXPECT_EQ(save.globalVars[7], 77);
    EXPECT_EQ(save.cgFlags[39999], 1);
    EXPECT_EQ(save.sceneFlags[0], 1);
    const GameSettings& g = save.settings;
    EXPECT_EQ(std::tuple(g.fullScreen, g.skipMode, g.textSpeed, g.autoSpeed),
              std::tuple(1, 1, 0, 255));
    EXPECT_EQ(std::tuple(g.musicOn, g.effectsOn, g.voiceOn), std::tuple(0, 1, 1));
    EXPECT_EQ(std::tuple(g.musicVolume, g.effectsVolume, g.voiceVolume), std::tuple(255, 255, 0));
    save.SetSnrFileName("START");
    EXPECT_FALSE(save.CheckKidokuFlag(0));
}

TEST_F(SaveDataConfigTest, ARefusedFileIsPutAsideBeforeTheDefaults) {
    const Bytes settings(32, 0);
    const std::string path = Dir() + "SAVE/CONFIG.SAV";
    struct Case {
        const char* what;
        Bytes file;
    };
    Bytes huge(CSaveData::kMaxKidokuBytes + 1024, 0xFF);
    const Case cases[] = {
        {"cut short",
         [&] {
             Bytes b = ConfigFile({{"A01", Bytes(1024, 1)}}, settings);
             b.resize(b.size() - 1);
             return b;
         }()},
        {"record over the read-flag cap", ConfigFile({{"A01", huge}}, settings)},
        {"negative count",
         [&] {
             Bytes b = ConfigFile({}, settings);
             StoreLE<int32_t>(b, 4000, -1);
             return b;
         }()},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        std::filesystem::remove(path + ".bad");
        game_.Write("SAVE/CONFIG.SAV", k.file);
        CSaveData save(Dir());
        ASSERT_TRUE(save.Initialize());
        EXPECT_EQ(save.globalVars[7], 0);
        EXPECT_EQ(save.settings.textSpeed, 128);
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_EQ(platform::ReadWholeFile(path + ".bad").value_or(Bytes{}), k.file);
        // The next load point writes a fresh file; the refused one stays aside.
        ASSERT_TRUE(save.SaveConfig());
        EXPECT_TRUE(std::filesystem::exists(path + ".bad"));
    }
    // The largest record the cap allows is read.
    game_.Write("SAVE/CONFIG.SAV",
                ConfigFile({{"A01", Bytes(CSaveData::kMaxKidokuBytes, 0xFF)}}, settings));
    CSaveData save(Dir());
    ASSERT_TRUE(save.Initialize());
    EXPECT_EQ(save.globalVars[7], 77);
}

// Message numbers from 2^24 up read as unread and take no memory.
TEST_F(SaveDataConfigTest, ReadFlagsStopBelowTwoToThe24) {
    CSaveData save(Dir());
    ASSERT_TRUE(save.Initialize());
    save.SetSnrFileName("A01");
    for (int n : {(1 << 24) - 1, 1 << 24, 2000000000}) {
        SCOPED_TRACE(n);
        save.SetKidokuFlag(n);
        EXPECT_EQ(save.CheckKidokuFlag(n), n < (1 << 24));
    }
    ASSERT_TRUE(save.SaveConfig());
    const auto size = std::filesystem::file_size(Dir() + "SAVE/CONFIG.SAV");
    EXPECT_EQ(size, 4000u + 4 + 260 + CSaveData::kMaxKidokuBytes + 40000 + 400 + 32);
    CSaveData again(Dir());
    ASSERT_TRUE(again.Initialize());
    again.SetSnrFileName("a01.snr");
    EXPECT_TRUE(again.CheckKidokuFlag((1 << 24) - 1));
}

} // namespace
} // namespace qw
