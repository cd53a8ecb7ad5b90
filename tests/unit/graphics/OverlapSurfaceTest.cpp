// The transitions drawn through the camera and the effect surfaces — Glass, RotDoor, Fire,
// Water and Film — on full 800 × 600 pages: their first, middle and last frames, the door's
// shading, the film's phases, and the random numbers they draw.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/Random.h"
#include "graphics/CDIBOverlap.h"
#include "graphics/PixelKernels.h"
#include "unit/graphics/OverlapFixtures.h"

namespace qw {
namespace {

constexpr int kW = 800, kH = 600;
constexpr uint32_t kFrom = 0xFF2040C0u, kTo = 0xFFE0A010u, kFrameFill = 0xFF00FF00u;

using test::CountOf;
bool Same(const CDIBImage& a, const CDIBImage& b) {
    return std::equal(a.GetPixels(), a.GetPixels() + a.GetByteSize() / 4, b.GetPixels());
}
int Sum(uint32_t p) {
    return static_cast<int>((p & 0xFF) + (p >> 8 & 0xFF) + (p >> 16 & 0xFF));
}

class OverlapSurfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        from = test::FlatSurface(kW, kH, kFrom);
        to = test::FlatSurface(kW, kH, kTo);
        frame.Create(kW, kH);
        overlap.SetServices(&shelf.cache,
                            [this](const char*, const char* file) { reports += file; });
    }
    // The frame after one Move to `elapsed` (none for 0).
    const CDIBImage& FrameAt(const CallEffectParam& param, int elapsed) {
        SeedRandom(7);
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
    std::string reports;
};

TEST_F(OverlapSurfaceTest, StartsOnTheOldPageMixesInTheMiddleAndEndsOnTheNewOne) {
    // The ripple blends the old page over itself, a step darker (255 × 255 >> 8 = 254).
    constexpr uint32_t kRippled = 0xFE1F3FBFu;
    const struct {
        const char* name;
        CallEffectParam param;
        int middle;
        bool rippled;
        int endShards; // most pixels of the old page still seen at the end
    } cases[] = {
        {"Glass0", CallEffectParam::MakeMode(kEffectGlass, 1000, 0), 250, false, 0},
        // Sent sideways, a few shards at the edges are still on their way out at the end.
        {"Glass2", CallEffectParam::MakeMode(kEffectGlass, 1000, 2), 250, false, kW * kH / 50},
        {"Glass3", CallEffectParam::MakeMode(kEffectGlass, 1000, 3), 250, false, kW * kH / 50},
        {"GlassUnlisted", CallEffectParam::MakeMode(kEffectGlass, 1000, 9), 250, false, 0},
        {"Fire", CallEffectParam::Make(kEffectFire, 1000), 700, false, 0},
        {"Water", CallEffectParam::Make(kEffectWater, 1000), 700, true, 0},
        {"Film", CallEffectParam::MakeFilm("", "", 300, 300, 400), 700, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CDIBImage& start = FrameAt(c.param, 0);
        EXPECT_EQ(CountOf(start, kFrom) + (c.rippled ? CountOf(start, kRippled) : 0), kW * kH);
        const CDIBImage& mid = FrameAt(c.param, c.middle);
        EXPECT_LT(CountOf(mid, kTo), kW * kH);
        EXPECT_LT(CountOf(mid, kFrom), kW * kH);
        EXPECT_GE(CountOf(FrameAt(c.param, 1000), kTo), kW * kH - c.endShards);
        if (c.endShards == 0) {
            EXPECT_EQ(CountOf(frame, kTo), kW * kH);
        }
    }
}

TEST_F(OverlapSurfaceTest, GlassShardsFlyOffTheirOwnWay) {
    // Mode 1 sends every shard left, mode 2 right: halfway the old page has left the right or
    // the left edge of the frame.
    const CDIBImage& left = FrameAt(CallEffectParam::MakeMode(kEffectGlass, 1000, 1), 500);
    EXPECT_EQ(left.Row(300)[795], kTo);
    const CDIBImage& right = FrameAt(CallEffectParam::MakeMode(kEffectGlass, 1000, 2), 500);
    EXPECT_EQ(right.Row(300)[4], kTo);
    // The spins come from the engine's generator: the same seed gives the same frame.
    CDIBImage first;
    first.Create(kW, kH);
    FrameAt(CallEffectParam::MakeMode(kEffectGlass, 1000, 0), 400);
    frame.Copy(&first, 0, 0, 0, 0, kW, kH);
    EXPECT_TRUE(Same(FrameAt(CallEffectParam::MakeMode(kEffectGlass, 1000, 0), 400), first));
}

TEST_F(OverlapSurfaceTest, RotDoorTurnsThePagesAboutTheirAxisAndShadesTheFarSide) {
    // Nothing before time has passed.
    EXPECT_EQ(CountOf(FrameAt(CallEffectParam::MakeMode(kEffectRotDoor, 1000, 0), 0), kFrameFill),
              kW * kH);
    for (int mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        const CallEffectParam param = CallEffectParam::MakeMode(kEffectRotDoor, 1000, mode);
        // A quarter turn in: the old page, turned and shaded, on black; three quarters: the new
        // page turns in (the old one is blue, the new one red).
        const CDIBImage& q1 = FrameAt(param, 250);
        const uint32_t centre = q1.Row(300)[400];
        EXPECT_GT(centre & 0xFF, centre >> 16 & 0xFF) << std::hex << centre;
        if (mode != 2) {
            EXPECT_GT(CountOf(q1, 0), kW * kH / 20); // the frame is cleared to 0
        }
        const uint32_t late = FrameAt(param, 750).Row(300)[400];
        EXPECT_LT(late & 0xFF, late >> 16 & 0xFF) << std::hex << late;
        // At the end it faces the viewer again.
        EXPECT_NEAR(Sum(FrameAt(param, 1000).Row(300)[400]), Sum(kTo), 6);
    }
    // About y the left edge turns away and darkens; the right edge comes nearer, unshaded.
    const CDIBImage& turned = FrameAt(CallEffectParam::MakeMode(kEffectRotDoor, 1000, 0), 200);
    int leftmost = 0, rightmost = kW - 1;
    while (leftmost < kW && turned.Row(300)[leftmost] == 0)
        ++leftmost;
    while (rightmost > 0 && turned.Row(300)[rightmost] == 0)
        --rightmost;
    ASSERT_LT(leftmost + 20, rightmost);
    EXPECT_LT(Sum(turned.Row(300)[leftmost + 2]) + 60, Sum(turned.Row(300)[rightmost - 2]));
}

TEST_F(OverlapSurfaceTest, FireBurnsOverTheOldPageThenTheNewOneComesUp) {
    const CallEffectParam param = CallEffectParam::Make(kEffectFire, 1000);
    SeedRandom(3);
    overlap.InitEffect(from.get(), to.get(), param);
    for (int i = 0; i < 10; ++i)
        overlap.Move(30, 1);
    overlap.Draw(frame);
    // The flame rises from the bottom of the old page.
    EXPECT_NE(frame.Row(kH - 10)[400], kFrom);
    EXPECT_EQ(frame.Row(0)[400], kFrom);
    // Past 90 % the new page is blended over the flame; its strength follows the time.
    const uint32_t at95 = FrameAt(param, 950).Row(0)[400];
    const uint32_t at99 = FrameAt(param, 990).Row(0)[400];
    EXPECT_LT(std::abs(Sum(at99) - Sum(kTo)), std::abs(Sum(at95) - Sum(kTo)));
    EXPECT_NE(at95, kTo);
}

TEST_F(OverlapSurfaceTest, WaterDropsHalfTheTimeAndBlendsTheNewPageFromFortyPercent) {
    const CallEffectParam param = CallEffectParam::Make(kEffectWater, 1000);
    // Each move draws one number, and two more (x, then y) for a drop.
    SeedRandom(11);
    overlap.InitEffect(from.get(), to.get(), param);
    Lcg model(11);
    for (int i = 0; i < 6; ++i) {
        overlap.Move(30, 1);
        if (model.Next() % 100 < 50) {
            model.Next();
            model.Next();
        }
    }
    EXPECT_EQ(NextRandom(), model.Next());
    // From 0.4 the new page is blended over the ripple with alpha (p − 0.4) × 1.6666666 × 255.
    // One move of 300 or 700 ms leaves the same ripple (the simulation takes at most 240 ms a
    // tick), so the frame at 0.7 is the one at 0.3 with the new page over it at alpha 127.
    CDIBImage want;
    want.Create(kW, kH);
    FrameAt(param, 300);
    frame.Copy(&want, 0, 0, 0, 0, kW, kH);
    to->BltBlend(&want, 0, 0, 0, 0, kW, kH, 0x7FFFFFFFu);
    EXPECT_TRUE(Same(FrameAt(param, 700), want));
}

TEST_F(OverlapSurfaceTest, FilmRunsItsPhasesAndSkipsTheOnesWithoutTime) {
    std::mt19937 rng(4);
    test::FillRandomPixels(*from, rng);
    from->FillAlpha(255);
    const CallEffectParam param = CallEffectParam::MakeFilm("", "", 100, 100, 100);
    // Phase 1 starts with the film at alpha 0: the old page alone.
    EXPECT_TRUE(Same(FrameAt(param, 0), *from));
    EXPECT_FALSE(Same(FrameAt(param, 50), *from));
    EXPECT_FALSE(Same(FrameAt(param, 150), *from));
    // Phase 3 halfway: the film is 320 × 175 about the centre over the new page.
    const CDIBImage& shrinking = FrameAt(param, 250);
    const int x0 = (kW - 320) / 2, y0 = (kH - 175) / 2;
    for (auto [x, y] : {std::pair{x0 - 1, 300}, {x0 + 320, 300}, {400, y0 - 1}, {400, y0 + 175}})
        EXPECT_EQ(shrinking.Row(y)[x], kTo) << x << "," << y;
    EXPECT_NE(shrinking.Row(300)[400], kTo);
    EXPECT_EQ(CountOf(FrameAt(param, 300), kTo), kW * kH);
    // Without a fade-in the film is at full strength from the first frame.
    const CDIBImage& held = FrameAt(CallEffectParam::MakeFilm("", "", 0, 100, 100), 0);
    EXPECT_FALSE(Same(held, *from));
}

TEST_F(OverlapSurfaceTest, FilmWithoutTimeDrawsNoNumberAndItsPicturesGoBack) {
    CDIBSprite* scratch = shelf.Add("SCRATCH", 8, 64, nullptr, 0xFFFFFFFFu);
    ASSERT_TRUE(scratch->InitSprtInfo(3, 4));
    for (int i = 0; i < 3; ++i)
        *scratch->GetElementForWrite(i) = SpriteElement{0, 0, 8, 64};
    CDIBSprite* overlay = shelf.Add("OVERLAY", 80, 60, nullptr, 0x40000000u);
    SeedRandom(5);
    overlap.InitEffect(from.get(), to.get(),
                       CallEffectParam::MakeFilm("SCRATCH", "OVERLAY", 0, 0, 0));
    EXPECT_EQ(NextRandom(), Lcg(5).Next());
    EXPECT_EQ(shelf.Count(scratch), 1);
    overlap.InitEffect(from.get(), to.get(),
                       CallEffectParam::MakeFilm("SCRATCH", "OVERLAY", 30, 0, 30));
    EXPECT_EQ(shelf.Count(scratch), 2);
    EXPECT_EQ(shelf.Count(overlay), 2);
    while (overlap.IsActive())
        overlap.Move(30, 1);
    EXPECT_EQ(shelf.Count(scratch), 1);
    EXPECT_EQ(shelf.Count(overlay), 1);
    // Missing pictures are left out without a report.
    overlap.InitEffect(from.get(), to.get(), CallEffectParam::MakeFilm("NONE", "", 30, 0, 0));
    EXPECT_TRUE(overlap.IsActive());
    EXPECT_TRUE(reports.empty());
}

// Every effect that draws through the quad blits, the effect surfaces and the fused row paths
// gives the frames of the scalar kernels with each fast table: random pages (so every blend sees
// all alphas), a flare with its flash and sprites, a film picture, at two points of the effect.
TEST(OverlapKernelTablesTest, FastTablesDrawTheScalarFrames) {
    std::mt19937 rng(21);
    const auto fromPage = test::RandomSurface(kW, kH, rng),
               toPage = test::RandomSurface(kW, kH, rng);
    test::PictureShelf shelf;
    CDIBSprite* flare = shelf.Add("FLARE", 96, 40, &rng);
    ASSERT_TRUE(flare->InitSprtInfo(12, 4));
    *flare->GetElementForWrite(0) = SpriteElement{3, 2, 41, 37};
    for (int e = 1; e < 12; ++e)
        *flare->GetElementForWrite(e) = SpriteElement{static_cast<int16_t>(40 + e * 4), 0, 13, 17};
    shelf.Add("SCRATCH", 64, 48, &rng);
    using P = CallEffectParam;
    const struct {
        const char* name;
        CallEffectParam param;
    } cases[] = {
        {"Rotate0", P::MakeMode(kEffectRotate, 1000, 0)},
        {"LensFlare", P::MakeLensFlare(1000, "FLARE", 100, 900, 1)},
        {"Twist0", P::MakeMode(kEffectTwist, 1000, 0)},
        {"Bound1", P::MakeBound(1000, 1, 2, 40, 30)},
        {"Kacchin1", P::MakeMode(kEffectKacchin, 1000, 1)},
        {"Glass3", P::MakeMode(kEffectGlass, 1000, 3)},
        {"Fire", P::Make(kEffectFire, 1000)},
        {"Water", P::Make(kEffectWater, 1000)},
        {"Film", P::MakeFilm("SCRATCH", "", 300, 300, 400)},
        {"RotDoor0", P::MakeMode(kEffectRotDoor, 1000, 0)},
        {"RotDoor2", P::MakeMode(kEffectRotDoor, 1000, 2)},
        {"Blur0", P::MakeMode(kEffectBlur, 1000, 0)},
        {"Blur12", P::MakeMode(kEffectBlur, 1000, 12)},
    };
    const auto draw = [&](const CallEffectParam& param, int elapsed) {
        SeedRandom(5);
        CDIBOverlap overlap;
        overlap.SetServices(&shelf.cache, nullptr);
        overlap.InitEffect(fromPage.get(), toPage.get(), param);
        overlap.Move(elapsed, 1);
        CDIBImage out;
        out.Create(kW, kH);
        out.FillFull(0x12345678u);
        overlap.Draw(out);
        return std::vector<uint32_t>(out.GetPixels(), out.GetPixels() + out.GetByteSize() / 4);
    };
    const SimdLevel saved = GetSimdLevel();
    for (const auto& c : cases)
        for (const int elapsed : {450, 750}) {
            ASSERT_TRUE(SetSimdLevel(SimdLevel::Scalar));
            const std::vector<uint32_t> want = draw(c.param, elapsed);
            for (const SimdLevel level : {SimdLevel::Sse2, SimdLevel::Avx2}) {
                if (!SetSimdLevel(level)) continue;
                SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(elapsed) + " with " +
                             ActivePixelKernels().name);
                EXPECT_TRUE(draw(c.param, elapsed) == want);
            }
        }
    SetSimdLevel(saved);
}

} // namespace
} // namespace qw
