#include <gtest/gtest.h>

#include <vector>

#include "graphics/CDIBImage.h"

namespace qw {

namespace {

using Pixels = std::vector<std::vector<uint32_t>>;

Pixels Dump(const CDIBImage& img) {
    Pixels rows(static_cast<size_t>(img.GetHeight()));
    for (int y = 0; y < img.GetHeight(); ++y)
        rows[y].assign(img.Row(y), img.Row(y) + img.GetWidth());
    return rows;
}

VertexQuad Quad(std::initializer_list<QuadCorner> corners,
                std::initializer_list<QuadSource> sources, uint32_t colour) {
    VertexQuad q;
    std::copy(corners.begin(), corners.end(), q.corner);
    std::copy(sources.begin(), sources.end(), q.source);
    q.colour = colour;
    return q;
}

// Source (u, v) of a 3 × 3 picture, opaque.
constexpr uint32_t S(int u, int v) {
    return 0xFF000000u | static_cast<uint32_t>(v * 3 + u + 1);
}

} // namespace

// A 3 × 3 picture turned a quarter clockwise: corner 0 (source top-left) at the top right. Worked
// by hand through the edge scan: every row spans x 0..2, from source (row, 2) to (row, 0).
// StretchBltFast steps v by (0 − 2) / 3 and shows the exact turn; StretchBltCopy steps by
// (0 − 2 + 1) / 3, so each row repeats its middle sample.
TEST(DIBQuad, RotatedQuarterTurn) {
    CDIBImage src, dst;
    ASSERT_TRUE(src.Create(3, 3));
    for (int v = 0; v < 3; ++v)
        for (int u = 0; u < 3; ++u)
            src.Row(v)[u] = S(u, v);
    const VertexQuad q = Quad({{2, 0, 0}, {2, 2, 0}, {0, 2, 0}, {0, 0, 0}},
                              {{0, 0}, {2, 0}, {2, 2}, {0, 2}}, 0xFFFFFFFF);
    ASSERT_TRUE(dst.Create(4, 4));
    src.StretchBltFast(&dst, q, false);
    EXPECT_EQ(Dump(dst), (Pixels{{S(0, 2), S(0, 1), S(0, 0), 0},
                                 {S(1, 2), S(1, 1), S(1, 0), 0},
                                 {S(2, 2), S(2, 1), S(2, 0), 0},
                                 {0, 0, 0, 0}}));
    ASSERT_TRUE(dst.Create(4, 4));
    src.StretchBltCopy(&dst, q, false);
    EXPECT_EQ(Dump(dst), (Pixels{{S(0, 2), S(0, 1), S(0, 1), 0},
                                 {S(1, 2), S(1, 1), S(1, 1), 0},
                                 {S(2, 2), S(2, 1), S(2, 1), 0},
                                 {0, 0, 0, 0}}));
    // Clipped on the left: the span's source position advances by step × skipped pixels.
    ASSERT_TRUE(dst.Create(4, 4));
    dst.SetClipRect(2, 1, 3, 3);
    src.StretchBltFast(&dst, q, false);
    EXPECT_EQ(Dump(dst),
              (Pixels{{0, 0, 0, 0}, {0, 0, S(1, 0), 0}, {0, 0, S(2, 0), 0}, {0, 0, 0, 0}}));
}

// A quad of exactly the source's size takes the unscaled blits, whose rules differ from the
// scaled ones on purpose.
TEST(DIBQuad, UnscaledShortcutAndScaledRules) {
    CDIBImage src, dst;
    ASSERT_TRUE(src.Create(2, 2));
    src.FillFull(0xFFFFFFFF);
    VertexQuad q;
    src.SetVertex(q, 1, 1, 0, 0, 2, 2, 0xFFFFFFFF);
    ASSERT_TRUE(dst.Create(4, 4));
    src.StretchBltBlend(&dst, q, false);
    EXPECT_EQ(dst.Row(2)[2], 0xFFFFFFFFu); // BltBlend: 255 stays 255
    EXPECT_EQ(dst.Row(3)[3], 0u);

    src.SetStretchVertex(q, 0, 0, 4, 4, 0xFFFFFFFF); // scaled: the quad blend, 255 → 254
    src.StretchBltBlend(&dst, q, false);
    EXPECT_EQ(dst.Row(2)[2], 0xFEFEFEFEu);
    EXPECT_EQ(dst.Row(3)[3], 0xFEFEFEFEu);

    // BltFast leaves pixels under transparent source pixels alone; StretchBltFast writes them.
    src.FillFull(0x00123456);
    dst.FillFull(0x11111111);
    src.SetVertex(q, 1, 1, 0, 0, 2, 2, 0xFFFFFFFF);
    src.StretchBltFast(&dst, q, false);
    EXPECT_EQ(dst.Row(1)[1], 0x11111111u);
    src.SetStretchVertex(q, 0, 0, 4, 4, 0xFFFFFFFF);
    src.StretchBltFast(&dst, q, false);
    EXPECT_EQ(dst.Row(1)[1], 0xFF123456u);
    EXPECT_EQ(dst.Row(3)[0], 0xFF123456u);

    // Shadow through the shortcut: the colour's R, G, B scaled by the light of corner 0.
    src.FillFull(0xFF808080);
    dst.FillFull(0);
    src.SetVertex(q, 0, 0, 0, 0, 2, 2, 0xFFFFFFFF);
    q.corner[0].shade = 128; // light 127: colour 0xFF7E7E7E
    src.StretchBltBlendShadow(&dst, q, false);
    EXPECT_EQ(dst.Row(0)[0], 0xFF3F3F3Fu); // 128 × 126 / 255 = 63

    // StretchFillBox, shortcut or polygon, fills the same pixels.
    ASSERT_TRUE(dst.Create(5, 5));
    src.SetVertex(q, 1, 1, 0, 0, 2, 2, 0xFF00FF00);
    dst.StretchFillBox(q);
    const Pixels square = Dump(dst);
    ASSERT_TRUE(dst.Create(5, 5));
    q.source[2].s = 1; // no longer the source's size: the polygon path
    q.source[1].s = 1;
    dst.StretchFillBox(q);
    EXPECT_EQ(Dump(dst), square);
    EXPECT_EQ(dst.Row(2)[2], 0xFF00FF00u);
    EXPECT_EQ(dst.Row(3)[3], 0u);
}

// Light runs 255 → 0 from left to right: each pixel blends white shaded by the current light.
TEST(DIBQuad, ShadeInterpolation) {
    CDIBImage src, dst;
    ASSERT_TRUE(src.Create(2, 2));
    src.FillFull(0xFFFFFFFF);
    ASSERT_TRUE(dst.Create(4, 2));
    dst.FillFull(0xFF000000);
    const VertexQuad q = Quad({{0, 0, 0}, {3, 0, 255}, {3, 1, 255}, {0, 1, 0}},
                              {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, 0xFFFFFFFF);
    src.StretchBltBlendShadow(&dst, q, false);
    // Lights 255, 191, 127, 63 → colours 254, 190, 126, 62 → (254 × tint) >> 8.
    const std::vector<uint32_t> row = {0xFDFBFBFB, 0xFDBBBBBB, 0xFD7C7C7C, 0xFD3C3C3C};
    EXPECT_EQ(Dump(dst), (Pixels{row, row}));

    // All shades 0 (or below): exactly StretchBltBlend.
    dst.FillFull(0xFF000000);
    VertexQuad flat = q;
    flat.corner[1].shade = flat.corner[2].shade = -7;
    src.StretchBltBlendShadow(&dst, flat, false);
    EXPECT_EQ(dst.Row(1)[3], 0xFEFEFEFEu);
}

TEST(DIBQuad, SmoothSamplingAndEdges) {
    CDIBImage src, dst;
    ASSERT_TRUE(src.Create(2, 1));
    src.Row(0)[0] = 0xFF000000;
    src.Row(0)[1] = 0xFFFFFFFF;
    ASSERT_TRUE(dst.Create(4, 1));
    // One row: y is the last row, so every sample is taken unfiltered even when smooth.
    VertexQuad q = Quad({{0, 0, 0}, {3, 0, 0}, {3, 0, 0}, {0, 0, 0}},
                        {{0, 0}, {1, 0}, {1, 0}, {0, 0}}, 0xFFFFFFFF);
    src.StretchBltCopy(&dst, q, true);
    EXPECT_EQ(Dump(dst), (Pixels{{0xFF000000, 0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF}}));

    ASSERT_TRUE(src.Create(2, 2));
    src.FillFull(0xFFFFFFFF);
    ASSERT_TRUE(dst.Create(4, 4));
    src.SetStretchVertex(q, 0, 0, 4, 4, 0xFFFFFFFF);
    src.StretchBltCopy(&dst, q, true);
    EXPECT_EQ(dst.Row(0)[0], 0xFDFDFDFDu); // filtered: 255 samples as 253
    EXPECT_EQ(dst.Row(0)[3], 0xFFFFFFFFu); // last source column: as it is
    EXPECT_EQ(dst.Row(3)[0], 0xFFFFFFFFu); // last source row
}

// Quads that reach nowhere draw nothing; bad source coordinates and quads past the edge table are
// made safe rather than read or written out of bounds.
TEST(DIBQuad, OutOfRangeQuads) {
    CDIBImage src, dst;
    ASSERT_TRUE(src.Create(3, 3));
    src.FillFull(0xFFFFFFFF);
    ASSERT_TRUE(dst.Create(6, 6));
    const Pixels empty = Dump(dst);
    const VertexQuad left = Quad({{-9, 0, 0}, {-2, 1, 0}, {-3, 5, 0}, {-8, 4, 0}},
                                 {{0, 0}, {2, 0}, {2, 2}, {0, 2}}, 0xFFFFFFFF);
    src.StretchBltCopy(&dst, left, false);
    src.StretchBltAddBlend(&dst, left);
    dst.StretchFillBox(left);
    EXPECT_EQ(Dump(dst), empty);

    // Source corners far outside the 3 × 3 source are clamped to it.
    const VertexQuad wild = Quad({{0, 0, 0}, {5, 0, 0}, {5, 5, 0}, {0, 5, 0}},
                                 {{-100, -100}, {3000, -5}, {3000, 3000}, {-1, 3000}}, 0xFFFFFFFF);
    for (bool smooth : {false, true}) {
        src.StretchBltCopy(&dst, wild, smooth);
        src.StretchBltBlend(&dst, wild, smooth);
        src.StretchBltFast(&dst, wild, smooth);
    }
    src.StretchBltGrayBlend(&dst, wild);
    EXPECT_EQ(dst.Row(5)[5] >> 24, 0xFFu);
    src.Copy(&dst, 0, 0, -4, 2, 100, 100); // the rectangle blit clips its source too

    // A destination taller than the edge table: a quad reaching below row 4095 is refused.
    CDIBImage tall;
    ASSERT_TRUE(tall.Create(4, 4200));
    const VertexQuad deep = Quad({{0, 4000, 0}, {3, 4000, 0}, {3, 4150, 0}, {0, 4150, 0}},
                                 {{0, 0}, {2, 0}, {2, 2}, {0, 2}}, 0xFFFFFFFF);
    src.StretchBltCopy(&tall, deep, false);
    tall.StretchFillBox(deep);
    EXPECT_EQ(tall.Row(4050)[1], 0u);
    EXPECT_EQ(tall.Row(4100)[1], 0u);
    tall.SetClipRect(0, 0, 3, 4095); // the same quad clipped to rows the table holds is drawn
    src.StretchBltCopy(&tall, deep, false);
    EXPECT_EQ(tall.Row(4050)[1], 0xFFFFFFFFu);
    EXPECT_EQ(tall.Row(4100)[1], 0u);
}

// The per-pixel quad blits with their own rules, over a scaled quad.
TEST(DIBQuad, AddXorOneGrayBlits) {
    CDIBImage src, dst;
    ASSERT_TRUE(src.Create(1, 1));
    src.Row(0)[0] = 0x80FF8000;
    VertexQuad q;
    src.SetStretchVertex(q, 0, 0, 2, 2, 0xFFFFFFFF);
    ASSERT_TRUE(dst.Create(2, 2));
    const struct {
        void (CDIBImage::*blit)(CDIBImage*, const VertexQuad&);
        uint32_t want;
    } cases[] = {
        {&CDIBImage::StretchBltAddBlend, 0x90FF5010},
        {&CDIBImage::StretchBltXorBlend, 0x4709B8F8},
        {&CDIBImage::StretchBltOneBlend, 0x90F78787},
        {&CDIBImage::StretchBltGrayBlend, 0x90C35454},
    };
    for (const auto& k : cases) {
        dst.FillFull(0x10F01010);
        (src.*k.blit)(&dst, q);
        EXPECT_EQ(Dump(dst), (Pixels{{k.want, k.want}, {k.want, k.want}})) << std::hex << k.want;
    }
}

namespace {
// A surface with its own additive pixel: it paints a marker instead of adding.
class MarkingSurface : public CDIBImage {
public:
    void AddBlendPixel(uint32_t* dst, uint32_t, uint32_t) override { *dst = 0xFF123456u; }
};
} // namespace

// The additive quad blit reaches the surface's own pixel operation; the base's rule is kept for
// the plain surface (which the span kernels stand in for).
TEST(DIBQuad, AddBlendReachesTheSurfacesOwnPixel) {
    MarkingSurface marking;
    CDIBImage plain, dst;
    for (CDIBImage* src : {static_cast<CDIBImage*>(&marking), &plain}) {
        ASSERT_TRUE(src->Create(8, 2));
        src->FillFull(0x80FF8000);
    }
    ASSERT_TRUE(dst.Create(16, 4));
    VertexQuad q;
    marking.SetStretchVertex(q, 0, 0, 16, 4, 0xFFFFFFFF);
    dst.FillFull(0x10F01010);
    marking.StretchBltAddBlend(&dst, q);
    EXPECT_EQ(Dump(dst), Pixels(4, std::vector<uint32_t>(16, 0xFF123456u)));
    dst.FillFull(0x10F01010);
    plain.StretchBltAddBlend(&dst, q);
    EXPECT_EQ(Dump(dst), Pixels(4, std::vector<uint32_t>(16, 0x90FF5010u)));
}

} // namespace qw
