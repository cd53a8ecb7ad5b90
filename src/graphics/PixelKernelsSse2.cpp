// SSE2 span kernels (the x86-64 baseline). Each works on four pixels at a time, channels widened
// to 16-bit lanes; the exact division by 255 of a value up to 65535 is the high half of
// x × 0x8081 shifted right by 7. Tails go to the scalar rules.

#include "graphics/PixelKernels.h"

#if defined(__x86_64__) || defined(_M_X64)

#include <emmintrin.h>

#include <cstring>

#include "graphics/PixelKernelsScalar.h"
#include "graphics/PixelKernelsX86.h"

namespace qw {

namespace {

inline __m128i Load(const uint32_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void Store(uint32_t* p, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

inline __m128i Div255(__m128i x) {
    return _mm_srli_epi16(_mm_mulhi_epu16(x, _mm_set1_epi16(static_cast<short>(0x8081))), 7);
}

// Each pixel's alpha lane copied into its four lanes (two pixels per register).
inline __m128i SpreadAlpha(__m128i x) {
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(x, 0xFF), 0xFF);
}

// The colour's four channels as 16-bit lanes, twice.
inline __m128i Widen(uint32_t colour) {
    return _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(colour)), _mm_setzero_si128());
}

inline __m128i AlphaBits() {
    return _mm_set1_epi32(static_cast<int>(0xFF000000u));
}

// Bit mask of the four pixels whose alpha is 0 (bit i for pixel i).
inline int TransparentMask(__m128i s) {
    const __m128i zero = _mm_cmpeq_epi32(_mm_and_si128(s, AlphaBits()), _mm_setzero_si128());
    return _mm_movemask_ps(_mm_castsi128_ps(zero));
}

inline int OpaqueMask(__m128i s) {
    const __m128i full = _mm_cmpeq_epi32(_mm_and_si128(s, AlphaBits()), AlphaBits());
    return _mm_movemask_ps(_mm_castsi128_ps(full));
}

// t × a + d × (255 − a), a = t's alpha, divided by 255: two pixels of BltBlend.
inline __m128i BltBlendHalf(__m128i t, __m128i d) {
    const __m128i a = SpreadAlpha(t);
    const __m128i ia = _mm_sub_epi16(_mm_set1_epi16(255), a);
    return Div255(_mm_add_epi16(_mm_mullo_epi16(t, a), _mm_mullo_epi16(d, ia)));
}

// (d × (255 − a) + t × a) >> 8: two pixels of the quad blend.
inline __m128i BlendHalf(__m128i t, __m128i d) {
    const __m128i a = SpreadAlpha(t);
    const __m128i ia = _mm_sub_epi16(_mm_set1_epi16(255), a);
    return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(d, ia), _mm_mullo_epi16(t, a)), 8);
}

// Four pixels of the quad blend, whatever their alpha (callers keep the transparent ones).
inline __m128i Blend4(__m128i s, __m128i d, __m128i c, bool white) {
    const __m128i zero = _mm_setzero_si128();
    __m128i sl = _mm_unpacklo_epi8(s, zero), sh = _mm_unpackhi_epi8(s, zero);
    if (!white) {
        sl = _mm_srli_epi16(_mm_mullo_epi16(sl, c), 8);
        sh = _mm_srli_epi16(_mm_mullo_epi16(sh, c), 8);
    }
    const __m128i lo = BlendHalf(sl, _mm_unpacklo_epi8(d, zero));
    const __m128i hi = BlendHalf(sh, _mm_unpackhi_epi8(d, zero));
    return _mm_packus_epi16(lo, hi);
}

} // namespace

namespace sse2 {

void Fill(uint32_t* dst, size_t n, uint32_t colour) {
    const __m128i c = _mm_set1_epi32(static_cast<int>(colour));
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        Store(dst + i, c);
        Store(dst + i + 4, c);
        Store(dst + i + 8, c);
        Store(dst + i + 12, c);
    }
    for (; i + 4 <= n; i += 4)
        Store(dst + i, c);
    scalar::Fill(dst + i, n - i, colour);
}

