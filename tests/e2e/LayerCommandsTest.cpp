// The picture, layer and action commands end to end: a game built with the tools reads pictures
// into slots, places them on the back page and animates them with actions; the layer-test
// program brings the back page in with a cut at a scripted tick. Screenshots equal pages
// composed here with the surface's own quad blits, every action type draws the same frames with
// the scalar pixel kernels as with the default ones, and the dump shows the slots, the layers
// and the actions' flags.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TestGame.h"
#include "common/Random.h"
#include "graphics/CDIBImage.h"
#include "graphics/MgdFormat.h"
#include "graphics/PngCodec.h"

namespace qw::e2e {
namespace {

// A picture whose alpha falls off towards its edges, as a surface and as an MGD file.
struct Picture {
    // `rim` 0: opaque to its edges.
    Picture(int w, int h, uint32_t seed, int rim = 12) {
        image.Create(w, h);
        Lcg lcg(seed);
        const uint32_t base = (seed * 0x9E3779B1u) & 0x7F7F7F;
        ByteWriter data;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int edge = std::min(std::min(x, w - 1 - x), std::min(y, h - 1 - y));
                const uint32_t alpha =
                    static_cast<uint32_t>(rim ? std::min(255, 40 + edge * rim) : 255);
                // A colour of its own with a grain and a gradient across it, so frames show
                // what moved.
                const uint32_t grain = static_cast<uint32_t>(lcg.Next()) & 0x3F3F3F;
                const uint32_t rgb = (base + grain + static_cast<uint32_t>(x * 64 / w) +
                                      (static_cast<uint32_t>(y * 64 / h) << 8)) &
                                     0xFFFFFF;
                const uint32_t p = alpha << 24 | rgb;
                image.GetPixels()[y * w + x] = p;
                data.Put<uint32_t>(p);
            }
        const std::vector<SpriteElement> elements = {
            {0, 0, static_cast<int16_t>(w), static_cast<int16_t>(h)}};
        const Bytes file = BuildMgdFile(static_cast<uint16_t>(w), static_cast<uint16_t>(h),
                                        MgdEncoding::Raw, data.Take(), elements, 4);
        mgd.assign(file.begin(), file.end());
    }
    // The quad a layer at (x, y) draws the whole picture with at its own size.
    VertexQuad Quad(int x, int y, uint32_t colour) const {
        const int16_t r = static_cast<int16_t>(x + image.GetWidth() - 1);
        const int16_t b = static_cast<int16_t>(y + image.GetHeight() - 1);
        const int16_t sr = static_cast<int16_t>(image.GetWidth() - 1);
        const int16_t sb = static_cast<int16_t>(image.GetHeight() - 1);
        VertexQuad q;
        q.corner[0] = {static_cast<int16_t>(x), static_cast<int16_t>(y), 0};
        q.corner[1] = {r, static_cast<int16_t>(y), 0};
        q.corner[2] = {r, b, 0};
        q.corner[3] = {static_cast<int16_t>(x), b, 0};
        q.source[0] = {0, 0};
        q.source[1] = {sr, 0};
        q.source[2] = {sr, sb};
        q.source[3] = {0, sb};
        q.colour = colour;
        return q;
    }
    mutable CDIBImage image;
    std::string mgd;
};

// The screenshot's pixels (B, G, R, A), or empty when it is not an 800 × 600 PNG.
std::vector<uint32_t> Shot(const std::string& png) {
    const std::string text = ReadText(png);
    const ByteSpan bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    const auto header = ReadPngHeader(bytes);
    if (!header || header->width != 800 || header->height != 600) return {};
    std::vector<uint32_t> pixels(800 * 600);
    if (!DecodePng(bytes, pixels.data(), 800, 600)) return {};
    return pixels;
}

// The first pixel whose colour differs, or "".
std::string Differs(const std::vector<uint32_t>& shot, const CDIBImage& frame) {
    if (shot.size() != 800u * 600u) return "no 800 × 600 picture";
    for (int i = 0; i < 800 * 600; ++i)
        if ((shot[static_cast<size_t>(i)] ^ frame.GetPixels()[i]) & 0xFFFFFF)
            return "pixel (" + std::to_string(i % 800) + ", " + std::to_string(i / 800) + ")";
    return "";
}

std::string Shots(const TestGame& game, const std::string& prefix,
                  std::initializer_list<int> ticks) {
    std::string args;
    for (int tick : ticks)
        args += " --screenshot " + std::to_string(tick) + ":" +
                Quote(game.Path(prefix + std::to_string(tick) + ".png"));
    return args;
}

TEST(LayerCommands, SlotsAndLayerCommandsBuildThePageTheCutShows) {
    TestGame game("layer_commands");
    Picture bg(800, 600, 11), chr(240, 320, 12), panel(800, 150, 13);
    game.AddFile("MGD", "BG.MGD", bg.mgd);
    game.AddFile("MGD", "CHR.MGD", chr.mgd);
    game.AddFile("MGD", "PANEL.MGD", panel.mgd);
    game.AddScenario("START.MSD", R"(IMREAD 0, "BG.MGD"
IMREAD 1, "CHR.MGD"
IMREAD 1, "CHR.MGD"
IMREAD 7, "GONE.MGD"
LYIMAGE 0, 0
LYIMAGE 1, 1
LYPOS 1, 300, 120, 0
LYCOLOR 1, 200, 255, 160, 120
IMFREE 1
LYIMAGE 2, "PANEL.MGD"
LYPOS 2, 0, 450, 0
LYBLEND 2, 0
LYIMAGE 3, 7
LYPOS 3, 10, 10, 0
ATIMES -1
AWAIT 0, 1, 1, 1, 1, 1
)");
    WriteText(game.Path("layers.txt"), "4 overlap 1 0\n");
    std::filesystem::copy_file(QW_DEBUG_MODULE, game.Path("QWDebug.so"));
    const std::string log = game.Path("debug.log");
    const std::string env =
        "QW_LAYER_SCRIPT=" + Quote(game.Path("layers.txt")) + " QW_DEBUG_LOG=" + Quote(log) + " ";
    RunResult r =
        game.RunProgram(env + QW_BIN_LAYER_TEST, "--ticks 40" + Shots(game, "t", {3, 40}));
    ASSERT_EQ(r.exitCode, 0) << r.stderrText;
    ASSERT_TRUE(r.state) << r.stderrText;
    // Both unreadable pictures are reported, the game goes on.
    EXPECT_NE(r.stderrText.find("【IMREAD】読み込みエラー(ファイル名：GONE.MGD)"),
              std::string::npos)
        << r.stderrText;
    EXPECT_NE(r.stderrText.find("【LYIMAGE】読み込みエラー(ファイル名：)"), std::string::npos)
        << r.stderrText;

    // Before the cut the shown page is empty; long after it, the page the commands built.
    CDIBImage empty;
    empty.Create(800, 600);
    empty.FillFull(0);
    EXPECT_EQ(Differs(Shot(game.Path("t3.png")), empty), "");
    CDIBImage page;
    page.Create(800, 600);
    page.FillFull(0);
    bg.image.StretchBltBlend(&page, bg.Quad(0, 0, 0xFFFFFFFF), false);
    chr.image.StretchBltBlend(&page, chr.Quad(300, 120, 0xC8FFA078), false);
    panel.image.StretchBltCopy(&page, panel.Quad(0, 450, 0xFFFFFFFF), false);
    EXPECT_EQ(Differs(Shot(game.Path("t40.png")), page), "");

    const JsonValue& slots = (*r.state)["image_slots"];
    EXPECT_EQ(slots[0].String(), "BG.MGD");
    EXPECT_TRUE(slots[1].IsNull()); // freed; the layer keeps its own reference
    EXPECT_TRUE(slots[7].IsNull()); // the read failed
    EXPECT_TRUE(slots[255].IsNull());
    const JsonValue& v = (*r.state)["vvram"];
    EXPECT_EQ(v["front_page"].Int(), 1);
    const JsonValue& front = v["pages"][1]["layers"];
    EXPECT_EQ(front[0]["picture"].String(), "BG.MGD");
    EXPECT_EQ(front[1]["picture"].String(), "CHR.MGD");
    EXPECT_EQ(front[1]["colour"].String(), "0xC8FFA078");
    EXPECT_EQ(front[1]["x"].Int(), 300);
    EXPECT_TRUE(std::get<bool>(front[1]["visible"].v));
    EXPECT_FALSE(std::get<bool>(front[2]["blend"].v));
    EXPECT_TRUE(front[3]["picture"].IsNull());
    EXPECT_EQ(front[3]["x"].Int(), 10);
    EXPECT_TRUE(v["pages"][0]["layers"][0]["picture"].IsNull()); // the old page, emptied

    // The development module hears each command's new value for the back page, in order.
    const std::string calls = ReadText(log);
    size_t at = 0;
    for (const char* line :
         {"lay image 1 0 \"BG.MGD\" 800 600 pixels\n", "lay image 1 1 \"CHR.MGD\" 240 320 pixels\n",
          "lay pos 1 1 300 120 0\n", "lay color 1 1 C8FFA078\n",
          "lay image 1 2 \"PANEL.MGD\" 800 150 pixels\n", "lay pos 1 2 0 450 0\n",
          "lay blend 1 2 0\n", "lay image 1 3 \"\" 0 0 null\n", "lay pos 1 3 10 10 0\n"}) {
        const size_t found = calls.find(line, at);
        EXPECT_NE(found, std::string::npos) << line << calls.substr(at, 600);
        if (found != std::string::npos) at = found + 1;
    }
}

TEST(LayerCommands, EveryActionTypeDrawsTheSameFramesWithTheScalarKernels) {
    TestGame game("action_commands");
    Picture bg(800, 600, 21), a(160, 120, 22), b(120, 120, 23), c(300, 200, 24), drop(8, 40, 25, 0),
        base(800, 150, 26);
    for (const auto& [name, p] : std::initializer_list<std::pair<const char*, Picture*>>{
             {"BG", &bg}, {"A", &a}, {"B", &b}, {"C", &c}, {"DROP", &drop}, {"BASE", &base}})
        game.AddFile("MGD", std::string(name) + ".MGD", p->mgd);
    // Layer 1 turns, 2 follows a curve, 3 waves (calmed by ACTSTOP), 4 rains over the page,
    // 5 burns at the foot of the page; later the whole screen turns through action 0.
    game.AddScenario("START.MSD", R"(IMREAD 0, "BG.MGD"
LYIMAGE 0, 0
LYIMAGE 1, "A.MGD"
LYPOS 1, 60, 60, 0
ACTMAKE 0, 0, 900, 0, 0
LYACTION 1, 0
LYIMAGE 2, "B.MGD"
ACTMAKE 1, 1, 1200, 1, 1, 500, 40, 0, 640, 200, 0, 420, 380, 0
LYACTION 2, 1
LYIMAGE 3, "C.MGD"
LYPOS 3, 250, 220, 0
ACTMAKE 2, 2, 600, 150, 240, 12, 2
LYACTION 3, 2
LYIMAGE 4, "C.MGD"
LYSIZE 4, 800, 600
LYCOLOR 4, 0, 200, 220, 255
ACTMAKE 3, 3, 900, 300, 8, 1, "DROP.MGD"
LYACTION 4, 3
LYIMAGE 5, "BASE.MGD"
LYPOS 5, 0, 450, 0
ACTMAKE 4, 4, 10000, 400, 800, 0
LYACTION 5, 4
ACTPLAY 0, 1, 2, 3, 4
ATIMES 300
AWAIT 0, 1, 1, 1, 1, 1
ACTSTOP 2
ATIMES 400
AWAIT 0, 1, 1, 1, 1, 1
SCREENACT 0
ATIMES -1
AWAIT 0, 1, 1, 1, 1, 1
)");
    WriteText(game.Path("layers.txt"), "3 overlap 1 0\n");
    const std::string env = "QW_LAYER_SCRIPT=" + Quote(game.Path("layers.txt")) + " ";
    const auto ticks = {6, 9, 13, 17, 34};
    RunResult fast =
        game.RunProgram(env + QW_BIN_LAYER_TEST, "--seed 7 --ticks 36" + Shots(game, "d", ticks));
    ASSERT_EQ(fast.exitCode, 0) << fast.stderrText;
    RunResult scalar = game.RunProgram("QUILLWORK_SIMD=scalar " + env + QW_BIN_LAYER_TEST,
                                       "--seed 7 --ticks 36" + Shots(game, "s", ticks));
    ASSERT_EQ(scalar.exitCode, 0) << scalar.stderrText;

    std::vector<uint32_t> last;
    for (int tick : ticks) {
        SCOPED_TRACE("tick " + std::to_string(tick));
        const std::vector<uint32_t> d = Shot(game.Path("d" + std::to_string(tick) + ".png"));
        const std::vector<uint32_t> s = Shot(game.Path("s" + std::to_string(tick) + ".png"));
        ASSERT_EQ(d.size(), 800u * 600u);
        EXPECT_TRUE(d == s);
        EXPECT_FALSE(d == last); // the actions move the picture from shot to shot
        last = d;
    }
    // By the last shot the whole page turns through the screen action: its corners show the
    // frame's black.
    EXPECT_EQ(last[0] & 0xFFFFFF, 0u);
    EXPECT_EQ(last[800 * 600 - 1] & 0xFFFFFF, 0u);

    ASSERT_TRUE(fast.state) << fast.stderrText;
    const JsonValue& v = (*fast.state)["vvram"];
    EXPECT_EQ(v["screen_action"].Int(), 1);
    const JsonValue& actions = v["actions"];
    ASSERT_EQ(actions.Items().size(), 5u) << fast.stateText;
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE("action " + std::to_string(i));
        const JsonValue& act = actions[static_cast<size_t>(i)];
        EXPECT_EQ(act["number"].Int(), i + 1);
        EXPECT_EQ(act["type"].Int(), i + 1);
        const bool calmed = i == 2; // the raster's stop ran its fade-out to the end
        EXPECT_EQ(std::get<bool>(act["active"].v), !calmed);
        EXPECT_EQ(std::get<bool>(act["playing"].v), !calmed);
        EXPECT_TRUE(std::get<bool>(act["played_in"].v));
        EXPECT_EQ(std::get<bool>(act["stopped"].v), calmed);
    }
    EXPECT_EQ(v["pages"][1]["layers"][3]["action"].Int(), 3);
    EXPECT_EQ(fast.stateText, scalar.stateText);
}

} // namespace
} // namespace qw::e2e
