#pragma once
// Fonts for the text drawing of CDIBImage: a face name in the game's code page resolves to a
// font file on this system, and a font renders one character code as a gray bitmap with 65
// levels (0–64) or as a monochrome bitmap.
//
// Faces are opened once and stay open; the system's font configuration is first asked when the
// first font is made.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qw::platform {

struct FontRequest {
    std::string face;    // code-page bytes
    int height = 0;      // pixel em; 1–1024
    int weight = 400;    // 600 and above embolden
    bool italic = false; // shears
    int escapement = 0;  // tenths of a degree, counter-clockwise
    const char* codePage = "CP932";
};

struct GlyphBitmap {
    int left = 0; // bitmap's left edge from the pen
    int top = 0;  // bitmap's top row above the baseline
    int width = 0;
    int height = 0;
    int advance = 0; // pen advance in pixels
    // width × height bytes, rows top to bottom: levels 0–64, or 0/1 for a monochrome rendering.
    std::vector<uint8_t> pixels;
};

class Font {
public:
    virtual ~Font() = default;
    // Baseline distance from the top of a line: ascender × height / em, rounded.
    virtual int Ascent() const = 0;
    // The file the font was made from.
    virtual const std::string& File() const = 0;
    // An identity of file, size and style for glyph caches.
    virtual uint64_t Key() const = 0;
    // `code` is one byte, or lead × 256 + trail, in the request's code page. False when the
    // character does not convert or its outline cannot be read (nothing is drawn for it).
    virtual bool Render(uint32_t code, bool monochrome, GlyphBitmap& out) = 0;
};

// Null (with one line on stderr the first time a face fails) when no font file can be found, or
// for heights outside 1–1024.
std::unique_ptr<Font> MakeFont(const FontRequest& request);

// The font file a face resolves to ("" when none): the override when one is set, else the first
// match of the system's configuration that has both test characters of the face's language.
std::string ResolveFontFile(const std::string& face, const char* codePage);

// A font file to use for every face ("FontFile" of [MainWindow]); empty clears it.
void SetFontFileOverride(const std::string& path);

// The gray-level reduction: a 0–255 coverage to the 65 levels, (v × 64 + 127) / 255.
constexpr uint8_t CoverageToLevel(uint8_t v) {
    return uint8_t((v * 64 + 127) / 255);
}

} // namespace qw::platform