void BltBlend(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour) {
    if (colour == 0) return;
    const bool white = colour == 0xFFFFFFFFu;
    const __m128i zero = _mm_setzero_si128();
    const __m128i c = Widen(colour);
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i s = Load(src + i);
        if (TransparentMask(s) == 0xF) continue;
        if (white && OpaqueMask(s) == 0xF) {
            Store(dst + i, s);
            continue;
        }
        const __m128i d = Load(dst + i);
        __m128i sl = _mm_unpacklo_epi8(s, zero), sh = _mm_unpackhi_epi8(s, zero);
        if (!white) {
            sl = Div255(_mm_mullo_epi16(sl, c));
            sh = Div255(_mm_mullo_epi16(sh, c));
        }
        const __m128i lo = BltBlendHalf(sl, _mm_unpacklo_epi8(d, zero));
        const __m128i hi = BltBlendHalf(sh, _mm_unpackhi_epi8(d, zero));
        Store(dst + i, _mm_packus_epi16(lo, hi));
    }
    scalar::BltBlend(dst + i, src + i, n - i, colour);
}

void BltFast(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i alpha = AlphaBits();
    const __m128i c = Widen(colour);
    const bool black = colour == 0;
    const bool plain = (colour | 0xFF000000u) == 0xFFFFFFFFu;
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i s = Load(src + i);
        const int clear = TransparentMask(s);
        if (clear == 0xF) continue;
        __m128i t;
        if (black) {
            t = alpha;
        } else if (plain) {
            t = _mm_or_si128(s, alpha);
        } else {
            const __m128i lo = Div255(_mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), c));
            const __m128i hi = Div255(_mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), c));
            t = _mm_or_si128(_mm_packus_epi16(lo, hi), alpha);
        }
        if (clear) {
            const __m128i keep = _mm_cmpeq_epi32(_mm_and_si128(s, alpha), zero);
            t = _mm_or_si128(_mm_and_si128(keep, Load(dst + i)), _mm_andnot_si128(keep, t));
        }
        Store(dst + i, t);
    }
    scalar::BltFast(dst + i, src + i, n - i, colour);
}

void Blend(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour) {
    const bool white = colour == 0xFFFFFFFFu;
    const __m128i zero = _mm_setzero_si128();
    const __m128i c = Widen(colour);
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i s = Load(src + i);
        const int clear = TransparentMask(s);
        if (clear == 0xF) continue;
        const __m128i d = Load(dst + i);
        __m128i out = Blend4(s, d, c, white);
        if (clear) {
            const __m128i keep = _mm_cmpeq_epi32(_mm_and_si128(s, AlphaBits()), zero);
            out = _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, out));
        }
        Store(dst + i, out);
    }
    scalar::Blend(dst + i, src + i, n - i, colour);
}

void Modulate(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour) {
    const uint32_t rgb = colour & 0x00FFFFFFu;
    if (rgb == 0) return Fill(dst, n, 0xFF000000u);
    const __m128i zero = _mm_setzero_si128();
    const __m128i alpha = AlphaBits();
    // Alpha lane 255 keeps the source's alpha through the division.
    const __m128i c = Widen(colour | 0xFF000000u);
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i s = Load(src + i);
        if (rgb == 0x00FFFFFFu) {
            Store(dst + i, _mm_or_si128(s, alpha));
            continue;
        }
        const __m128i lo = Div255(_mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), c));
        const __m128i hi = Div255(_mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), c));
        Store(dst + i, _mm_packus_epi16(lo, hi));
    }
    scalar::Modulate(dst + i, src + i, n - i, colour);
}

