// Message layout and glyph drawing beside their peers: Convert against ICU's line break iterator
// (the UTF-16 text made outside the timing) and a bare unit splitter; a 75-glyph page through
// DrawString with the glyph cache warm and cold against FreeType used directly (load and render
// each glyph, the same level reduction and blend, opaque levels stored directly as ours are); one
// message cell; a Begin/End pair.
#include <benchmark/benchmark.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <memory>
#include <string>
#include <vector>

#include "graphics/CDIBImage.h"
#include "graphics/GlyphCache.h"
#include "graphics/GlyphRules.h"
#include "platform/CodePage.h"
#include "platform/Font.h"
#include "text/CMesTextBuffer.h"
#include "text/MesCell.h"

namespace {

using namespace qw;

// Three lines of dialogue: 75 full-width characters with brackets and no-break marks.
const char* kUtf8 = "「今日はいい天気ですね。散歩に行きませんか？」と彼女は言った。窓の外では"
                    "桜の花びらが風に舞っている。私は少し考えてから、「ええ、行きましょう」と"
                    "答えた。春の午後は静かだった。";

std::string Sjis() {
    return platform::Utf8ToCodePage("CP932", kUtf8).value();
}

void BM_Convert(benchmark::State& state) {
    CMesTextBuffer buffer(Cp932TextProfile());
    buffer.Setup(MesTextSetup{});
    buffer.kinsoku = buffer.indent = true;
    const std::vector<MesOutItem> items = {MesOutItem::Code(0), MesOutItem::Text(Sjis()),
                                           MesOutItem::Code(3)};
    std::vector<MesDrawItem> list(kMesDrawItems);
    for (auto _ : state) {
        buffer.Convert(items.data(), int(items.size()), list);
        benchmark::DoNotOptimize(list.data());
    }
}
BENCHMARK(BM_Convert);

void BM_IcuLineBreak(benchmark::State& state) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> it(
        icu::BreakIterator::createLineInstance(icu::Locale::getJapanese(), status));
    const icu::UnicodeString text = icu::UnicodeString::fromUTF8(kUtf8);
    for (auto _ : state) {
        it->setText(text);
        int breaks = 0;
        for (int32_t p = it->first(); p != icu::BreakIterator::DONE; p = it->next())
            ++breaks;
        benchmark::DoNotOptimize(breaks);
    }
}
BENCHMARK(BM_IcuLineBreak);

