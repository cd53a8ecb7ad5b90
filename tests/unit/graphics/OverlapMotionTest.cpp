// The moving transitions on full 800 × 600 pages: where they start and end, Rotate's exact last
// frame, Twist's cover at the start, Bound's folded path, and the flare's flash.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "graphics/CDIBOverlap.h"
#include "graphics/PixelRules.h"
#include "unit/graphics/OverlapFixtures.h"

namespace qw {
namespace {

constexpr int kW = 800, kH = 600;
constexpr uint32_t kFrom = 0xFF2040C0u, kTo = 0xFFE0A010u, kFrameFill = 0xFF00FF00u;

using test::CountOf;

class OverlapMotionTest : public ::testing::Test {
protected:
    void SetUp() override {
        from = test::FlatSurface(kW, kH, kFrom);
        to = test::FlatSurface(kW, kH, kTo);
        frame.Create(kW, kH);
        overlap.SetServices(&shelf.cache, nullptr);
    }
    // The frame at `elapsed` of an effect of `time` ms.
    const CDIBImage& FrameAt(const CallEffectParam& param, int elapsed) {
        overlap.InitEffect(from.get(), to.get(), param);
        frame.FillFull(kFrameFill);
        if (elapsed > 0) overlap.Move(elapsed, 1);
        overlap.Draw(frame);
        return frame;
    }
    test::PictureShelf shelf;
    std::unique_ptr<CDIBImage> from, to;
    CDIBImage frame;
    CDIBOverlap overlap;
};

TEST_F(OverlapMotionTest, StartsOnTheOldPageAndEndsOnTheNewOne) {
    const struct {
        const char* name;
        CallEffectParam param;
    } cases[] = {
        {"Rotate0", CallEffectParam::MakeMode(kEffectRotate, 1000, 0)},
        {"Rotate1", CallEffectParam::MakeMode(kEffectRotate, 1000, 1)},
        {"Twist0", CallEffectParam::MakeMode(kEffectTwist, 1000, 0)},
        {"Twist1", CallEffectParam::MakeMode(kEffectTwist, 1000, 1)},
        {"Kacchin0", CallEffectParam::MakeMode(kEffectKacchin, 1000, 0)},
        {"Kacchin1", CallEffectParam::MakeMode(kEffectKacchin, 1000, 1)},
        {"Blur0", CallEffectParam::MakeMode(kEffectBlur, 1000, 0)},
        {"Blur3", CallEffectParam::MakeMode(kEffectBlur, 1000, 3)},
        {"Blur12", CallEffectParam::MakeMode(kEffectBlur, 1000, 12)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CountOf(FrameAt(c.param, 0), kFrom), kW * kH);
        // In the middle both pages show.
        const CDIBImage& mid = FrameAt(c.param, 500);
        EXPECT_LT(CountOf(mid, kFrom), kW * kH);
        EXPECT_LT(CountOf(mid, kTo), kW * kH);
        EXPECT_EQ(CountOf(FrameAt(c.param, 1000), kTo), kW * kH);
    }
}

TEST_F(OverlapMotionTest, RotateEndsOnTheNewPageExactlyAndGrowsFromTheCentre) {
    std::mt19937 rng(3);
    test::FillRandomPixels(*to, rng);
    for (int mode : {0, 1}) {
        const CDIBImage& end = FrameAt(CallEffectParam::MakeMode(kEffectRotate, 700, mode), 700);
        for (int i = 0; i < kW * kH; ++i)
            ASSERT_EQ(end.GetPixels()[i], to->GetPixels()[i]) << "mode " << mode << " pixel " << i;
    }
    // A quarter of the way the box is 200 × 150 about the centre: the corners are the old page.
    const CDIBImage& q = FrameAt(CallEffectParam::MakeMode(kEffectRotate, 1000, 0), 250);
    EXPECT_EQ(q.Row(0)[0], kFrom);
    EXPECT_EQ(q.Row(599)[799], kFrom);
    EXPECT_NE(q.Row(300)[400], kFrom);
}

TEST_F(OverlapMotionTest, BoundFoldsItsPathAndLandsOnThePage) {
    std::mt19937 rng(9);
    test::FillRandomPixels(*to, rng);
    const struct {
        int mode, speed, dx, dy, elapsed;
        int ox, oy; // where the new page's top-left lands (modes 0, 10)
    } cases[] = {
        {0, 1, 100, 0, 250, 50, 0},  // t = 50 of L = 100
        {0, 1, 100, 0, 750, 50, 0},  // t = 150: the second pass runs back
        {0, 2, 0, -40, 375, 0, -20}, // t = 60: one pass and 20 back
        {0, 3, 0, 0, 400, 0, 0},     // no direction: no offset
        {10, 1, 100, 0, 500, 75, 0}, // t = 100 folds to 100, shrunk by 0.75
        {0, 1, 100, 0, 1000, 0, 0},  // the end: home
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " at " << c.elapsed);
        const CDIBImage& f =
            FrameAt(CallEffectParam::MakeBound(1000, c.mode, c.speed, c.dx, c.dy), c.elapsed);
        for (int y : {10, 300, 580})
            for (int x : {5, 400, 790}) {
                const int sx = x - c.ox, sy = y - c.oy;
                const uint32_t want =
                    sx >= 0 && sy >= 0 && sx < kW && sy < kH ? to->Row(sy)[sx] : kFrameFill;
                EXPECT_EQ(f.Row(y)[x], want) << x << "," << y;
            }
    }
    // Modes that are not listed draw nothing.
    EXPECT_EQ(CountOf(FrameAt(CallEffectParam::MakeBound(1000, 2, 1, 10, 10), 500), kFrameFill),
              kW * kH);
}

TEST_F(OverlapMotionTest, LensFlareFlashesInTheMiddleOfItsWindowAndDrawsItsSprites) {
    CDIBSprite* flare = shelf.Add("FLARE", 64, 64, nullptr, 0xFFFFFFFFu);
    ASSERT_TRUE(flare->InitSprtInfo(12, 4));
    for (int i = 0; i < 12; ++i)
        *flare->GetElementForWrite(i) = SpriteElement{0, 0, 16, 16};
    *flare->GetElementForWrite(0) = SpriteElement{0, 0, 64, 64};
    const CallEffectParam param = CallEffectParam::MakeLensFlare(1000, "FLARE", 100, 900, 0);
    const auto plainFade = [&](int elapsed) {
        CDIBOverlap plain;
        CDIBImage f;
        f.Create(kW, kH);
        plain.InitFade(from.get(), to.get(), 1000);
        plain.Move(elapsed, 1);
        plain.Draw(f);
        return f.Row(0)[0];
    };
    // Before the window: the plain fade, no sprites.
    EXPECT_EQ(FrameAt(param, 50).Row(0)[0], plainFade(50));
    EXPECT_EQ(CountOf(frame, 0xFFFFFFFFu), 0);
    // In the middle of the window (q = 0.45, the flash at its height) the white flash all but
    // covers the frame's corner.
    const uint32_t flash = FrameAt(param, 460).Row(0)[0];
    for (int sh : {0, 8, 16})
        EXPECT_GE(flash >> sh & 0xFF, 0xF0u) << std::hex << flash;
    // Later in the window (q = 0.75) the corner is the fade again and the sprites add light
    // about the centre.
    EXPECT_EQ(FrameAt(param, 700).Row(0)[0], plainFade(700));
    EXPECT_EQ(frame.Row(300)[400], 0xFFFFFFFFu);
}

// The flash pixel by pixel against a model of it: the pages' fade (>> 8 form), then element 0
// of the flare stretched over the frame by nearest columns and rows, mixed in by (its alpha +
// the level) / 2 with the frame's alpha kept. On a frame of the pages' size, and on a smaller
// frame, where the pages cannot fade into it and only the flash is drawn.
TEST_F(OverlapMotionTest, LensFlareFlashMatchesAPerPixelModel) {
    std::mt19937 rng(3);
    const auto fromPage = test::RandomSurface(kW, kH, rng),
               toPage = test::RandomSurface(kW, kH, rng);
    CDIBSprite* flare = shelf.Add("FLARE", 70, 50, &rng);
    ASSERT_TRUE(flare->InitSprtInfo(12, 4));
    *flare->GetElementForWrite(0) = SpriteElement{5, 3, 37, 29};
    for (int i = 1; i < 12; ++i) // no sprites: only the flash
        *flare->GetElementForWrite(i) = SpriteElement{0, 0, 0, 0};
    for (const int elapsed : {420, 500}) {
        for (const int fw : {kW, 640}) {
            SCOPED_TRACE(testing::Message() << "elapsed " << elapsed << " width " << fw);
            const int fh = fw * 3 / 4;
            CDIBImage out;
            out.Create(fw, fh);
            test::FillRandomPixels(out, rng);
            std::vector<uint32_t> want(out.GetPixels(), out.GetPixels() + fw * fh);
            CDIBOverlap fx;
            fx.SetServices(&shelf.cache, nullptr);
            fx.InitEffect(fromPage.get(), toPage.get(),
                          CallEffectParam::MakeLensFlare(1000, "FLARE", 100, 900, 0));
            fx.Move(elapsed, 1);
            fx.Draw(out);
            const double qq = ((elapsed - 100) / 800.0 - 0.3) * 3.3333333;
            const uint32_t k = static_cast<uint32_t>(qq < 0.5 ? 510 * qq : 255 - (qq - 0.5) * 510);
            const uint32_t level = static_cast<uint32_t>(elapsed * 255 / 1000);
            for (int y = 0; y < fh; ++y)
                for (int x = 0; x < fw; ++x) {
                    uint32_t& p = want[static_cast<size_t>(y * fw + x)];
                    if (fw == kW)
                        p = pixel::FadeShift8(fromPage->Row(y)[x], toPage->Row(y)[x], level);
                    const uint32_t f = flare->Row(3 + y * 29 / fh)[5 + x * 37 / fw];
                    const uint32_t a = ((f >> 24) + k) >> 1;
                    p = (p & 0xFF000000u) | (pixel::Fade255(p, f, a) & 0x00FFFFFFu);
                }
            ASSERT_TRUE(std::equal(want.begin(), want.end(), out.GetPixels()));
        }
    }
}

} // namespace
} // namespace qw