void AddBlend(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour) {
    if (colour == 0) return;
    const bool white = colour == 0xFFFFFFFFu;
    const __m128i zero = _mm_setzero_si128();
    const __m128i c = Widen(colour);
    const __m128i alpha = AlphaBits();
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i lo = _mm_unpacklo_epi8(Load(src + i), zero);
        __m128i hi = _mm_unpackhi_epi8(Load(src + i), zero);
        if (!white) {
            lo = Div255(_mm_mullo_epi16(lo, c));
            hi = Div255(_mm_mullo_epi16(hi, c));
        }
        const __m128i t = _mm_packus_epi16(lo, hi);
        // R, G, B add t × t.A / 255, alpha adds t.A; both saturate at 255 (t.A = 0 adds nothing).
        const __m128i add = _mm_packus_epi16(Div255(_mm_mullo_epi16(lo, SpreadAlpha(lo))),
                                             Div255(_mm_mullo_epi16(hi, SpreadAlpha(hi))));
        const __m128i x = _mm_or_si128(_mm_and_si128(t, alpha), _mm_andnot_si128(alpha, add));
        Store(dst + i, _mm_adds_epu8(Load(dst + i), x));
    }
    scalar::AddBlend(dst + i, src + i, n - i, colour);
}

// Lights of the span that stay in 0..255 from end to end: the lane arithmetic's range.
static bool LightsInByte(size_t n, int64_t light, int64_t dlight) {
    const int64_t last = light + static_cast<int64_t>(n - 1) * dlight;
    return light >= 0 && last >= 0 && light < (int64_t{256} << 16) && last < (int64_t{256} << 16);
}

void ShadeBlend(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour, int64_t light,
                int64_t dlight) {
    if (n == 0 || !LightsInByte(n, light, dlight))
        return scalar::ShadeBlend(dst, src, n, colour, light, dlight);
    const __m128i zero = _mm_setzero_si128();
    const __m128i c = Widen(colour);
    // Per pixel the tint's channels (colour × light) >> 8, alpha (colour.A × 256) >> 8. With the
    // light below 256 the tint is never white, so every source is tinted.
    const __m128i keepLight = _mm_set_epi16(0, -1, -1, -1, 0, -1, -1, -1);
    const __m128i alphaScale = _mm_set_epi16(256, 0, 0, 0, 256, 0, 0, 0);
    // The lanes' lights wrap like the vector adds (only lanes inside the span are used).
    const auto l32 = static_cast<uint32_t>(light), d32 = static_cast<uint32_t>(dlight);
    __m128i lv =
        _mm_setr_epi32(static_cast<int32_t>(l32), static_cast<int32_t>(l32 + d32),
                       static_cast<int32_t>(l32 + 2 * d32), static_cast<int32_t>(l32 + 3 * d32));
    const __m128i step = _mm_set1_epi32(static_cast<int32_t>(d32 * 4u));
    size_t i = 0;
    for (; i + 4 <= n; i += 4, lv = _mm_add_epi32(lv, step)) {
        const __m128i s = Load(src + i);
        const int clear = TransparentMask(s);
        if (clear == 0xF) continue;
        const __m128i l = _mm_srli_epi32(lv, 16);
        const __m128i pairs = _mm_or_si128(l, _mm_slli_epi32(l, 16));
        const __m128i llo =
            _mm_or_si128(_mm_and_si128(_mm_unpacklo_epi32(pairs, pairs), keepLight), alphaScale);
        const __m128i lhi =
            _mm_or_si128(_mm_and_si128(_mm_unpackhi_epi32(pairs, pairs), keepLight), alphaScale);
        const __m128i tlo = _mm_srli_epi16(
            _mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), _mm_srli_epi16(_mm_mullo_epi16(c, llo), 8)),
            8);
        const __m128i thi = _mm_srli_epi16(
            _mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), _mm_srli_epi16(_mm_mullo_epi16(c, lhi), 8)),
            8);
        const __m128i d = Load(dst + i);
        __m128i out = _mm_packus_epi16(BlendHalf(tlo, _mm_unpacklo_epi8(d, zero)),
                                       BlendHalf(thi, _mm_unpackhi_epi8(d, zero)));
        if (clear) {
            const __m128i keep = _mm_cmpeq_epi32(_mm_and_si128(s, AlphaBits()), zero);
            out = _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, out));
        }
        Store(dst + i, out);
    }
    scalar::ShadeBlend(dst + i, src + i, n - i, colour, light + static_cast<int64_t>(i) * dlight,
                       dlight);
}

