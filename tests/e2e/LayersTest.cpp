// The pages and layers end to end: quillwork-layer-test runs a game whose scenario screen follows
// a layer script — a two-layer page brought in with a cut, then another page through a fade —
// and the screenshots equal frames composed here from the same pictures.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TestGame.h"
#include "common/Random.h"
#include "graphics/CDIBImage.h"
#include "graphics/DIBFade.h"
#include "graphics/MgdFormat.h"
#include "graphics/PngCodec.h"

namespace qw::e2e {
namespace {

// A picture with random alpha, and the same pixels as a surface.
struct Picture {
    Picture(int w, int h, uint32_t seed) {
        image.Create(w, h);
        Lcg lcg(seed);
        ByteWriter data;
        for (int i = 0; i < w * h; ++i) {
            const uint32_t p = static_cast<uint32_t>(lcg.Next()) << 17 ^
                               static_cast<uint32_t>(lcg.Next()) << 2 ^ static_cast<uint32_t>(i);
            image.GetPixels()[i] = p;
            data.Put<uint32_t>(p);
        }
        const std::vector<SpriteElement> elements = {
            {0, 0, static_cast<int16_t>(w), static_cast<int16_t>(h)}};
        const Bytes file = BuildMgdFile(static_cast<uint16_t>(w), static_cast<uint16_t>(h),
                                        MgdEncoding::Raw, data.Take(), elements, 4);
        mgd.assign(file.begin(), file.end());
    }
    CDIBImage image;
    std::string mgd;
};

std::unique_ptr<CDIBImage> Page(std::initializer_list<std::tuple<Picture*, int, int>> layers) {
    auto page = std::make_unique<CDIBImage>();
    page->Create(800, 600);
    for (const auto& [p, x, y] : layers)
        p->image.BltBlend(page.get(), x, y, 0, 0, p->image.GetWidth(), p->image.GetHeight(),
                          0xFFFFFFFFu);
    return page;
}

// The first pixel whose colour differs between the screenshot and the frame, or "".
std::string Differs(const std::string& png, const CDIBImage& frame) {
    const std::string text = ReadText(png);
    const ByteSpan bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    const auto header = ReadPngHeader(bytes);
    if (!header || header->width != 800 || header->height != 600) return "no 800 × 600 picture";
    std::vector<uint32_t> pixels(800 * 600);
    if (!DecodePng(bytes, pixels.data(), 800, 600)) return "undecodable";
    for (int i = 0; i < 800 * 600; ++i)
        if ((pixels[i] ^ frame.GetPixels()[i]) & 0xFFFFFF)
            return "pixel (" + std::to_string(i % 800) + ", " + std::to_string(i / 800) + ")";
    return "";
}

TEST(Layers, ATwoLayerPageThenAnotherThroughAFade) {
    TestGame game("layers_fade");
    game.AddScenario("START.MSD", "ATIMES -1\nAWAIT 0, 1, 1, 1, 1, 1\n");
    Picture a(200, 150, 1), b(300, 220, 2), c(500, 400, 3);
    game.AddFile("MGD", "A.MGD", a.mgd);
    game.AddFile("MGD", "B.MGD", b.mgd);
    game.AddFile("MGD", "C.MGD", c.mgd);
    WriteText(game.Path("layers.txt"), "3 image 0 A.MGD\n3 pos 0 40 30 0\n"
                                       "3 image 1 B.MGD\n3 pos 1 150 100 0\n"
                                       "3 overlap 1 0\n"
                                       "8 image 0 C.MGD\n8 pos 0 100 50 0\n"
                                       "8 overlap 2 90\n");
    std::filesystem::copy_file(QW_DEBUG_MODULE, game.Path("QWDebug.so"));
    std::string shots;
    for (int tick : {3, 6, 8, 9, 10, 11, 14})
        shots += " --screenshot " + std::to_string(tick) + ":" +
                 Quote(game.Path("t" + std::to_string(tick) + ".png"));
    const std::string log = game.Path("debug.log");
    const std::string env =
        "QW_LAYER_SCRIPT=" + Quote(game.Path("layers.txt")) + " QW_DEBUG_LOG=" + Quote(log) + " ";
    RunResult r = game.RunProgram(env + QW_BIN_LAYER_TEST, "--ticks 16" + shots);
    ASSERT_EQ(r.exitCode, 0) << r.stderrText;
    ASSERT_TRUE(r.state) << r.stderrText;

    const auto two = Page({{&a, 40, 30}, {&b, 150, 100}});
    const auto one = Page({{&c, 100, 50}});
    // Tick 3 shows the cut's end state, tick 4 swaps the pages; the fade runs 91 ms from tick 8
    // (levels 30, 60 and 90 ms of 91), shows its end on tick 11 and swaps on tick 12.
    struct Shot {
        int tick;
        CDIBImage* from;
        CDIBImage* to;
        int level; // -1: `to` as it is
    } expected[] = {{3, two.get(), two.get(), -1},   {6, two.get(), two.get(), -1},
                    {8, two.get(), one.get(), 84},   {9, two.get(), one.get(), 168},
                    {10, two.get(), one.get(), 252}, {11, one.get(), one.get(), -1},
                    {14, one.get(), one.get(), -1}};
    for (const Shot& s : expected) {
        CDIBImage frame;
        frame.Create(800, 600);
        if (s.level < 0)
            s.to->Copy(&frame, 0, 0, 0, 0, 800, 600);
        else
            CrossFadeShift8(frame, *s.from, *s.to, s.level);
        EXPECT_EQ(Differs(game.Path("t" + std::to_string(s.tick) + ".png"), frame), "")
            << "tick " << s.tick;
    }

    const JsonValue& v = (*r.state)["vvram"];
    ASSERT_FALSE(v.IsNull()) << r.stateText;
    EXPECT_EQ(v["front_page"].Int(), 0);
    EXPECT_FALSE(std::get<bool>(v["transition"]["active"].v));
    const JsonValue& front = v["pages"][0];
    EXPECT_TRUE(std::get<bool>(front["shown"].v));
    const JsonValue& layer = front["layers"][0];
    EXPECT_EQ(layer["picture"].String(), "C.MGD");
    EXPECT_EQ(layer["x"].Int(), 100);
    EXPECT_TRUE(std::get<bool>(layer["visible"].v));
    EXPECT_EQ(layer["bounds"][0].Int(), 100);
    EXPECT_EQ(layer["bounds"][3].Int(), 449);
    EXPECT_EQ(layer["colour"].String(), "0xFFFFFFFF");
    EXPECT_TRUE(front["layers"][1]["picture"].IsNull());
    EXPECT_TRUE(front["layers"][1]["bounds"].IsNull());
    const JsonValue& back = v["pages"][1];
    EXPECT_FALSE(std::get<bool>(back["shown"].v));
    EXPECT_TRUE(back["layers"][0]["picture"].IsNull()); // emptied after the fade
    EXPECT_GE(back["compositions"]["full"].Int() + back["compositions"]["partial"].Int(), 2);

    // The module hears both transitions end, and after each the emptied back page.
    const std::string calls = ReadText(log);
    size_t overlaps = 0;
    for (size_t at = calls.find("lay overlap\n"); at != std::string::npos;
         at = calls.find("lay overlap\n", at + 1))
        ++overlaps;
    EXPECT_EQ(overlaps, 2u) << calls;
    const size_t last = calls.rfind("lay overlap\n");
    EXPECT_NE(calls.find("lay overlap\nlay image 1 0 \"\" 0 0 null\nlay pos 1 0 0 0 0\n"
                         "lay size 1 0 0 0\nlay color 1 0 FFFFFFFF\nlay blend 1 0 1\n"
                         "lay anti 1 0 0\nlay action 1 0 0\nlay camera 1 0 1\nlay bill 1 0 0\n"
                         "lay xyrate 1 0 1\nlay wrate 1 0 1\nlay image 1 1 ",
                         last),
              std::string::npos)
        << calls;
}

} // namespace
} // namespace qw::e2e
