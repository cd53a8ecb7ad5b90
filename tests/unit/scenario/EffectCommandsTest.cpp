// OVERLAP and CAMMOVE from a scenario: the transition record each kind starts, the count and
// type errors, the tick-by-tick timing of a transition and of a camera move, hurrying, and what
// the pages' saved record keeps afterwards.

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <string>
#include <vector>

#include "common/Bytes.h"
#include "common/Random.h"
#include "graphics/CDIBCamera.h"
#include "graphics/CDIBImage.h"
#include "graphics/CDIBOverlap.h"
#include "graphics/CDIBSnrVVram.h"
#include "graphics/CallEffectParam.h"
#include "graphics/DIBFade.h"
#include "unit/scenario/InterpreterFixture.h"

namespace qw::test {
namespace {

// A scenario screen that keeps every transition record it starts.
class WatchedScreen : public CDIBSnrScreen {
public:
    std::vector<CallEffectParam> started;

protected:
    void StartOverlap(const CallEffectParam& param) override {
        started.push_back(param);
        CDIBSnrScreen::StartOverlap(param);
    }
};

// After the command under test: v1 = 1 once the next command ran, then the scenario waits.
constexpr const char* kTail = "\nMOV 1, 1\nATIMES -1\nAWAIT 0, 9, 9, 9, 9, 9\n";

class EffectCommands : public InterpreterFixture {
protected:
    WatchedScreen& StartWatched(const std::string& source) {
        AddScenario("FX", source);
        main_->SetCloseWithoutAsking(false);
        main_->TakeCloseRequest();
        auto screen = std::make_unique<WatchedScreen>();
        WatchedScreen& watched = *screen;
        EXPECT_TRUE(screen->Initialize(SnrStartRecord::ForFile("FX")));
        screen_ = std::move(screen);
        return watched;
    }

    CDIBSnrVVram& VVram() const { return *screen_->GetVVram(); }

    // Fills page 0 (shown) and page 1 (the one the scenario builds) with noise, keeping copies.
    void FillPages() {
        for (int page = 0; page < 2; ++page) {
            pages_[page].Create(800, 600);
            Lcg lcg(static_cast<uint32_t>(7 + page));
            for (int i = 0; i < 800 * 600; ++i)
                pages_[page].GetPixels()[i] = static_cast<uint32_t>(lcg.Next()) << 17 ^
                                              static_cast<uint32_t>(lcg.Next()) << 2 ^
                                              static_cast<uint32_t>(lcg.Next());
            pages_[page].Copy(VVram().GetPage(page), 0, 0, 0, 0, 800, 600);
        }
    }

    // The frame the screen draws now.
    const CDIBImage& Shown() {
        if (!frame_.IsCreated()) frame_.Create(800, 600);
        screen_->Draw(frame_);
        return frame_;
    }