namespace {

template <bool kShift8>
void FadeLoop(uint32_t* dst, const uint32_t* a, const uint32_t* b, size_t n, uint32_t k) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i wb = _mm_set1_epi16(static_cast<short>(k));
    const __m128i wa = _mm_set1_epi16(static_cast<short>(255 - k));
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i va = Load(a + i), vb = Load(b + i);
        __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(va, zero), wa),
                                   _mm_mullo_epi16(_mm_unpacklo_epi8(vb, zero), wb));
        __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(va, zero), wa),
                                   _mm_mullo_epi16(_mm_unpackhi_epi8(vb, zero), wb));
        if (kShift8) {
            lo = _mm_srli_epi16(lo, 8);
            hi = _mm_srli_epi16(hi, 8);
        } else {
            lo = Div255(lo);
            hi = Div255(hi);
        }
        Store(dst + i, _mm_packus_epi16(lo, hi));
    }
    if (kShift8)
        scalar::FadeShift8(dst + i, a + i, b + i, n - i, k);
    else
        scalar::Fade255(dst + i, a + i, b + i, n - i, k);
}

} // namespace

void Fade255(uint32_t* dst, const uint32_t* a, const uint32_t* b, size_t n, uint32_t k) {
    FadeLoop<false>(dst, a, b, n, k);
}

void FadeShift8(uint32_t* dst, const uint32_t* a, const uint32_t* b, size_t n, uint32_t k) {
    FadeLoop<true>(dst, a, b, n, k);
}

void FadeToColour(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour, uint32_t k) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i ck = _mm_mullo_epi16(Widen(colour), _mm_set1_epi16(static_cast<short>(k)));
    const __m128i wa = _mm_set1_epi16(static_cast<short>(255 - k));
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i s = Load(src + i);
        const __m128i lo =
            Div255(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), wa), ck));
        const __m128i hi =
            Div255(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), wa), ck));
        Store(dst + i, _mm_packus_epi16(lo, hi));
    }
    scalar::FadeToColour(dst + i, src + i, n - i, colour, k);
}

void BilinearRow(uint32_t* out, const uint32_t* src, int width, int height, int32_t u, int32_t du,
                 int32_t v, int32_t dv, size_t n) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i w255 = _mm_set1_epi16(255);
    const size_t pitch = static_cast<size_t>(width);
    size_t i = 0;
    for (; i + 2 <= n; i += 2, u += 2 * du, v += 2 * dv) {
        const int32_t ub = u + du, vb = v + dv;
        const int xa = u >> 16, ya = v >> 16, xb = ub >> 16, yb = vb >> 16;
        if (xa >= width - 1 || ya >= height - 1 || xb >= width - 1 || yb >= height - 1) {
            out[i] = scalar::BilinearAt(src, width, height, u, v);
            out[i + 1] = scalar::BilinearAt(src, width, height, ub, vb);
            continue;
        }
        const uint32_t* pa = src + static_cast<size_t>(ya) * pitch + xa;
        const uint32_t* pb = src + static_cast<size_t>(yb) * pitch + xb;
        // r0 = a00 b00 a10 b10, r1 = a01 b01 a11 b11.
        const __m128i r0 =
            _mm_unpacklo_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pa)),
                               _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pb)));
        const __m128i r1 =
            _mm_unpacklo_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pa + pitch)),
                               _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pb + pitch)));
        const uint64_t fr = static_cast<uint64_t>((u >> 8) & 0xFF) |
                            static_cast<uint64_t>((ub >> 8) & 0xFF) << 16 |
                            static_cast<uint64_t>((v >> 8) & 0xFF) << 32 |
                            static_cast<uint64_t>((vb >> 8) & 0xFF) << 48;
        __m128i f = _mm_cvtsi64_si128(static_cast<long long>(fr));
        f = _mm_unpacklo_epi16(f, f);
        const __m128i wx1 = _mm_unpacklo_epi32(f, f), wy1 = _mm_unpackhi_epi32(f, f);
        const __m128i wx0 = _mm_sub_epi16(w255, wx1), wy0 = _mm_sub_epi16(w255, wy1);
        // Across first: each row's pair weighs at most 255 × 255, which fits a 16-bit lane.
        const __m128i h0 = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(r0, zero), wx0),
                                         _mm_mullo_epi16(_mm_unpackhi_epi8(r0, zero), wx1));
        const __m128i h1 = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(r1, zero), wx0),
                                         _mm_mullo_epi16(_mm_unpackhi_epi8(r1, zero), wx1));
        // Then down, in 32 bits.
        const __m128i lo0 = _mm_mullo_epi16(h0, wy0), hi0 = _mm_mulhi_epu16(h0, wy0);
        const __m128i lo1 = _mm_mullo_epi16(h1, wy1), hi1 = _mm_mulhi_epu16(h1, wy1);
        const __m128i sa =
            _mm_add_epi32(_mm_unpacklo_epi16(lo0, hi0), _mm_unpacklo_epi16(lo1, hi1));
        const __m128i sb =
            _mm_add_epi32(_mm_unpackhi_epi16(lo0, hi0), _mm_unpackhi_epi16(lo1, hi1));
        const __m128i w = _mm_packs_epi32(_mm_srli_epi32(sa, 16), _mm_srli_epi32(sb, 16));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(w, w));
    }
    scalar::BilinearRow(out + i, src, width, height, u, du, v, dv, n - i);
}

