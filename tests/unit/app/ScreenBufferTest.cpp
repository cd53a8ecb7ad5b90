#include <gtest/gtest.h>

#include "app/CScreenBuffer.h"
#include "graphics/CDIBImage.h"

namespace qw {
namespace {

int Area(const std::vector<platform::Rect>& rects) {
    int area = 0;
    for (const auto& r : rects)
        area += (r.right - r.left) * (r.bottom - r.top);
    return area;
}

TEST(ScreenBuffer, DirtyAreaCoversThisAndThePreviousFrame) {
    CScreenBuffer screen;
    ASSERT_TRUE(screen.Initialize());
    EXPECT_EQ(screen.GetImage()->GetWidth(), 800);
    screen.AddDirtyRect(10, 10, 19, 19); // inclusive corners: 10 × 10 pixels
    EXPECT_EQ(Area(screen.DirtyRects()), 100);
    screen.FlipDirty();
    screen.AddDirtyRect(790, 590, 900, 700); // clamped to the screen, last column and row included
    EXPECT_EQ(Area(screen.DirtyRects()), 100 + 100);
    screen.BuildRectList();
    ASSERT_NE(screen.GetRectList(), nullptr);
    EXPECT_EQ(screen.GetRectList()->size(), 2u);
    screen.FlipDirty(); // the first rectangle is now two frames old
    EXPECT_EQ(screen.GetRectList(), nullptr);
    EXPECT_EQ(Area(screen.DirtyRects()), 100);
    const int16_t xs[4] = {-5, 3, 3, -5}, ys[4] = {0, 0, 4, 4};
    screen.AddDirtyQuad(xs, ys);
    EXPECT_EQ(Area(screen.DirtyRects()), 100 + 4 * 5);
    screen.InvalidateAll();
    EXPECT_EQ(Area(screen.DirtyRects()), 800 * 600);
}

} // namespace
} // namespace qw
