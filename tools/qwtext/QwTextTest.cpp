// qwtext run as a program (QWTEXT names it): JSON messages in, draw items and page images out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "e2e/Json.h"
#include "graphics/CDIBImage.h"
#include "graphics/CDIBSprite.h"
#include "graphics/MgdFormat.h"
#include "graphics/PngCodec.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "scenario_lang/Assembler.h"
#include "text/TextProfile.h"

namespace qw {
namespace {

using e2e::JsonValue;

struct RunResult {
    int status = -1;
    std::string out;
};

// Each tool's run has its own work directory (the two runs go in parallel under ctest -j).
const std::string kWork = std::string(QWTEXT_WORK_DIR) + "/" +
                          (std::getenv("QWTEXT_WORK") ? std::getenv("QWTEXT_WORK") : "default");

RunResult RunTool(const std::string& json, const std::string& options = "") {
    std::filesystem::create_directories(kWork);
    const std::string input = kWork + "/in.json";
    std::ofstream(input, std::ios::binary) << json;
    const char* tool = std::getenv("QWTEXT");
    EXPECT_NE(tool, nullptr) << "QWTEXT names the tool";
    RunResult r;
    if (!tool) return r;
    const std::string command = std::string(tool) + " " + options + " " + input + " 2>/dev/null";
    FILE* p = popen(command.c_str(), "r");
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        r.out.append(buf, n);
    const int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

JsonValue Parse(const RunResult& r) {
    auto v = e2e::ParseJson(r.out);
    EXPECT_TRUE(v.has_value()) << r.out;
    return v.value_or(JsonValue{});
}

std::string Hex(std::string_view bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

class QwText : public testing::Test {
protected:
    void SetUp() override {
        const JsonValue v = Parse(RunTool(R"({"messages": []})"));
        codePage = v["code_page"].String();
        ASSERT_TRUE(codePage == "CP932" || codePage == "GBK");
    }
    std::string Bytes(const char* utf8) const {
        return Hex(platform::Utf8ToCodePage(codePage.c_str(), utf8).value_or("?"));
    }
    std::string codePage;
};

TEST_F(QwText, ItemsOfTheDefaultsExample) {
    const auto r = RunTool(R"({"style": {}, "messages": [{"style": {}, "items": [{"code": 0},
        {"text": "「あ」"}, {"bytes": "8140"}, {"code": 3}]}]})");
    ASSERT_EQ(r.status, 0);
    const JsonValue v = Parse(r);
    const JsonValue& m = v["messages"][0];
    EXPECT_FALSE(std::get<bool>(m["cut"].v));
    EXPECT_EQ(m["ignored"].Int(), 0);
    EXPECT_EQ(m["pen"]["x"].Int(), 108);
    EXPECT_EQ(m["pen"]["y"].Int(), 8);
    EXPECT_EQ(m["pen"]["next_line_y"].Int(), 36);
    EXPECT_EQ(m["pen"]["bracket_depth"].Int(), 0);
    const auto& items = m["items"].Items();
    ASSERT_EQ(items.size(), 7u);
    const std::vector<int> types = {3, 2, 2, 2, 2, 4, 0};
    const std::vector<std::string> bytes = {"", Bytes("「"), Bytes("あ"), Bytes("」"), "8140"};
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i]["type"].Int(), types[i]) << i;
        if (types[i] != 2) continue;
        EXPECT_EQ(items[i]["bytes"].String(), bytes[i]) << i;
        EXPECT_EQ(items[i]["x"].Int(), 8 + 25 * int(i - 1)) << i;
        EXPECT_EQ(items[i]["y"].Int(), 8);
        EXPECT_EQ(items[i]["page"].Int(), 0);
        EXPECT_EQ(items[i]["line"].Int(), 0);
        EXPECT_EQ(items[i]["size"].Int(), 24);
        EXPECT_EQ(items[i]["colour"].String(), "0xFFFFFFFF");
        EXPECT_EQ(items[i]["shadow_colour"].String(), "0xFF010101");
        EXPECT_TRUE(items[i]["glyph"].IsNull());
    }
    EXPECT_EQ(items[2]["text"].String(), "あ");
}

