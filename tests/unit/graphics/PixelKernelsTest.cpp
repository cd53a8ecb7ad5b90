// The fast span kernels against the scalar reference, on random data that mixes runs of
// transparent and opaque pixels (the sprite case) with random ones; and whole blits through
// CDIBImage with each table on random clip windows.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "graphics/BilinearSpanSampler.h"
#include "graphics/CDIBImage.h"
#include "graphics/DIBFade.h"
#include "graphics/PixelKernels.h"
#include "graphics/PixelKernelsScalar.h"

namespace qw {

namespace {

std::vector<const PixelKernels*> FastTables() {
    std::vector<const PixelKernels*> tables;
    if (Sse2PixelKernels()) tables.push_back(Sse2PixelKernels());
    if (Avx2PixelKernels()) tables.push_back(Avx2PixelKernels());
    return tables;
}

std::vector<uint32_t> SpritePixels(std::mt19937& rng, size_t n) {
    std::vector<uint32_t> v(n);
    size_t i = 0;
    while (i < n) {
        const size_t run = 1 + rng() % 12;
        const uint32_t kind = rng() % 4; // transparent, opaque, random alpha, edge alphas
        for (size_t j = 0; j < run && i < n; ++j, ++i) {
            const uint32_t rgb = rng() & 0x00FFFFFFu;
            const uint32_t alpha = kind == 0   ? 0
                                   : kind == 1 ? 255
                                   : kind == 2 ? rng() & 0xFF
                                               : (rng() % 2 ? 1 : 254);
            v[i] = alpha << 24 | rgb;
        }
    }
    return v;
}

uint32_t RandomColour(std::mt19937& rng) {
    static const uint32_t special[] = {0x00000000, 0xFFFFFFFF, 0x00FFFFFF, 0xFF000000, 0x80FFFFFF,
                                       0xFFFF00FF, 0x01010101, 0xFEFFFFFF, 0x01FFFFFF};
    return rng() % 3 == 0 ? special[rng() % std::size(special)] : static_cast<uint32_t>(rng());
}

// Restores the renderer's table when a test ends.
struct LevelGuard {
    SimdLevel saved = GetSimdLevel();
    ~LevelGuard() { SetSimdLevel(saved); }
};

} // namespace

// Opaque runs with the untinted colour (a layer drawn as it is) take a shortcut in the fast
// blends; long runs beside the random ones above, with and without a transparent pixel.
TEST(PixelKernels, OpaqueUntintedBlendMatchesTheReference) {
    const PixelKernels& ref = ScalarPixelKernels();
    std::mt19937 rng(19);
    for (const PixelKernels* fast : FastTables()) {
        SCOPED_TRACE(fast->name);
        for (size_t n : {8u, 13u, 16u, 31u, 64u}) {
            for (bool hole : {false, true}) {
                std::vector<uint32_t> src(n), dst(n);
                for (size_t i = 0; i < n; ++i)
                    src[i] = static_cast<uint32_t>(rng()) | 0xFF000000u, dst[i] = rng();
                src[0] &= 0xFF00FF00u; // channels of 0 stay 0
                if (hole) src[n / 2] &= 0x00FFFFFFu;
                auto a = dst, b = dst;
                ref.blend(a.data(), src.data(), n, 0xFFFFFFFFu);
                fast->blend(b.data(), src.data(), n, 0xFFFFFFFFu);
                ASSERT_EQ(a, b) << n << " " << hole;
            }
        }
    }
}

TEST(PixelKernels, FastSpansMatchTheReference) {
    const PixelKernels& ref = ScalarPixelKernels();
    std::mt19937 rng(7);
    for (const PixelKernels* fast : FastTables()) {
        SCOPED_TRACE(fast->name);
        for (int round = 0; round < 400; ++round) {
            const size_t n = rng() % 70, off = rng() % 5;
            auto src = SpritePixels(rng, n + off);
            if (round % 8 == 0) // a whole opaque span: the blends' opaque shortcuts
                for (auto& p : src)
                    p |= 0xFF000000u;
            const auto other = SpritePixels(rng, n + off);
            const auto dst = SpritePixels(rng, n + off);
            const uint32_t c = RandomColour(rng), k = rng() % 256;
            const uint32_t* s = src.data() + off;
            const uint32_t* o = other.data() + off;
            auto a = dst, b = dst;
            const auto same = [&](const char* what) {
                ASSERT_EQ(a, b) << what << " n=" << n << std::hex << " c=" << c << " k=" << k;
            };
            ref.fill(a.data() + off, n, c), fast->fill(b.data() + off, n, c), same("fill");
            ref.bltBlend(a.data() + off, s, n, c), fast->bltBlend(b.data() + off, s, n, c);
            same("bltBlend");
            ref.bltFast(a.data() + off, s, n, c), fast->bltFast(b.data() + off, s, n, c);
            same("bltFast");
            ref.blend(a.data() + off, s, n, c), fast->blend(b.data() + off, s, n, c);
            same("blend");
            ref.modulate(a.data() + off, s, n, c), fast->modulate(b.data() + off, s, n, c);
            same("modulate");
            ref.addBlend(a.data() + off, s, n, c), fast->addBlend(b.data() + off, s, n, c);
            same("addBlend");
            ref.fade255(a.data() + off, s, o, n, k), fast->fade255(b.data() + off, s, o, n, k);
            same("fade255");
            ref.fadeShift8(a.data() + off, s, o, n, k);
            fast->fadeShift8(b.data() + off, s, o, n, k);
            same("fadeShift8");
            ref.fadeToColour(a.data() + off, s, n, c, k);
            fast->fadeToColour(b.data() + off, s, n, c, k);
            same("fadeToColour");
            // In place (dst is also a source), as the fades allow.
            ref.fade255(a.data() + off, a.data() + off, o, n, k);
            fast->fade255(b.data() + off, b.data() + off, o, n, k);
            same("fade255 in place");
        }
    }
}

TEST(PixelKernels, FastBilinearRowsMatchTheReference) {
    std::mt19937 rng(11);
    const int w = 37, h = 23;
    const auto surface = SpritePixels(rng, w * h);
    for (const PixelKernels* fast : FastTables()) {
        SCOPED_TRACE(fast->name);
        for (int round = 0; round < 300; ++round) {
            // A line from a random start to a random end inside the surface, corners included.
            const size_t n = 1 + rng() % 60;
            const int32_t u0 = static_cast<int32_t>(rng() % (w << 16));
            const int32_t v0 = static_cast<int32_t>(rng() % (h << 16));
            const int32_t u1 =
                round % 7 == 0 ? (w - 1) << 16 : static_cast<int32_t>(rng() % (w << 16));
            const int32_t v1 =
                round % 5 == 0 ? (h - 1) << 16 : static_cast<int32_t>(rng() % (h << 16));
            const int32_t du = (u1 - u0) / static_cast<int32_t>(n);
            const int32_t dv = (v1 - v0) / static_cast<int32_t>(n);
            std::vector<uint32_t> a(n), b(n);
            ScalarPixelKernels().bilinearRow(a.data(), surface.data(), w, h, u0, du, v0, dv, n);
            fast->bilinearRow(b.data(), surface.data(), w, h, u0, du, v0, dv, n);
            ASSERT_EQ(a, b) << "u0=" << u0 << " v0=" << v0 << " du=" << du << " dv=" << dv;
            // The nearest samples along the same line; a third of the lines stay on one row.
            const int32_t dvn = round % 3 == 0 ? 0 : dv;
            ScalarPixelKernels().nearestRow(a.data(), surface.data(), w, h, u0, du, v0, dvn, n);
            fast->nearestRow(b.data(), surface.data(), w, h, u0, du, v0, dvn, n);
            ASSERT_EQ(a, b) << "nearest u0=" << u0 << " v0=" << v0 << " du=" << du << " dv=" << dvn;
        }
    }
}

// The shaded quad blend's lights come stepped across the span: rising, falling, flat, at the ends
// of the byte range and past them (a shade the lanes cannot hold takes the reference's path).
TEST(PixelKernels, FastShadedBlendMatchesTheReference) {
    const PixelKernels& ref = ScalarPixelKernels();
    std::mt19937 rng(13);
    for (const PixelKernels* fast : FastTables()) {
        SCOPED_TRACE(fast->name);
        for (int round = 0; round < 400; ++round) {
            const size_t n = rng() % 70, off = rng() % 5;
            const auto src = SpritePixels(rng, n + off);
            const auto dst = SpritePixels(rng, n + off);
            const uint32_t c = RandomColour(rng);
            const int64_t top = round % 9 == 0 ? 300 : 256; // past the byte now and then
            const int64_t l0 = static_cast<int64_t>(rng() % top) << 16 | (rng() & 0xFFFF);
            const int64_t l1 = round % 4 == 0 ? l0 : static_cast<int64_t>(rng() % top) << 16;
            const int64_t dl = n > 0 ? (l1 - l0) / static_cast<int64_t>(n) : 0;
            auto a = dst, b = dst;
            ref.shadeBlend(a.data() + off, src.data() + off, n, c, l0, dl);
            fast->shadeBlend(b.data() + off, src.data() + off, n, c, l0, dl);
            ASSERT_EQ(a, b) << "n=" << n << std::hex << " c=" << c << " l0=" << l0 << " dl=" << dl;
        }
    }
}

// The two-pass filter (with its cache of filtered rows) against the one-pass rule, on the spans
// of scaled blits: steady, creeping and crossing rows, flipped, ending on the last column or row.
TEST(PixelKernels, TwoPassBilinearMatchesOnePass) {
    std::mt19937 rng(5);
    const int w = 41, h = 19;
    const auto surface = SpritePixels(rng, w * h);
    std::vector<const PixelKernels*> tables = FastTables();
    tables.push_back(&ScalarPixelKernels());
    for (const PixelKernels* k : tables) {
        SCOPED_TRACE(k->name);
        for (int blit = 0; blit < 40; ++blit) {
            BilinearSpanSampler sampler(surface.data(), w, h, *k);
            const size_t n = 1 + rng() % 70;
            const bool flip = rng() % 4 == 0;
            const int32_t uStart = flip ? (w - 1) << 16 : static_cast<int32_t>(rng() % (8 << 16));
            const int32_t uEnd = flip ? 0 : (w - 1) << 16 | static_cast<int32_t>(rng() % 0x10000);
            const int32_t du = (uEnd - uStart) / static_cast<int32_t>(n);
            const int32_t dvKind = static_cast<int32_t>(rng() % 3); // none, creeping, crossing
            const int32_t dv = dvKind == 0   ? 0
                               : dvKind == 1 ? 0x10000 / static_cast<int32_t>(n) / 2
                                             : 0x3000;
            for (int row = 0; row < 30; ++row) {
                const int32_t v =
                    static_cast<int32_t>((static_cast<int64_t>(row) * (h - 1) << 16) / 29);
                // Kept inside the source over the whole span.
                const int64_t last = int64_t{dv} * static_cast<int64_t>(n - 1);
                const auto vSafe =
                    static_cast<int32_t>(std::min<int64_t>(v, (int64_t{h} << 16) - 1 - last));
                std::vector<uint32_t> a(n), b(n);
                scalar::BilinearRow(a.data(), surface.data(), w, h, uStart, du, vSafe, dv, n);
                sampler.Sample(b.data(), uStart, du, vSafe, dv, n);
                ASSERT_EQ(a, b) << "blit " << blit << " row " << row << " n=" << n << " du=" << du
                                << " dv=" << dv;
            }
        }
    }
}

// Every blit that runs on the span kernels, through CDIBImage, with each table on random clip
// windows, positions and quads: the destinations must come out byte for byte the same.
TEST(PixelKernels, BlitsMatchTheReferenceOnRandomClipWindows) {
    LevelGuard guard;
    std::vector<SimdLevel> levels;
    for (SimdLevel l : {SimdLevel::Sse2, SimdLevel::Avx2})
        if (SetSimdLevel(l)) levels.push_back(l);
    std::mt19937 rng(3);
    CDIBImage src, from, to;
    ASSERT_TRUE(src.Create(29, 21));
    const auto pixels = SpritePixels(rng, 29 * 21);
    std::copy(pixels.begin(), pixels.end(), src.GetPixels());
    const auto background = SpritePixels(rng, 40 * 30);

    for (SimdLevel level : levels) {
        for (int round = 0; round < 200; ++round) {
            const int l = static_cast<int>(rng() % 45) - 5, t = static_cast<int>(rng() % 35) - 5;
            const int r = l + static_cast<int>(rng() % 45), b = t + static_cast<int>(rng() % 35);
            const int x = static_cast<int>(rng() % 60) - 20, y = static_cast<int>(rng() % 50) - 20;
            const int op = static_cast<int>(rng() % 10);
            const uint32_t c = RandomColour(rng);
            const bool smooth = rng() % 2 == 0;
            VertexQuad q;
            for (int i = 0; i < 4; ++i) {
                q.corner[i] = {static_cast<int16_t>(rng() % 60 - 10),
                               static_cast<int16_t>(rng() % 50 - 10), 0};
                q.source[i] = {static_cast<int16_t>(rng() % 29), static_cast<int16_t>(rng() % 21)};
            }
            if (op >= 8) // a scaled, unturned picture (the two-pass filter's case)
                src.SetStretchVertex(q, x, y, 5 + static_cast<int>(rng() % 50),
                                     5 + static_cast<int>(rng() % 40), c);
            q.colour = c;
            std::vector<uint32_t> results[2];
            for (int pass = 0; pass < 2; ++pass) {
                ASSERT_TRUE(SetSimdLevel(pass == 0 ? SimdLevel::Scalar : level));
                CDIBImage dst;
                ASSERT_TRUE(dst.Create(40, 30));
                std::copy(background.begin(), background.end(), dst.GetPixels());
                dst.SetClipRect(l, t, r, b);
                switch (op) {
                case 0:
                    src.BltBlend(&dst, x, y, 2, 1, 25, 19, c);
                    break;
                case 1:
                    src.BltFast(&dst, x, y, 0, 3, 29, 15, c);
                    break;
                case 2:
                    dst.FillBox(c, x, y, 30, 17);
                    break;
                case 3:
                    src.StretchBltBlend(&dst, q, false);
                    break;
                case 4:
                    src.StretchBltBlend(&dst, q, true);
                    break;
                case 5:
                    src.StretchBltFast(&dst, q, smooth);
                    break;
                case 6:
                    src.StretchBltCopy(&dst, q, true);
                    break;
                default:
                    dst.StretchFillBox(q);
                    break;
                }
                results[pass].assign(dst.GetPixels(), dst.GetPixels() + 40 * 30);
            }
            ASSERT_EQ(results[0], results[1]) << "op " << op << " round " << round;
        }
    }
}

TEST(DIBFade, WholeSurfaceFades) {
    CDIBImage a, b, out, small;
    ASSERT_TRUE(a.Create(5, 3));
    ASSERT_TRUE(b.Create(5, 3));
    ASSERT_TRUE(out.Create(5, 3));
    ASSERT_TRUE(small.Create(4, 3));
    a.FillFull(0x00000000);
    b.FillFull(0xFFFFFFFF);
    EXPECT_FALSE(CrossFade(out, a, small, 10));
    ASSERT_TRUE(CrossFade(out, a, b, 128));
    EXPECT_EQ(out.Row(2)[4], 0x80808080u);
    ASSERT_TRUE(CrossFade(out, a, b, 300)); // clamped to 255: exactly the target
    EXPECT_EQ(out.Row(1)[1], 0xFFFFFFFFu);
    ASSERT_TRUE(CrossFadeShift8(out, a, b, 255));
    EXPECT_EQ(out.Row(0)[3], 0xFEFEFEFEu);
    ASSERT_TRUE(FadeToColor(out, b, 0xFF000000, 255));
    EXPECT_EQ(out.Row(0)[0], 0xFF000000u);
    ASSERT_TRUE(FadeToColor(out, b, 0x00000000, 51)); // 255 × 204 / 255
    EXPECT_EQ(out.Row(2)[2], 0xCCCCCCCCu);
}

} // namespace qw