void BM_BareUnitSplitter(benchmark::State& state) {
    const std::string text = Sjis();
    const TextProfile& profile = Cp932TextProfile();
    MesTextUnit units[512];
    for (auto _ : state) {
        int n = 0;
        for (size_t i = 0; i < text.size() && n < 512;) {
            MesTextUnit u;
            u.b[0] = uint8_t(text[i]);
            if (profile.LeadsUnit(u.b[0]) && i + 1 < text.size()) u.b[1] = uint8_t(text[++i]);
            ++i;
            units[n++] = u;
        }
        benchmark::DoNotOptimize(units);
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_BareUnitSplitter);

// The page's characters, one string each.
std::vector<std::string> PageChars() {
    const std::string s = Sjis();
    std::vector<std::string> out;
    for (size_t i = 0; i < s.size() && out.size() < 75; i += 2)
        out.push_back(s.substr(i, 2));
    return out;
}

void DrawPage(CDIBImage& image, const std::vector<std::string>& chars) {
    image.BeginDrawString(Cp932TextProfile().face, 24, 400, false, false, false, 0);
    for (size_t i = 0; i < chars.size(); ++i)
        image.DrawString(8 + int(i % 25) * 25, 8 + int(i / 25) * 28, 0xFFFFFF, chars[i].c_str());
    image.EndDrawString();
}

void BM_PageWarmCache(benchmark::State& state) {
    CDIBImage image;
    image.Create(660, 120);
    const auto chars = PageChars();
    DrawPage(image, chars);
    for (auto _ : state)
        DrawPage(image, chars);
    state.SetItemsProcessed(int64_t(state.iterations()) * 75);
}
BENCHMARK(BM_PageWarmCache);

void BM_PageColdCache(benchmark::State& state) {
    CDIBImage image;
    image.Create(660, 120);
    const auto chars = PageChars();
    for (auto _ : state) {
        GlyphCache::Shared().Clear();
        DrawPage(image, chars);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 75);
}
BENCHMARK(BM_PageColdCache);

void BM_PageFreeTypeDirect(benchmark::State& state) {
    FT_Library lib;
    FT_Init_FreeType(&lib);
    FT_Face face;
    const std::string file = platform::ResolveFontFile(Cp932TextProfile().face, "CP932");
    if (FT_New_Face(lib, file.c_str(), 0, &face) != 0) {
        state.SkipWithError("no font");
        return;
    }
    FT_Set_Pixel_Sizes(face, 0, 24);
    const int ascent = int((face->ascender * 24 + face->units_per_EM / 2) / face->units_per_EM);
    std::vector<FT_UInt> glyphs;
    for (const std::string& c : PageChars()) {
        const icu::UnicodeString u =
            icu::UnicodeString::fromUTF8(platform::CodePageToUtf8("CP932", c).value());
        glyphs.push_back(FT_Get_Char_Index(face, FT_ULong(u.char32At(0))));
    }
    CDIBImage image;
    image.Create(660, 120);
    for (auto _ : state) {
        for (size_t i = 0; i < glyphs.size(); ++i) {
            FT_Load_Glyph(face, glyphs[i], FT_LOAD_NO_BITMAP);
            FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL);
            const FT_Bitmap& bm = face->glyph->bitmap;
            const int gx = 8 + int(i % 25) * 25 + face->glyph->bitmap_left;
            const int gy = 8 + int(i / 25) * 28 + ascent - face->glyph->bitmap_top;
            for (int y = 0; y < int(bm.rows); ++y) {
                if (gy + y < 0 || gy + y >= 120) continue;
                uint32_t* row = image.Row(gy + y);
                for (int x = 0; x < int(bm.width); ++x) {
                    if (gx + x < 0 || gx + x >= 660) continue;
                    const uint8_t m = platform::CoverageToLevel(bm.buffer[y * bm.pitch + x]);
                    if (m >= glyph::kOpaqueLevel)
                        row[gx + x] = 0xFFFFFFFF;
                    else if (m)
                        row[gx + x] = glyph::Coverage(row[gx + x], 0xFFFFFF, m);
                }
            }
        }
        benchmark::DoNotOptimize(image.GetPixels());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 75);
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
}
BENCHMARK(BM_PageFreeTypeDirect);

void BM_DrawMesCell(benchmark::State& state) {
    CDIBImage background, text;
    background.Create(800, 200);
    background.FillFull(0xFF304050);
    text.Create(638, 109);
    text.CreateRGN();
    MesDrawItem item;
    item.type = kMesDrawWord;
    item.character[0] = 0x8A;
    item.character[1] = 0xBF;
    item.x = 58;
    item.y = 36;
    item.fontSize = 24;
    item.textColour = 0xFFFFFFFF;
    MesCellTarget target;
    target.text = &text;
    target.background = &background;
    target.leftX = target.topY = 8;
    target.profile = &Cp932TextProfile();
    DrawMesCell(target, item);
    for (auto _ : state)
        DrawMesCell(target, item);
}
BENCHMARK(BM_DrawMesCell);

void BM_BeginEndPair(benchmark::State& state) {
    CDIBImage image;
    image.Create(32, 32);
    image.BeginDrawString(Cp932TextProfile().face, 24, 400, false, false, false, 0);
    for (auto _ : state) {
        image.BeginDrawString(Cp932TextProfile().face, 24, 400, false, false, false, 0);
        image.EndDrawString();
    }
}
BENCHMARK(BM_BeginEndPair);

} // namespace

BENCHMARK_MAIN();
