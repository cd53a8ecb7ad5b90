// The demo game's picture chapters, played headless from the built game: each case starts a
// chapter, presses Enter to reach a scene and checks what the dumped pages show while the scene
// waits for its click (every wait of a scene has no time limit, so a case only has to get there).

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "TestGame.h"

namespace qw::e2e {
namespace {

bool Bool(const JsonValue& v) {
    return std::get<bool>(v.v);
}

const JsonValue& FrontPage(const JsonValue& state) {
    const JsonValue& vvram = state["vvram"];
    return vvram["pages"][static_cast<size_t>(vvram["front_page"].Int())];
}

// The picture shown on a layer of the front page ("" for none).
std::string Picture(const JsonValue& state, int layer) {
    const JsonValue& p = FrontPage(state)["layers"][static_cast<size_t>(layer)]["picture"];
    return p.IsNull() ? "" : p.String();
}

// The defined action with this number (1-256, as layers name them), or null.
const JsonValue* Action(const JsonValue& state, int number) {
    for (const JsonValue& a : state["vvram"]["actions"].Items())
        if (a["number"].Int() == number) return &a;
    return nullptr;
}

struct SceneCase {
    const char* name;
    const char* chapter;
    std::vector<int> presses; // ticks at which Enter goes down (up one tick later)
    int ticks;
    std::function<void(const JsonValue&)> check;
};

class DemoScenes : public ::testing::TestWithParam<SceneCase> {};

TEST_P(DemoScenes, ShowTheirScene) {
    const SceneCase& c = GetParam();
    TestGame game(std::string("demo_scene_") + c.name);
    std::filesystem::remove_all(game.Dir());
    std::filesystem::copy(QW_DEMO_GAME_DIR, game.Dir(), std::filesystem::copy_options::recursive);
    std::string script;
    for (int tick : c.presses)
        script += std::to_string(tick) + " key RETURN down\n" + std::to_string(tick + 1) +
                  " key RETURN up\n";
    WriteText(game.Path("keys.txt"), script);
    RunResult r = game.Run("--ticks " + std::to_string(c.ticks) + " --seed 1 --start-scenario " +
                           c.chapter + " --input " + Quote(game.Path("keys.txt")));
    ASSERT_EQ(r.exitCode, 0) << r.stderrText;
    EXPECT_EQ(r.stderrText, "");
    ASSERT_TRUE(r.state);
    const JsonValue& state = *r.state;
    EXPECT_FALSE(Bool(state["vvram"]["transition"]["active"]));
    c.check(state);
}

const SceneCase kCases[] = {
    // The first picture scene: the street, the three people and the panel, all drawn.
    {"town",
     "CHAPTER2",
     {},
     150,
     [](const JsonValue& s) {
         const char* shown[][2] = {{"0", "BG_TOWN"},
                                   {"1", "CHR_AOI"},
                                   {"2", "CHR_BEN"},
                                   {"3", "CHR_CORA"},
                                   {"8", "WINDOW"}};
         for (const auto& [layer, picture] : shown) {
             const int i = std::stoi(layer);
             EXPECT_EQ(Picture(s, i), picture) << "layer " << i;
             EXPECT_TRUE(Bool(FrontPage(s)["layers"][static_cast<size_t>(i)]["visible"]));
         }
         EXPECT_EQ(s["image_slots"][10].String(), "BG_TOWN");
         EXPECT_EQ(s["image_slots"][14].String(), "WINDOW");
     }},
    // After the zoom in and out, the camera is back where it started; the panel never moved.
    {"zoom",
     "CHAPTER2",
     {150},
     300,
     [](const JsonValue& s) {
         const JsonValue& camera = FrontPage(s)["camera"];
         EXPECT_FALSE(Bool(camera["moving"]));
         EXPECT_EQ(camera["roll"].Number(), 0);
         for (int i = 0; i < 3; ++i)
             EXPECT_EQ(camera["target"][static_cast<size_t>(i)].Number(), 0);
         EXPECT_FALSE(Bool(FrontPage(s)["layers"][8]["camera"]));
         EXPECT_EQ(FrontPage(s)["layers"][8]["bounds"][1].Int(), 450);
     }},
    // The wood: the rain falls on its own layer, over the two people.
    {"rain",
     "CHAPTER3",
     {},
     120,
     [](const JsonValue& s) {
         const JsonValue* rain = Action(s, 2);
         ASSERT_TRUE(rain);
         EXPECT_EQ((*rain)["type"].Int(), 4);
         EXPECT_TRUE(Bool((*rain)["playing"]));
         EXPECT_EQ(FrontPage(s)["layers"][6]["action"].Int(), 2);
         EXPECT_EQ(Picture(s, 0), "BG_WOOD");
         EXPECT_EQ(Picture(s, 1), "CHR_AOI");
         EXPECT_EQ(Picture(s, 2), "CHR_BEN");
     }},
    // Cora's pinwheel turns; the rain goes on.
    {"pinwheel",
     "CHAPTER3",
     {120},
     260,
     [](const JsonValue& s) {
         const JsonValue* turn = Action(s, 3);
         ASSERT_TRUE(turn);
         EXPECT_EQ((*turn)["type"].Int(), 1);
         EXPECT_TRUE(Bool((*turn)["active"]));
         EXPECT_EQ(FrontPage(s)["layers"][4]["action"].Int(), 3);
         EXPECT_EQ(Picture(s, 3), "CHR_CORA");
         ASSERT_TRUE(Action(s, 2));
         EXPECT_TRUE(Bool((*Action(s, 2))["playing"]));
     }},
    // The lake's waves run while the first scene waits ...
    {"lake",
     "CHAPTER4",
     {},
     90,
     [](const JsonValue& s) {
         const JsonValue* waves = Action(s, 2);
         ASSERT_TRUE(waves);
         EXPECT_EQ((*waves)["type"].Int(), 3);
         EXPECT_TRUE(Bool((*waves)["playing"]));
         EXPECT_TRUE(Bool((*waves)["played_in"]));
         EXPECT_EQ(Picture(s, 1), "LAKE");
         EXPECT_EQ(FrontPage(s)["layers"][1]["action"].Int(), 2);
     }},
    // ... and have come to rest by the time the next scene asks for its click.
    {"calm",
     "CHAPTER4",
     {120},
     260,
     [](const JsonValue& s) {
         const JsonValue* waves = Action(s, 2);
         ASSERT_TRUE(waves);
         EXPECT_FALSE(Bool((*waves)["playing"]));
         EXPECT_FALSE(Bool((*waves)["active"]));
         EXPECT_TRUE(Bool((*waves)["stopped"]));
     }},
    // Night: the fire burns over the logs at the foot of the page, behind no panel.
    {"fire",
     "CHAPTER4",
     {120, 260},
     380,
     [](const JsonValue& s) {
         const JsonValue* fire = Action(s, 3);
         ASSERT_TRUE(fire);
         EXPECT_EQ((*fire)["type"].Int(), 5);
         EXPECT_TRUE(Bool((*fire)["playing"]));
         EXPECT_EQ(Picture(s, 5), "LOGS");
         EXPECT_EQ(FrontPage(s)["layers"][5]["y"].Int(), 450);
         EXPECT_EQ(Picture(s, 8), "");
         EXPECT_EQ(FrontPage(s)["layers"][0]["colour"].String(), "0xFF9696C8");
         EXPECT_EQ(Action(s, 2), nullptr); // the lake's waves were released
     }},
};

INSTANTIATE_TEST_SUITE_P(Demo, DemoScenes, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<SceneCase>& info) {
                             return std::string(info.param.name);
                         });

// A game saved while the wood's first scene waits resumes on that scene: the rain falls again
// over the same people, from the same slots, under the chapter's subtitle.
TEST(DemoSaves, AGameSavedInTheRainResumesInTheRain) {
    TestGame game("demo_scene_save");
    std::filesystem::remove_all(game.Dir());
    std::filesystem::copy(QW_DEMO_GAME_DIR, game.Dir(), std::filesystem::copy_options::recursive);
    RunResult saved = game.Run("--ticks 130 --seed 1 --start-scenario CHAPTER3 --save-slot 120:1");
    ASSERT_EQ(saved.exitCode, 0) << saved.stderrText;
    ASSERT_TRUE(saved.state);
    RunResult loaded = game.Run("--ticks 10 --seed 1 --load-slot 1");
    ASSERT_EQ(loaded.exitCode, 0) << loaded.stderrText;
    EXPECT_EQ(loaded.stderrText, "");
    ASSERT_TRUE(loaded.state);
    const JsonValue& s = *loaded.state;
    EXPECT_EQ(s["scenario"]["file"].String(), "CHAPTER3");
    EXPECT_EQ(s["subtitle"].String(), (*saved.state)["subtitle"].String());
    for (int layer : {0, 1, 2, 6, 8})
        EXPECT_EQ(Picture(s, layer), Picture(*saved.state, layer)) << "layer " << layer;
    EXPECT_EQ(Picture(s, 0), "BG_WOOD");
    const JsonValue* rain = Action(s, 2);
    ASSERT_TRUE(rain);
    EXPECT_EQ((*rain)["type"].Int(), 4);
    EXPECT_TRUE(Bool((*rain)["playing"]));
    EXPECT_EQ(s["image_slots"][10].String(), "BG_WOOD");
    EXPECT_FALSE(Bool(s["vvram"]["transition"]["active"]));
}

// The town's first scene has no moving action: a game saved while it waits opens on the very
// frame that was shown.
TEST(DemoSaves, AGameSavedInTheTownOpensOnTheSameFrame) {
    TestGame game("demo_scene_save_town");
    std::filesystem::remove_all(game.Dir());
    std::filesystem::copy(QW_DEMO_GAME_DIR, game.Dir(), std::filesystem::copy_options::recursive);
    RunResult saved = game.Run("--ticks 150 --seed 1 --start-scenario CHAPTER2 --save-slot 140:2 "
                               "--screenshot 140:" +
                               Quote(game.Path("saved.png")));
    ASSERT_EQ(saved.exitCode, 0) << saved.stderrText;
    RunResult loaded = game.Run("--ticks 3 --seed 1 --load-slot 2 --screenshot 3:" +
                                Quote(game.Path("loaded.png")));
    ASSERT_EQ(loaded.exitCode, 0) << loaded.stderrText;
    EXPECT_EQ(loaded.stderrText, "");
    const std::string shot = ReadText(game.Path("saved.png"));
    ASSERT_FALSE(shot.empty());
    EXPECT_TRUE(shot == ReadText(game.Path("loaded.png")));
}

} // namespace
} // namespace qw::e2e
