// The transition's clock and lifecycle: frame speed, finish-now, short and empty durations,
// unknown numbers, starting over a running effect, pictures given back to the cache, and the
// pictures that cannot be read.

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

#include "graphics/CDIBOverlap.h"
#include "unit/graphics/OverlapFixtures.h"

namespace qw {
namespace {

struct TimingCase {
    const char* name;
    CallEffectParam param;
    int frameMs;
    int frameSpeed;
    bool finishNow;
    // Elapsed after each Move while active; the Move after the last one ends the effect.
    std::vector<int> elapsed;
};

class OverlapTimingTest : public ::testing::TestWithParam<TimingCase> {};

TEST_P(OverlapTimingTest, ElapsedPerTickAndTheEndingTick) {
    const TimingCase& c = GetParam();
    auto from = test::FlatSurface(8, 6, 0xFF000000u), to = test::FlatSurface(8, 6, 0xFFFFFFFFu);
    CDIBOverlap overlap;
    overlap.InitEffect(from.get(), to.get(), c.param);
    ASSERT_TRUE(overlap.IsActive());
    if (c.finishNow) overlap.SetFinishNow();
    for (size_t i = 0; i < c.elapsed.size(); ++i) {
        overlap.Move(c.frameMs, c.frameSpeed);
        ASSERT_TRUE(overlap.IsActive()) << "tick " << i + 1;
        EXPECT_EQ(overlap.GetElapsed(), c.elapsed[i]) << "tick " << i + 1;
    }
    overlap.Move(c.frameMs, c.frameSpeed);
    EXPECT_FALSE(overlap.IsActive());
    EXPECT_EQ(overlap.GetEffect(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Ticks, OverlapTimingTest,
    ::testing::Values(
        TimingCase{
            "Speed1", CallEffectParam::Make(kEffectFade, 100), 30, 1, false, {30, 60, 90, 100}},
        // The stored setting 0 halves the frame time.
        TimingCase{"Speed0", CallEffectParam::Make(kEffectFade, 40), 30, 0, false, {15, 30, 40}},
        TimingCase{
            "SpeedNegative", CallEffectParam::Make(kEffectFade, 20), 31, -1, false, {15, 20}},
        // "FrameSpeed" 2: the frame time already doubled (60 ms) is doubled again.
        TimingCase{
            "Speed2", CallEffectParam::Make(kEffectFade, 300), 60, 2, false, {120, 240, 300}},
        TimingCase{"Speed3", CallEffectParam::Make(kEffectFade, 5000), 90, 3, false, {5000}},
        TimingCase{"FinishNow", CallEffectParam::Make(kEffectFade, 5000), 30, 1, true, {5000}},
        // OVERLAP's Blt with time 0 is stored as 1 and ends on the second tick.
        TimingCase{"BltTime1", CallEffectParam::Make(kEffectBlt, 1), 30, 1, false, {1}},
        TimingCase{"Duration0", CallEffectParam::Make(kEffectRotate, 0), 30, 1, false, {}},
        TimingCase{"DurationNegative", CallEffectParam::Make(kEffectWipe, -50), 30, 1, false, {}},
        TimingCase{"FilmTimes0", CallEffectParam::MakeFilm("", "", 0, 0, 0), 30, 1, false, {}},
        TimingCase{
            "FilmSum", CallEffectParam::MakeFilm("", "", 20, -500, 25), 30, 1, false, {30, 45}},
        TimingCase{
            "NearIntMax", CallEffectParam::Make(kEffectBlt, INT_MAX), INT_MAX, 3, false, {INT_MAX}},
        TimingCase{
            "HugeFrame", CallEffectParam::Make(kEffectBlt, INT_MAX), INT_MAX, 2, false, {INT_MAX}}),
    [](const ::testing::TestParamInfo<TimingCase>& info) { return std::string(info.param.name); });

TEST(OverlapLifecycleTest, UnknownNumbersAndMissingSurfacesStartNothing) {
    auto from = test::FlatSurface(8, 6, 0), to = test::FlatSurface(8, 6, 0);
    CDIBImage empty;
    CDIBOverlap overlap;
    for (int type : {0, 16, -1, 1000}) {
        overlap.InitEffect(from.get(), to.get(), CallEffectParam::Make(type, 100));
        EXPECT_FALSE(overlap.IsActive()) << type;
    }
    overlap.InitEffect(nullptr, to.get(), CallEffectParam::Make(kEffectFade, 100));
    EXPECT_FALSE(overlap.IsActive());
    overlap.InitEffect(from.get(), &empty, CallEffectParam::Make(kEffectFade, 100));
    EXPECT_FALSE(overlap.IsActive());
    // Every listed number starts, and its final state is drawn before it ends.
    for (int type = kEffectBlt; type <= kEffectBlur; ++type) {
        overlap.InitEffect(from.get(), to.get(), CallEffectParam::Make(type, 10));
        EXPECT_TRUE(overlap.IsActive()) << type;
        EXPECT_EQ(overlap.GetEffect(), type);
    }
}

TEST(OverlapLifecycleTest, FilmDurationIsTheClampedSumOfItsTimes) {
    auto from = test::FlatSurface(8, 6, 0), to = test::FlatSurface(8, 6, 0);
    CDIBOverlap overlap;
    overlap.InitEffect(from.get(), to.get(),
                       CallEffectParam::MakeFilm("", "", INT_MAX, INT_MAX, 7));
    EXPECT_EQ(overlap.GetDuration(), INT_MAX);
    overlap.InitEffect(from.get(), to.get(), CallEffectParam::MakeFilm("", "", -1, 300, INT_MIN));
    EXPECT_EQ(overlap.GetDuration(), 300);
}

class OverlapPictureTest : public ::testing::Test {
protected:
    void SetUp() override {
        from = test::FlatSurface(16, 12, 0xFF102030u);
        to = test::FlatSurface(16, 12, 0xFFC0B0A0u);
        rule = shelf.Add("RULE", 16, 12, &rng);
        flare = shelf.Add("FLARE", 16, 12, &rng);
        overlap.SetServices(&shelf.cache, [this](const char* object, const char* file) {
            reports.push_back(std::string(object) + " " + file);
        });
        frame.Create(16, 12);
    }
    // Runs the effect to its end, drawing each tick; the ticks taken.
    int RunOut() {
        int ticks = 0;
        while (overlap.IsActive() && ticks < 100) {
            overlap.Move(30, 1);
            overlap.Draw(frame);
            ++ticks;
        }
        return ticks;
    }
    std::mt19937 rng{5};
    test::PictureShelf shelf;
    std::unique_ptr<CDIBImage> from, to;
    CDIBSprite* rule = nullptr;
    CDIBSprite* flare = nullptr;
    CDIBOverlap overlap;
    CDIBImage frame;
    std::vector<std::string> reports;
};

TEST_F(OverlapPictureTest, PicturesGoBackToTheCacheWhenTheEffectEndsOrIsReplaced) {
    overlap.InitAlpha(from.get(), to.get(), 100, 1, "RULE", 255);
    EXPECT_EQ(shelf.Count(rule), 2);
    // A new effect over a running one releases the running one first.
    overlap.InitEffect(from.get(), to.get(),
                       CallEffectParam::MakeLensFlare(100, "FLARE", 0, 90, 0));
    EXPECT_EQ(shelf.Count(rule), 1);
    EXPECT_EQ(shelf.Count(flare), 2);
    EXPECT_EQ(RunOut(), 5); // 30, 60, 90, 100, then the end
    EXPECT_EQ(shelf.Count(flare), 1);
    overlap.InitEffect(from.get(), to.get(), CallEffectParam::MakeWipe(100, 0, "RULE"));
    EXPECT_EQ(shelf.Count(rule), 2);
    overlap.Release();
    EXPECT_EQ(shelf.Count(rule), 1);
    EXPECT_TRUE(reports.empty());
}

TEST_F(OverlapPictureTest, UnreadablePicturesAreReportedAndTheTimeStillRuns) {
    // Alpha: reported by name, nothing drawn, the effect runs its time and ends.
    frame.FillFull(0xFF445566u);
    overlap.InitAlpha(from.get(), to.get(), 60, 2, "NORULE", 32);
    EXPECT_EQ(reports, std::vector<std::string>{"CDIBOverlap NORULE"});
    EXPECT_EQ(RunOut(), 3);
    EXPECT_EQ(frame.GetPixels()[0], 0xFF445566u);
    // Wipe without its shape draws nothing (and has no report).
    reports.clear();
    overlap.InitEffect(from.get(), to.get(), CallEffectParam::MakeWipe(60, 0, "NOSHAPE"));
    EXPECT_EQ(RunOut(), 3);
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(frame.GetPixels()[0], 0xFF445566u);
    // LensFlare without its flare is reported and is the plain fade, ending on the to picture.
    overlap.InitEffect(from.get(), to.get(),
                       CallEffectParam::MakeLensFlare(60, "NOFLARE", 0, 60, 0));
    EXPECT_EQ(reports, std::vector<std::string>{"CDIBOverlap NOFLARE"});
    EXPECT_EQ(RunOut(), 3);
    EXPECT_EQ(frame.GetPixels()[0], 0xFFC0B0A0u);
    // Without a cache every picture is unreadable.
    CDIBOverlap bare;
    bare.InitAlpha(from.get(), to.get(), 60, 0, "RULE", 255);
    EXPECT_TRUE(bare.IsActive());
}

} // namespace
} // namespace qw
