#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "common/Random.h"
#include "graphics/CDIBImage.h"
#include "graphics/PixelRules.h"

namespace qw {

namespace {

// Source pixel values that tell where they came from.
uint32_t Label(int x, int y) {
    return 0xFF000000u | static_cast<uint32_t>(y << 8 | x);
}

void FillLabels(CDIBImage& img) {
    for (int y = 0; y < img.GetHeight(); ++y)
        for (int x = 0; x < img.GetWidth(); ++x)
            img.Row(y)[x] = Label(x, y);
}

// Grey level (the blue byte) of each pixel, row by row.
std::vector<std::vector<int>> Greys(const CDIBImage& img) {
    std::vector<std::vector<int>> rows(static_cast<size_t>(img.GetHeight()));
    for (int y = 0; y < img.GetHeight(); ++y)
        for (int x = 0; x < img.GetWidth(); ++x)
            rows[y].push_back(img.Row(y)[x] & 0xFF);
    return rows;
}

void FillGrey(CDIBImage& img, int (*value)(int x, int y), uint32_t alpha = 0x80) {
    for (int y = 0; y < img.GetHeight(); ++y)
        for (int x = 0; x < img.GetWidth(); ++x) {
            const auto v = static_cast<uint32_t>(value(x, y));
            img.Row(y)[x] = alpha << 24 | v << 16 | v << 8 | v;
        }
}

} // namespace

TEST(DIBImage, CreateAndFills) {
    CDIBImage img;
    EXPECT_FALSE(img.Create(0, 5));
    EXPECT_FALSE(img.IsCreated());
    ASSERT_TRUE(img.Create(6, 4));
    EXPECT_EQ(img.GetByteSize(), 6u * 4 * 4);
    EXPECT_EQ(img.GetClipRect(), (RegionRect{0, 0, 5, 3}));
    EXPECT_EQ(img.Row(3)[5], 0u);

    img.FillFull(0x11223344);
    img.FillAlpha(0xAB);
    EXPECT_EQ(img.Row(2)[2], 0xAB223344u);

    img.SetClipRect(1, -3, 9, 2); // clipped further by the surface
    img.FillBox(0xFFFFFFFF, -2, 1, 5, 10);
    img.FillBox(0xFF0000FF, 4, 0, -1, 2); // negative width: nothing
    img.FillBox(0xFF0000FF, 6, 0, 3, 3);  // right of the clip window: nothing
    const uint32_t o = 0xAB223344, W = 0xFFFFFFFF;
    const std::vector<uint32_t> want = {o, o, o, o, o, o, //
                                        o, W, W, o, o, o, //
                                        o, W, W, o, o, o, //
                                        o, o, o, o, o, o};
    std::vector<uint32_t> got(24);
    img.Copy(got.data());
    EXPECT_EQ(got, want);
}

// The three rectangle blits share their clipping: the destination's clip window on all four
// sides, and the source rectangle kept inside the source.
TEST(DIBImage, RectangleBlitsClipOnEverySide) {
    CDIBImage src;
    ASSERT_TRUE(src.Create(5, 4));
    FillLabels(src);
    const struct {
        int dx, dy, sx, sy, w, h;
    } cases[] = {
        {-2, 3, 0, 0, 5, 4},  // past the clip left (and bottom)
        {5, -1, 0, 0, 5, 4},  // past the right and top
        {2, 2, 1, 1, 3, 2},   // inside
        {0, 0, -2, -1, 5, 4}, // source starts outside the source surface
        {1, 1, 3, 2, 9, 9},   // source runs past the source surface
        {9, 1, 0, 0, 5, 4},   // wholly right of the window
        {1, 7, 0, 0, 5, 4},   // wholly below
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "dx=" << k.dx << " dy=" << k.dy << " sx=" << k.sx << " sy=" << k.sy);
        for (int op = 0; op < 3; ++op) {
            CDIBImage dst;
            ASSERT_TRUE(dst.Create(9, 8));
            dst.FillFull(0x01020304);
            dst.SetClipRect(1, 1, 7, 6);
            if (op == 0) src.Copy(&dst, k.dx, k.dy, k.sx, k.sy, k.w, k.h);
            if (op == 1) src.BltBlend(&dst, k.dx, k.dy, k.sx, k.sy, k.w, k.h, 0xFFFFFFFF);
            if (op == 2) src.BltFast(&dst, k.dx, k.dy, k.sx, k.sy, k.w, k.h, 0xFFFFFFFF);
            for (int y = 0; y < 8; ++y) {
                for (int x = 0; x < 9; ++x) {
                    const int u = x - k.dx + k.sx, v = y - k.dy + k.sy;
                    const bool drawn = x >= 1 && x <= 7 && y >= 1 && y <= 6 && x >= k.dx &&
                                       x < k.dx + k.w && y >= k.dy && y < k.dy + k.h && u >= 0 &&
                                       u < 5 && v >= 0 && v < 4;
                    ASSERT_EQ(dst.Row(y)[x], drawn ? Label(u, v) : 0x01020304u)
                        << "op " << op << " at " << x << "," << y;
                }
            }
        }
    }
}

