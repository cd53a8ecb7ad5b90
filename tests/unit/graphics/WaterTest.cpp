// The water ripple: its heights, the masked blend span against the scalar one, and the mesh
// blending each destination pixel once.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "graphics/CDIBWater.h"
#include "graphics/PixelKernels.h"
#include "graphics/PixelKernelsScalar.h"
#include "graphics/PixelRules.h"
#include "graphics/WaterBlit.h"

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
            // Every fourth round an opaque source, which the fast kernels take a shortcut for.
            const bool opaque = round % 4 == 0;
            for (size_t i = 0; i < n; ++i) {
                src[i] = opaque           ? static_cast<uint32_t>(rng()) | 0xFF000000u
                         : rng() % 3 == 0 ? rng() & 0x00FFFFFF
                                          : static_cast<uint32_t>(rng());
                d1[i] = static_cast<uint32_t>(rng());
                m1[i] = rng() % 3 == 0;
            }
            const uint32_t colour = opaque || rng() % 2 ? 0xFFFFFFFF : static_cast<uint32_t>(rng());
            std::vector<uint32_t> d2 = d1;
            std::vector<uint8_t> m2 = m1;
            scalar::MaskedBlend(d1.data(), m1.data(), src.data(), n, colour);
            k->maskedBlend(d2.data(), m2.data(), src.data(), n, colour);
            ASSERT_EQ(d1, d2) << k->name;
            ASSERT_EQ(m1, m2) << k->name;
        }
}

// The water's spans stop one pixel before the raster's: on each row the two differ in the
// raster span's last pixel alone, and nowhere else.
TEST(Water, MaskedSpansEndBeforeTheirMaxX) {
    std::mt19937 rng(5);
    CDIBImage src;
    ASSERT_TRUE(src.Create(23, 17));
    for (size_t i = 0; i < src.GetByteSize() / 4; ++i)
        src.GetPixels()[i] = static_cast<uint32_t>(rng()) | 0x01000000u; // never transparent
    for (int round = 0; round < 40; ++round) {
        VertexQuad q;
        for (int i = 0; i < 4; ++i) {
            q.corner[i] = {static_cast<int16_t>(rng() % 90 - 10),
                           static_cast<int16_t>(rng() % 70 - 10), 0};
            q.source[i] = {static_cast<int16_t>(rng() % 23), static_cast<int16_t>(rng() % 17)};
        }
        q.colour = static_cast<uint32_t>(rng());
        CDIBImage before, at;
        ASSERT_TRUE(before.Create(64, 48));
        ASSERT_TRUE(at.Create(64, 48));
        before.FillFull(0xFF000000u);
        at.FillFull(0xFF000000u);
        std::vector<uint8_t> m1(64 * 48), m2(64 * 48);
        BltMaskedQuad(src, before, q, m1.data(), MaskedSpanEnd::BeforeMaxX);
        BltMaskedQuad(src, at, q, m2.data(), MaskedSpanEnd::AtMaxX);
        for (int y = 0; y < 48; ++y) {
            int last = -1; // the raster span's last pixel on this row
            for (int x = 0; x < 64; ++x)
                if (m2[static_cast<size_t>(y) * 64 + x]) last = x;
            for (int x = 0; x < 64; ++x) {
                const size_t i = static_cast<size_t>(y) * 64 + x;
                const bool differs = m1[i] != m2[i] || before.Row(y)[x] != at.Row(y)[x];
                // Short of the page's right edge the raster span's last pixel is its max x,
                // which the water leaves untouched; an edge pixel may be cut from both.
                const bool expected = x == last && last < 63;
                if (x == 63 && last == 63) continue;
                ASSERT_EQ(differs, expected) << round << " at " << x << "," << y;
                if (differs) {
                    ASSERT_EQ(m1[i], 0) << round;
                    ASSERT_EQ(before.Row(y)[x], 0xFF000000u) << round;
                }
            }
        }
    }
}

