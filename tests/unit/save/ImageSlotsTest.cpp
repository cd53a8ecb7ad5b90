// The image slots: a read replaces the slot's picture, a failed read leaves it empty, a picture
// shown elsewhere keeps its own reference, and every reference goes back to the cache.
#include <gtest/gtest.h>

#include "graphics/CSpriteCache.h"
#include "save/CSaveData.h"
#include "unit/graphics/SpriteFixtures.h"

namespace qw {
namespace {

class ImageSlotsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"BG01.MGD", "BG02.MGD"})
            source.files[name] = test::MakeMgd(1, 1, MgdEncoding::Raw, Bytes{1, 2, 3, 4});
        cache.Initialize(&source);
        slots.SetCache(&cache);
    }
    int CountOf(const char* name) {
        for (int i = 0; i < CSpriteCache::kEntries; ++i) {
            const CSpriteCache::Entry& e = cache.GetEntry(i);
            if (e.picture && std::string(reinterpret_cast<const char*>(e.key)) == name)
                return e.count;
        }
        return -1;
    }

    test::MapSource source;
    CSpriteCache cache;
    ImageSlots slots;
};

TEST_F(ImageSlotsTest, ReadReplacesFreesAndNamesTheSlot) {
    ASSERT_TRUE(slots.Read(3, "BG01.MGD"));
    EXPECT_EQ(slots.Name(3), "BG01.MGD");
    EXPECT_EQ(CountOf("BG01.MGD"), 1);

    ASSERT_TRUE(slots.Read(3, "BG02.MGD"));
    EXPECT_EQ(slots.Name(3), "BG02.MGD");
    EXPECT_EQ(CountOf("BG01.MGD"), 0);
    EXPECT_EQ(CountOf("BG02.MGD"), 1);

    // A failed read gives the old picture back and leaves the slot empty.
    EXPECT_FALSE(slots.Read(3, "MISSING.MGD"));
    EXPECT_EQ(slots.Get(3), nullptr);
    EXPECT_EQ(slots.Name(3), "");
    EXPECT_EQ(CountOf("BG02.MGD"), 0);

    for (int slot : {-1, 256}) {
        EXPECT_FALSE(slots.Read(slot, "BG01.MGD"));
        EXPECT_EQ(slots.Get(slot), nullptr);
    }
    EXPECT_EQ(CountOf("BG01.MGD"), 0);
}

TEST_F(ImageSlotsTest, ASecondHolderKeepsThePictureAfterTheSlotEmpties) {
    ASSERT_TRUE(slots.Read(0, "BG01.MGD"));
    CDIBSprite* shown = cache.Read(slots.Name(0)); // what a layer does
    EXPECT_EQ(shown, slots.Get(0));
    slots.Free(0);
    EXPECT_EQ(CountOf("BG01.MGD"), 1);
    cache.Free(shown);
    EXPECT_EQ(CountOf("BG01.MGD"), 0);
}

TEST_F(ImageSlotsTest, ExchangeTakesTheNewReferenceBeforeGivingTheOldBack) {
    ASSERT_TRUE(slots.Read(7, "BG01.MGD"));
    CDIBSprite* again = cache.Read("BG01.MGD");
    ASSERT_TRUE(slots.Exchange(7, again));
    EXPECT_EQ(slots.Get(7), again);
    EXPECT_EQ(CountOf("BG01.MGD"), 1);
    EXPECT_EQ(source.reads, 1);
    EXPECT_FALSE(slots.Exchange(300, nullptr));
}

TEST_F(ImageSlotsTest, ReleaseAndCacheChangeGiveEverythingBack) {
    CSaveData save;
    save.imageSlots.SetCache(&cache);
    ASSERT_TRUE(save.imageSlots.Read(0, "BG01.MGD"));
    ASSERT_TRUE(save.imageSlots.Read(255, "BG02.MGD"));
    EXPECT_EQ(save.imageSlots.HeldCount(), 2);
    save.Release();
    EXPECT_EQ(save.imageSlots.HeldCount(), 0);
    EXPECT_EQ(CountOf("BG01.MGD"), 0);
    EXPECT_EQ(CountOf("BG02.MGD"), 0);

    ASSERT_TRUE(slots.Read(1, "BG01.MGD"));
    slots.SetCache(nullptr);
    EXPECT_EQ(CountOf("BG01.MGD"), 0);
    EXPECT_FALSE(slots.Read(1, "BG01.MGD"));
}

} // namespace
} // namespace qw
