// Quads made from sprite elements, drawn through the surface's quad blits.
#include <gtest/gtest.h>

#include "graphics/CDIBSprite.h"

namespace qw {
namespace {

// A 4 × 2 picture whose pixel (x, y) is 0xFF000000 | (y << 8) | x, with two elements: its left
// and its right half.
void MakeHalves(CDIBSprite& s) {
    ASSERT_TRUE(s.Create(4, 2));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            s.Row(y)[x] = 0xFF000000u | uint32_t(y) << 8 | uint32_t(x);
    ASSERT_TRUE(s.InitSprtInfo(2, 4));
    *s.GetElementForWrite(0) = {0, 0, 2, 2};
    *s.GetElementForWrite(1) = {2, 0, 2, 2};
}

TEST(SpriteVertex, ElementQuadsCopyThatElement) {
    CDIBSprite s;
    MakeHalves(s);
    CDIBImage dst;
    ASSERT_TRUE(dst.Create(6, 4));
    VertexQuad q;
    s.SetVertex(q, 1, 3, 1, 0xFFFFFFFF);
    EXPECT_EQ(q.corner[2].x, 4);
    EXPECT_EQ(q.corner[2].y, 2);
    EXPECT_EQ(q.source[0].s, 2);
    EXPECT_EQ(q.source[2].s, 3);
    EXPECT_EQ(q.source[2].t, 1);
    s.StretchBltCopy(&dst, q, false);
    EXPECT_EQ(dst.Row(1)[3], 0xFF000002u);
    EXPECT_EQ(dst.Row(2)[4], 0xFF000103u);
    EXPECT_EQ(dst.Row(1)[2], 0u);

    // Stretched to twice its size: each source pixel covers two by two.
    CDIBImage big;
    ASSERT_TRUE(big.Create(4, 4));
    s.SetStretchVertex(q, 1, 0, 0, 4, 4, 0xFFFFFFFF);
    EXPECT_EQ(q.corner[2].x, 3);
    EXPECT_EQ(q.source[1].s, 3);
    EXPECT_EQ(q.source[3].t, 1);
    s.StretchBltCopy(&big, q, false);
    EXPECT_EQ(big.Row(0)[0], 0xFF000002u);
    EXPECT_EQ(big.Row(1)[1], 0xFF000002u);
    EXPECT_EQ(big.Row(3)[3], 0xFF000103u);
}

TEST(SpriteVertex, AnIndexOutsideTheTableDrawsNothing) {
    CDIBSprite s;
    MakeHalves(s);
    CDIBImage dst;
    ASSERT_TRUE(dst.Create(8, 8));
    VertexQuad q;
    for (int index : {-1, 2, 1000}) {
        s.StretchBltCopy(&dst, s.SetVertex(q, index, 1, 1, 0xFFFFFFFF), false);
        s.StretchBltCopy(&dst, s.SetStretchVertex(q, index, 0, 0, 8, 8, 0xFFFFFFFF), true);
        s.BltBlend(&dst, s.SetVertex(q, index, 0, 0, 0xFFFFFFFF));
    }
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(dst.Row(y)[x], 0u);
}

} // namespace
} // namespace qw
