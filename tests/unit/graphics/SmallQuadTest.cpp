// The small-quad path of the quad copy against the generic scan it stands in for: the same
// pixels for hand-picked shapes, for random quads around the page's edges, and for the frames of
// the effects that draw meshes of small quads.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/Random.h"
#include "graphics/CDIBOverlap.h"
#include "graphics/PixelKernels.h"
#include "graphics/SmallQuadScan.h"
#include "graphics/WaterBlit.h"
#include "unit/graphics/OverlapFixtures.h"

namespace qw {
namespace {

constexpr int kSrcW = 40, kSrcH = 30, kDstW = 32, kDstH = 24;

struct Clip {
    int left, top, right, bottom;
};
constexpr Clip kWhole{0, 0, kDstW - 1, kDstH - 1};

VertexQuad Quad(const int (&xy)[8], const int (&st)[8]) {
    VertexQuad q;
    for (int i = 0; i < 4; ++i) {
        q.corner[i] = {static_cast<int16_t>(xy[2 * i]), static_cast<int16_t>(xy[2 * i + 1]), 0};
        q.source[i] = {static_cast<int16_t>(st[2 * i]), static_cast<int16_t>(st[2 * i + 1])};
    }
    q.colour = 0xFFFFFFFFu;
    return q;
}

// The copy of `q` onto a fresh random background, through the small path or the generic one.
std::vector<uint32_t> CopyThrough(bool small, const CDIBImage& src, const VertexQuad& q,
                                  const Clip& clip, uint32_t seed) {
    std::mt19937 rng(seed);
    const auto dst = test::RandomSurface(kDstW, kDstH, rng);
    dst->SetClipRect(clip.left, clip.top, clip.right, clip.bottom);
    SetSmallQuadPath(small);
    const_cast<CDIBImage&>(src).StretchBltCopy(dst.get(), q, false);
    SetSmallQuadPath(true);
    return {dst->GetPixels(), dst->GetPixels() + dst->GetByteSize() / 4};
}

// The shapes where the scan's rules show: ties between edges, rows one edge leaves untouched,
// steps that wrap back, clipping on every side.
TEST(SmallQuad, ShapesCopyAsTheGenericScan) {
    std::mt19937 rng(11);
    const auto src = test::RandomSurface(kSrcW, kSrcH, rng);
    const int square[8] = {0, 0, 9, 0, 9, 9, 0, 9};
    const struct {
        const char* name;
        VertexQuad quad;
        Clip clip;
    } cases[] = {
        {"one pixel", Quad({5, 5, 5, 5, 5, 5, 5, 5}, {3, 3, 3, 3, 3, 3, 3, 3}), kWhole},
        {"two by two", Quad({4, 4, 5, 4, 5, 5, 4, 5}, {0, 0, 7, 0, 7, 7, 0, 7}), kWhole},
        {"horizontal line", Quad({2, 6, 20, 6, 20, 6, 2, 6}, {0, 0, 39, 0, 39, 0, 0, 0}), kWhole},
        {"vertical line", Quad({7, 1, 7, 1, 7, 20, 7, 20}, {5, 0, 5, 0, 5, 29, 5, 29}), kWhole},
        {"slanted", Quad({3, 1, 14, 4, 11, 15, 0, 12}, {0, 0, 15, 0, 15, 15, 0, 15}), kWhole},
        {"thin sliver", Quad({2, 2, 25, 5, 25, 6, 2, 3}, {0, 0, 39, 2, 39, 3, 0, 1}), kWhole},
        {"bow tie", Quad({2, 2, 20, 18, 20, 2, 2, 18}, {0, 0, 30, 0, 30, 20, 0, 20}), kWhole},
        {"mirrored source", Quad(square, {30, 20, 0, 20, 0, 0, 30, 0}), kWhole},
        {"quarter turn", Quad({9, 0, 9, 9, 0, 9, 0, 0}, {0, 0, 9, 0, 9, 9, 0, 9}), kWhole},
        {"squeezed", Quad({4, 4, 7, 4, 7, 6, 4, 6}, {0, 0, 39, 0, 39, 29, 0, 29}), kWhole},
        {"sources past the picture", Quad(square, {-9, -5, 60, -5, 60, 45, -9, 45}), kWhole},
        {"off the left", Quad({-6, 3, 5, 1, 6, 12, -8, 10}, {0, 0, 12, 0, 12, 12, 0, 12}), kWhole},
        {"off the top", Quad({3, -7, 12, -5, 13, 6, 2, 4}, {0, 0, 12, 0, 12, 12, 0, 12}), kWhole},
        {"off the right and bottom",
         Quad({26, 18, 40, 19, 38, 30, 25, 29}, {0, 0, 14, 0, 14, 12, 0, 12}), kWhole},
        {"on the page's corner", Quad({31, 23, 33, 23, 33, 25, 31, 25}, {1, 1, 3, 1, 3, 3, 1, 3}),
         kWhole},
        {"clip rectangle", Quad({0, 0, 20, 2, 22, 20, 1, 18}, {0, 0, 30, 0, 30, 25, 0, 25}),
         Clip{5, 4, 14, 11}},
        {"clip rectangle missed", Quad(square, {0, 0, 9, 0, 9, 9, 0, 9}), Clip{12, 12, 20, 20}},
        {"wholly outside", Quad({-20, -20, -10, -20, -10, -10, -20, -10}, square), kWhole},
        {"last row it takes", Quad({1, -40, 20, -40, 20, 23, 1, 23}, {0, 0, 39, 0, 39, 29, 0, 29}),
         kWhole},
        {"one row too tall", Quad({1, -41, 20, -41, 20, 23, 1, 23}, {0, 0, 39, 0, 39, 29, 0, 29}),
         kWhole},
        {"wide span", Quad({-100, 2, 200, 3, 210, 12, -90, 14}, {0, 0, 39, 0, 39, 29, 0, 29}),
         kWhole},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto want = CopyThrough(false, *src, c.quad, c.clip, 5);
        EXPECT_EQ(CopyThrough(true, *src, c.quad, c.clip, 5), want);
    }
    // The cases reach the path they are meant for.
    EXPECT_TRUE(SmallQuadScan::Fits(cases[0].quad, kSrcW, kSrcH));
    EXPECT_TRUE(SmallQuadScan::Fits(cases[18].quad, kSrcW, kSrcH));
    EXPECT_FALSE(SmallQuadScan::Fits(cases[19].quad, kSrcW, kSrcH));
}

// Random small quads whose corners fall around the page, with random sources, under every
// kernel table.
TEST(SmallQuad, RandomQuadsCopyAsTheGenericScan) {
    std::mt19937 rng(23);
    const auto src = test::RandomSurface(kSrcW, kSrcH, rng);
    std::uniform_int_distribution<int> size(0, 12), x(-10, kDstW + 6), y(-10, kDstH + 6),
        s(-4, kSrcW + 3), t(-4, kSrcH + 3);
    const SimdLevel saved = GetSimdLevel();
    for (const SimdLevel level : {SimdLevel::Scalar, SimdLevel::Sse2, SimdLevel::Avx2}) {
        if (!SetSimdLevel(level)) continue;
        for (int round = 0; round < 1500; ++round) {
            const int cx = x(rng), cy = y(rng), reach = size(rng);
            std::uniform_int_distribution<int> near(-reach, reach);
            int xy[8], st[8];
            for (int i = 0; i < 4; ++i) {
                xy[2 * i] = cx + near(rng), xy[2 * i + 1] = cy + near(rng);
                st[2 * i] = s(rng), st[2 * i + 1] = t(rng);
            }
            const VertexQuad q = Quad(xy, st);
            const Clip clip = round % 5 == 0 ? Clip{3, 2, 25, 19} : kWhole;
            const auto want = CopyThrough(false, *src, q, clip, round);
            ASSERT_EQ(CopyThrough(true, *src, q, clip, round), want)
                << "round " << round << " with " << ActivePixelKernels().name;
        }
    }
    SetSimdLevel(saved);
}

// The masked blend, one quad at a time and as a whole mesh, over random small quads (some too
// tall for the small path) with random alpha, for both span ends.
TEST(SmallQuad, MaskedBlendsMatchTheGenericScan) {
    std::mt19937 rng(41);
    const auto src = test::RandomSurface(kSrcW, kSrcH, rng);
    for (uint32_t i = 0; i < kSrcW * kSrcH; ++i)
        if (i % 7 == 0) src->GetPixels()[i] &= 0x00FFFFFFu; // alpha 0: left for a later quad
    std::uniform_int_distribution<int> x(-10, kDstW + 6), y(-10, kDstH + 6), s(-4, kSrcW + 3),
        t(-4, kSrcH + 3), size(0, 12);
    std::vector<VertexQuad> quads;
    for (int i = 0; i < 300; ++i) {
        const int cx = x(rng), cy = y(rng), reach = i % 50 == 0 ? 40 : size(rng);
        std::uniform_int_distribution<int> near(-reach, reach);
        int xy[8], st[8];
        for (int c = 0; c < 4; ++c) {
            xy[2 * c] = cx + near(rng), xy[2 * c + 1] = cy + near(rng);
            st[2 * c] = s(rng), st[2 * c + 1] = t(rng);
        }
        quads.push_back(Quad(xy, st));
        quads.back().colour = static_cast<uint32_t>(rng()) | 0x80000000u;
    }
    const auto draw = [&](bool small, MaskedSpanEnd end, bool mesh) {
        std::mt19937 bg(3);
        const auto dst = test::RandomSurface(kDstW, kDstH, bg);
        dst->SetClipRect(2, 1, kDstW - 3, kDstH - 2);
        SetSmallQuadPath(small);
        if (mesh) {
            BltMaskedQuads(*src, *dst, quads.data(), quads.size(), 0xC0A08060u, end);
        } else {
            std::vector<uint8_t> mask(kDstW * kDstH);
            for (const VertexQuad& q : quads)
                BltMaskedQuad(*src, *dst, q, mask.data(), end);
        }
        SetSmallQuadPath(true);
        return std::vector<uint32_t>(dst->GetPixels(), dst->GetPixels() + dst->GetByteSize() / 4);
    };
    for (const MaskedSpanEnd end : {MaskedSpanEnd::BeforeMaxX, MaskedSpanEnd::AtMaxX})
        for (const bool mesh : {false, true}) {
            SCOPED_TRACE(testing::Message() << "mesh " << mesh << " end " << int(end));
            EXPECT_EQ(draw(true, end, mesh), draw(false, end, mesh));
        }
}

// The effects' own frames: the same with the small path as without it.
TEST(SmallQuad, EffectFramesMatchTheGenericScan) {
    constexpr int kW = 800, kH = 600;
    std::mt19937 rng(31);
    const auto fromPage = test::RandomSurface(kW, kH, rng),
               toPage = test::RandomSurface(kW, kH, rng);
    test::PictureShelf shelf;
    using P = CallEffectParam;
    const struct {
        const char* name;
        CallEffectParam param;
    } cases[] = {
        {"Twist0", P::MakeMode(kEffectTwist, 1000, 0)},
        {"Twist1", P::MakeMode(kEffectTwist, 1000, 1)},
        {"Water", P::Make(kEffectWater, 1000)},
        {"Glass0", P::MakeMode(kEffectGlass, 1000, 0)},
    };
    const auto draw = [&](const CallEffectParam& param, int elapsed, bool small) {
        SeedRandom(7);
        SetSmallQuadPath(small);
        CDIBOverlap overlap;
        overlap.SetServices(&shelf.cache, nullptr);
        overlap.InitEffect(fromPage.get(), toPage.get(), param);
        for (int t = 0; t < elapsed; t += 30)
            overlap.Move(std::min(30, elapsed - t), 1);
        CDIBImage out;
        out.Create(kW, kH);
        out.FillFull(0x12345678u);
        overlap.Draw(out);
        SetSmallQuadPath(true);
        return std::vector<uint32_t>(out.GetPixels(), out.GetPixels() + out.GetByteSize() / 4);
    };
    for (const auto& c : cases)
        for (const int elapsed : {0, 130, 500, 870}) {
            SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(elapsed));
            EXPECT_TRUE(draw(c.param, elapsed, true) == draw(c.param, elapsed, false));
        }
}

} // namespace
} // namespace qw
