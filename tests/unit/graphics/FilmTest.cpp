// The film surface: its cells, the cell picked per frame under a seed, and opaque cells with and
// without a scratch picture.
#include <gtest/gtest.h>

#include "common/Random.h"
#include "graphics/CDIBFilm.h"
#include "graphics/CDIBSprite.h"

namespace qw {
namespace {

TEST(Film, CellsAndTheirSequence) {
    CDIBFilm film;
    EXPECT_FALSE(film.Initialize(64, 48, 0, nullptr, nullptr));
    ASSERT_TRUE(film.Initialize(64, 48, 4, nullptr, nullptr));
    EXPECT_EQ(film.GetHeight(), 4 * 48);
    CDIBImage source;
    ASSERT_TRUE(source.Create(128, 96));
    source.FillFull(0x00336699); // transparent: the cells still end opaque
    SeedRandom(5);
    ASSERT_TRUE(film.MakeAnmCell(&source));
    for (int y = 0; y < film.GetHeight(); ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(film.Row(y)[x] >> 24, 255u) << x << "," << y;

    film.SetDrawParam(0, 0, 800, 600, 0xFFFFFFFF);
    film.SetMove(true, false);
    SeedRandom(77);
    Lcg model(77);
    for (int frame = 0; frame < 20; ++frame) {
        film.Move();
        const int cell = model.Next() % 4;
        ASSERT_EQ(film.GetCell(), cell);
        EXPECT_EQ(film.GetQuad().source[0].t, cell * 48);
        EXPECT_EQ(film.GetQuad().source[2].t, cell * 48 + 47);
    }
}

TEST(Film, ScratchAndOverlayAreOptional) {
    CDIBSprite scratch;
    ASSERT_TRUE(scratch.Create(30, 20));
    scratch.FillFull(0xFFFFFFFF);
    ASSERT_TRUE(scratch.InitSprtInfo(2, 4)); // one element short: the third draws nothing
    *scratch.GetElementForWrite(0) = {0, 0, 2, 20};
    *scratch.GetElementForWrite(1) = {10, 0, 4, 10};
    CDIBImage source;
    ASSERT_TRUE(source.Create(40, 40));
    source.FillFull(0xFF000000);
    for (CDIBSprite* s : {static_cast<CDIBSprite*>(nullptr), &scratch}) {
        CDIBFilm film;
        ASSERT_TRUE(film.Initialize(40, 40, 6, s, nullptr));
        SeedRandom(3);
        ASSERT_TRUE(film.MakeAnmCell(&source));
        bool white = false;
        for (int y = 0; y < film.GetHeight(); ++y)
            for (int x = 0; x < 40; ++x)
                white = white || (film.Row(y)[x] & 0xFF) > 0xC0;
        EXPECT_EQ(white, s != nullptr); // only a scratch brightens the black picture that much
    }
}

} // namespace
} // namespace qw
