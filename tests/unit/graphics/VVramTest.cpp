// The virtual VRAM's ticks: when pages are recomposed, transitions and the page swap, the frame
// it hands out, and the recomposition of only what changed against the whole page.

#include <gtest/gtest.h>

#include "common/Random.h"
#include "graphics/CDIBOverlap.h"
#include "graphics/CDIBSnrAction.h"
#include "graphics/CallEffectParam.h"
#include "graphics/DIBFade.h"
#include "unit/graphics/VVramFixture.h"

namespace qw::test {
namespace {

struct Pages {
    Pages() {
        host.frame = &frame;
        EXPECT_TRUE(vvram.Initialize(&host));
    }
    // Layer `index` of the back page shows `name` at (x, y).
    void Show(int index, const char* name, int x, int y) {
        CDIBSnrLayer* layer = vvram.GetBackLayer(index);
        ASSERT_TRUE(layer->SetImage(name));
        layer->SetPos(x, y, 0);
    }
    std::unique_ptr<CDIBImage> Shown() {
        auto out = MakeFrame(0x12345678u);
        vvram.Draw(*out);
        return out;
    }

    TestHost host;
    RecordingFrame frame;
    CDIBSnrVVram vvram;
};

// A page made directly with the blits: `name` blended at (x, y) for each entry.
std::unique_ptr<CDIBImage> Composed(TestHost& host,
                                    std::initializer_list<std::tuple<const char*, int, int>> l) {
    auto page = MakeFrame(0);
    for (const auto& [name, x, y] : l) {
        CDIBSprite* p = host.cache.Read(name);
        p->BltBlend(page.get(), x, y, 0, 0, p->GetWidth(), p->GetHeight(), 0xFFFFFFFFu);
        host.cache.Free(p);
    }
    return page;
}

TEST(VVram, LayersAndObjectsByNumber) {
    Pages t;
    EXPECT_EQ(t.vvram.GetLayer(-1), nullptr);
    EXPECT_EQ(t.vvram.GetLayer(16), nullptr);
    EXPECT_EQ(t.vvram.GetBackLayer(16), nullptr);
    EXPECT_NE(t.vvram.GetLayer(15), t.vvram.GetBackLayer(15));
    EXPECT_EQ(t.vvram.GetAction(0), nullptr);
    EXPECT_EQ(t.vvram.GetAction(257), nullptr);
    EXPECT_NE(t.vvram.GetAction(256), nullptr);
    EXPECT_EQ(t.vvram.GetScreen(), t.vvram.GetPage(0));
    EXPECT_EQ(t.vvram.GetBackScreen(), t.vvram.GetPage(1));
}

// The first tick marks the whole frame; a page that nothing changes is never recomposed and the
// frame is not marked again, however many ticks pass.
TEST(VVram, AStaticPageIsNotRecomposed) {
    Pages t;
    t.host.AddPicture("A", 100, 80, 1);
    t.Show(0, "A", 10, 10);
    t.vvram.Move(false);
    EXPECT_EQ(t.frame.invalidations, 1);
    EXPECT_EQ(t.vvram.GetPageStats(1).full + t.vvram.GetPageStats(1).partial, 1);
    const int marked = t.frame.invalidations;
    for (int i = 0; i < 100; ++i)
        t.vvram.Move(false);
    EXPECT_EQ(t.vvram.GetPageStats(0).full + t.vvram.GetPageStats(0).partial, 0);
    EXPECT_EQ(t.vvram.GetPageStats(1).full + t.vvram.GetPageStats(1).partial, 1);
    EXPECT_EQ(t.frame.invalidations, marked);
}

// Only a recomposed front page marks the frame; the back page is built unseen.
TEST(VVram, OnlyTheFrontPageMarksTheFrame) {
    Pages t;
    t.host.AddPicture("A", 100, 80, 1);
    t.vvram.Move(false); // the first tick
    struct Case {
        bool front;
        int marks;
    } cases[] = {{false, 0}, {true, 1}, {false, 0}};
    for (const Case& c : cases) {
        CDIBSnrLayer* layer = c.front ? t.vvram.GetLayer(3) : t.vvram.GetBackLayer(3);
        const int page = c.front ? t.vvram.GetFrontPage() : t.vvram.GetFrontPage() ^ 1;
        const auto& stats = t.vvram.GetPageStats(page);
        const int before = stats.full + stats.partial, marked = t.frame.invalidations;
        layer->SetPos(c.front ? 5 : 9, 7, 0);
        t.vvram.Move(false);
        EXPECT_EQ(stats.full + stats.partial, before + 1) << c.front;
        EXPECT_EQ(t.frame.invalidations - marked, c.marks) << c.front;
    }
}

// The frame copies the front page inside each dirty rectangle, right and bottom edges excluded.
TEST(VVram, DrawCopiesTheDirtyRectanglesOnly) {
    Pages t;
    t.host.AddPicture("A", 800, 600, 4, true);
    t.vvram.GetLayer(0)->SetImage("A");
    t.vvram.Move(false);
    t.frame.useList = true;
    t.frame.list = {{10, 20, 30, 25}};
    auto shown = t.Shown();
    const CDIBImage& page = *t.vvram.GetScreen();
    EXPECT_EQ(shown->Row(20)[10], page.Row(20)[10]);
    EXPECT_EQ(shown->Row(24)[29], page.Row(24)[29]);
    EXPECT_EQ(shown->Row(25)[10], 0x12345678u);
    EXPECT_EQ(shown->Row(20)[30], 0x12345678u);
    EXPECT_EQ(shown->Row(19)[10], 0x12345678u);
    auto whole = MakeFrame(0x12345678u);
    t.vvram.Blt(*whole); // Blt ignores the list
    EXPECT_TRUE(SameFrame(*whole, page));
}

enum class Shows { Front, Back, Fade };
struct TickRow {
    int tick;
    int front;   // front page index after the tick
    bool active; // transition running after the tick
    Shows shows;
    int level; // for Fade
};

struct TransitionCase {
    const char* name;
    int effect;
    int time; // as OVERLAP stores it (the scenario's time + 1)
    std::vector<TickRow> rows;
};

class VVramTransition : public ::testing::TestWithParam<TransitionCase> {};

// Tick by tick: which page is in front, whether the transition runs, and what the frame shows:
// the old front page, the new one, or the fade between them at the given level. The frame is
// wholly marked in every tick the transition runs.
TEST_P(VVramTransition, TickByTick) {
    const TransitionCase& c = GetParam();
    Pages t;
    t.host.AddPicture("A", 300, 200, 1, true);
    t.host.AddPicture("B", 200, 300, 2);
    t.vvram.GetLayer(0)->SetImage("A");
    t.vvram.GetLayer(0)->SetPos(50, 60, 0);
    t.Show(3, "B", 400, 100);
    t.vvram.Move(false);
    const auto a = Composed(t.host, {{"A", 50, 60}});
    const auto b = Composed(t.host, {{"B", 400, 100}});
    ASSERT_TRUE(SameFrame(*t.vvram.GetScreen(), *a));
    ASSERT_TRUE(SameFrame(*t.vvram.GetBackScreen(), *b));

    t.vvram.StartTransition(CallEffectParam::Make(c.effect, c.time));
    for (const TickRow& row : c.rows) {
        const int before = t.frame.invalidations;
        t.vvram.Move(false);
        EXPECT_EQ(t.vvram.GetFrontPage(), row.front) << "tick " << row.tick;
        EXPECT_EQ(t.vvram.IsTransitionRunning(), row.active) << "tick " << row.tick;
        EXPECT_GT(t.frame.invalidations, before) << "tick " << row.tick;
        auto shown = t.Shown();
        switch (row.shows) {
        case Shows::Front:
            EXPECT_TRUE(SameFrame(*shown, *a)) << "tick " << row.tick;
            break;
        case Shows::Back:
            EXPECT_TRUE(SameFrame(*shown, *b)) << "tick " << row.tick;
            break;
        case Shows::Fade: {
            auto mixed = MakeFrame();
            CrossFadeShift8(*mixed, *a, *b, row.level);
            EXPECT_TRUE(SameFrame(*shown, *mixed)) << "tick " << row.tick;
            break;
        }
        }
    }
    // After the end the new back page is empty: default layers, recomposed to 0 on the next
    // tick; its camera is reset.
    t.vvram.Move(false);
    const CDIBImage& back = *t.vvram.GetBackScreen();
    EXPECT_EQ(FirstChanged(back, 0), std::make_pair(-1, -1));
    for (int i = 0; i < 16; ++i) {
        const LayerProp& p = t.vvram.GetBackLayer(i)->GetProp();
        EXPECT_EQ(p.picture, nullptr);
        EXPECT_EQ(p.colour, 0xFFFFFFFFu);
        EXPECT_EQ(p.x, 0);
        EXPECT_EQ(p.blend, 1);
        EXPECT_FALSE(p.updated);
    }
    EXPECT_TRUE(SameFrame(*t.vvram.GetScreen(), *b));
}

INSTANTIATE_TEST_SUITE_P(
    Table, VVramTransition,
    ::testing::Values(
        // Blt with time 1: the cut is shown on the first tick, the pages swap on the second.
        TransitionCase{
            "Blt", kEffectBlt, 2, {{1, 0, true, Shows::Back, 0}, {2, 1, false, Shows::Back, 0}}},
        // Fade with time 90 (91 ms): levels 30, 60 and 90 ms of 91, then the end state, then the
        // swap.
        TransitionCase{"Fade",
                       kEffectFade,
                       91,
                       {{1, 0, true, Shows::Fade, 84},
                        {2, 0, true, Shows::Fade, 168},
                        {3, 0, true, Shows::Fade, 252},
                        {4, 0, true, Shows::Back, 0},
                        {5, 1, false, Shows::Back, 0}}}),
    [](const auto& info) { return std::string(info.param.name); });

// Skip mode, the Control key and the no-effects setting all end a transition: its end state is
// shown on that tick and the pages swap on the next.
TEST(VVram, HurryingEndsATransition) {
    struct Case {
        bool skip, key, noEffects;
    } cases[] = {{true, false, false}, {false, true, false}, {false, false, true}};
    for (const Case& c : cases) {
        Pages t;
        t.host.AddPicture("B", 20, 20, 2);
        t.Show(0, "B", 0, 0);
        t.vvram.Move(false);
        t.vvram.StartTransition(CallEffectParam::Make(kEffectFade, 5001));
        t.host.skipKey = c.key;
        t.host.noEffects = c.noEffects;
        t.vvram.Move(c.skip);
        EXPECT_EQ(t.vvram.GetOverlap()->GetElapsed(), 5001);
        EXPECT_EQ(t.vvram.GetFrontPage(), 0);
        t.vvram.Move(c.skip);
        EXPECT_EQ(t.vvram.GetFrontPage(), 1);
        EXPECT_FALSE(t.vvram.IsTransitionRunning());
    }
}

// An action's change reaches its page one tick later (the flag is read before the layer moves),
// and a page with an action is recomposed every tick the action draws something new.
TEST(VVram, AnActionRecomposesItsPageATickLater) {
    Pages t;
    t.host.AddPicture("A", 40, 40, 1);
    CDIBSnrAction* act = t.vvram.GetAction(1);
    ASSERT_TRUE(act->Setup(MakeDef(ActionType::Rot2D, 1000, 0, 0)));
    CDIBSnrLayer* layer = t.vvram.GetLayer(2);
    layer->SetImage("A");
    layer->SetAction(1);
    t.vvram.Move(false); // the layer's own change
    const CDIBSnrVVram::PageStats s0 = t.vvram.GetPageStats(0);
    t.vvram.Move(false); // the action is not playing: nothing drawn
    EXPECT_EQ(t.vvram.GetPageStats(0).full, s0.full);
    act->Play();
    t.vvram.Move(false); // it moves and draws: the layer is updated after its Move
    EXPECT_EQ(t.vvram.GetPageStats(0).full, s0.full);
    t.vvram.Move(false); // ... which recomposes the page now
    EXPECT_EQ(t.vvram.GetPageStats(0).full, s0.full + 1);
    t.vvram.Move(false);
    EXPECT_EQ(t.vvram.GetPageStats(0).full, s0.full + 2);
}

// A movie shown on two layers advances once per tick and keeps both pages recomposed.
TEST(VVram, AMovieOnTwoLayersAdvancesOncePerTick) {
    Pages t;
    FakeMovie* movie = t.host.AddMovie("CLIP.mpg", 32, 16);
    t.vvram.GetLayer(1)->SetImage("CLIP.mpg");
    t.vvram.GetBackLayer(7)->SetImage("CLIP.mpg");
    for (int tick = 1; tick <= 3; ++tick) {
        t.vvram.Move(false);
        EXPECT_EQ(movie->moves, tick);
        EXPECT_FALSE(movie->IsMoved()); // cleared at the end of the tick
        EXPECT_TRUE(t.vvram.GetLayer(1)->IsUpdated());
        EXPECT_TRUE(t.vvram.GetBackLayer(7)->IsUpdated());
    }
    // The page shows the frame of this tick: the layers move before the pages are composed.
    EXPECT_EQ(t.vvram.GetScreen()->Row(0)[0], 0xFF000003u);
    EXPECT_EQ(t.vvram.GetPageStats(0).full + t.vvram.GetPageStats(0).partial, 3);
    EXPECT_EQ(movie->played, 90);
}

// The module hears every layer at the start, the end of a transition, and the new back page.
TEST(VVram, TheModuleHearsTheLayers) {
    TestHost host;
    LoggingHook hook;
    host.hook = &hook;
    host.AddPicture("A", 12, 8, 1);
    CDIBSnrVVram vvram;
    ASSERT_TRUE(vvram.Initialize(&host));
    ASSERT_EQ(hook.log.size(), 32u * 11);
    const std::vector<std::string> first(hook.log.begin(), hook.log.begin() + 11);
    EXPECT_EQ(first,
              (std::vector<std::string>{"image 0 0  0 0 none", "pos 0 0 0 0 0", "size 0 0 0 0",
                                        "color 0 0 FFFFFFFF", "blend 0 0 1", "anti 0 0 0",
                                        "action 0 0 0", "camera 0 0 1", "bill 0 0 0",
                                        "xyrate 0 0 1.000000", "wrate 0 0 1.000000"}));
    EXPECT_EQ(hook.log[16 * 11], "image 1 0  0 0 none");

    vvram.GetBackLayer(4)->SetImage("A");
    vvram.GetBackLayer(4)->SetCameraState(true, false, 0.25f, 2.0f);
    vvram.StartTransition(CallEffectParam::Make(kEffectBlt, 1));
    hook.log.clear();
    vvram.Move(false);
    vvram.Move(false);
    ASSERT_EQ(hook.log.size(), 1u + 16 * 11);
    EXPECT_EQ(hook.log[0], "overlap");
    EXPECT_EQ(hook.log[1], "image 1 0  0 0 none"); // the emptied page is now the back page
    hook.log.clear();
    vvram.SendToDebug_LayerInfo(0, 4);
    EXPECT_EQ(hook.log[0], "image 0 4 A 12 8 pixels");
    EXPECT_EQ(hook.log[9], "xyrate 0 4 0.250000");
}

// A screen action draws the front page into the frame in place of the copy.
TEST(VVram, TheScreenActionDrawsTheFrontPage) {
    Pages t;
    t.host.AddPicture("A", 800, 600, 9, true);
    t.vvram.GetLayer(0)->SetImage("A");
    t.vvram.Move(false);
    ASSERT_TRUE(t.vvram.GetAction(9)->Setup(MakeDef(ActionType::Scroll, 1000, 0, 1, {100})));
    t.vvram.SetScreenAct(9);
    auto shown = t.Shown();
    EXPECT_EQ(shown->Row(0)[99], 0u);
    EXPECT_EQ(shown->Row(0)[100], t.vvram.GetScreen()->Row(0)[0]);
    t.vvram.GetAction(9)->Play();
    const int before = t.frame.invalidations;
    t.vvram.Move(false);
    EXPECT_GT(t.frame.invalidations, before);
}

// What a page holds after recomposing only what changed is what recomposing it all gives, byte
// for byte, and so are the camera values the layers leave in its saved record. Two VVrams get
// the same random changes; the second is recomposed in full after every tick.
TEST(VVram, DirtyOnlyEqualsFullRecomposition) {
    TestHost host;
    const char* names[] = {"P0", "P1", "P2", "P3"};
    host.AddPicture("P0", 64, 48, 1);
    host.AddPicture("P1", 160, 90, 2);
    host.AddPicture("P2", 33, 200, 3, true);
    host.AddPicture("P3", 300, 200, 4);
    CDIBSnrVVram partial, full;
    ASSERT_TRUE(partial.Initialize(&host));
    ASSERT_TRUE(full.Initialize(&host));
    for (CDIBSnrVVram* v : {&partial, &full})
        v->GetAction(1)->Setup(MakeDef(ActionType::Rot2D, 500, 0, 0));

    Lcg rng(2024);
    const auto r = [&](int n) { return rng.Next() % n; };
    int changes = 0;
    for (int tick = 0; changes < 1000; ++tick) {
        const int count = 1 + r(3);
        for (int k = 0; k < count; ++k, ++changes) {
            const int page = r(2), index = r(16), what = r(100);
            const int a = r(900) - 50, b = r(700) - 50, c = r(400) - 200;
            const int name = r(5);
            for (CDIBSnrVVram* v : {&partial, &full}) {
                CDIBSnrLayer* layer = v->GetPageLayer(page, index);
                if (what < 30)
                    layer->SetPos(a, b, what < 5 ? c : 0);
                else if (what < 45)
                    layer->SetImage(name < 4 ? names[name] : "");
                else if (what < 55)
                    layer->SetBaseSize(what < 50 ? 0 : a / 3, what < 52 ? 0 : b / 3);
                else if (what < 65)
                    layer->SetColor(255 - c / 2, a & 255, b & 255, 255);
                else if (what < 72)
                    layer->SetBlend(a & 1);
                else if (what < 78)
                    layer->SetAnti(b & 1);
                else if (what < 84)
                    layer->SetCameraState(c > -150, c > 100, 1.0f + c / 400.0f, 1.0f);
                else if (what < 86)
                    // The rotation on the last layer now and then, or none again.
                    v->GetPageLayer(page, 15)->SetAction(a % 5 == 0 ? 1 : 0);
                else if (what < 88)
                    layer->SetDefaultProp();
                else if (what < 90) {
                    CDIBCamera* camera = v->GetPageCamera(page);
                    camera->ResetMove();
                    camera->AddMove(static_cast<float>(a), static_cast<float>(b), 0, 0);
                    camera->StartMove(60);
                }
            }
        }
        partial.Move(false);
        full.Move(false);
        for (int page = 0; page < 2; ++page) {
            full.ComposeFull(page);
            ASSERT_TRUE(SameFrame(*partial.GetPage(page), *full.GetPage(page)))
                << "tick " << tick << " page " << page;
            ByteWriter pc, fc;
            partial.GetPageCamera(page)->Save(pc);
            full.GetPageCamera(page)->Save(fc);
            ASSERT_EQ(pc.Data(), fc.Data()) << "tick " << tick << " page " << page;
            for (int i = 0; i < 16; ++i)
                ASSERT_EQ(partial.IsLayerVisible(page, i), full.IsLayerVisible(page, i));
        }
    }
    // Most compositions were partial.
    const auto& s = partial.GetPageStats(1);
    EXPECT_GT(s.partial, s.full);
}

} // namespace
} // namespace qw::test
