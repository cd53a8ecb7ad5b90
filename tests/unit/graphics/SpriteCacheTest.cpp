// The picture cache: sharing by name, reference counts, most-recently-used order, the 20 MiB
// trim on Free, the 256-entry limit, registered pictures and movie names.
#include <gtest/gtest.h>

#include <string>

#include "common/ExecLog.h"
#include "graphics/CSpriteCache.h"
#include "unit/graphics/SpriteFixtures.h"

namespace qw {
namespace {

// A one-colour picture as a small run-length file, whatever its size.
Bytes FlatPicture(uint16_t width, uint16_t height) {
    ByteWriter alpha, colour;
    for (size_t left = size_t{width} * height; left > 0;) {
        const size_t n = std::min<size_t>(left, 0x8000);
        alpha.Put<uint16_t>(static_cast<uint16_t>(0x8000 | (n - 1)));
        alpha.Put<uint8_t>(0xFF);
        left -= n;
    }
    for (size_t left = size_t{width} * height; left > 0;) {
        const size_t n = std::min<size_t>(left, 64);
        colour.PutBytes(Bytes{static_cast<uint8_t>(0x40 | (n - 1)), 1, 2, 3});
        left -= n;
    }
    return test::MakeMgd(width, height, MgdEncoding::RunLength,
                         test::RunLengthBlock(alpha.Take(), colour.Take()));
}

constexpr int64_t kFourMiB = 1024 * 1024 * 4;

class SpriteCacheTest : public ::testing::Test {
protected:
    void SetUp() override { cache.Initialize(&source); }
    void Add(const std::string& name, uint16_t w = 2, uint16_t h = 2) {
        source.files[name] = FlatPicture(w, h);
    }
    int CountOf(const CDIBSprite* p) { return cache.GetDataID(p) ? cache.GetDataID(p)->count : -1; }