// A list of quads drawn at once gives the bytes of the same quads drawn one by one through a
// cleared mask: overlapping and crossing quads, meshes whose quads share their edges, sources
// with transparent pixels (a later quad fills what an earlier one left), quads reaching past the
// page or its clip rectangle, and lists whose quads go back up the page.
TEST(Water, MaskedQuadListEqualsItsQuadsOneByOne) {
    const struct {
        const char* what;
        bool mesh;       // a 9 × 7 grid of jittered points, else random corners
        int count;       // random quads
        int reach;       // corners within −reach … page + reach
        int clearEvery;  // every n-th source pixel transparent (0: none)
        bool clip;       // a clip rectangle inside the page
        uint32_t colour; // 0: random per round
    } cases[] = {
        {"random opaque quads", false, 12, 20, 0, false, 0xFFFFFFFFu},
        {"random quads, a third of the source transparent", false, 12, 20, 3, false, 0},
        {"random quads far past the page", false, 20, 80, 2, false, 0xFFFFFFFFu},
        {"random quads in a clip rectangle", false, 12, 20, 4, true, 0},
        {"one quad", false, 1, 20, 2, false, 0},
        {"a mesh, opaque", true, 0, 6, 0, false, 0xFFFFFFFFu},
        {"a mesh, translucent colour and holes", true, 0, 6, 2, false, 0x80FFC0A0u},
        {"a swaying mesh past the page edges", true, 0, 30, 5, false, 0},
        {"a mesh in a clip rectangle", true, 0, 6, 3, true, 0xFFFFFFFFu},
    };
    std::mt19937 rng(41);
    constexpr int kW = 96, kH = 72;
    for (const auto& c : cases) {
        CDIBImage src;
        ASSERT_TRUE(src.Create(31, 23));
        for (size_t i = 0; i < src.GetByteSize() / 4; ++i) {
            uint32_t p = static_cast<uint32_t>(rng());
            if (c.clearEvery != 0 && i % static_cast<size_t>(c.clearEvery) == 0) p &= 0x00FFFFFFu;
            src.GetPixels()[i] = p;
        }
        for (int round = 0; round < 12; ++round) {
            const auto at = [&](int size) {
                return static_cast<int16_t>(static_cast<int>(rng() % (size + 2 * c.reach)) -
                                            c.reach);
            };
            std::vector<VertexQuad> quads;
            if (c.mesh) {
                constexpr int gw = 9, gh = 7;
                QuadCorner pts[gh + 1][gw + 1];
                QuadSource srcs[gh + 1][gw + 1];
                for (int r = 0; r <= gh; ++r)
                    for (int k = 0; k <= gw; ++k) {
                        const int jx = static_cast<int>(rng() % (2 * c.reach + 1)) - c.reach;
                        const int jy = static_cast<int>(rng() % (2 * c.reach + 1)) - c.reach;
                        pts[r][k] = {static_cast<int16_t>(k * kW / gw + jx),
                                     static_cast<int16_t>(r * kH / gh + jy), 0};
                        srcs[r][k] = {static_cast<int16_t>(k * 30 / gw),
                                      static_cast<int16_t>(r * 22 / gh)};
                    }
                for (int r = 0; r < gh; ++r)
                    for (int k = 0; k < gw; ++k) {
                        VertexQuad q;
                        const int rr[4] = {r, r, r + 1, r + 1}, kk[4] = {k, k + 1, k + 1, k};
                        for (int i = 0; i < 4; ++i) {
                            q.corner[i] = pts[rr[i]][kk[i]];
                            q.source[i] = srcs[rr[i]][kk[i]];
                        }
                        quads.push_back(q);
                    }
            } else {
                for (int n = 0; n < c.count; ++n) {
                    VertexQuad q;
                    for (int i = 0; i < 4; ++i) {
                        q.corner[i] = {at(kW), at(kH), 0};
                        q.source[i] = {static_cast<int16_t>(rng() % 31),
                                       static_cast<int16_t>(rng() % 23)};
                    }
                    quads.push_back(q);
                }
            }
            const uint32_t colour = c.colour != 0 ? c.colour : static_cast<uint32_t>(rng());
            for (VertexQuad& q : quads)
                q.colour = colour;
            for (MaskedSpanEnd end : {MaskedSpanEnd::AtMaxX, MaskedSpanEnd::BeforeMaxX}) {
                CDIBImage want, got;
                ASSERT_TRUE(want.Create(kW, kH));
                ASSERT_TRUE(got.Create(kW, kH));
                for (size_t i = 0; i < want.GetByteSize() / 4; ++i)
                    want.GetPixels()[i] = got.GetPixels()[i] = static_cast<uint32_t>(rng());
                if (c.clip) {
                    want.SetClipRect(7, 5, kW - 12, kH - 9);
                    got.SetClipRect(7, 5, kW - 12, kH - 9);
                }
                std::vector<uint8_t> mask(kW * kH, 0);
                for (const VertexQuad& q : quads)
                    BltMaskedQuad(src, want, q, mask.data(), end);
                BltMaskedQuads(src, got, quads.data(), quads.size(), colour, end);
                for (int y = 0; y < kH; ++y)
                    for (int x = 0; x < kW; ++x)
                        ASSERT_EQ(got.Row(y)[x], want.Row(y)[x])
                            << c.what << ", round " << round << ", end " << int(end) << " at " << x
                            << "," << y;
            }
        }
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