// Blits of whole rows, where both surfaces are as wide as the rectangle, run as one span: the
// same pixels as row by row, between two surfaces and within one (moving down and up, copies
// and blends).
TEST(DIBImage, WholeRowBlitsMatchTheRule) {
    const auto label = [](CDIBImage& img, int w, int h) {
        img.Create(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                img.Row(y)[x] = static_cast<uint32_t>((x * 37 + y * 91) & 0xFF) << 24 |
                                static_cast<uint32_t>(y << 8 | x) | 0x00400000u;
    };
    const struct {
        int op; // 0 copy, 1 blend, 2 fast
        bool same;
        int dy, sy, h;
    } cases[] = {
        {0, false, 1, 0, 5}, {1, false, 1, 0, 5}, {2, false, 2, 1, 3}, {0, true, 2, 0, 4},
        {0, true, 0, 2, 4},  {1, true, 2, 0, 4},  {1, true, 0, 1, 5},
    };
    const uint32_t colour = 0x80FFFFFFu;
    for (const auto& k : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "op " << k.op << " same " << k.same << " dy " << k.dy << " sy " << k.sy);
        CDIBImage src, dst;
        label(src, 6, 6);
        label(dst, 6, 7);
        CDIBImage& target = k.same ? src : dst;
        std::vector<uint32_t> want(target.GetPixels(),
                                   target.GetPixels() + target.GetByteSize() / 4);
        const std::vector<uint32_t> from(src.GetPixels(), src.GetPixels() + 36);
        for (int y = 0; y < k.h; ++y)
            for (int x = 0; x < 6; ++x) {
                uint32_t& d = want[static_cast<size_t>((k.dy + y) * 6 + x)];
                const uint32_t s = from[static_cast<size_t>((k.sy + y) * 6 + x)];
                d = k.op == 0   ? s
                    : k.op == 1 ? pixel::BltBlend(d, s, colour)
                                : pixel::BltFast(d, s, colour);
            }
        if (k.op == 0) src.Copy(&target, 0, k.dy, 0, k.sy, 6, k.h);
        if (k.op == 1) src.BltBlend(&target, 0, k.dy, 0, k.sy, 6, k.h, colour);
        if (k.op == 2) src.BltFast(&target, 0, k.dy, 0, k.sy, 6, k.h, colour);
        EXPECT_TRUE(std::equal(want.begin(), want.end(), target.GetPixels()));
    }
}

TEST(DIBImage, QuadFormsAndVertexHelpers) {
    CDIBImage src, dst;
    ASSERT_TRUE(src.Create(6, 5));
    ASSERT_TRUE(dst.Create(8, 8));
    FillLabels(src);
    VertexQuad q;
    src.SetVertex(q, 3, 2, 1, 1, 2, 3, 0xFFFFFFFF);
    EXPECT_EQ(q.corner[2].x, 4);
    EXPECT_EQ(q.corner[2].y, 4);
    EXPECT_EQ(q.source[2].s, 2);
    EXPECT_EQ(q.source[2].t, 3);
    src.Copy(&dst, q); // corner 0, source 0, size from the sources
    EXPECT_EQ(dst.Row(2)[3], Label(1, 1));
    EXPECT_EQ(dst.Row(4)[4], Label(2, 3));
    EXPECT_EQ(dst.Row(5)[4], 0u);
    EXPECT_EQ(dst.Row(4)[5], 0u);

    src.SetStretchVertex(q, 1, 1, 4, 4, 0x80FFFFFF);
    EXPECT_EQ(q.corner[1].x, 4);
    EXPECT_EQ(q.source[2].s, 5);
    EXPECT_EQ(q.source[2].t, 4);
    EXPECT_EQ(q.corner[3].shade, 0);
    EXPECT_EQ(q.colour, 0x80FFFFFFu);
}

