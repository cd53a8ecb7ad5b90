#pragma once
// The per-pixel rules of the renderer, written plainly. They are the reference: every fast path
// (PixelKernels*) must give exactly the bytes these give.
//
// Pixels are 0xAARRGGBB words, not premultiplied. s = source, d = destination, c = colour. Two
// families of blend: the rectangle blits divide by 255 (rounding down), the quad blends shift
// right by 8 — games were drawn with both, so both are kept as they are.

#include <cstdint>

namespace qw::pixel {

constexpr uint32_t kWhite = 0xFFFFFFFFu;

constexpr uint32_t Ch(uint32_t p, int shift) {
    return (p >> shift) & 0xFFu;
}
constexpr uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

// Each channel s × c / 255.
constexpr uint32_t Tint255(uint32_t s, uint32_t c) {
    uint32_t out = 0;
    for (int sh = 0; sh < 32; sh += 8)
        out |= (Ch(s, sh) * Ch(c, sh) / 255) << sh;
    return out;
}

// Rectangle BltBlend: source over destination with an optional tint (0xFFFFFFFF = none,
// 0 = nothing drawn). Alpha: (d.A × (255 − a) + a × a) / 255.
constexpr uint32_t BltBlend(uint32_t d, uint32_t s, uint32_t c) {
    if (Ch(s, 24) == 0 || c == 0) return d;
    const uint32_t t = c == kWhite ? s : Tint255(s, c);
    const uint32_t a = Ch(t, 24);
    uint32_t out = 0;
    for (int sh = 0; sh < 32; sh += 8)
        out |= ((Ch(t, sh) * a + Ch(d, sh) * (255 - a)) / 255) << sh;
    return out;
}

// Rectangle BltFast: opaque modulated copy of every source pixel that is not fully transparent.
constexpr uint32_t BltFast(uint32_t d, uint32_t s, uint32_t c) {
    if (Ch(s, 24) == 0) return d;
    if (c == 0) return 0xFF000000u;
    return 0xFF000000u | (Tint255(s, c) & 0x00FFFFFFu);
}

// The quad blend (also used by the layer actions and effects). The colour tints with a shift by
// 8, except 0xFFFFFFFF which leaves the source as it is; the blend shifts by 8 as well, so an
// opaque 255 comes out as 254.
constexpr uint32_t Blend(uint32_t d, uint32_t s, uint32_t c) {
    if (Ch(s, 24) == 0) return d;
    uint32_t t = s;
    if (c != kWhite) {
        t = 0;
        for (int sh = 0; sh < 32; sh += 8)
            t |= ((Ch(s, sh) * Ch(c, sh)) >> 8) << sh;
    }
    const uint32_t a = Ch(t, 24);
    uint32_t out = 0;
    for (int sh = 0; sh < 32; sh += 8)
        out |= ((Ch(d, sh) * (255 - a) + Ch(t, sh) * a) >> 8) << sh;
    return out;
}

// The colour of a shaded quad pixel: R, G, B scaled by the light (× light >> 8), alpha kept.
constexpr uint32_t ShadeColour(uint32_t c, uint32_t light) {
    return (c & 0xFF000000u) | ((Ch(c, 16) * light >> 8) << 16) | ((Ch(c, 8) * light >> 8) << 8) |
           (Ch(c, 0) * light >> 8);
}

// StretchBltFast's rule, written for every pixel whatever its alpha.
constexpr uint32_t Modulate(uint32_t s, uint32_t c) {
    const uint32_t rgb = c & 0x00FFFFFFu;
    if (rgb == 0x00FFFFFFu) return s | 0xFF000000u;
    if (rgb == 0) return 0xFF000000u;
    return (s & 0xFF000000u) | (Tint255(s, c) & 0x00FFFFFFu);
}

constexpr uint32_t AddBlend(uint32_t d, uint32_t s, uint32_t c) {
    if (c == 0) return d;
    const uint32_t t = c == kWhite ? s : Tint255(s, c);
    const uint32_t ta = Ch(t, 24);
    if (ta == 0) return d;
    uint32_t out = 0;
    for (int sh = 0; sh < 24; sh += 8) {
        const uint32_t v = Ch(d, sh) + Ch(t, sh) * ta / 255;
        out |= (v > 255 ? 255 : v) << sh;
    }
    const uint32_t va = Ch(d, 24) + ta;
    return out | ((va > 255 ? 255 : va) << 24);
}

// The quad blend with the colour bits of the result inverted.
constexpr uint32_t XorBlend(uint32_t d, uint32_t s, uint32_t c) {
    return Ch(s, 24) == 0 ? d : Blend(d, s, c) ^ 0x00FFFFFFu;
}

// The source's alpha (scaled by the colour's) lays the colour over the destination.
constexpr uint32_t OneBlend(uint32_t d, uint32_t s, uint32_t c) {
    const uint32_t a = Ch(s, 24) * Ch(c, 24) / 255;
    uint32_t out = 0;
    for (int sh = 0; sh < 24; sh += 8)
        out |= ((Ch(d, sh) * (255 - a) + Ch(c, sh) * a) / 255) << sh;
    const uint32_t va = Ch(d, 24) + a;
    return out | ((va > 255 ? 255 : va) << 24);
}

// The source's grey level tinted by the colour. The grey weights are the one floating-point
// step of the renderer: single precision, summed blue, red, green in that order.
inline uint32_t GrayBlend(uint32_t d, uint32_t s, uint32_t c) {
    uint32_t a = 0, tr = 0, tg = 0, tb = 0;
    if (c != 0) {
        float f = static_cast<float>(Ch(s, 0)) * 0.11f;
        f = f + static_cast<float>(Ch(s, 16)) * 0.3f;
        f = f + static_cast<float>(Ch(s, 8)) * 0.59f;
        const uint32_t g = static_cast<uint32_t>(f);
        tr = Ch(c, 16) * g / 255;
        tg = Ch(c, 8) * g / 255;
        tb = Ch(c, 0) * g / 255;
        a = Ch(c, 24) * Ch(s, 24) / 255;
    }
    const uint32_t r = (a * tr + Ch(d, 16) * (255 - a)) / 255;
    const uint32_t g = (a * tg + Ch(d, 8) * (255 - a)) / 255;
    const uint32_t b = (a * tb + Ch(d, 0) * (255 - a)) / 255;
    const uint32_t va = a + Ch(d, 24);
    return Pack(va > 255 ? 255 : va, r, g, b);
}

// Bilinear filter of the 2 × 2 block at (x, y) with 8-bit fractions fx, fy. The weights sum to
// 65025 and the result is shifted by 16, so a plane of 255 samples as 253.
constexpr uint32_t Bilinear(uint32_t p00, uint32_t p10, uint32_t p01, uint32_t p11, uint32_t fx,
                            uint32_t fy) {
    const uint32_t w00 = (255 - fx) * (255 - fy), w10 = fx * (255 - fy);
    const uint32_t w01 = (255 - fx) * fy, w11 = fx * fy;
    uint32_t out = 0;
    for (int sh = 0; sh < 32; sh += 8) {
        const uint32_t sum =
            Ch(p00, sh) * w00 + Ch(p10, sh) * w10 + Ch(p01, sh) * w01 + Ch(p11, sh) * w11;
        out |= (sum >> 16) << sh;
    }
    return out;
}

// Whole-surface fades: (a × (255 − k) + b × k) / 255 per channel, k in 0..255, so k = 0 gives a
// and k = 255 gives b exactly.
constexpr uint32_t Fade255(uint32_t a, uint32_t b, uint32_t k) {
    uint32_t out = 0;
    for (int sh = 0; sh < 32; sh += 8)
        out |= ((Ch(a, sh) * (255 - k) + Ch(b, sh) * k) / 255) << sh;
    return out;
}

// The same with a shift by 8 (the 16-bit-lane form of the fade transitions); never reaches b.
constexpr uint32_t FadeShift8(uint32_t a, uint32_t b, uint32_t k) {
    uint32_t out = 0;
    for (int sh = 0; sh < 32; sh += 8)
        out |= ((Ch(a, sh) * (255 - k) + Ch(b, sh) * k) >> 8) << sh;
    return out;
}

} // namespace qw::pixel
