// The control toolkit end to end: quillwork-ui-test opens a game on the control test screen,
// whose controls come from the definition file "CTRLTEST" (assembled with qwasm); scripted keys
// and mouse drive them; the dumped state (controls, fired list, system sounds) and screenshots
// show the result.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestGame.h"
#include "app/HitMap.h"
#include "graphics/MgdFormat.h"
#include "graphics/PngCodec.h"

namespace qw::e2e {
namespace {

constexpr uint32_t kBackground = 0x203040; // the test screen's

// Every cell of the test pictures in its own colour, so a screenshot shows the state drawn.
uint32_t CellColour(int cell) {
    return 0xFF000000u | static_cast<uint32_t>(0x18 * (cell + 1)) << 16 | 0x4000u |
           static_cast<uint32_t>(0xF0 - 0x14 * cell);
}

template <typename F>
std::string RawPicture(int w, int h, const std::vector<SpriteElement>& elements, F pixel) {
    ByteWriter data;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            data.Put<uint32_t>(pixel(x, y));
    Bytes file = BuildMgdFile(static_cast<uint16_t>(w), static_cast<uint16_t>(h), MgdEncoding::Raw,
                              data.Take(), elements, 4);
    return std::string(file.begin(), file.end());
}

// Button 1 at (100, 100), check box 2 at (100, 150), slider 3 at (100, 200) (0-255, margins 0
// and 10 on a 265-pixel track), and button 4, hit through region 7 of a hit map over
// (300, 300)-(349, 329). Tab and Down go 1 → 2 → 3, Up goes back; button 1 is focused first.
constexpr const char* kCtrlTest = R"(; the control test screen
record 90, 0, 1
record 90, 1, 1, "PARTS.MGD", "", 1, 0, 100, 100, 0, 1, 2, 3, 4, 1
record 90, 2, 2, "PARTS.MGD", "", 2, 0, 100, 150, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0
record 90, 3, 3, "SLIDER.MGD", "", 3, 0, 100, 200, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9,
          0, 0, 0, 255, 0, 10
record 90, 4, 1, "PARTS.MGD", "HIT.BMP", 4, 7, 300, 300, 0, 1, 2, 3, 4, 1, 1, 1, 1
record 91, 0, 1, -1, 2, -1, -1, 2
record 91, 1, 2, 1, 3, -1, -1, 3
record 91, 2, 3, 2, -1, -1, -1, 1
)";

TestGame ControlGame(const std::string& name) {
    TestGame game(name);
    game.AddScenario("START.MSD", "END\n");
    game.AddScenario("CTRLTEST.MSD", kCtrlTest);
    std::vector<SpriteElement> cells;
    for (int i = 0; i < 10; ++i)
        cells.push_back({static_cast<int16_t>(i * 20), 0, 20, 10});
    game.AddFile("MGD", "PARTS.MGD",
                 RawPicture(200, 10, cells, [](int x, int) { return CellColour(x / 20); }));
    std::vector<SpriteElement> slider;
    for (int i = 0; i < 5; ++i)
        slider.push_back({0, static_cast<int16_t>(i * 12), 265, 12});
    for (int i = 0; i < 5; ++i)
        slider.push_back({static_cast<int16_t>(i * 9), 60, 9, 20});
    game.AddFile("MGD", "SLIDER.MGD", RawPicture(265, 80, slider, [](int x, int y) {
                     return y < 60 ? CellColour(y / 12) : CellColour(5 + x / 9);
                 }));
    std::vector<uint8_t> map(800 * 600, 0);
    for (int y = 300; y < 330; ++y)
        for (int x = 300; x < 350; ++x)
            map[static_cast<size_t>(y) * 800 + static_cast<size_t>(x)] = 7;
    Bytes bmp = EncodeHitMap(map);
    game.AddFile("DATA", "HIT.BMP", std::string(bmp.begin(), bmp.end()));
    return game;
}

struct Control {
    int state = -1;
    bool focus = false;
    const JsonValue* raw = nullptr;
};

Control Find(const RunResult& r, int id) {
    for (const JsonValue& c : (*r.state)["controls"]["list"].Items())
        if (c["id"].Int() == id)
            return {c["state"].IsNull() ? -1 : c["state"].Int(), std::get<bool>(c["focus"].v), &c};
    ADD_FAILURE() << "no control " << id;
    return {};
}

std::vector<std::pair<int, int>> Fired(const RunResult& r) {
    std::vector<std::pair<int, int>> out;
    for (const JsonValue& f : (*r.state)["fired"].Items())
        out.emplace_back(f["tick"].Int(), f["id"].Int());
    return out;
}

RunResult RunScript(const TestGame& game, const std::string& script, int ticks,
                    const std::string& extra = "") {
    WriteText(game.Path("input.txt"), script);
    return game.RunProgram(QW_BIN_UI_TEST, "--ticks " + std::to_string(ticks) + " --input " +
                                               Quote(game.Path("input.txt")) + " " + extra);
}

// The RGB colour at (x, y) of a screenshot.
uint32_t PixelAt(const std::string& png, int x, int y) {
    std::string text = ReadText(png);
    ByteSpan bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    auto header = ReadPngHeader(bytes);
    if (!header) return 0xDEADBEEF;
    std::vector<uint32_t> pixels(size_t{header->width} * header->height);
    if (!DecodePng(bytes, pixels.data(), static_cast<int>(header->width),
                   static_cast<int>(header->height)))
        return 0xDEADBEEF;
    return pixels[static_cast<size_t>(y) * header->width + static_cast<size_t>(x)] & 0xFFFFFF;
}

uint32_t Rgb(uint32_t colour) {
    return colour & 0xFFFFFF;
}

TEST(Controls, TabArrowsAndEnterDriveTheFocusTheSliderAndTheCheckBox) {
    TestGame game = ControlGame("controls_keys");
    const std::string shot = game.Path("pressed.png"), last = game.Path("last.png");
    RunResult r =
        RunScript(game,
                  "# Tab from the button to the check box, Down to the slider\n"
                  "25 key TAB down\n"
                  "26 key TAB up\n"
                  "28 key DOWN down\n"
                  "29 key DOWN up\n"
                  "31 key RIGHT down\n"
                  "32 key RIGHT up\n"
                  "# Up back to the check box, Enter toggles it\n"
                  "34 key UP down\n"
                  "35 key UP up\n"
                  "37 key RETURN down\n"
                  "38 key RETURN up\n",
                  44, "--screenshot 37:" + Quote(shot) + " --screenshot 44:" + Quote(last));
    ASSERT_EQ(r.exitCode, 0) << r.stderrText;
    ASSERT_TRUE(r.state) << r.stateText;
    EXPECT_EQ(Fired(r), (std::vector<std::pair<int, int>>{{31, 3}, {39, 2}}));
    const Control box = Find(r, 2);
    EXPECT_TRUE(box.focus);
    EXPECT_EQ(box.state, 6);
    EXPECT_TRUE(std::get<bool>((*box.raw)["checked"].v));
    EXPECT_EQ((*Find(r, 3).raw)["value"].Int(), 1);
    EXPECT_EQ(Find(r, 1).state, 0);
    EXPECT_EQ((*r.state)["controls"]["press_flag"].Int(), 0);
    // Focus moves 1 (at the start), 2, 3, 2; one click with the decide sound.
    const JsonValue& sounds = (*r.state)["system_sounds"];
    EXPECT_EQ(sounds[0].Int(), 0);
    EXPECT_EQ(sounds[1].Int(), 1);
    EXPECT_EQ(sounds[2].Int(), 4);
    // Pressed while unchecked (cell 2), then focused and checked (cell 6).
    EXPECT_EQ(PixelAt(shot, 105, 155), Rgb(CellColour(2)));
    EXPECT_EQ(PixelAt(last, 105, 155), Rgb(CellColour(6)));
    EXPECT_EQ(PixelAt(last, 105, 105), Rgb(CellColour(0)));
    EXPECT_EQ(PixelAt(last, 99, 105), kBackground);
    // The slider's knob: its centre one pixel along (knob cell 5, normal, the slider unfocused).
    EXPECT_EQ(PixelAt(last, 97, 215), Rgb(CellColour(5)));
    EXPECT_EQ(PixelAt(last, 106, 215), kBackground);
}

TEST(Controls, HoverPressDragOffAndBackAndRelease) {
    TestGame game = ControlGame("controls_mouse");
    const std::string off = game.Path("off.png"), back = game.Path("back.png");
    RunResult r =
        RunScript(game,
                  "25 move 110 105\n"
                  "27 button left down\n"
                  "28 move 50 50\n"
                  "29 move 112 106\n"
                  "30 button left up\n"
                  "# a release outside does not fire\n"
                  "33 button left down\n"
                  "34 move 50 50\n"
                  "35 button left up\n"
                  "# the hit-map button is hit off its drawn cell\n"
                  "37 move 340 320\n",
                  40, "--screenshot 28:" + Quote(off) + " --screenshot 29:" + Quote(back));
    ASSERT_EQ(r.exitCode, 0) << r.stderrText;
    ASSERT_TRUE(r.state) << r.stateText;
    EXPECT_EQ(Fired(r), (std::vector<std::pair<int, int>>{{31, 1}}));
    EXPECT_EQ(PixelAt(off, 105, 105), Rgb(CellColour(0)));  // dragged off: the released look
    EXPECT_EQ(PixelAt(back, 105, 105), Rgb(CellColour(2))); // back: pressed
    EXPECT_FALSE(Find(r, 1).focus);
    EXPECT_TRUE(Find(r, 4).focus);
    EXPECT_EQ(Find(r, 4).state, 1);
    EXPECT_EQ((*r.state)["input"]["mode"].String(), "mouse");
}

TEST(Controls, ASliderIsSteppedAndDraggedAndACheckBoxToggledByTheMouse) {
    TestGame game = ControlGame("controls_slider");
    RunResult r = RunScript(game,
                            "# keys: Down twice to the slider, Right held for a second\n"
                            "24 key DOWN down\n"
                            "25 key DOWN up\n"
                            "26 key DOWN down\n"
                            "27 key DOWN up\n"
                            "29 key RIGHT down\n"
                            "62 key RIGHT up\n"
                            "# the mouse: press on the track, drag past both ends, release\n"
                            "65 move 150 205\n"
                            "66 button left down\n"
                            "67 move 400 205\n"
                            "68 move 10 205\n"
                            "69 move 228 205\n"
                            "70 button left up\n"
                            "# the check box: the pointer arrives a tick before the click\n"
                            "73 move 105 155\n"
                            "74 click 105 155\n",
                            80);
    ASSERT_EQ(r.exitCode, 0) << r.stderrText;
    ASSERT_TRUE(r.state) << r.stateText;
    std::vector<std::pair<int, int>> fired = Fired(r);
    // Held from tick 29 to 61 (30 ms a tick): a step at once, after 500 ms, then every 100 ms.
    // Then the press, three drags, and the release over the track; last the check box.
    std::vector<std::pair<int, int>> expect = {{29, 3}, {46, 3}, {50, 3}, {54, 3}, {58, 3}, {66, 3},
                                               {67, 3}, {68, 3}, {69, 3}, {71, 3}, {76, 2}};
    EXPECT_EQ(fired, expect);
    EXPECT_EQ((*Find(r, 3).raw)["value"].Int(), 128);
    EXPECT_TRUE(std::get<bool>((*Find(r, 2).raw)["checked"].v));
}

TEST(Controls, AClickWithoutAnEarlierMoveIsIgnoredWhileTheFocusIsPending) {
    TestGame game = ControlGame("controls_click");
    RunResult r = RunScript(game,
                            "25 click 110 105\n"  // arrives and presses at once: nothing
                            "30 click 110 105\n"  // focused by its release: fires at 32
                            "35 click 105 155\n"  // the check box: nothing, focused at 36
                            "41 click 105 155\n", // fires at 43
                            46);
    ASSERT_EQ(r.exitCode, 0) << r.stderrText;
    ASSERT_TRUE(r.state) << r.stateText;
    EXPECT_EQ(Fired(r), (std::vector<std::pair<int, int>>{{32, 1}, {43, 2}}));
    EXPECT_TRUE(std::get<bool>((*Find(r, 2).raw)["checked"].v));
}

TEST(Controls, TwoRunsDumpTheSameState) {
    TestGame game = ControlGame("controls_twice");
    const std::string script = "25 key TAB down\n26 key TAB up\n28 move 150 205\n29 click 150 205\n"
                               "32 key RIGHT down\n40 key RIGHT up\n";
    RunResult a = RunScript(game, script, 45);
    RunResult b = RunScript(game, script, 45);
    ASSERT_EQ(a.exitCode, 0) << a.stderrText;
    ASSERT_TRUE(a.state);
    EXPECT_FALSE(Fired(a).empty());
    EXPECT_EQ(a.stateText, b.stateText);
}

} // namespace
} // namespace qw::e2e