TEST(DIBImage, MozaikuCells) {
    CDIBImage img;
    ASSERT_TRUE(img.Create(8, 5));
    const auto ramp = [](int x, int y) { return x * 10 + y; };
    FillGrey(img, ramp);
    img.Mozaiku(3, false, false);
    // Cells of 3 from the top-left, partial ones at the right and bottom.
    using G = std::vector<std::vector<int>>;
    EXPECT_EQ(Greys(img), (G{{11, 11, 11, 41, 41, 41, 66, 66},
                             {11, 11, 11, 41, 41, 41, 66, 66},
                             {11, 11, 11, 41, 41, 41, 66, 66},
                             {13, 13, 13, 43, 43, 43, 68, 68},
                             {13, 13, 13, 43, 43, 43, 68, 68}}));
    EXPECT_EQ(img.Row(4)[7] >> 24, 0x80u); // alpha untouched

    // Centred: the grid moves by half the leftover (1, 1) and cells span 4 × 4, overlapping;
    // later cells overwrite and average what earlier ones wrote.
    FillGrey(img, ramp);
    img.Mozaiku(3, false, true);
    EXPECT_EQ(Greys(img), (G{{11, 11, 33, 33, 33, 55, 55, 55},
                             {11, 11, 33, 33, 33, 55, 55, 55},
                             {15, 15, 35, 35, 35, 54, 54, 54},
                             {15, 15, 35, 35, 35, 54, 54, 54},
                             {15, 15, 35, 35, 35, 54, 54, 54}}));

    FillGrey(img, ramp);
    const auto before = Greys(img);
    img.Mozaiku(0, true, true); // block < 1: nothing
    EXPECT_EQ(Greys(img), before);
}

TEST(DIBImage, MozaikuNoiseDrawsRedGreenBlue) {
    CDIBImage img;
    ASSERT_TRUE(img.Create(4, 4));
    img.FillFull(0x400A0A0A);
    SeedRandom(1234);
    img.Mozaiku(8, true, false); // one cell
    Lcg lcg(1234);
    const auto channel = [&](int avg) { return std::clamp(avg + lcg.Next() % 96 - 48, 0, 255); };
    const int r = channel(10), g = channel(10), b = channel(10);
    EXPECT_EQ(img.Row(3)[3], 0x40000000u | static_cast<uint32_t>(r << 16 | g << 8 | b));
    EXPECT_EQ(img.Row(0)[0], img.Row(3)[3]);
}

TEST(DIBImage, BefogSmallSurfaces) {
    CDIBImage img;
    // Below 2 × 2 the blur leaves the surface alone.
    for (auto [w, h] : {std::pair{1, 1}, std::pair{1, 6}, std::pair{6, 1}}) {
        ASSERT_TRUE(img.Create(w, h));
        FillGrey(img, [](int x, int y) { return x * 40 + y * 30; });
        const auto before = Greys(img);
        EXPECT_TRUE(img.Befog(3));
        EXPECT_EQ(Greys(img), before);
    }
    // 2 × 2: only pixel (1, 1) counts as a neighbour of anything.
    ASSERT_TRUE(img.Create(2, 2));
    const int values[2][2] = {{0, 100}, {51, 200}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            img.Row(y)[x] = 0x80000000u | values[y][x] * 0x010101u;
    EXPECT_TRUE(img.Befog(1));
    EXPECT_EQ(Greys(img), (std::vector<std::vector<int>>{{100, 150}, {125, 200}}));
    EXPECT_EQ(img.Row(0)[0] >> 24, 0x80u);
    // 3 × 2: (2, 1) already sees the new value of (1, 1).
    ASSERT_TRUE(img.Create(3, 2));
    FillGrey(img, [](int x, int y) { return y == 1 && x > 0 ? x * 100 : 0; });
    EXPECT_TRUE(img.Befog(1));
    EXPECT_EQ(Greys(img), (std::vector<std::vector<int>>{{75, 75, 75}, {75, 125, 181}}));
}

// The running-sum blur against the plain 49-neighbour rule.
TEST(DIBImage, BefogMatchesThePlainRule) {
    const int w = 13, h = 9;
    CDIBImage img;
    ASSERT_TRUE(img.Create(w, h));
    Lcg lcg(99);
    std::vector<uint32_t> ref(w * h);
    for (uint32_t& p : ref)
        p = static_cast<uint32_t>(lcg.Next()) << 17 ^ static_cast<uint32_t>(lcg.Next());
    std::copy(ref.begin(), ref.end(), img.GetPixels());
    for (int pass = 0; pass < 2; ++pass) {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                int sum[3] = {0, 0, 0}, count = 0;
                for (int ny = y - 3; ny <= y + 3; ++ny)
                    for (int nx = x - 3; nx <= x + 3; ++nx) {
                        if (nx <= 0 || nx >= w || ny <= 0 || ny >= h) continue;
                        ++count;
                        for (int i = 0; i < 3; ++i)
                            sum[i] += (ref[ny * w + nx] >> (8 * i)) & 0xFF;
                    }
                uint32_t& p = ref[y * w + x];
                uint32_t out = p & 0xFF000000u;
                for (int i = 0; i < 3; ++i)
                    out |= static_cast<uint32_t>((sum[i] / count + ((p >> (8 * i)) & 0xFF)) / 2)
                           << (8 * i);
                p = out;
            }
        }
    }
    EXPECT_TRUE(img.Befog(2));
    EXPECT_EQ(std::vector<uint32_t>(img.GetPixels(), img.GetPixels() + w * h), ref);
}

} // namespace qw