void BilinearAcross(uint64_t* out, const uint32_t* row, int32_t u, int32_t du, size_t n) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i w255 = _mm_set1_epi16(255);
    size_t i = 0;
    for (; i + 2 <= n; i += 2, u += 2 * du) {
        const int32_t ub = u + du;
        // r = a0 b0 a1 b1: each pixel's pair, side by side.
        const __m128i r =
            _mm_unpacklo_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + (u >> 16))),
                               _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + (ub >> 16))));
        __m128i f = _mm_cvtsi32_si128(((u >> 8) & 0xFF) | ((ub >> 8) & 0xFF) << 16);
        f = _mm_unpacklo_epi16(f, f);
        const __m128i w1 = _mm_unpacklo_epi32(f, f), w0 = _mm_sub_epi16(w255, w1);
        const __m128i h = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(r, zero), w0),
                                        _mm_mullo_epi16(_mm_unpackhi_epi8(r, zero), w1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), h);
    }
    scalar::BilinearAcross(out + i, row, u, du, n - i);
}

void BilinearDown(uint32_t* out, const uint64_t* top, const uint64_t* bottom, int32_t v, int32_t dv,
                  size_t n) {
    const __m128i w255 = _mm_set1_epi16(255);
    // Two pixels' 16-bit channels → their 32-bit sums shifted by 16, as 16-bit lanes.
    const auto two = [&](size_t at, int32_t va) {
        const int32_t vb = va + dv;
        __m128i f = _mm_cvtsi32_si128(((va >> 8) & 0xFF) | ((vb >> 8) & 0xFF) << 16);
        f = _mm_unpacklo_epi16(f, f);
        const __m128i w1 = _mm_unpacklo_epi32(f, f), w0 = _mm_sub_epi16(w255, w1);
        const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(top + at));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bottom + at));
        const __m128i lo0 = _mm_mullo_epi16(t, w0), hi0 = _mm_mulhi_epu16(t, w0);
        const __m128i lo1 = _mm_mullo_epi16(b, w1), hi1 = _mm_mulhi_epu16(b, w1);
        const __m128i sa =
            _mm_add_epi32(_mm_unpacklo_epi16(lo0, hi0), _mm_unpacklo_epi16(lo1, hi1));
        const __m128i sb =
            _mm_add_epi32(_mm_unpackhi_epi16(lo0, hi0), _mm_unpackhi_epi16(lo1, hi1));
        return _mm_packs_epi32(_mm_srli_epi32(sa, 16), _mm_srli_epi32(sb, 16));
    };
    size_t i = 0;
    for (; i + 4 <= n; i += 4, v += 4 * dv)
        Store(out + i, _mm_packus_epi16(two(i, v), two(i + 2, v + 2 * dv)));
    scalar::BilinearDown(out + i, top + i, bottom + i, v, dv, n - i);
}