// Pages and lines count per message, styles stay for later messages and the pen carries over.
TEST_F(QwText, PagesLinesStylesAndThePen) {
    std::string eighty;
    for (int i = 0; i < 80; ++i)
        eighty += "あ";
    const auto r = RunTool(R"({"style": {"area": [10, 20, 300, 400], "font_size": 20,
        "line_spacing": 2, "char_spacing": 0},
        "messages": [{"style": {"colour": "0x80112233", "bold": true, "kinsoku": true},
                      "items": [{"code": 0}, {"text": ")" +
                           eighty + R"("}, {"code": 150},
                                {"code": -1}, {"code": 355}]},
                     {"items": [{"text": "あ"}, {"code": 2}, {"text": "あ"}]}]})");
    ASSERT_EQ(r.status, 0);
    const JsonValue v = Parse(r);
    // 14 full-width characters a line (10 + 14 × 20 ≤ 300), rows at 20, 42, … while y + 20 ≤ 399.
    const auto& first = v["messages"][0]["items"].Items();
    int words = 0;
    for (const auto& item : first) {
        if (item["type"].Int() != 2) continue;
        if (words < 80) {
            const int row = words / 14;
            EXPECT_EQ(item["x"].Int(), 10 + 20 * (words % 14)) << words;
            EXPECT_EQ(item["y"].Int(), 20 + 22 * row) << words;
            EXPECT_EQ(item["line"].Int(), row) << words;
            EXPECT_EQ(item["page"].Int(), 0) << words;
            EXPECT_EQ(item["colour"].String(), "0x80112233");
            EXPECT_TRUE(std::get<bool>(item["bold"].v));
        } else {
            EXPECT_EQ(item["glyph"].Int(), 51);
            EXPECT_TRUE(item["text"].IsNull());
            EXPECT_EQ(item["bytes"].String(), "0133");
        }
        ++words;
    }
    EXPECT_EQ(words, 81);
    EXPECT_EQ(v["messages"][0]["ignored"].Int(), 2);
    // The second message starts where the first left the pen; code 2 opens page 1.
    const JsonValue& second = v["messages"][1];
    const auto& items = second["items"].Items();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0]["y"].Int(), 20 + 22 * 5);
    EXPECT_EQ(items[0]["x"].Int(), 10 + 20 * 10 + 20); // after 10 characters and the glyph
    EXPECT_EQ(items[0]["colour"].String(), "0x80112233");
    EXPECT_EQ(items[1]["type"].Int(), 1);
    EXPECT_EQ(items[2]["page"].Int(), 1);
    EXPECT_EQ(items[2]["line"].Int(), 0);
    EXPECT_EQ(items[2]["y"].Int(), 20);
}

TEST_F(QwText, CutsAndBadInput) {
    std::string many = R"({"messages": [{"items": [)";
    for (int i = 0; i < 200; ++i)
        many += std::string(i ? "," : "") + R"({"text": "あいう"})";
    many += "]}]}";
    auto r = RunTool(many);
    EXPECT_EQ(r.status, 0);
    const JsonValue v = Parse(r);
    EXPECT_TRUE(std::get<bool>(v["messages"][0]["cut"].v));
    EXPECT_EQ(v["messages"][0]["items"].Items().size(), 512u);
    EXPECT_EQ(RunTool(many, "--check").status, 2);
    EXPECT_EQ(RunTool(R"({"messages": [{"items": [{"text": "あ"}]}]})", "--check").status, 0);

    for (const char* bad : {"not json", R"({"messages": 3})", R"({"messages": [{"items": [{}]}]})",
                            R"({"style": {"colour": "red"}, "messages": []})",
                            R"({"style": {"area": [1, 2]}, "messages": []})",
                            R"({"messages": [{"items": [{"bytes": "8G"}]}]})",
                            R"({"messages": [{"items": [{"code": 1.5}]}]})"})
        EXPECT_EQ(RunTool(bad).status, 1) << bad;
}

// Each page's image equals the cells composed here with the surface's text drawing: the glyph
// (its shadow first), then every pixel still 0 in colour made fully transparent.
TEST_F(QwText, RendersEqualComposedCells) {
    const std::string dir = kWork + "/render";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const auto r = RunTool(R"({"style": {"area": [8, 8, 200, 80], "shadow": true,
        "colour": "0xFFE0C0A0", "shadow_colour": "0xFF203040"},
        "messages": [{"items": [{"code": 0}, {"text": "漢字あいうえおかきくけこさしすせそ"}, {"code": 3}]}]})",
                           "--render " + dir);
    ASSERT_EQ(r.status, 0);
    const JsonValue v = Parse(r);
    const TextProfile& profile = *FindTextProfile(codePage);
    const int w = 193, h = 73;
    int pages = 0;
    for (int page = 0;; ++page) {
        const std::string file = dir + "/message-0-page-" + std::to_string(page) + ".png";
        if (!std::filesystem::exists(file)) break;
        ++pages;
        std::ifstream in(file, std::ios::binary);
        std::vector<uint8_t> png((std::istreambuf_iterator<char>(in)), {});
        std::vector<uint32_t> pixels(size_t(w * h));
        ASSERT_TRUE(DecodePng(png, pixels.data(), w, h).has_value());
        CDIBImage expected;
        ASSERT_TRUE(expected.Create(w, h));
        expected.SetTextProfile(profile);
        int drawn = 0;
        for (const auto& item : v["messages"][0]["items"].Items()) {
            if (item["type"].Int() != 2 || item["page"].Int() != page) continue;
            const std::string bytes =
                platform::Utf8ToCodePage(codePage.c_str(), item["text"].String()).value();
            const int x = item["x"].Int() - 8, y = item["y"].Int() - 8;
            expected.BeginDrawString(profile.face, 24, 400, false, false, false, 0);
            expected.DrawStringS(x, y, 2, 2, 0xFFE0C0A0, 0xFF203040, bytes.c_str());
            expected.EndDrawString();
            for (int py = std::max(0, y); py < std::min(h, y + 26); ++py)
                for (int px = std::max(0, x); px < std::min(w, x + 26); ++px)
                    if ((expected.Row(py)[px] & 0xFFFFFF) == 0) expected.Row(py)[px] = 0;
            ++drawn;
        }
        EXPECT_GT(drawn, 0);
        int ink = 0;
        for (int i = 0; i < w * h; ++i) {
            ASSERT_EQ(pixels[size_t(i)], expected.GetPixels()[i]) << "page " << page << " at " << i;
            ink += pixels[size_t(i)] != 0;
        }
        EXPECT_GT(ink, 100);
    }
    // 7 characters a line, 2 lines a page: 17 characters make 2 pages.
    EXPECT_EQ(pages, 2);
}

