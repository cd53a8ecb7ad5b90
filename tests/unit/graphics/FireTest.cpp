// The fire surfaces: the colour table, the heat step against a cell-by-cell model under a seed,
// rendering, and the fast row step against the scalar one.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "common/Random.h"
#include "graphics/CDIBFire.h"
#include "graphics/CDIBFireEx.h"
#include "graphics/PixelKernels.h"
#include "graphics/PixelKernelsScalar.h"

namespace qw {
namespace {

constexpr int W = CDIBFire::kGridWidth, H = CDIBFire::kGridHeight;

TEST(Fire, ColourTableAndPixels) {
    const struct {
        int i;
        uint32_t colour;
    } table[] = {{0, 0},          {255, 0xFF0000}, {256, 0xFF0000},
                 {511, 0xFFFF00}, {512, 0xFFFF00}, {767, 0xFFFFFF}};
    for (const auto& e : table)
        EXPECT_EQ(CDIBFire::FireColour(e.i), e.colour) << e.i;

    CDIBFire fire;
    ASSERT_TRUE(fire.Initialize());
    EXPECT_EQ(fire.PixelFor(0), 0u);
    EXPECT_EQ(fire.PixelFor(1), 0x00010000u);   // alpha 128 / 767 rounds to 0
    EXPECT_EQ(fire.PixelFor(384), 0x40FF8000u); // red full, green rising, alpha 64
    for (int h : {767, 768, 10999, 1 << 30})    // all white at alpha 128
        EXPECT_EQ(fire.PixelFor(h), 0x80FFFFFFu) << h;

    // A tint lays over every pixel and makes it opaque; channels saturate at both ends.
    fire.SetDrawParam(0, 0, 800, 600, 0xFFFFFFFF, 10, -300, 0);
    EXPECT_EQ(fire.PixelFor(0), 0xFF0A0000u);
    EXPECT_EQ(fire.PixelFor(767), 0xFFFF00FFu);
}

// The step written cell by cell, the way it reads.
void ModelStep(std::vector<int32_t>& h, bool ex, const CDIBFireEx& shape) {
    int32_t* bottom = &h[static_cast<size_t>(H - 1) * W];
    for (int c = 0; c < W; ++c) {
        const bool seeded =
            ex ? NextRandom() % 100 < shape.SeedPercent(c) : NextRandom() % 100 < 40;
        bottom[c] = seeded ? NextRandom() % 1000 + 10000 : 0;
    }
    const auto at = [&](int r, int c) -> int32_t& { return h[static_cast<size_t>(r) * W + c]; };
    for (int r = 1; r <= 148; ++r)
        for (int c = 1; c <= 798; ++c) {
            const int32_t avg = (at(r + 1, c) + at(r, c - 1) + at(r, c + 1) + at(r, c)) / 4;
            at(r - 1, c) = avg < 8 ? 0 : avg - 7;
        }
}

TEST(Fire, SeededStepsEqualTheModelOnEveryKernelTable) {
    const SimdLevel saved = GetSimdLevel();
    for (SimdLevel level : {SimdLevel::Scalar, SimdLevel::Sse2, SimdLevel::Avx2}) {
        if (!SetSimdLevel(level)) continue;
        SCOPED_TRACE(ActivePixelKernels().name);
        for (bool ex : {false, true}) {
            CDIBFireEx fire; // its plain seeding is CDIBFire's when `ex` is off
            CDIBFire plain;
            CDIBFire& f = ex ? static_cast<CDIBFire&>(fire) : plain;
            ASSERT_TRUE(f.Initialize());
            fire.SetShape(300, 200);
            f.SetMove(true, true);
            SeedRandom(1234);
            f.Move(35); // three steps, 5 ms left over
            EXPECT_EQ(f.GetLeftOver(), 5);

            std::vector<int32_t> model(static_cast<size_t>(W) * H, 0);
            SeedRandom(1234);
            for (int i = 0; i < 3; ++i)
                ModelStep(model, ex, fire);
            bool same = true, warm = false;
            for (int r = 0; r < H; ++r)
                for (int c = 0; c < W; ++c) {
                    const int32_t m = model[static_cast<size_t>(r) * W + c];
                    same = same && f.HeatRow(r)[c] == m;
                    warm = warm || (r < 147 && m > 0);
                    EXPECT_EQ(f.Row(r)[c], f.PixelFor(m));
                }
            EXPECT_TRUE(same);
            EXPECT_TRUE(warm); // the heat has risen
            // No seed outside the spread 200 … 400.
            for (int c = 0; ex && c < W; ++c) {
                if (c <= 200 || c >= 400) {
                    EXPECT_EQ(f.HeatRow(H - 1)[c], 0) << c;
                }
            }
        }
    }
    SetSimdLevel(saved);
}

TEST(Fire, ShortMoveRendersWithoutAStep) {
    CDIBFire fire;
    ASSERT_TRUE(fire.Initialize());
    fire.SetMove(true, true);
    fire.HeatRow(10)[20] = 500;
    fire.Move(9);
    EXPECT_EQ(fire.GetLeftOver(), 9);
    EXPECT_EQ(fire.HeatRow(10)[20], 500); // no step
    EXPECT_EQ(fire.Row(10)[20], fire.PixelFor(500));
    fire.Move(1); // now one step
    EXPECT_EQ(fire.GetLeftOver(), 0);
    EXPECT_NE(fire.HeatRow(10)[20], 500);

    // Clearing zeroes the heats and the time; an inactive fire does not move.
    fire.Move(7);
    fire.SetMove(false, true);
    EXPECT_EQ(fire.GetLeftOver(), 0);
    fire.Move(100);
    EXPECT_EQ(fire.GetLeftOver(), 0);
    EXPECT_EQ(fire.HeatRow(H - 1)[5], 0);
}

TEST(Fire, SpreadBelowTwoSeedsNothing) {
    CDIBFireEx fire;
    for (int spread : {0, 1, -6}) {
        fire.SetShape(400, spread);
        for (int c : {0, 399, 400, 401, 799})
            EXPECT_EQ(fire.SeedPercent(c), 0) << spread << " " << c;
    }
    fire.SetShape(400, 800);
    EXPECT_EQ(fire.SeedPercent(400), 40);
    EXPECT_EQ(fire.SeedPercent(0), 0);
    EXPECT_EQ(fire.SeedPercent(600), 20);
}

TEST(Fire, DrawMapsTheGridMiddleOntoTheRectangle) {
    CDIBFireEx fire;
    ASSERT_TRUE(fire.Initialize());
    fire.SetDrawParam(10, 20, 640, 120, 0xFFFFFFFF, 0, 0, 0);
    fire.SetMove(true, false);
    CDIBImage dst;
    ASSERT_TRUE(dst.Create(800, 600));
    fire.Draw(&dst);
    const VertexQuad& q = fire.GetQuad();
    EXPECT_EQ(q.corner[2].x, 649);
    EXPECT_EQ(q.corner[2].y, 139);
    EXPECT_EQ(q.source[0].s, 80);
    EXPECT_EQ(q.source[0].t, 15);
    EXPECT_EQ(q.source[2].s, 720);
    EXPECT_EQ(q.source[2].t, 135);
}

TEST(Fire, FastRowStepMatchesScalar) {
    std::mt19937 rng(7);
    std::vector<const PixelKernels*> tables;
    if (Sse2PixelKernels()) tables.push_back(Sse2PixelKernels());
    if (Avx2PixelKernels()) tables.push_back(Avx2PixelKernels());
    for (const PixelKernels* k : tables)
        for (size_t n : {1u, 3u, 4u, 5u, 17u, 798u}) {
            std::vector<int32_t> row(n + 2), below(n), a(n), b(n);
            for (auto& v : row)
                v = static_cast<int32_t>(rng() % (rng() % 2 ? 40 : 11000));
            for (auto& v : below)
                v = static_cast<int32_t>(rng() % 11000);
            scalar::FireRow(a.data(), row.data() + 1, below.data(), n);
            k->fireRow(b.data(), row.data() + 1, below.data(), n);
            EXPECT_EQ(a, b) << k->name << " " << n;
        }
}

} // namespace
} // namespace qw