// Four pixels at a time: the blend of all four, kept only where the mask is clear and the
// source not transparent.
void MaskedBlend(uint32_t* dst, uint8_t* mask, const uint32_t* src, size_t n, uint32_t colour) {
    const bool white = colour == 0xFFFFFFFFu;
    const __m128i zero = _mm_setzero_si128();
    const __m128i c = Widen(colour);
    const __m128i one = _mm_set1_epi8(1);
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        uint32_t m4;
        std::memcpy(&m4, mask + i, 4);
        if ((m4 & 0xFFu) && (m4 & 0xFF00u) && (m4 & 0xFF0000u) && (m4 & 0xFF000000u)) continue;
        const __m128i s = Load(src + i);
        const __m128i m = _mm_cvtsi32_si128(static_cast<int>(m4));
        const __m128i unmarked =
            _mm_cmpeq_epi32(_mm_unpacklo_epi16(_mm_unpacklo_epi8(m, zero), zero), zero);
        const __m128i clear = _mm_cmpeq_epi32(_mm_and_si128(s, AlphaBits()), zero);
        const __m128i take = _mm_andnot_si128(clear, unmarked);
        if (_mm_movemask_epi8(take) == 0) continue;
        const __m128i d = Load(dst + i);
        const __m128i out = Blend4(s, d, c, white);
        Store(dst + i, _mm_or_si128(_mm_and_si128(take, out), _mm_andnot_si128(take, d)));
        // Each taken pixel's mask byte becomes 1; the others keep theirs.
        const __m128i taken =
            _mm_and_si128(_mm_packs_epi16(_mm_packs_epi32(take, zero), zero), one);
        const auto marks = m4 | static_cast<uint32_t>(_mm_cvtsi128_si32(taken));
        std::memcpy(mask + i, &marks, 4);
    }
    scalar::MaskedBlend(dst + i, mask + i, src + i, n - i, colour);
}

// Heats are never negative, so the division by 4 is a shift; avg − 7 with a floor at 0 is the
// same as max(avg, 7) − 7, which only needs a compare.
void FireRow(int32_t* out, const int32_t* row, const int32_t* below, size_t n) {
    const __m128i seven = _mm_set1_epi32(7);
    const auto load = [](const int32_t* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    };
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i sum = _mm_add_epi32(_mm_add_epi32(load(below + i), load(row + i - 1)),
                                          _mm_add_epi32(load(row + i + 1), load(row + i)));
        const __m128i avg = _mm_srai_epi32(sum, 2);
        const __m128i low = _mm_cmplt_epi32(avg, seven);
        const __m128i kept = _mm_or_si128(_mm_and_si128(low, seven), _mm_andnot_si128(low, avg));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_sub_epi32(kept, seven));
    }
    scalar::FireRow(out + i, row + i, below + i, n - i);
}

// Nearest sampling has no SSE2 gather: the scalar loop.
void NearestRow(uint32_t* out, const uint32_t* src, int width, int height, int32_t u, int32_t du,
                int32_t v, int32_t dv, size_t n) {
    scalar::NearestRow(out, src, width, height, u, du, v, dv, n);
}

} // namespace sse2

const PixelKernels* Sse2PixelKernels() {
    static const PixelKernels kernels{
        .name = "sse2",
        .fill = sse2::Fill,
        .bltBlend = sse2::BltBlend,
        .bltFast = sse2::BltFast,
        .blend = sse2::Blend,
        .modulate = sse2::Modulate,
        .addBlend = sse2::AddBlend,
        .shadeBlend = sse2::ShadeBlend,
        .fade255 = sse2::Fade255,
        .fadeShift8 = sse2::FadeShift8,
        .fadeToColour = sse2::FadeToColour,
        .nearestRow = sse2::NearestRow,
        .bilinearRow = sse2::BilinearRow,
        .bilinearAcross = sse2::BilinearAcross,
        .bilinearDown = sse2::BilinearDown,
        .fireRow = sse2::FireRow,
        .maskedBlend = sse2::MaskedBlend,
    };
    return &kernels;
}

} // namespace qw

#else

namespace qw {
const PixelKernels* Sse2PixelKernels() {
    return nullptr;
}
} // namespace qw

#endif
