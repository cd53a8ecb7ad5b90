#pragma once
// The per-pixel rules of text drawing.

#include <cstdint>

namespace qw::glyph {

// Opacity of a gray level 1–64: 4m + 63, at most 255 (level 1 → 67, 48 and above → 255).
constexpr uint32_t LevelAlpha(uint32_t m) {
    return m * 4 + 63 > 255 ? 255 : m * 4 + 63;
}

// The first level whose opacity is 255.
inline constexpr uint32_t kOpaqueLevel = 48;
static_assert(LevelAlpha(kOpaqueLevel) == 255 && LevelAlpha(kOpaqueLevel - 1) < 255);

// DrawString: each channel moves towards the colour by the level's opacity, and alpha grows by
// a², so a text image built on transparent pixels carries the glyph's own coverage.
constexpr uint32_t Coverage(uint32_t old, uint32_t colour, uint32_t level) {
    const uint32_t a = LevelAlpha(level), k = 255 - a;
    const uint32_t b = ((old & 0xFF) * k + (colour & 0xFF) * a) / 255;
    const uint32_t g = ((old >> 8 & 0xFF) * k + (colour >> 8 & 0xFF) * a) / 255;
    const uint32_t r = ((old >> 16 & 0xFF) * k + (colour >> 16 & 0xFF) * a) / 255;
    const uint32_t A = ((old >> 24) * k + a * a) / 255;
    return A << 24 | r << 16 | g << 8 | b;
}

// DrawString2: the colour at its own alpha c over the old pixel, divided by 256; alpha 255.
constexpr uint32_t Coverage2(uint32_t old, uint32_t colour, uint32_t c) {
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t o = (old >> shift) & 0xFF, k = (colour >> shift) & 0xFF;
        out |= ((k * c + o * (255 - c)) / 256) << shift;
    }
    return out;
}

} // namespace qw::glyph
