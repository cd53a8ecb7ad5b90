#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/Random.h"
#include "graphics/CDIBImage.h"
#include "graphics/GlyphCache.h"
#include "graphics/GlyphRules.h"
#include "platform/Font.h"
#include "text/TextProfile.h"

namespace qw {
namespace {

const char* Face() {
    return Cp932TextProfile().face;
}

TEST(GlyphRules, LevelsAndBlends) {
    EXPECT_EQ(glyph::LevelAlpha(1), 67u);
    EXPECT_EQ(glyph::LevelAlpha(47), 251u);
    EXPECT_EQ(glyph::LevelAlpha(48), 255u);
    EXPECT_EQ(glyph::LevelAlpha(64), 255u);
    EXPECT_EQ(platform::CoverageToLevel(0), 0);
    EXPECT_EQ(platform::CoverageToLevel(255), 64);
    EXPECT_EQ(platform::CoverageToLevel(2), 1);
    // Full level on transparent black gives the colour, opaque.
    EXPECT_EQ(glyph::Coverage(0x00000000, 0x00FF8040, 64), 0xFFFF8040u);
    EXPECT_EQ(glyph::Coverage(0x00000000, 0x00FFFFFF, 1), 0x11434343u);
    EXPECT_EQ(glyph::Coverage2(0x00000000, 0x80FFFFFF, 0x80), 0xFF7F7F7Fu);
}

TEST(Fonts, GothicFaceResolvesToAFontWithKanaAndHeightIsThePixelEm) {
    const std::string file = platform::ResolveFontFile(Face(), "CP932");
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(file.find("DejaVu"), std::string::npos) << file;
    platform::FontRequest request{Face(), 24, 400, false, 0, "CP932"};
    auto font = platform::MakeFont(request);
    ASSERT_NE(font, nullptr);
    platform::GlyphBitmap glyph;
    ASSERT_TRUE(font->Render(0x82A0, false, glyph)); // あ
    EXPECT_EQ(glyph.advance, 24);
    EXPECT_GT(glyph.width, 10);
    for (uint8_t level : glyph.pixels)
        EXPECT_LE(level, 64);
    EXPECT_EQ(platform::MakeFont({Face(), 0, 400, false, 0, "CP932"}), nullptr);
    EXPECT_EQ(platform::MakeFont({Face(), 1025, 400, false, 0, "CP932"}), nullptr);
}

// The engine's aliases: the gothic face under its names and the empty face resolve to the same
// Japanese font; the Chinese build's face to a font with simplified characters; an override wins.
TEST(Fonts, FaceAliasesAndTheOverride) {
    const std::string gothic = platform::ResolveFontFile(Face(), "CP932");
    ASSERT_FALSE(gothic.empty());
    EXPECT_EQ(platform::ResolveFontFile("MS Gothic", "CP932"), gothic);
    EXPECT_EQ(platform::ResolveFontFile("", "CP932"), gothic);
    const std::string hei = platform::ResolveFontFile(GbkTextProfile().face, "GBK");
    ASSERT_FALSE(hei.empty());
    auto font = platform::MakeFont({GbkTextProfile().face, 24, 400, false, 0, "GBK"});
    ASSERT_NE(font, nullptr);
    platform::GlyphBitmap glyph;
    EXPECT_TRUE(font->Render(0xBABA, false, glyph)); // 汉
    EXPECT_EQ(glyph.advance, 24);
    platform::SetFontFileOverride(hei);
    EXPECT_EQ(platform::ResolveFontFile(Face(), "CP932"), hei);
    platform::SetFontFileOverride("");
    EXPECT_EQ(platform::ResolveFontFile(Face(), "CP932"), gothic);
}

// DrawString equals the blend rule applied to the font's own bitmaps, on random backgrounds,
// with the glyphs cut at every edge of the surface; spaces only advance; no font, no drawing.
TEST(Fonts, DrawStringAppliesTheRuleToTheFontsBitmaps) {
    platform::FontRequest request{Face(), 24, 400, false, 0, "CP932"};
    auto font = platform::MakeFont(request);
    ASSERT_NE(font, nullptr);
    const std::string text = "\x82\xA0\x81\x40"
                             "A \x8A\xBF"; // あ　A 漢
    const uint32_t codes[] = {0x82A0, 0x8140, 'A', ' ', 0x8ABF};
    Lcg random(7);
    const int positions[][2] = {{5, 5}, {-10, 3}, {40, -12}, {20, 20}, {-5, -5}};
    for (const auto& pos : positions) {
        CDIBImage image, expected;
        ASSERT_TRUE(image.Create(60, 30));
        ASSERT_TRUE(expected.Create(60, 30));
        for (int i = 0; i < 60 * 30; ++i)
            image.GetPixels()[i] = expected.GetPixels()[i] =
                uint32_t(random.Next()) << 17 ^ uint32_t(random.Next());
        int pen = pos[0];
        for (uint32_t code : codes) {
            platform::GlyphBitmap g;
            ASSERT_TRUE(font->Render(code, false, g));
            if (code != 0x8140 && code != ' ')
                for (int gy = 0; gy < g.height; ++gy)
                    for (int gx = 0; gx < g.width; ++gx) {
                        const int px = pen + g.left + gx, py = pos[1] + font->Ascent() - g.top + gy;
                        const uint8_t m = g.pixels[size_t(gy * g.width + gx)];
                        if (m == 0 || px < 0 || py < 0 || px >= 60 || py >= 30) continue;
                        uint32_t& d = expected.Row(py)[px];
                        d = glyph::Coverage(d, 0x00C08040, m);
                    }
            pen += g.advance;
        }
        image.BeginDrawString(Face(), 24, 400, false, false, false, 0);
        image.DrawString(pos[0], pos[1], 0xAAC08040, text.c_str());
        image.EndDrawString();
        for (int i = 0; i < 60 * 30; ++i)
            ASSERT_EQ(image.GetPixels()[i], expected.GetPixels()[i]) << pos[0] << "," << pos[1];
        // After EndDrawString nothing is drawn.
        image.DrawString(pos[0], pos[1], 0, text.c_str());
        for (int i = 0; i < 60 * 30; ++i)
            ASSERT_EQ(image.GetPixels()[i], expected.GetPixels()[i]);
    }
}

// Without a font (a height outside 1–1024, or a font file that cannot be opened) nothing is
// drawn by either path, and the surface is left as it was.
TEST(Fonts, NoFontDrawsNothing) {
    struct Case {
        int height;
        const char* fontFile;
    };
    for (const Case c : {Case{0, ""}, Case{-24, ""}, Case{1025, ""},
                         Case{24, "/nonexistent/quillwork-no-font.ttf"}}) {
        platform::SetFontFileOverride(c.fontFile);
        CDIBImage image;
        ASSERT_TRUE(image.Create(40, 30));
        image.FillFull(0x11223344);
        image.BeginDrawString(Face(), c.height, 400, false, false, false, 0);
        EXPECT_EQ(image.GetFont(), nullptr) << c.height << " " << c.fontFile;
        image.DrawString(2, 2, 0xFFFFFF,
                         "\x82\xA0"
                         "A");
        image.DrawString2(2, 2, 0xFFFFFFFF,
                          "\x82\xA0"
                          "A");
        image.DrawStringS(2, 2, 1, 1, 0xFFFFFF, 0,
                          "\x82\xA0"
                          "A");
        image.EndDrawString();
        for (int i = 0; i < 40 * 30; ++i)
            ASSERT_EQ(image.GetPixels()[i], 0x11223344u) << c.height << " " << c.fontFile;
    }
    platform::SetFontFileOverride("");
}

TEST(Fonts, DrawString2BlendsAMonochromeRenderingAtTheColoursAlpha) {
    CDIBImage image;
    ASSERT_TRUE(image.Create(40, 30));
    image.FillFull(0x00204060);
    image.BeginDrawString(Face(), 24, 400, false, false, false, 0);
    ASSERT_NE(image.GetFont(), nullptr);
    image.DrawString2(2, 2, 0x80FFFFFF, "\x82\xA0");
    int touched = 0;
    for (int i = 0; i < 40 * 30; ++i) {
        const uint32_t p = image.GetPixels()[i];
        if (p == 0x00204060) continue;
        ++touched;
        EXPECT_EQ(p, glyph::Coverage2(0x00204060, 0x80FFFFFF, 0x80));
    }
    EXPECT_GT(touched, 20);
}

TEST(Fonts, CacheAnswersWhatTheFontRenders) {
    auto font = platform::MakeFont({Face(), 20, 700, true, 0, "CP932"});
    ASSERT_NE(font, nullptr);
    GlyphCache cache;
    cache.SetBudget(1); // keeps only the latest glyph
    for (int round = 0; round < 2; ++round)
        for (uint32_t code : {0x82A0u, 0x8ABFu, 0x41u, 0x82A2u}) {
            platform::GlyphBitmap direct;
            ASSERT_TRUE(font->Render(code, false, direct));
            const platform::GlyphBitmap* cached = cache.Get(*font, code, false);
            ASSERT_NE(cached, nullptr);
            EXPECT_EQ(cached->pixels, direct.pixels);
            EXPECT_EQ(cached->left, direct.left);
            EXPECT_EQ(cached->top, direct.top);
            EXPECT_EQ(cached->advance, direct.advance);
        }
    EXPECT_EQ(cache.Count(), 1u);
    EXPECT_EQ(cache.Get(*font, 0xFFFF, false), nullptr);
}

} // namespace
} // namespace qw
