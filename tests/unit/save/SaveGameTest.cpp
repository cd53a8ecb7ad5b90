// Saved games through the save data: every field and picture name round-trips, a re-save gives
// the same bytes, refusals change nothing, the thumbnail modes.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "files/CMD5.h"
#include "graphics/CDIBImage.h"
#include "graphics/CSpriteCache.h"
#include "platform/FileSystem.h"
#include "save/CSaveData.h"
#include "support/TempGame.h"
#include "unit/graphics/SpriteFixtures.h"

namespace qw {
namespace {

class SaveGameTest : public ::testing::Test {
protected:
    void SetUp() override {
        source.files["BG01.MGD"] = test::MakeMgd(1, 1, MgdEncoding::Raw, Bytes{10, 20, 30, 255});
        source.files["CH02.MGD"] = test::MakeMgd(1, 1, MgdEncoding::Raw, Bytes{1, 2, 3, 255});
        cache.Initialize(&source);
    }

    std::unique_ptr<CSaveData> Make() {
        auto save = std::make_unique<CSaveData>(Dir());
        EXPECT_TRUE(save->Initialize());
        save->imageSlots.SetCache(&cache);
        return save;
    }
    // A save data with something in every field the file keeps, and its snapshot taken.
    std::unique_ptr<CSaveData> Filled() {
        auto s = Make();
        for (int i = 0; i < 1000; ++i)
            s->localVars[static_cast<size_t>(i)] = i * 3 - 500;
        std::strcpy(s->stringVars[0].data(), "first");
        std::strcpy(s->stringVars[255].data(), "last");
        s->SetSnrFileName("CHAPTER1");
        std::strcpy(s->bgmList[9].data(), "BGM09");
        std::strcpy(s->voiceList[8].data(), "V08_");
        std::strcpy(s->subtitle.data(), "Subtitle");
        EXPECT_TRUE(s->imageSlots.Read(0, "BG01.MGD"));
        EXPECT_TRUE(s->imageSlots.Read(200, "CH02.MGD"));
        for (int i = 0; i < 160 * 120; ++i)
            s->thumbnail->GetPixels()[i] = 0xFF000000u | static_cast<uint32_t>(i);
        s->componentLength = 1000;
        for (int i = 0; i < 1000; ++i)
            s->componentBuffer[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
        s->TakeSnapshot();
        return s;
    }
    Bytes Read(const std::string& name) const {
        return platform::ReadWholeFile(Dir() + "SAVE/" + name).value_or(Bytes{});
    }
    void Put(const std::string& name, const Bytes& b) const {
        std::filesystem::create_directories(Dir() + "SAVE");
        ASSERT_TRUE(platform::WriteFileAtomic(Dir() + "SAVE/" + name, b));
    }
    // Everything a load could change.
    static std::string Digest(CSaveData& s) {
        std::string all;
        auto add = [&](const void* p, size_t n) { all.append(static_cast<const char*>(p), n); };
        add(s.localVars.data(), sizeof s.localVars);
        add(s.stringVars.data(), sizeof s.stringVars);
        add(s.subtitle.data(), sizeof s.subtitle);
        add(s.bgmList.data(), sizeof s.bgmList);
        add(s.seSlots.data(), sizeof s.seSlots);
        add(s.voiceList.data(), sizeof s.voiceList);
        all += s.GetSnrFileName();
        for (int i = 0; i < 256; ++i)
            all += s.imageSlots.Name(i) + ";";
        add(s.thumbnail->GetPixels(), 160 * 120 * 4);
        add(s.componentBuffer.data(), s.componentBuffer.size());
        add(&s.componentLength, 4);
        return CMD5::Hex(all);
    }
    std::string Dir() const { return game.Dir() + "/"; }

    test::TempGame game{"savegame"};
    test::MapSource source;
    CSpriteCache cache;
};

TEST_F(SaveGameTest, EveryFieldRoundTripsAndAResaveGivesTheSameBytes) {
    auto saved = Filled();
    ASSERT_TRUE(saved->SaveGame(7));
    ASSERT_TRUE(saved->SaveGame(999));
    const Bytes file = Read("GAME07.SAV");
    ASSERT_EQ(file.size(), 155478u + 1000);
    EXPECT_EQ(Read("GAME999.SAV"), file);

    auto loaded = Make();
    ASSERT_TRUE(loaded->LoadGame(7));
    EXPECT_EQ(loaded->localVars, saved->localVars);
    EXPECT_EQ(loaded->stringVars, saved->stringVars);
    EXPECT_EQ(loaded->GetSnrFileName(), "CHAPTER1");
    EXPECT_EQ(loaded->bgmList, saved->bgmList);
    EXPECT_EQ(loaded->voiceList, saved->voiceList);
    EXPECT_STREQ(loaded->subtitle.data(), "Subtitle");
    EXPECT_EQ(loaded->imageSlots.Name(0), "BG01.MGD");
    EXPECT_EQ(loaded->imageSlots.Name(200), "CH02.MGD");
    EXPECT_EQ(loaded->imageSlots.HeldCount(), 2);
    EXPECT_EQ(loaded->componentLength, 1000);
    EXPECT_EQ(Digest(*loaded), Digest(*saved));
    // The snapshot is what was loaded: saving at once writes the same file again.
    ASSERT_TRUE(loaded->SaveGame(8));
    EXPECT_EQ(Read("GAME08.SAV"), file);
}

TEST_F(SaveGameTest, TheSnapshotIsWhatASaveResumes) {
    auto s = Make();
    Put("GAME03.SAV", Bytes{1, 2, 3});
    EXPECT_FALSE(s->SaveGame(3)); // no load point yet: the old file stays
    EXPECT_EQ(Read("GAME03.SAV"), (Bytes{1, 2, 3}));

    s->localVars[11] = 1;
    s->TakeSnapshot();
    s->localVars[11] = 2; // changed after the load point
    std::strcpy(s->subtitle.data(), "later");
    ASSERT_TRUE(s->SaveGame(3));
    auto back = Make();
    ASSERT_TRUE(back->LoadGame(3));
    EXPECT_EQ(back->localVars[11], 1);
    EXPECT_STREQ(back->subtitle.data(), "later"); // the subtitle and thumbnail are current ones

    s->ClearSnapshot();
    EXPECT_FALSE(s->SaveGame(4));
    for (int slot : {-1, 1000})
        EXPECT_FALSE(s->SaveGame(slot));
}

TEST_F(SaveGameTest, EachRefusalChangesNothing) {
    auto good = Filled();
    ASSERT_TRUE(good->SaveGame(1));
    const Bytes file = Read("GAME01.SAV");
    auto patched = [&](size_t at, uint32_t v) {
        Bytes b = file;
        StoreLE<uint32_t>(b, at, v);
        return b;
    };
    Bytes otherTitle = file;
    otherTitle[0] ^= 1;
    Bytes cut = file;
    cut.resize(file.size() - 1);
    Bytes huge(savefile::kMaxFileSize + 1, 0);
    struct Case {
        const char* what;
        Bytes bytes;
        bool stateRefused = false;
    };
    const Case cases[] = {
        {"header", otherTitle},
        {"main length", patched(32, 155443)},
        {"thumbnail count", patched(100, 4)},
        {"thumbnail width", patched(104, 0)},
        {"state too long", patched(155474, 1048577)},
        {"cut short", cut},
        {"larger than any save", huge},
        {"state record refused", file, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        Put("GAME02.SAV", k.bytes);
        auto s = Make();
        s->localVars[5] = 55;
        ASSERT_TRUE(s->imageSlots.Read(4, "CH02.MGD"));
        const std::string before = Digest(*s);
        auto check = [&](ByteSpan, std::string& why) {
            why = "bad record";
            return !k.stateRefused;
        };
        EXPECT_FALSE(s->LoadGame(2, check));
        EXPECT_EQ(Digest(*s), before);
        EXPECT_EQ(s->GetSnapshot(), nullptr);
        EXPECT_EQ(Read("GAME02.SAV"), k.bytes);
    }
    auto s = Make();
    const std::string before = Digest(*s);
    for (int slot : {-1, 1000, 5}) // outside 0-999, and a slot without file
        EXPECT_FALSE(s->LoadGame(slot));
    EXPECT_EQ(Digest(*s), before);
}

TEST_F(SaveGameTest, AFailedWriteKeepsTheOldFile) {
    auto s = Filled();
    ASSERT_TRUE(s->SaveGame(5));
    const Bytes old = Read("GAME05.SAV");
    s->localVars[0] = 12345;
    s->TakeSnapshot();
    platform::InjectWriteFailures(1);
    EXPECT_FALSE(s->SaveGame(5));
    EXPECT_EQ(Read("GAME05.SAV"), old);
    EXPECT_FALSE(std::filesystem::exists(Dir() + "SAVE/GAME05.SAV.tmp"));
    // A leftover temporary file from a crash does not matter.
    Put("GAME05.SAV.tmp", Bytes{9});
    ASSERT_TRUE(s->SaveGame(5));
    auto back = Make();
    ASSERT_TRUE(back->LoadGame(5));
    EXPECT_EQ(back->localVars[0], 12345);
}

TEST_F(SaveGameTest, FilesAndTheDirectoryAreFoundWithoutRegardToCase) {
    std::filesystem::create_directories(Dir() + "save");
    auto s = Filled();
    ASSERT_TRUE(s->SaveGame(7));
    ASSERT_TRUE(std::filesystem::exists(Dir() + "save/GAME07.SAV"));
    std::filesystem::rename(Dir() + "save/GAME07.SAV", Dir() + "save/game07.sav");
    s->localVars[1] = 77;
    s->TakeSnapshot();
    ASSERT_TRUE(s->SaveGame(7)); // overwrites the file under its own spelling
    EXPECT_FALSE(std::filesystem::exists(Dir() + "save/GAME07.SAV"));
    EXPECT_FALSE(std::filesystem::exists(Dir() + "SAVE"));
    auto back = Make();
    ASSERT_TRUE(back->LoadGame(7));
    EXPECT_EQ(back->localVars[1], 77);
    std::array<char, 64> caption{};
    EXPECT_TRUE(back->GetSubTitle(7, caption));
    EXPECT_STREQ(caption.data(), "Subtitle");
}

TEST_F(SaveGameTest, SubtitleThumbnailAndTime) {
    auto s = Filled();
    ASSERT_TRUE(s->SaveGame(4));
    std::array<char, 64> caption{};
    std::unique_ptr<CDIBImage> thumb;
    int64_t time = 0;
    ASSERT_TRUE(s->GetSubTitle(4, caption, &thumb, &time));
    EXPECT_STREQ(caption.data(), "Subtitle");
    ASSERT_TRUE(thumb);
    EXPECT_EQ(std::memcmp(thumb->GetPixels(), s->thumbnail->GetPixels(), 160 * 120 * 4), 0);
    EXPECT_EQ(time, *platform::GetLastWriteTime(Dir() + "SAVE/GAME04.SAV"));
    EXPECT_GT(time, 1500000000);

    // Another game's file (a different header) shows no caption.
    Bytes other = Read("GAME04.SAV");
    other[5] ^= 0x20 ^ 0x01;
    Put("GAME06.SAV", other);
    caption[0] = 'x';
    EXPECT_FALSE(s->GetSubTitle(6, caption, &thumb, &time));
    EXPECT_EQ(caption[0], 0);
    EXPECT_EQ(thumb, nullptr);
    EXPECT_EQ(time, 0);
    EXPECT_FALSE(s->GetSubTitle(9, caption));
}

// The thumbnail modes on a composed screen: left half red, right half blue.
class SaveSumTest : public SaveGameTest {
protected:
    void SetUp() override {
        SaveGameTest::SetUp();
        screen.Create(800, 600);
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                screen.Row(y)[x] = x < 400 ? 0xFFFF0000u : 0xFF0000FFu;
        save = Make();
    }
    uint32_t At(int x, int y) const { return save->thumbnail->Row(y)[x]; }

    CDIBImage screen;
    std::unique_ptr<CSaveData> save;
};

TEST_F(SaveSumTest, StretchAndTint) {
    // The blend onto the cleared thumbnail may lose a few levels; the halves stay apart.
    auto near = [](uint32_t got, uint32_t want) {
        for (int shift : {0, 8, 16, 24})
            if (std::abs(int((got >> shift) & 0xFF) - int((want >> shift) & 0xFF)) > 8)
                return false;
        return true;
    };
    ASSERT_TRUE(save->CreateSaveSum(screen)); // mode 0, untinted
    for (auto [x, y] : {std::pair{0, 0}, {70, 60}})
        EXPECT_PRED2(near, At(x, y), 0xFFFF0000u) << x;
    for (auto [x, y] : {std::pair{90, 60}, {159, 119}})
        EXPECT_PRED2(near, At(x, y), 0xFF0000FFu) << x;

    save->thumbnailParam = static_cast<int32_t>(0xFF000000u); // tinted black
    ASSERT_TRUE(save->CreateSaveSum(screen));
    EXPECT_EQ(At(10, 10), 0xFF000000u);
    EXPECT_EQ(At(150, 10), 0xFF000000u);
}

TEST_F(SaveSumTest, FillMosaicBlurAndPicture) {
    save->thumbnailMode = 30;
    save->thumbnailParam = 0x00123456; // alpha becomes 255 all the same
    ASSERT_TRUE(save->CreateSaveSum(screen));
    for (auto [x, y] : {std::pair{0, 0}, {80, 60}, {159, 119}})
        EXPECT_EQ(At(x, y), 0xFF123456u);

    // A gradient pixelated in 16 × 16 cells: each cell one colour.
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            screen.Row(y)[x] = 0xFF000000u | static_cast<uint32_t>(x / 4) << 8 | uint32_t(y / 3);
    save->thumbnailMode = 10;
    save->thumbnailParam = 16;
    ASSERT_TRUE(save->CreateSaveSum(screen));
    // 120 rows are 7.5 cells: the grid is centred, rows 12-27 make the second cell.
    EXPECT_EQ(At(17, 12), At(31, 27));
    EXPECT_NE(At(15, 12), At(16, 12));
    EXPECT_NE(At(16, 11), At(16, 12));

    // The blur mixes the two halves at the seam; a pass count past 255 blurs as 255 does (on a
    // small thumbnail, to keep the passes quick).
    save->thumbnail = std::make_unique<CDIBImage>();
    ASSERT_TRUE(save->thumbnail->Create(16, 12));
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            screen.Row(y)[x] = x < 400 ? 0xFFFF0000u : 0xFF0000FFu;
    save->thumbnailMode = 20;
    save->thumbnailParam = 2;
    ASSERT_TRUE(save->CreateSaveSum(screen));
    const uint32_t seam = At(8, 6);
    EXPECT_NE(seam & 0xFF, 0u);
    EXPECT_NE(seam & 0xFF0000, 0u);
    save->thumbnailParam = 255;
    ASSERT_TRUE(save->CreateSaveSum(screen));
    std::vector<uint32_t> at255(save->thumbnail->GetPixels(), save->thumbnail->GetPixels() + 192);
    save->thumbnailParam = 2000000000;
    ASSERT_TRUE(save->CreateSaveSum(screen));
    EXPECT_EQ(
        std::vector<uint32_t>(save->thumbnail->GetPixels(), save->thumbnail->GetPixels() + 192),
        at255);

    save->thumbnailMode = 40;
    ASSERT_TRUE(save->thumbnail->Create(160, 120));
    std::strcpy(save->thumbnailName.data(), "CH02.MGD");
    ASSERT_TRUE(save->CreateSaveSum(screen));
    EXPECT_EQ(At(0, 0), 0xFF030201u);
    EXPECT_EQ(At(159, 119), 0xFF030201u);
    std::strcpy(save->thumbnailName.data(), "MISSING.MGD");
    EXPECT_FALSE(save->CreateSaveSum(screen));
    EXPECT_EQ(At(0, 0), 0u); // cleared
    EXPECT_EQ(At(100, 100), 0u);
}

} // namespace
} // namespace qw