// --game: the text set-up records of the game's MESWND and its FONT.MGD. The records move the
// area and change the size and spacings; a glyph code draws FONT.MGD's entry into the page.
TEST_F(QwText, GameDefinitionsAndGlyphPicture) {
    const std::string game = kWork + "/game";
    std::filesystem::remove_all(game);
    const bool gbk = codePage == "GBK";
    std::filesystem::create_directories(game + (gbk ? "/MSS" : "/MSD"));
    std::filesystem::create_directories(game + (gbk ? "/MGS" : "/MGD"));
    const auto r = scenario_lang::Assemble("record 3, 110, 20, 30, 400, 200\n"
                                           "record 3, 112, 4\n"
                                           "record 3, 113, 16\n",
                                           "MESWND", {});
    ASSERT_TRUE(r.Ok()) << (r.errors.empty() ? "" : r.errors[0]);
    ASSERT_TRUE(platform::WriteFileAtomic(game + (gbk ? "/MSS" : "/MSD") + "/MESWND.MSD", r.file));
    // One 2 × 2 glyph, opaque white.
    const std::vector<uint8_t> white(16, 0xFF);
    const std::vector<SpriteElement> elements = {{0, 0, 2, 2}};
    ASSERT_TRUE(
        platform::WriteFileAtomic(game + (gbk ? "/MGS" : "/MGD") + "/FONT.MGD",
                                  BuildMgdFile(2, 2, MgdEncoding::Raw, white, elements, 4)));

    const std::string dir = kWork + "/render-game";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const auto run = RunTool(R"({"messages": [{"items": [{"code": 0}, {"text": "あ"},
        {"code": 100}, {"code": 101}]}]})",
                             "--game " + game + " --render " + dir);
    ASSERT_EQ(run.status, 0);
    const JsonValue v = Parse(run);
    const auto& items = v["messages"][0]["items"].Items();
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[1]["x"].Int(), 20);
    EXPECT_EQ(items[1]["y"].Int(), 30);
    EXPECT_EQ(items[1]["size"].Int(), 16);
    EXPECT_EQ(items[2]["x"].Int(), 20 + 16 + 4);
    EXPECT_EQ(items[2]["glyph"].Int(), 1);
    EXPECT_EQ(items[3]["glyph"].Int(), 2);
    // Line spacing keeps its default: the pen's next line is 30 + 16 + 4.
    EXPECT_EQ(v["messages"][0]["pen"]["next_line_y"].Int(), 50);

    const int w = 381, h = 171;
    std::ifstream in(dir + "/message-0-page-0.png", std::ios::binary);
    std::vector<uint8_t> png((std::istreambuf_iterator<char>(in)), {});
    std::vector<uint32_t> pixels(size_t(w * h));
    ASSERT_TRUE(DecodePng(png, pixels.data(), w, h).has_value());
    // Glyph 1 fills the 16 × 16 square at (+1, +1) of its cell in the (white) text colour; glyph 2
    // is not in the picture and its cell stays empty.
    const int gx = (40 - 20) + 1, gy = 1; // glyph 1 at x 40 of the window, 20 of the image
    for (int y = -1; y <= 17; ++y)
        for (int x = -1; x <= 17; ++x) {
            const bool inside = x >= 0 && y >= 0 && x < 16 && y < 16;
            const uint32_t p = pixels[size_t((gy + y) * w + gx + x)];
            if (inside) {
                // White through the smooth stretch blend: near white, not transparent.
                EXPECT_GE(std::min({p & 0xFF, p >> 8 & 0xFF, p >> 16 & 0xFF}), 0xE0u)
                    << x << "," << y;
                EXPECT_NE(p >> 24, 0u) << x << "," << y;
            } else if (x == -1 || y == -1) {
                EXPECT_EQ(p, 0u) << x << "," << y;
            }
        }
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 18; ++x)
            EXPECT_EQ(pixels[size_t(y * w + 40 + x)], 0u) << x << "," << y;
}

} // namespace
} // namespace qw
