// Layer actions: Setup, Play, Stop, moves and Release against the flags; the moves of each type
// (turns, path time, the raster's fades and phase, the drops under a seed); failed set-ups.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <numbers>
#include <vector>

#include "graphics/CDIBFireEx.h"
#include "unit/graphics/ActionFixture.h"

namespace qw {
namespace {

using test::MakeDef;

struct Flags {
    bool defined, active, playing, playedIn, stopped, drawn;
};

Flags FlagsOf(const CDIBSnrAction& a) {
    return {a.IsDefined(), a.IsActive(), a.IsPlaying(), a.IsPlayedIn(), a.IsStopped(), a.IsDrawn()};
}

std::string Show(const Flags& f) {
    std::string s;
    for (bool b : {f.defined, f.active, f.playing, f.playedIn, f.stopped, f.drawn})
        s += b ? '1' : '0';
    return s;
}

TEST(ActionState, FlagsFollowTheLifecycle) {
    enum Op { Setup, Play, Stop, Move, Release };
    struct Step {
        Op op;
        const char* flags; // defined active playing played-in stopped drawn
    };
    const Step steps[] = {
        {Setup, "100000"}, {Move, "100000"}, // not active: nothing moves
        {Play, "111000"},  {Move, "111101"}, {Move, "111101"},
        {Stop, "110101"},  {Move, "100111"}, // the stop completes and the page is drawn once more
        {Move, "100110"},                    // inactive: nothing changed this tick
        {Play, "111010"},  {Move, "111111"}, {Release, "000000"},
        {Play, "000000"}, // an undefined action does not start
    };
    CDIBSnrAction a;
    a.Initialize();
    for (size_t i = 0; i < std::size(steps); ++i) {
        switch (steps[i].op) {
        case Setup:
            ASSERT_TRUE(a.Setup(MakeDef(ActionType::Rot2D, 1000, 0, 0)));
            break;
        case Play:
            a.Play();
            break;
        case Stop:
            a.Stop();
            break;
        case Move:
            a.Move(false, 30, 1);
            break;
        case Release:
            a.Release();
            break;
        }
        EXPECT_EQ(Show(FlagsOf(a)), steps[i].flags) << "step " << i;
    }
}

TEST(ActionState, EveryTypeStopsThroughTheCommonStep) {
    test::DropCache drops;
    const ActionDefinition defs[] = {
        MakeDef(ActionType::Rot2D, 100, 0, 0),
        MakeDef(ActionType::Scroll, 100, 1, 2, {0, 10}),
        MakeDef(ActionType::Raster, 0, 0, 100, {4, 0}),
        test::RainDef(1000, 4, 0, 0),
        MakeDef(ActionType::Fire, 10000, 400, 800, {1}),
    };
    for (const ActionDefinition& d : defs) {
        CDIBSnrAction a;
        a.Initialize(&drops.cache);
        ASSERT_TRUE(a.Setup(d)) << d.Type();
        a.Play();
        a.Move(false, 30, 1);
        a.Stop();
        a.Move(false, 30, 1);
        EXPECT_EQ(Show(FlagsOf(a)), "100111") << d.Type();
    }
}

TEST(ActionState, FailedSetupsLeaveTheActionUndefined) {
    test::DropCache drops;
    const struct {
        const char* what;
        ActionDefinition def;
    } cases[] = {
        {"no type", MakeDef(ActionType::None, 0, 0, 0)},
        {"type 6", MakeDef(static_cast<ActionType>(6), 0, 0, 0)},
        {"17 scroll points", MakeDef(ActionType::Scroll, 100, 0, 17)},
        {"negative scroll points", MakeDef(ActionType::Scroll, 100, 0, -1)},
        {"rain period 0", test::RainDef(0, 10, 0, 0)},
        {"rain period -5", test::RainDef(-5, 10, 0, 0)},
        {"too many drops", test::RainDef(1000, CDIBSnrAction::kMaxDrops + 1, 0, 0)},
        {"negative drops", test::RainDef(1000, -1, 0, 0)},
        {"missing drop picture", test::RainDef(1000, 10, 0, 0, "NONE")},
    };
    for (const auto& c : cases) {
        CDIBSnrAction a;
        a.Initialize(&drops.cache);
        // A defined action first: the failed set-up must not leave it behind either.
        ASSERT_TRUE(a.Setup(MakeDef(ActionType::Rot2D, 100, 0, 0)));
        a.Play();
        EXPECT_FALSE(a.Setup(c.def)) << c.what;
        EXPECT_FALSE(a.IsDefined()) << c.what;
        EXPECT_FALSE(a.IsActive()) << c.what;
        a.Play();
        a.Move(false, 30, 1); // nothing to move, nothing to crash on
        EXPECT_FALSE(a.IsActive()) << c.what;
    }
    CDIBSnrAction noCache;
    noCache.Initialize(nullptr);
    EXPECT_FALSE(noCache.Setup(test::RainDef(1000, 10, 0, 0)));
}

TEST(ActionState, FrameTimeScalesWithTheFrameSpeedSetting) {
    EXPECT_EQ(ScaledFrameMs(30, 1), 30);
    EXPECT_EQ(ScaledFrameMs(30, 3), 90);
    EXPECT_EQ(ScaledFrameMs(31, 0), 15);
    EXPECT_EQ(ScaledFrameMs(31, -2), 15);
    EXPECT_EQ(ScaledFrameMs(60, 1 << 30), INT32_MAX);
    CDIBSnrAction a;
    a.Initialize();
    a.Setup(MakeDef(ActionType::Rot2D, 1000, 0, 0));
    a.Play();
    a.Move(false, 40, 2);
    a.Move(false, 40, 0);
    EXPECT_EQ(a.GetTime(), 100);
}

TEST(ActionRotation, TurnsAndTime) {
    const struct {
        const char* what;
        int32_t period, turns;
        bool fast;
        int moves, ms;
        int32_t time, count;
    } cases[] = {
        {"within a turn", 1000, 0, false, 3, 30, 90, 0},
        {"wraps", 100, 0, false, 4, 30, 20, 1},
        {"b = 2 ends after two turns at 0", 100, 2, false, 20, 30, 0, 2},
        {"a period shorter than a frame", 7, 0, false, 1, 30, 2, 4},
        {"short period, counted", 7, 3, false, 1, 30, 0, 3},
        {"period 0 does not turn", 0, 0, false, 5, 30, 0, 0},
        {"negative period does not turn", -100, 0, false, 5, 30, 0, 0},
        {"fast ends a counted rotation", 1000, 3, true, 1, 30, 0, 3},
        {"fast does not end an endless one", 1000, 0, true, 2, 30, 60, 0},
    };
    for (const auto& c : cases) {
        CDIBSnrAction a;
        a.Initialize();
        ASSERT_TRUE(a.Setup(MakeDef(ActionType::Rot2D, c.period, c.turns, 0)));
        a.Play();
        for (int i = 0; i < c.moves; ++i)
            a.Move(c.fast, c.ms, 1);
        EXPECT_EQ(a.GetTime(), c.time) << c.what;
        EXPECT_EQ(a.GetTurns(), c.count) << c.what;
        EXPECT_TRUE(a.IsDrawn()) << c.what;
    }
}

TEST(ActionScroll, PathTime) {
    const struct {
        const char* what;
        int32_t period;
        bool loop, fast;
        int moves;
        int32_t time;
    } cases[] = {
        {"runs", 1000, false, false, 3, 90},
        {"an unlooped path stays at its end", 100, false, false, 10, 100},
        {"a looped path wraps", 100, true, false, 4, 20},
        {"a short looped period wraps as often as it fits", 7, true, false, 1, 2},
        {"fast: an unlooped path ends at once", 1000, false, true, 1, 1000},
        {"fast: a looped path runs on", 1000, true, true, 2, 60},
        {"no period: the time stays", 0, true, false, 3, 0},
    };
    for (const auto& c : cases) {
        CDIBSnrAction a;
        a.Initialize();
        ASSERT_TRUE(a.Setup(MakeDef(ActionType::Scroll, c.period, c.loop ? 1 : 0, 2, {0, 10})));
        a.Play();
        for (int i = 0; i < c.moves; ++i)
            a.Move(c.fast, 30, 1);
        EXPECT_EQ(a.GetTime(), c.time) << c.what;
    }
}

// Fade-in 90 ms, fade-out 300 ms, wave period 2 × 500 ms, amplitude 10.
void SetupRaster(CDIBSnrAction& a) {
    a.Initialize();
    EXPECT_TRUE(a.Setup(MakeDef(ActionType::Raster, 90, 300, 500, {10, 0})));
}

TEST(ActionRaster, FadesInThenCalmsOverTheFadeOut) {
    CDIBSnrAction a;
    SetupRaster(a);
    a.Play();
    // Fade-in: amplitude A × timer / a, phase sped up by 1 + progress.
    const double ampIn[] = {10.0 / 3, 20.0 / 3, 10};
    int32_t phase = 0;
    for (int i = 0; i < 3; ++i) {
        a.Move(false, 30, 1);
        phase += static_cast<int32_t>(30 * (1 + (i + 1) * 30 / 90.0));
        EXPECT_EQ(a.GetTime(), phase) << i;
        EXPECT_DOUBLE_EQ(a.RasterAmplitude(), ampIn[i]) << i;
        EXPECT_EQ(a.IsPlayedIn(), i == 2) << i;
    }
    a.Stop();
    // Each move the amplitude falls and the wave slows, until the fade-out ends the action.
    double lastAmp = a.RasterAmplitude();
    int32_t lastStep = 1 << 30;
    for (int i = 1; i <= 10; ++i) {
        const int32_t before = a.GetTime();
        a.Move(false, 30, 1);
        const int32_t step = (a.GetTime() - before + 1000) % 1000;
        EXPECT_LT(step, lastStep) << i;
        EXPECT_EQ(step, static_cast<int32_t>(30 * ((1 - i * 30 / 300.0) + 1))) << i;
        EXPECT_LT(a.RasterAmplitude(), lastAmp) << i;
        lastAmp = a.RasterAmplitude(), lastStep = step;
        EXPECT_EQ(a.IsActive(), i < 10) << i;
    }
    EXPECT_TRUE(a.IsStopped());
    EXPECT_EQ(a.RasterAmplitude(), 0);
}

TEST(ActionRaster, SecondCycleFadesInAndOutAgain) {
    CDIBSnrAction a;
    SetupRaster(a);
    for (int cycle = 0; cycle < 2; ++cycle) {
        a.Play();
        a.Move(false, 30, 1);
        EXPECT_DOUBLE_EQ(a.RasterAmplitude(), 10.0 / 3) << cycle; // not at full height at once
        for (int i = 0; i < 5; ++i)
            a.Move(false, 30, 1);
        a.Stop();
        a.Move(false, 30, 1);
        EXPECT_TRUE(a.IsActive()) << cycle; // the fade-out starts over
        EXPECT_DOUBLE_EQ(a.RasterAmplitude(), 9) << cycle;
        for (int i = 0; i < 9; ++i)
            a.Move(false, 30, 1);
        EXPECT_FALSE(a.IsActive()) << cycle;
    }
}

TEST(ActionRaster, FastCompletesTheFades) {
    CDIBSnrAction a;
    SetupRaster(a);
    a.Play();
    a.Move(true, 30, 1);
    EXPECT_TRUE(a.IsPlayedIn());
    EXPECT_DOUBLE_EQ(a.RasterAmplitude(), 10);
    a.Stop();
    a.Move(true, 30, 1);
    EXPECT_FALSE(a.IsActive());
    EXPECT_TRUE(a.IsStopped());
}

TEST(ActionRaster, WithoutPeriodOrFadesThePhaseHoldsAndTheWaveIsFull) {
    CDIBSnrAction a;
    a.Initialize();
    ASSERT_TRUE(a.Setup(MakeDef(ActionType::Raster, 0, -5, 0, {6, 2})));
    a.Play();
    a.Move(false, 30, 1);
    EXPECT_EQ(a.GetTime(), 0);
    EXPECT_TRUE(a.IsPlayedIn());
    EXPECT_DOUBLE_EQ(a.RasterAmplitude(), 6);
    a.Stop();
    EXPECT_DOUBLE_EQ(a.RasterAmplitude(), 6);
    a.Move(false, 30, 1);
    EXPECT_FALSE(a.IsActive());
}

// The drops' start values come from the engine's generator in the order x, z, start time, angle,
// size; a restart draws the same with a start time under 500 ms.
TEST(ActionRain, DropsUnderASeed) {
    test::DropCache drops;
    for (int32_t wind : {0, -3, 2}) {
        SeedRandom(1234);
        CDIBSnrAction a;
        a.Initialize(&drops.cache);
        ASSERT_TRUE(a.Setup(test::RainDef(900, 3, 5, wind)));
        Lcg lcg(1234);
        const auto expectDrop = [&](const CDIBSnrAction::Drop& d, int32_t waitMod) {
            const double shift = wind < 0 ? 400 : wind > 0 ? -400 : 0;
            EXPECT_EQ(d.x, lcg.Next() % 1000 - 100 + shift);
            EXPECT_EQ(d.y, -1000);
            EXPECT_EQ(d.z, 100 - lcg.Next() % 200);
            EXPECT_EQ(d.time, -(lcg.Next() % waitMod));
            EXPECT_DOUBLE_EQ(d.angle, (lcg.Next() % 1000) * 0.001 * 2 * std::numbers::pi);
            EXPECT_DOUBLE_EQ(d.size, (lcg.Next() % 1000) * 0.0009 + 0.1);
        };
        for (int i = 0; i < 3; ++i)
            expectDrop(a.GetDrop(i), 900);
        // Long enough for every drop to pass the bottom (time / a × 3000 from −1000 ≥ 601).
        a.Play();
        a.Move(false, 1400, 1);
        for (int i = 0; i < 3; ++i)
            expectDrop(a.GetDrop(i), 500);
    }
}

TEST(ActionRain, ADropFallsUntilItPassesTheBottom) {
    test::DropCache drops;
    SeedRandom(5);
    CDIBSnrAction a;
    a.Initialize(&drops.cache);
    ASSERT_TRUE(a.Setup(test::RainDef(3000, 1, 0, 0)));
    a.Play();
    const double x = a.GetDrop(0).x;
    const int32_t start = a.GetDrop(0).time;
    // It restarts once y + time / a × 3000 reaches 601, that is about time 1601.
    a.Move(false, 1600 - start, 1);
    EXPECT_EQ(a.GetDrop(0).time, 1600);
    EXPECT_EQ(a.GetDrop(0).x, x);
    a.Move(false, 3, 1);
    EXPECT_LE(a.GetDrop(0).time, 0);
    EXPECT_GT(a.GetDrop(0).time, -500);
}

// The fire's flame is built burning: amount, centre and spread from a, b and c, a second of
// steps already taken, and no emitter until it is drawn.
TEST(ActionFire, SetupWarmsTheFlameUp) {
    const struct {
        const char* what;
        int32_t amount, centre, spread;
        int32_t baseHeat;
        bool reachesRow110; // a cold flame dies out on its way up
    } cases[] = {
        {"the defaults", 10000, 400, 800, 10000, true},
        {"a narrow flame left of the middle", 5000, 200, 100, 5000, true},
        {"a negative amount burns cold", -7, 400, 800, 0, false},
        {"an amount past the step's range is held", INT32_MAX, 400, 800, CDIBFire::kMaxBaseHeat,
         true},
    };
    for (const auto& c : cases) {
        SeedRandom(9);
        CDIBSnrAction a;
        a.Initialize();
        ASSERT_TRUE(a.Setup(MakeDef(ActionType::Fire, c.amount, c.centre, c.spread, {1})));
        const CDIBFireEx* fire = a.GetFire();
        ASSERT_NE(fire, nullptr) << c.what;
        EXPECT_TRUE(fire->IsActive()) << c.what;
        EXPECT_EQ(fire->GetBaseHeat(), c.baseHeat) << c.what;
        EXPECT_EQ(fire->GetCentre(), c.centre) << c.what;
        EXPECT_EQ(fire->GetSpread(), c.spread) << c.what;
        EXPECT_EQ(fire->GetLeftOver(), 0) << c.what;
        EXPECT_EQ(fire->GetQuad().colour, 0u) << c.what; // the emitter is cleared
        // The bottom row is seeded only within the spread, with heats of the amount and up.
        const int32_t* bottom = fire->HeatRow(CDIBFire::kGridHeight - 1);
        int seeded = 0;
        for (int col = 0; col < CDIBFire::kGridWidth; ++col) {
            if (bottom[col] == 0) continue;
            ++seeded;
            EXPECT_LT(std::abs(col - c.centre), c.spread / 2) << c.what << " column " << col;
            EXPECT_GE(bottom[col], c.baseHeat) << c.what;
            EXPECT_LT(bottom[col], int64_t{c.baseHeat} + 1000) << c.what;
        }
        EXPECT_GT(seeded, 0) << c.what;
        // A second of steps has carried the heat far up the grid.
        const int32_t* high = fire->HeatRow(110);
        EXPECT_EQ(std::count(high, high + CDIBFire::kGridWidth, 0) != CDIBFire::kGridWidth,
                  c.reachesRow110)
            << c.what;
        // Under the same seed the same definition builds the same flame.
        SeedRandom(9);
        CDIBFireEx ref;
        ASSERT_TRUE(ref.Initialize());
        ref.SetMove(true, true);
        ref.SetBaseHeat(c.amount);
        ref.SetShape(c.centre, c.spread);
        ref.Move(1000);
        for (int r = 0; r < CDIBFire::kGridHeight; ++r)
            ASSERT_TRUE(
                std::equal(ref.HeatRow(r), ref.HeatRow(r) + CDIBFire::kGridWidth, fire->HeatRow(r)))
                << c.what << " row " << r;
    }
}

// While playing the flame advances by the scaled frame time and keeps the page recomposed;
// hurrying does not end it; stopped, it stands still.
TEST(ActionFire, MovesTheFlameWhilePlaying) {
    CDIBSnrAction a;
    a.Initialize();
    ASSERT_TRUE(a.Setup(MakeDef(ActionType::Fire, 10000, 400, 800, {1})));
    const CDIBFireEx* fire = a.GetFire();
    a.Move(false, 30, 1); // not playing: nothing moves
    EXPECT_FALSE(a.IsDrawn());
    a.Play();
    a.Move(false, 7, 1);
    EXPECT_EQ(fire->GetLeftOver(), 7);
    EXPECT_TRUE(a.IsDrawn());
    a.Move(true, 4, 2); // 8 ms: one step and 5 left over
    EXPECT_EQ(fire->GetLeftOver(), 5);
    EXPECT_TRUE(a.IsActive());
    EXPECT_TRUE(a.IsPlayedIn());
    a.Stop();
    const std::vector<int32_t> top(fire->HeatRow(100), fire->HeatRow(100) + CDIBFire::kGridWidth);
    a.Move(false, 500, 1);
    EXPECT_FALSE(a.IsActive());
    EXPECT_TRUE(a.IsStopped());
    EXPECT_EQ(fire->GetLeftOver(), 5);
    EXPECT_TRUE(std::equal(top.begin(), top.end(), fire->HeatRow(100)));
}

} // namespace
} // namespace qw
