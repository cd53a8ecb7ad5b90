#include <gtest/gtest.h>

#include "graphics/CDIBImage.h"
#include "graphics/CRegion.h"

namespace qw {

using Rects = std::vector<RegionRect>;

TEST(Region, UnionOfOverlappingRectsBecomesBands) {
    CRegion r;
    r.AddRect(0, 0, 10, 10);
    r.AddRect(5, 5, 15, 15);
    EXPECT_EQ(r.Rects(), (Rects{{0, 0, 10, 5}, {0, 5, 15, 10}, {5, 10, 15, 15}}));
    EXPECT_EQ(r.Bounds(), (RegionRect{0, 0, 15, 15}));
    EXPECT_TRUE(r.Contains(14, 14));
    EXPECT_FALSE(r.Contains(15, 14)); // right and bottom edges are outside
    EXPECT_FALSE(r.Contains(2, 12));
}

TEST(Region, TouchingRectsMergeAndSameSpansCoalesce) {
    CRegion r;
    r.AddRect(0, 0, 4, 2);
    r.AddRect(4, 0, 8, 2); // touches on the right: one span
    r.AddRect(0, 2, 8, 6); // same span right below: one band
    EXPECT_EQ(r.Rects(), (Rects{{0, 0, 8, 6}}));
    r.AddRect(20, 0, 22, 1); // a second span in the first row only
    EXPECT_EQ(r.Rects(), (Rects{{0, 0, 8, 1}, {20, 0, 22, 1}, {0, 1, 8, 6}}));
}

TEST(Region, SubtractAndEmptyRects) {
    CRegion r;
    r.AddRect(3, 3, 3, 9); // empty: ignored
    r.AddRect(5, 5, 1, 9); // reversed: ignored
    EXPECT_TRUE(r.IsEmpty());
    EXPECT_EQ(r.Bounds(), RegionRect{});
    r.AddRect(0, 0, 10, 10);
    r.Subtract(2, 2, 8, 8);
    EXPECT_EQ(r.Rects(), (Rects{{0, 0, 10, 2}, {0, 2, 2, 8}, {8, 2, 10, 8}, {0, 8, 10, 10}}));
    CRegion other;
    other.AddRect(2, 2, 8, 8);
    r.Union(other);
    EXPECT_EQ(r.Rects(), (Rects{{0, 0, 10, 10}}));
    r.Subtract(-5, -5, 50, 50);
    EXPECT_TRUE(r.IsEmpty());
    r.AddRect(1, 1, 2, 2);
    r.Clear();
    EXPECT_TRUE(r.IsEmpty());
}

TEST(DIBImageRegion, OperationsFollowTheRectangleRule) {
    CDIBImage img;
    ASSERT_TRUE(img.Create(8, 6));
    img.FullRGN(); // nothing without a region
    img.UpdateRegionData();
    EXPECT_EQ(img.GetRGN(), nullptr);
    EXPECT_EQ(img.GetRegionData(), nullptr);

    img.CreateRGN();
    ASSERT_NE(img.GetRGN(), nullptr);
    EXPECT_TRUE(img.GetRGN()->IsEmpty());
    // (0, 0, width − 1, height − 1) with right and bottom excluded: the last column and row stay
    // out of a full region, and stay in after a clear.
    img.FullRGN();
    EXPECT_EQ(img.GetRGN()->Rects(), (Rects{{0, 0, 7, 5}}));
    img.AddRGN(0, 0, 8, 6);
    img.ClearRGN();
    EXPECT_EQ(img.GetRGN()->Rects(), (Rects{{7, 0, 8, 5}, {0, 5, 8, 6}}));

    img.CreateRGN();
    VertexQuad q;
    q.corner[0] = {2, 1, 0};
    q.corner[1] = {5, 0, 0};
    q.corner[2] = {6, 4, 0};
    q.corner[3] = {1, 3, 0};
    img.AddRGN(q);          // bounding box, one past the largest x and y
    img.AddRGN(7, 9, 6, 8); // reversed edges are put in order
    CRegion extra;
    extra.AddRect(20, 20, 21, 21);
    img.MergeRGN(&extra);
    img.UpdateRegionData();
    ASSERT_NE(img.GetRegionData(), nullptr);
    EXPECT_EQ(*img.GetRegionData(), (Rects{{1, 0, 7, 5}, {6, 8, 7, 9}, {20, 20, 21, 21}}));
}

} // namespace qw