    CDIBImage pages_[2];
    CDIBImage frame_;
};

bool Same(const CDIBImage& a, const CDIBImage& b) {
    for (int i = 0; i < 800 * 600; ++i)
        if (a.GetPixels()[i] != b.GetPixels()[i]) return false;
    return true;
}

TEST_F(EffectCommands, OverlapStartsTheRecordOfItsKind) {
    using P = CallEffectParam;
    const std::string longName(300, 'R');
    const struct {
        std::string command;
        CallEffectParam want;
    } cases[] = {
        {"OVERLAP 0, 0", P::Make(kEffectBlt, 1)},
        {"OVERLAP 1, (v9 + 299)", P::Make(kEffectFade, 300)},
        {"OVERLAP 1, 2147483647", P::Make(kEffectFade, INT_MAX)},
        {"OVERLAP 2, 900, 2, \"RULE01\"", P::MakeAlpha(900, 2, "RULE01", 255)},
        {"OVERLAP 2, 900, 2, \"" + longName + "\", 0",
         P::MakeAlpha(900, 2, std::string(255, 'R'), 0)},
        {"OVERLAP 3, 700, 1, \"STAR\"", P::MakeWipe(700, 1, "STAR")},
        {"OVERLAP 4, 800, 1", P::MakeMode(kEffectRotate, 800, 1)},
        {"OVERLAP 5, 2000, \"FLARE\", 300, 1500, 1", P::MakeLensFlare(2000, "FLARE", 300, 1500, 1)},
        {"OVERLAP 6, 600, 0", P::MakeMode(kEffectTwist, 600, 0)},
        {"OVERLAP 7, 600, 11, 2, -30, 40", P::MakeBound(600, 11, 2, -30, 40)},
        {"OVERLAP 8, 500, 1", P::MakeMode(kEffectKacchin, 500, 1)},
        {"OVERLAP 9, 1500, 3", P::MakeMode(kEffectGlass, 1500, 3)},
        {"OVERLAP 10, 2500", P::Make(kEffectFire, 2500)},
        {"OVERLAP 11, 2500", P::Make(kEffectWater, 2500)},
        {"OVERLAP 12", P::MakeFilm("", "", 0, 0, 0)},
        {"OVERLAP 12, 1, 2", P::MakeFilm("", "", 0, 0, 0)},
        {"OVERLAP 12, \"SCRATCH\", \"DUST\", 40, 100, 60",
         P::MakeFilm("SCRATCH", "DUST", 40, 100, 60)},
        {"OVERLAP 13, 1200, 2", P::MakeMode(kEffectRotDoor, 1200, 2)},
        {"OVERLAP 14, 1000, 11", P::MakeMode(kEffectBlur, 1000, 11)},
        {"OVERLAP 15, \"any\", 3", P{}},
        {"OVERLAP -1", P{}},
    };
    for (const auto& c : cases) {
        WatchedScreen& screen = StartWatched(c.command + kTail);
        Tick();
        EXPECT_TRUE(screen.started.empty()) << c.command; // the first tick only arms it
        Tick();
        ASSERT_EQ(screen.started.size(), 1u) << c.command;
        EXPECT_EQ(screen.started[0].bytes, c.want.bytes) << c.command;
        // Every effect runs its time; a film without times has already ended, and a kind that
        // names no effect never started.
        const bool runs = c.want.Type() != kEffectNone &&
                          !(c.want.Type() == kEffectFilm && c.want.FilmFadeIn() == 0);
        EXPECT_EQ(VVram().IsTransitionRunning(), runs) << c.command;
        if (runs) {
            EXPECT_EQ(VVram().GetOverlap()->GetEffect(), c.want.Type()) << c.command;
        }
        EXPECT_FALSE(Ended()) << c.command << ": " << LastBox();
    }
}

TEST_F(EffectCommands, OverlapCountAndTypeErrors) {
    const std::string count = "【OVERLAP】パラメータ数が不正エラー(パラメータ数：";
    const std::string type2 = "【OVERLAP】パラメータタイプが不正エラー(パラメータ：2番)";
    const struct {
        const char* command;
        std::string box;
    } cases[] = {
        {"OVERLAP", count + "0個)"},
        {"OVERLAP 0", count + "1個)"},
        {"OVERLAP 1, 100, 0", count + "3個)"},
        {"OVERLAP 2, 100, 0", count + "3個)"},
        {"OVERLAP 2, 100, 0, \"R\", 1, 2", count + "6個)"},
        {"OVERLAP 3, 100, 0, \"S\", 1", count + "5個)"},
        {"OVERLAP 4, 100", count + "2個)"},
        {"OVERLAP 5, 100, \"F\", 1, 2", count + "5個)"},
        {"OVERLAP 7, 100, 0, 1, 2", count + "5個)"},
        {"OVERLAP 11, 100, 0", count + "3個)"},
        {"OVERLAP 14, 100, 0, 0", count + "4個)"},
        // The type error names parameter 2 whichever parameter is wrong.
        {"OVERLAP \"1\", 100", type2},
        {"OVERLAP 0, \"100\"", type2},
        {"OVERLAP 2, 100, 0, 5", type2},
        {"OVERLAP 2, 100, 0, \"R\", \"255\"", type2},
        {"OVERLAP 3, 100, \"0\", \"S\"", type2},
        {"OVERLAP 5, 100, 7, 1, 2, 3", type2},
        {"OVERLAP 5, 100, \"F\", 1, 2, \"3\"", type2},
        {"OVERLAP 7, 100, 0, 1, 2, \"3\"", type2},
        {"OVERLAP 9, 100, \"0\"", type2},
        {"OVERLAP 12, \"A\", 2, 3, 4, 5", type2},
    };
    for (const auto& c : cases) {
        AddScenario("ERR", std::string(c.command) + kTail);
        ASSERT_TRUE(Start("ERR"));
        EXPECT_LE(RunToEnd(3), 2) << c.command;
        EXPECT_EQ(LastBox(), c.box) << c.command;
        EXPECT_EQ(window_->boxes.size(), 1u) << c.command;
        EXPECT_EQ(Var(1), 0) << c.command;
        EXPECT_FALSE(VVram().IsTransitionRunning()) << c.command;
        window_->boxes.clear();
    }
}

// From the tick t the command is reached (tick 1 here): what each following tick shows, when the
// pages swap, and when the next command runs.
TEST_F(EffectCommands, OverlapTimingFromTheTickItIsReached) {
    constexpr int kFrom = -1, kTo = 256;
    const struct {
        const char* name;
        const char* command;
        int frameSpeed;
        bool noneEffect, control;
        std::vector<int> shown; // per tick t + k: the old page, the new one, or a fade level
        int swapAt;             // 0: the pages never swap
        int nextAt;
    } cases[] = {
        {"cut", "OVERLAP 0, 0", 1, false, false, {kFrom, kTo}, 2, 4},
        {"fade 299",
         "OVERLAP 1, 299",
         1,
         false,
         false,
         {kFrom, 25, 51, 76, 102, 127, 153, 178, 204, 229, kTo},
         11,
         13},
        {"film without times", "OVERLAP 12", 1, false, false, {kFrom}, 1, 3},
        {"no such kind", "OVERLAP 15, 3", 1, false, false, {kFrom, kFrom, kFrom, kFrom}, 0, 3},
        {"frame speed 3", "OVERLAP 1, 1000", 3, false, false, {kFrom, kTo}, 2, 4},
        {"no effects", "OVERLAP 1, 1000", 1, true, false, {kFrom, kTo}, 2, 4},
        {"control held", "OVERLAP 9, 1000, 0", 1, false, true, {kFrom}, 2, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Save().configEx.frameSpeed = c.frameSpeed;
        Save().configEx.noneEffect = c.noneEffect ? 1 : 0;
        window_->keys[0x11] = c.control;
        AddScenario("T", std::string(c.command) + kTail);
        ASSERT_TRUE(Start("T"));
        FillPages();
        int swapped = 0, next = 0;
        for (int k = 0; k <= c.nextAt + 1; ++k) {
            Tick();
            if (!swapped && VVram().GetFrontPage() == 1) swapped = k;
            if (!next && Var(1) == 1) next = k;
            if (k >= static_cast<int>(c.shown.size()) || (swapped && k >= swapped)) continue;
            const CDIBImage& frame = Shown();
            if (c.shown[k] == kFrom) {
                EXPECT_TRUE(Same(frame, pages_[0])) << "tick t + " << k;
            } else if (c.shown[k] == kTo) {
                EXPECT_TRUE(Same(frame, pages_[1])) << "tick t + " << k;
            } else {
                CDIBImage want;
                want.Create(800, 600);
                CrossFadeShift8(want, pages_[0], pages_[1], c.shown[k]);
                EXPECT_TRUE(Same(frame, want)) << "tick t + " << k << ", level " << c.shown[k];
            }
        }
        EXPECT_EQ(swapped, c.swapAt);
        EXPECT_EQ(next, c.nextAt);
        if (c.swapAt) {
            EXPECT_TRUE(Same(Shown(), pages_[1]));
        }
        EXPECT_FALSE(VVram().IsTransitionRunning());
        EXPECT_TRUE(window_->boxes.empty()) << LastBox();
        Save().localVars[1] = 0;
    }
    window_->keys[0x11] = false;
}

TEST_F(EffectCommands, CamMoveSetsThePathOfThePagesCamera) {
    std::string seventeen = "CAMMOVE 1, 500";
    for (int i = 0; i < 17; ++i)
        seventeen += ", " + std::to_string(i) + ", " + std::to_string(2 * i) + ", " +
                     std::to_string(-i) + ", " + std::to_string(i % 3);
    const struct {
        std::string command;
        bool back;
        int points;
        int duration;
    } cases[] = {
        {"CAMMOVE 0, 300, 500, 200, 40, 7, 99", false, 1, 300}, // the seventh is no point
        {"CAMMOVE 2, 300, 500, 200, 40, 7", true, 1, 300},
        {"CAMMOVE -1, 300, 500, 200, 40, 7, 1, 2, 3, 4", true, 2, 300},
        {seventeen, true, 16, 500},
    };
    for (const auto& c : cases) {
        AddScenario("CAM", c.command + kTail);
        ASSERT_TRUE(Start("CAM"));
        CDIBCamera& other = c.back ? *VVram().GetCamera() : *VVram().GetBackCamera();
        other.AddMove(1, 1, 1, 1); // a path already there on the other camera stays
        Tick();
        const CDIBCamera& camera = c.back ? *VVram().GetBackCamera() : *VVram().GetCamera();
        EXPECT_EQ(camera.GetPointCount(), c.points) << c.command;
        EXPECT_EQ(camera.GetPoint(0).x, c.points == 16 ? 0.0f : 500.0f) << c.command;
        EXPECT_EQ(camera.GetWValue(0), c.points == 16 ? 0 : 70) << c.command;
        if (c.points == 16) {
            EXPECT_EQ(camera.GetPoint(15).y, 30.0f);
            EXPECT_EQ(camera.GetWValue(15), 0);
        }
        EXPECT_EQ(other.GetPointCount(), 1) << c.command;
        EXPECT_FALSE(other.IsMoving()) << c.command;
        EXPECT_TRUE(camera.IsMoving()) << c.command;
        EXPECT_EQ(camera.GetDuration(), c.duration) << c.command;
        EXPECT_TRUE(window_->boxes.empty()) << c.command << ": " << LastBox();
    }
}

TEST_F(EffectCommands, CamMoveWaitsForTheFrontCameraOnly) {
    const struct {
        const char* name;
        const char* command;
        bool control;
        int nextAt; // from the tick t it is reached
    } cases[] = {
        {"front, 90 ms", "CAMMOVE 0, 90, 500, 300, 0, 0", false, 4},
        {"front, 100 ms", "CAMMOVE 0, 100, 500, 300, 0, 0", false, 5},
        {"front, no time", "CAMMOVE 0, 0, 500, 300, 0, 0", false, 2},
        {"front, control held", "CAMMOVE 0, 3000, 500, 300, 0, 0", true, 2},
        {"back page: no wait", "CAMMOVE 1, 3000, 500, 300, 0, 0", false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        window_->keys[0x11] = c.control;
        AddScenario("CAM", std::string("MOV 1, 0\n") + c.command + kTail);
        ASSERT_TRUE(Start("CAM"));
        int next = 0;
        for (int k = 0; k <= 8 && !next; ++k) {
            Tick();
            if (Var(1) == 1) next = k;
            // The command and the command after it never run in the tick the move starts.
            if (k == 0) {
                EXPECT_EQ(Var(1), 0);
            }
        }
        EXPECT_EQ(next, c.nextAt);
        // The path ends at its one point: the target is it, seen from the page's centre.
        const CDIBCamera& front = *VVram().GetCamera();
        if (std::string(c.command).starts_with("CAMMOVE 0")) {
            EXPECT_FALSE(front.IsMoving());
            EXPECT_FLOAT_EQ(front.GetTarget().x, 100.0f);
            EXPECT_FLOAT_EQ(front.GetTarget().y, 0.0f);
        } else {
            EXPECT_TRUE(VVram().GetBackCamera()->IsMoving());
        }
        EXPECT_TRUE(window_->boxes.empty()) << LastBox();
        Save().localVars[1] = 0;
    }
    window_->keys[0x11] = false;
}

TEST_F(EffectCommands, CamMoveErrors) {
    const struct {
        const char* command;
        const char* box;
    } cases[] = {
        {"CAMMOVE 0, 100, 1, 2, 3", "【CAMMOVE】パラメータ数が不正エラー(パラメータ数：5個)"},
        {"CAMMOVE", "【CAMMOVE】パラメータ数が不正エラー(パラメータ数：0個)"},
        {"CAMMOVE \"0\", 100, 1, 2, 3, 4",
         "【CAMMOVE】パラメータタイプが不正エラー(パラメータ：1番)"},
        {"CAMMOVE 0, \"1\", 1, 2, 3, 4",
         "【CAMMOVE】パラメータタイプが不正エラー(パラメータ：2番)"},
        {"CAMMOVE 0, 100, 1, 2, \"3\", 4",
         "【CAMMOVE】パラメータタイプが不正エラー(パラメータ：5番)"},
        {"CAMMOVE 0, 100, 1, 2, 3, 4, \"x\"",
         "【CAMMOVE】パラメータタイプが不正エラー(パラメータ：7番)"},
    };
    for (const auto& c : cases) {
        AddScenario("ERR", std::string(c.command) + kTail);
        ASSERT_TRUE(Start("ERR"));
        EXPECT_EQ(RunToEnd(3), 1) << c.command;
        EXPECT_EQ(LastBox(), c.box) << c.command;
        EXPECT_EQ(Var(1), 0) << c.command;
        EXPECT_FALSE(VVram().GetCamera()->IsMoving()) << c.command;
        window_->boxes.clear();
    }
}

// After a back-page camera path and a transition, the pages' record holds the new front page and
// that camera's path, and a fresh set of pages loads it back to the same record.
TEST_F(EffectCommands, TheSavedPagesKeepTheFrontPageAndTheCameraPath) {
    AddScenario("REC", std::string("CAMMOVE 1, 600, 100, 200, 5, 50, 300, 400, 6, 70\n"
                                   "OVERLAP 1, 50") +
                           kTail);
    ASSERT_TRUE(Start("REC"));
    for (int t = 0; t < 8 && Var(1) == 0; ++t)
        Tick();
    ASSERT_EQ(Var(1), 1);
    EXPECT_EQ(VVram().GetFrontPage(), 1);
    ByteWriter out;
    ASSERT_TRUE(VVram().Save(out));
    const Bytes record = out.Take();
    EXPECT_EQ(LoadLE<int32_t>(record, 0).value_or(-1), 1);
    // The shown page's camera is the last of the two camera records at the end.
    const size_t camera = record.size() - CDIBCamera::kRecordSize;
    EXPECT_EQ(record[camera + 63], 1); // still moving
    EXPECT_EQ(LoadLE<int32_t>(record, camera + 64).value_or(-1), 600);
    EXPECT_EQ(LoadLE<int32_t>(record, camera + 72).value_or(-1), 500);
    EXPECT_EQ(LoadLE<int32_t>(record, camera + 76).value_or(-1), 700);
    EXPECT_EQ(std::bit_cast<float>(LoadLE<uint32_t>(record, camera + 136).value_or(0)), 100.0f);
    EXPECT_EQ(std::bit_cast<float>(LoadLE<uint32_t>(record, camera + 156).value_or(0)), 400.0f);

    CDIBSnrVVram loaded;
    ASSERT_TRUE(loaded.Initialize());
    ASSERT_EQ(loaded.Load(record), record.size());
    EXPECT_EQ(loaded.GetFrontPage(), 1);
    EXPECT_TRUE(loaded.GetCamera()->IsMoving());
    ByteWriter again;
    ASSERT_TRUE(loaded.Save(again));
    EXPECT_EQ(again.Take(), record);
}

} // namespace
} // namespace qw::test
