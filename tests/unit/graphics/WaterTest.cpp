// The water ripple: its heights, the masked blend span against the scalar one, and the mesh
// blending each destination pixel once.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "graphics/CDIBWater.h"
#include "graphics/PixelKernels.h"
#include "graphics/PixelKernelsScalar.h"
#include "graphics/PixelRules.h"

namespace qw {
namespace {

TEST(Water, GridAndHeights) {
    CDIBWater water;
    ASSERT_TRUE(water.Initialize(800, 600));
    EXPECT_EQ(water.GetGridWidth(), 50);
    EXPECT_EQ(water.GetGridHeight(), 37);
    water.SetMove(true, true);
    water.Drop(400, 300, 5, 5, 4000);
    water.Drop(0, 0, 9, 9, -3000); // a trough at the corner, partly off the grid
    for (int t = 0; t < 40; ++t) {
        water.Move(33);
        for (int i = 0; i < 37; ++i)
            for (int j = 0; j < 50; ++j) {
                const int32_t h = water.Height(i, j);
                ASSERT_GE(h, 0) << t << " " << i << "," << j;
                if (i == 0 || j == 0 || i == 36 || j == 49) {
                    ASSERT_EQ(h, 0);
                }
            }
    }
    CDIBWater tall;
    ASSERT_TRUE(tall.Initialize(100, 400));
    EXPECT_EQ(tall.GetGridWidth(), 12);
    EXPECT_EQ(tall.GetGridHeight(), 50);
}

TEST(Water, FastMaskedBlendMatchesScalar) {
    std::mt19937 rng(11);
    std::vector<const PixelKernels*> tables;
    if (Sse2PixelKernels()) tables.push_back(Sse2PixelKernels());
    if (Avx2PixelKernels()) tables.push_back(Avx2PixelKernels());
    for (const PixelKernels* k : tables)
        for (int round = 0; round < 50; ++round) {
            const size_t n = 1 + rng() % 70;
            std::vector<uint32_t> src(n), d1(n);
            std::vector<uint8_t> m1(n);
            for (size_t i = 0; i < n; ++i) {
                src[i] = rng() % 3 == 0 ? rng() & 0x00FFFFFF : static_cast<uint32_t>(rng());
                d1[i] = static_cast<uint32_t>(rng());
                m1[i] = rng() % 3 == 0;
            }
            const uint32_t colour = rng() % 2 ? 0xFFFFFFFF : static_cast<uint32_t>(rng());
            std::vector<uint32_t> d2 = d1;
            std::vector<uint8_t> m2 = m1;
            scalar::MaskedBlend(d1.data(), m1.data(), src.data(), n, colour);
            k->maskedBlend(d2.data(), m2.data(), src.data(), n, colour);
            ASSERT_EQ(d1, d2) << k->name;
            ASSERT_EQ(m1, m2) << k->name;
        }
}

// A still surface drawn with a translucent colour: every covered pixel is the blend of the
// ground and the picture exactly once, even where mesh quads meet.
TEST(Water, TranslucentColourBlendsEachPixelOnce) {
    CDIBWater water;
    ASSERT_TRUE(water.Initialize(200, 100));
    water.FillFull(0xFF80C040);
    water.SetDrawParam(0, 0, 300, 150, 0x80FFFFFF);
    water.SetMove(true, true);
    water.Drop(100, 50, 3, 3, 40);
    water.Move(66);
    CDIBImage dst;
    ASSERT_TRUE(dst.Create(320, 160));
    dst.FillFull(0xFF000000);
    water.Draw(&dst);
    const uint32_t once = pixel::Blend(0xFF000000, 0xFF80C040, 0x80FFFFFF);
    int covered = 0;
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 320; ++x) {
            const uint32_t p = dst.Row(y)[x];
            ASSERT_TRUE(p == once || p == 0xFF000000u) << x << "," << y << " " << std::hex << p;
            covered += p == once;
        }
    EXPECT_GT(covered, 280 * 140);
}

} // namespace
} // namespace qw