    test::MapSource source;
    CSpriteCache cache;
};

TEST_F(SpriteCacheTest, SameNameIsSharedAndCounted) {
    Add("A.MGD");
    CDIBSprite* a = cache.Read("A.MGD");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(cache.Read("A.MGD"), a);
    EXPECT_EQ(source.reads, 1);
    EXPECT_EQ(CountOf(a), 2);
    EXPECT_EQ(cache.GetDataID(a)->flag, 0);
    cache.Free(a);
    EXPECT_EQ(CountOf(a), 1);
    // Unreferenced but below 20 MiB: still cached and handed out again without reading.
    cache.Free(a);
    EXPECT_EQ(CountOf(a), 0);
    EXPECT_EQ(cache.Read("A.MGD"), a);
    EXPECT_EQ(source.reads, 1);
    EXPECT_EQ(cache.GetTotalBytes(), 16);
}

TEST_F(SpriteCacheTest, MostRecentlyUsedFirstAndFailuresLeaveNoEntry) {
    Add("A.MGD");
    Add("B.MGD");
    source.files["BAD.MGD"] = Bytes(10, 0);
    CDIBSprite* a = cache.Read("A.MGD");
    CDIBSprite* b = cache.Read("B.MGD");
    EXPECT_EQ(cache.GetEntry(0).picture.get(), b);
    EXPECT_EQ(cache.GetEntry(1).picture.get(), a);
    cache.Read("A.MGD");
    EXPECT_EQ(cache.GetEntry(0).picture.get(), a);
    EXPECT_EQ(cache.GetEntry(1).picture.get(), b);

    EXPECT_EQ(cache.Read("BAD.MGD"), nullptr);
    EXPECT_EQ(cache.Read("MISSING.MGD"), nullptr);
    EXPECT_EQ(cache.GetEntry(2).picture, nullptr);
    EXPECT_EQ(cache.GetTotalBytes(), 32);
    EXPECT_EQ(cache.GetDataID(nullptr), nullptr);
}

TEST_F(SpriteCacheTest, FreeTrimsUnreferencedPicturesFromTheOldEndAboveTwentyMiB) {
    const char* names[] = {"P1", "P2", "P3", "P4", "P5", "P6", "P7"};
    for (const char* n : names)
        Add(n, 1024, 1024); // 4 MiB each
    CDIBSprite* p[7];
    for (int i = 0; i < 6; ++i)
        p[i] = cache.Read(names[i]);
    EXPECT_EQ(cache.GetTotalBytes(), 6 * kFourMiB);

    // 24 MiB held: P1, the oldest, goes; exactly 20 MiB is not above the limit, so the walk
    // goes on but finds only referenced pictures.
    cache.Free(p[0]);
    EXPECT_EQ(cache.GetDataID(p[0]), nullptr);
    EXPECT_EQ(cache.GetTotalBytes(), 5 * kFourMiB);
    // At 20 MiB nothing is trimmed.
    cache.Free(p[1]);
    EXPECT_EQ(CountOf(p[1]), 0);

    // 24 MiB again: P2 goes first (oldest), then P7 as well, since 20 MiB is not below it.
    p[6] = cache.Read(names[6]);
    cache.Free(p[6]);
    EXPECT_EQ(cache.GetDataID(p[1]), nullptr);
    EXPECT_EQ(cache.GetDataID(p[6]), nullptr);
    EXPECT_EQ(cache.GetTotalBytes(), 4 * kFourMiB);
    for (int i = 2; i < 6; ++i)
        EXPECT_EQ(CountOf(p[i]), 1) << i;

    // A trimmed name is read again from the archive.
    const int reads = source.reads;
    EXPECT_NE(cache.Read(names[0]), nullptr);
    EXPECT_EQ(source.reads, reads + 1);
}

TEST_F(SpriteCacheTest, AFullCacheRefusesTheNextPictureWithoutEvicting) {
    for (int i = 0; i < CSpriteCache::kEntries + 1; ++i)
        Add("P" + std::to_string(i));
    for (int i = 0; i < CSpriteCache::kEntries; ++i) {
        CDIBSprite* p = cache.Read("P" + std::to_string(i));
        ASSERT_NE(p, nullptr) << i;
        cache.Free(p);
    }
    EXPECT_EQ(cache.Read("P256"), nullptr);
    EXPECT_NE(cache.Read("P0"), nullptr); // still held
    std::unique_ptr<CDIBSprite> extra(new CDIBSprite);
    extra->SetName("EXTRA");
    EXPECT_FALSE(cache.RegisterSprite(extra));
    EXPECT_NE(extra, nullptr);
}

TEST_F(SpriteCacheTest, RegisterSprite) {
    auto made = std::make_unique<CDIBSprite>();
    ASSERT_TRUE(made->Create(4, 4));
    made->MakeUniqueName();
    const std::string name = made->GetName();
    CDIBSprite* raw = made.get();
    ASSERT_TRUE(cache.RegisterSprite(made));
    EXPECT_EQ(made, nullptr);
    EXPECT_EQ(cache.GetEntry(0).picture.get(), raw);
    EXPECT_EQ(CountOf(raw), 1);
    EXPECT_EQ(cache.GetDataID(raw)->flag, 1);
    EXPECT_EQ(cache.GetTotalBytes(), 64);
    EXPECT_EQ(cache.Read(name), raw);
    EXPECT_EQ(CountOf(raw), 2);

    // A held name is refused, whether registered or read.
    auto twin = std::make_unique<CDIBSprite>();
    twin->SetName(name);
    EXPECT_FALSE(cache.RegisterSprite(twin));
    Add("A.MGD");
    cache.Read("A.MGD");
    twin->SetName("A.MGD");
    EXPECT_FALSE(cache.RegisterSprite(twin));
    EXPECT_NE(twin, nullptr);
}

TEST_F(SpriteCacheTest, NamesLongerThan31CharactersAreRefused) {
    const std::string fits(31, 'N'), tooLong(32, 'N');
    Add(fits);
    Add(tooLong);
    EXPECT_NE(cache.Read(fits), nullptr);
    EXPECT_EQ(cache.Read(tooLong), nullptr);
    auto s = std::make_unique<CDIBSprite>();
    s->SetName(tooLong);
    EXPECT_FALSE(cache.RegisterSprite(s));
}

TEST_F(SpriteCacheTest, MovieNamesGoToTheMovieFactory) {
    Add("OP.mpg");
    OutputExecLog(nullptr);
    InitExecLog();
    EXPECT_EQ(cache.Read("OP.mpg"), nullptr); // no video player yet
    EXPECT_NE(FormatExecLog().find("no movie player"), std::string::npos);
    OutputExecLog(nullptr);
    EXPECT_EQ(source.reads, 0);

    std::vector<std::string> asked;
    cache.SetMovieImageFactory([&](std::string_view name) {
        asked.emplace_back(name);
        auto movie = std::make_unique<CDIBSprite>();
        movie->Create(8, 8);
        return movie;
    });
    for (const char* name : {"OP.mpg", "ED.MPG", "X.Mpga", "A.B.mpg"})
        EXPECT_NE(cache.Read(name), nullptr);
    CDIBSprite* again = cache.Read("OP.mpg"); // held: the factory is not asked again
    EXPECT_EQ(again, cache.GetEntry(0).picture.get());
    EXPECT_EQ(asked, (std::vector<std::string>{"OP.mpg", "ED.MPG", "X.Mpga", "A.B.mpg"}));
    Add("MPG.MGD");
    EXPECT_NE(cache.Read("MPG.MGD"), nullptr);
    EXPECT_EQ(asked.size(), 4u);
}

TEST(SpriteCacheKeys, CmpDWORD8ComparesUnsignedLittleEndianWords) {
    auto key = [](std::initializer_list<std::pair<int, uint8_t>> bytes) {
        std::array<uint8_t, 32> k{};
        for (auto [at, v] : bytes)
            k[static_cast<size_t>(at)] = v;
        return k;
    };
    const struct {
        std::array<uint8_t, 32> a, b;
        int expected;
    } cases[] = {
        {key({}), key({}), 0},
        {key({{0, 'A'}}), key({{0, 'B'}}), -1},
        {key({{3, 1}}), key({{0, 0xFF}}), 1},    // byte 3 is the high byte of word 0
        {key({{0, 0x80}}), key({{0, 0x7F}}), 1}, // unsigned
        {key({{3, 0x80}}), key({{3, 0x7F}}), 1}, // unsigned in the top bit as well
        {key({{4, 1}}), key({{0, 1}}), -1},      // the first unequal word decides
        {key({{31, 1}}), key({}), 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CSpriteCache::CmpDWORD8(c.a.data(), c.b.data()), c.expected);
        EXPECT_EQ(CSpriteCache::CmpDWORD8(c.b.data(), c.a.data()), -c.expected);
    }
}

} // namespace
} // namespace qw
