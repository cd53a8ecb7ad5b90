// CDIBImage's text drawing: fonts from the platform layer, glyphs through the shared cache.

#include <algorithm>

#include "common/ExecLog.h"
#include "graphics/CDIBImage.h"
#include "graphics/GlyphCache.h"
#include "graphics/GlyphRules.h"

namespace qw {

void CDIBImage::BeginDrawString(const char* face, int height, int weight, bool italic,
                                bool underline, bool strikeOut, int escapement) {
    AddExecLog("CDIBImage::BeginDrawString");
    EndDrawString();
    text_ = TextState{face ? face : "", height, weight, italic, underline, strikeOut, escapement};
    platform::FontRequest request;
    request.face = text_.face;
    request.height = height;
    request.weight = weight;
    request.italic = italic;
    request.escapement = escapement;
    request.codePage = textProfile_->name;
    font_ = platform::MakeFont(request);
}

void CDIBImage::EndDrawString() {
    AddExecLog("CDIBImage::EndDrawString");
    font_.reset();
}

void CDIBImage::DrawGlyphs(int x, int y, uint32_t colour, const char* text, bool monochrome) {
    if (!font_ || text == nullptr || !IsCreated()) return;
    const Window win = ClipWindow();
    const int ascent = font_->Ascent();
    const uint8_t alpha = uint8_t(colour >> 24);
    const uint32_t opaque = 0xFF000000u | (colour & 0x00FFFFFF);
    int64_t pen = x;
    for (size_t i = 0; text[i] != 0;) {
        const uint8_t lead = uint8_t(text[i]);
        uint32_t code = lead;
        if (textProfile_->DrawLeadByte(lead)) {
            if (text[i + 1] == 0) break; // a lead byte before the terminator ends the text
            code = uint32_t(lead) << 8 | uint8_t(text[i + 1]);
            i += 2;
        } else {
            i += 1;
        }
        const platform::GlyphBitmap* glyph = GlyphCache::Shared().Get(*font_, code, monochrome);
        // A character the font cannot render draws nothing and takes a cell of its width.
        const int advance =
            glyph ? glyph->advance : (code > 0xFF ? text_.height : text_.height / 2);
        if (glyph && code != 0x20 && code != textProfile_->drawSpace) {
            const int64_t gx = pen + glyph->left;
            const int64_t gy = int64_t(y) + ascent - glyph->top;
            const int64_t x0 = std::max<int64_t>(gx, win.left);
            const int64_t x1 = std::min<int64_t>(gx + glyph->width - 1, win.right);
            const int64_t y0 = std::max<int64_t>(gy, win.top);
            const int64_t y1 = std::min<int64_t>(gy + glyph->height - 1, win.bottom);
            for (int64_t py = y0; py <= y1; ++py) {
                const uint8_t* src =
                    glyph->pixels.data() + size_t(py - gy) * size_t(glyph->width) - gx;
                uint32_t* dst = Row(int(py));
                if (monochrome) {
                    for (int64_t px = x0; px <= x1; ++px)
                        if (src[px] != 0) dst[px] = glyph::Coverage2(dst[px], colour, alpha);
                    continue;
                }
                for (int64_t px = x0; px <= x1; ++px) {
                    const uint8_t m = src[px];
                    if (m == 0) continue;
                    // Levels 48 and up are fully opaque: the rule gives the colour at alpha 255.
                    dst[px] =
                        m >= glyph::kOpaqueLevel ? opaque : glyph::Coverage(dst[px], colour, m);
                }
            }
        }
        pen += advance;
    }
}

void CDIBImage::DrawString(int x, int y, uint32_t colour, const char* text) {
    AddExecLog("CDIBImage::DrawString");
    DrawGlyphs(x, y, colour, text, false);
}

void CDIBImage::DrawStringS(int x, int y, int dx, int dy, uint32_t colour, uint32_t shadowColour,
                            const char* text) {
    AddExecLog("CDIBImage::DrawStringS");
    DrawString(x + dx, y + dy, shadowColour, text);
    DrawString(x, y, colour, text);
}

void CDIBImage::DrawString2(int x, int y, uint32_t colour, const char* text) {
    AddExecLog("CDIBImage::DrawString2");
    DrawGlyphs(x, y, colour, text, true);
}

} // namespace qw
