// AVX2 span kernels: the SSE2 kernels' arithmetic on eight pixels at a time. This file alone is
// compiled for AVX2 and its code runs only after the processor check (PixelKernels.cpp). It
// defines nothing but internal functions and a constant table, and hands its tails to the SSE2
// kernels, so no AVX2 instruction can leak into a shared inline function or run before the
// check.

#include "graphics/PixelKernels.h"

#if defined(__x86_64__) && defined(__AVX2__)

#include <immintrin.h>

#include <cstring>

#include "graphics/PixelKernelsX86.h"

namespace qw {

namespace {

inline __m256i Load(const uint32_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
inline void Store(uint32_t* p, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

inline __m256i Div255(__m256i x) {
    return _mm256_srli_epi16(_mm256_mulhi_epu16(x, _mm256_set1_epi16(static_cast<short>(0x8081))),
                             7);
}

inline __m256i SpreadAlpha(__m256i x) {
    return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(x, 0xFF), 0xFF);
}

inline __m256i Widen(uint32_t colour) {
    return _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int>(colour)),
                                _mm256_setzero_si256());
}

inline __m256i AlphaBits() {
    return _mm256_set1_epi32(static_cast<int>(0xFF000000u));
}

inline int TransparentMask(__m256i s) {
    const __m256i zero =
        _mm256_cmpeq_epi32(_mm256_and_si256(s, AlphaBits()), _mm256_setzero_si256());
    return _mm256_movemask_ps(_mm256_castsi256_ps(zero));
}

inline __m256i BltBlendHalf(__m256i t, __m256i d) {
    const __m256i a = SpreadAlpha(t);
    const __m256i ia = _mm256_sub_epi16(_mm256_set1_epi16(255), a);
    return Div255(_mm256_add_epi16(_mm256_mullo_epi16(t, a), _mm256_mullo_epi16(d, ia)));
}

inline __m256i BlendHalf(__m256i t, __m256i d) {
    const __m256i a = SpreadAlpha(t);
    const __m256i ia = _mm256_sub_epi16(_mm256_set1_epi16(255), a);
    return _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(d, ia), _mm256_mullo_epi16(t, a)),
                             8);
}

void Fill(uint32_t* dst, size_t n, uint32_t colour) {
    const __m256i c = _mm256_set1_epi32(static_cast<int>(colour));
    size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        Store(dst + i, c);
        Store(dst + i + 8, c);
        Store(dst + i + 16, c);
        Store(dst + i + 24, c);
    }
    for (; i + 8 <= n; i += 8)
        Store(dst + i, c);
    sse2::Fill(dst + i, n - i, colour);
}

void BltBlend(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour) {
    if (colour == 0) return;
    const bool white = colour == 0xFFFFFFFFu;
    const __m256i zero = _mm256_setzero_si256();
    const __m256i alpha = AlphaBits();
    const __m256i c = Widen(colour);
    // Untinted, each pixel's alpha goes straight from the source bytes to its four lanes.
    const __m256i alphaLo =
        _mm256_setr_epi8(3, -1, 3, -1, 3, -1, 3, -1, 7, -1, 7, -1, 7, -1, 7, -1, 3, -1, 3, -1, 3,
                         -1, 3, -1, 7, -1, 7, -1, 7, -1, 7, -1);
    const __m256i alphaHi =
        _mm256_setr_epi8(11, -1, 11, -1, 11, -1, 11, -1, 15, -1, 15, -1, 15, -1, 15, -1, 11, -1, 11,
                         -1, 11, -1, 11, -1, 15, -1, 15, -1, 15, -1, 15, -1);
    const __m256i w255 = _mm256_set1_epi16(255);
    // A tint of alpha alone (R, G, B 255, the transitions' "alpha A") leaves the colour bytes
    // as they are (s × 255 / 255) and scales only the alpha: that done, it blends as untinted.
    const bool alphaOnly = !white && (colour & 0x00FFFFFFu) == 0x00FFFFFFu;
    const __m256i tintAlpha = _mm256_set1_epi32(static_cast<int>(colour >> 24));
    const __m256i tintAlpha24 = _mm256_slli_epi32(tintAlpha, 24);
    const __m256i weight = _mm256_set1_epi16(static_cast<short>(colour >> 24));
    const __m256i rest = _mm256_set1_epi16(static_cast<short>(255 - (colour >> 24)));
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        __m256i s = Load(src + i);
        if (_mm256_testz_si256(s, alpha)) continue;  // all transparent
        if (white && _mm256_testc_si256(s, alpha)) { // all opaque
            Store(dst + i, s);
            continue;
        }
        const __m256i d = Load(dst + i);
        __m256i lo, hi;
        if (alphaOnly && _mm256_testc_si256(s, alpha)) {
            // All opaque: every pixel blends its colour with the tint's alpha A, and its alpha
            // byte is A (255 × A / 255) blended the same way.
            const __m256i t = _mm256_or_si256(_mm256_andnot_si256(alpha, s), tintAlpha24);
            lo = Div255(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(t, zero), weight),
                                         _mm256_mullo_epi16(_mm256_unpacklo_epi8(d, zero), rest)));
            hi = Div255(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(t, zero), weight),
                                         _mm256_mullo_epi16(_mm256_unpackhi_epi8(d, zero), rest)));
            Store(dst + i, _mm256_packus_epi16(lo, hi));
            continue;
        }
        if (alphaOnly) {
            // s.A × A in the low half of each pixel's lane (the high half stays 0), / 255.
            const __m256i a = Div255(_mm256_mullo_epi16(_mm256_srli_epi32(s, 24), tintAlpha));
            s = _mm256_or_si256(_mm256_andnot_si256(alpha, s), _mm256_slli_epi32(a, 24));
        }
        if (white || alphaOnly) {
            const __m256i al = _mm256_shuffle_epi8(s, alphaLo),
                          ah = _mm256_shuffle_epi8(s, alphaHi);
            const __m256i sl = _mm256_unpacklo_epi8(s, zero), sh = _mm256_unpackhi_epi8(s, zero);
            lo = Div255(_mm256_add_epi16(
                _mm256_mullo_epi16(sl, al),
                _mm256_mullo_epi16(_mm256_unpacklo_epi8(d, zero), _mm256_sub_epi16(w255, al))));
            hi = Div255(_mm256_add_epi16(
                _mm256_mullo_epi16(sh, ah),
                _mm256_mullo_epi16(_mm256_unpackhi_epi8(d, zero), _mm256_sub_epi16(w255, ah))));
        } else {
            const __m256i sl = Div255(_mm256_mullo_epi16(_mm256_unpacklo_epi8(s, zero), c));
            const __m256i sh = Div255(_mm256_mullo_epi16(_mm256_unpackhi_epi8(s, zero), c));
            lo = BltBlendHalf(sl, _mm256_unpacklo_epi8(d, zero));
            hi = BltBlendHalf(sh, _mm256_unpackhi_epi8(d, zero));
        }
        Store(dst + i, _mm256_packus_epi16(lo, hi));
    }
    sse2::BltBlend(dst + i, src + i, n - i, colour);
}

void BltFast(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i alpha = AlphaBits();
    const __m256i c = Widen(colour);
    const bool black = colour == 0;
    const bool plain = (colour | 0xFF000000u) == 0xFFFFFFFFu;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i s = Load(src + i);
        const int clear = TransparentMask(s);
        if (clear == 0xFF) continue;
        __m256i t;
        if (black) {
            t = alpha;
        } else if (plain) {
            t = _mm256_or_si256(s, alpha);
        } else {
            const __m256i lo = Div255(_mm256_mullo_epi16(_mm256_unpacklo_epi8(s, zero), c));
            const __m256i hi = Div255(_mm256_mullo_epi16(_mm256_unpackhi_epi8(s, zero), c));
            t = _mm256_or_si256(_mm256_packus_epi16(lo, hi), alpha);
        }
        if (clear) {
            const __m256i keep = _mm256_cmpeq_epi32(_mm256_and_si256(s, alpha), zero);
            t = _mm256_blendv_epi8(t, Load(dst + i), keep);
        }
        Store(dst + i, t);
    }
    sse2::BltFast(dst + i, src + i, n - i, colour);
}

void Blend(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour) {
    const bool white = colour == 0xFFFFFFFFu;
    const __m256i zero = _mm256_setzero_si256();
    const __m256i c = Widen(colour);
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i s = Load(src + i);
        if (white && _mm256_testc_si256(s, AlphaBits())) {
            // Opaque and untinted: (s × 255) >> 8 per channel, that is s − 1 held at 0.
            Store(dst + i, _mm256_subs_epu8(s, _mm256_set1_epi8(1)));
            continue;
        }
        const int clear = TransparentMask(s);
        if (clear == 0xFF) continue;
        const __m256i d = Load(dst + i);
        __m256i sl = _mm256_unpacklo_epi8(s, zero), sh = _mm256_unpackhi_epi8(s, zero);
        if (!white) {
            sl = _mm256_srli_epi16(_mm256_mullo_epi16(sl, c), 8);
            sh = _mm256_srli_epi16(_mm256_mullo_epi16(sh, c), 8);
        }
        const __m256i lo = BlendHalf(sl, _mm256_unpacklo_epi8(d, zero));
        const __m256i hi = BlendHalf(sh, _mm256_unpackhi_epi8(d, zero));
        __m256i out = _mm256_packus_epi16(lo, hi);
        if (clear) {
            const __m256i keep = _mm256_cmpeq_epi32(_mm256_and_si256(s, AlphaBits()), zero);
            out = _mm256_blendv_epi8(out, d, keep);
        }
        Store(dst + i, out);
    }
    sse2::Blend(dst + i, src + i, n - i, colour);
}

// Eight pixels of the masked blend; `valid` marks the lanes inside the span (all of them but in
// a span's last, short block, whose other lanes are neither read nor written).
inline void MaskedBlend8(uint32_t* dst, uint8_t* mask, const uint32_t* src, __m256i c, bool white,
                         __m256i valid, bool whole, size_t count) {
    const __m256i zero = _mm256_setzero_si256();
    // A whole block reads its eight mask bytes at once; a short one byte by byte (a copy of a
    // variable length would go through memory and stall the vector load).
    uint64_t marks = 0;
    if (whole)
        std::memcpy(&marks, mask, 8);
    else
        for (size_t j = 0; j < count; ++j)
            marks |= uint64_t{mask[j]} << (8 * j);
    const __m128i m = _mm_cvtsi64_si128(static_cast<long long>(marks));
    const __m256i unmarked =
        _mm256_and_si256(_mm256_cmpeq_epi32(_mm256_cvtepu8_epi32(m), zero), valid);
    const __m256i s =
        whole ? Load(src) : _mm256_maskload_epi32(reinterpret_cast<const int*>(src), valid);
    const __m256i clear = _mm256_cmpeq_epi32(_mm256_and_si256(s, AlphaBits()), zero);
    const __m256i take = _mm256_andnot_si256(clear, unmarked);
    if (_mm256_testz_si256(take, take)) return;
    const __m256i d =
        whole ? Load(dst) : _mm256_maskload_epi32(reinterpret_cast<const int*>(dst), valid);
    __m256i out;
    if (white && _mm256_testc_si256(s, AlphaBits())) {
        // Opaque and untinted: (s × 255) >> 8 per channel, that is s − 1 held at 0.
        out = _mm256_subs_epu8(s, _mm256_set1_epi8(1));
    } else {
        __m256i sl = _mm256_unpacklo_epi8(s, zero), sh = _mm256_unpackhi_epi8(s, zero);
        if (!white) {
            sl = _mm256_srli_epi16(_mm256_mullo_epi16(sl, c), 8);
            sh = _mm256_srli_epi16(_mm256_mullo_epi16(sh, c), 8);
        }
        const __m256i lo = BlendHalf(sl, _mm256_unpacklo_epi8(d, zero));
        const __m256i hi = BlendHalf(sh, _mm256_unpackhi_epi8(d, zero));
        out = _mm256_packus_epi16(lo, hi);
    }
    if (whole)
        Store(dst, _mm256_blendv_epi8(d, out, take));
    else
        _mm256_maskstore_epi32(reinterpret_cast<int*>(dst), take, out);
    // The eight take lanes as bytes (in order), 1 where taken, or-ed into the mask.
    const __m128i t16 =
        _mm_packs_epi32(_mm256_castsi256_si128(take), _mm256_extracti128_si256(take, 1));
    const __m128i t8 = _mm_and_si128(_mm_packs_epi16(t16, t16), _mm_set1_epi8(1));
    marks = static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_or_si128(m, t8)));
    if (whole)
        std::memcpy(mask, &marks, 8);
    else
        for (size_t j = 0; j < count; ++j)
            mask[j] = static_cast<uint8_t>(marks >> (8 * j));
}

// The lanes below `count` (0 … 8).
inline __m256i FirstLanes(size_t count) {
    return _mm256_cmpgt_epi32(_mm256_set1_epi32(static_cast<int>(count)),
                              _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
}

void MaskedBlend(uint32_t* dst, uint8_t* mask, const uint32_t* src, size_t n, uint32_t colour) {
    const bool white = colour == 0xFFFFFFFFu;
    const __m256i c = Widen(colour);
    const __m256i all = _mm256_set1_epi32(-1);
    size_t i = 0;
    for (; i + 8 <= n; i += 8)
        MaskedBlend8(dst + i, mask + i, src + i, c, white, all, true, 8);
    if (i < n) MaskedBlend8(dst + i, mask + i, src + i, c, white, FirstLanes(n - i), false, n - i);
}

void Modulate(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour) {
    const uint32_t rgb = colour & 0x00FFFFFFu;
    if (rgb == 0) return Fill(dst, n, 0xFF000000u);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i alpha = AlphaBits();
    const __m256i c = Widen(colour | 0xFF000000u);
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i s = Load(src + i);
        if (rgb == 0x00FFFFFFu) {
            Store(dst + i, _mm256_or_si256(s, alpha));
            continue;
        }
        const __m256i lo = Div255(_mm256_mullo_epi16(_mm256_unpacklo_epi8(s, zero), c));
        const __m256i hi = Div255(_mm256_mullo_epi16(_mm256_unpackhi_epi8(s, zero), c));
        Store(dst + i, _mm256_packus_epi16(lo, hi));
    }
    sse2::Modulate(dst + i, src + i, n - i, colour);
}

void AddBlend(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour) {
    if (colour == 0) return;
    const bool white = colour == 0xFFFFFFFFu;
    const __m256i zero = _mm256_setzero_si256();
    const __m256i c = Widen(colour);
    const __m256i alpha = AlphaBits();
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        __m256i lo = _mm256_unpacklo_epi8(Load(src + i), zero);
        __m256i hi = _mm256_unpackhi_epi8(Load(src + i), zero);
        if (!white) {
            lo = Div255(_mm256_mullo_epi16(lo, c));
            hi = Div255(_mm256_mullo_epi16(hi, c));
        }
        const __m256i t = _mm256_packus_epi16(lo, hi);
        const __m256i add = _mm256_packus_epi16(Div255(_mm256_mullo_epi16(lo, SpreadAlpha(lo))),
                                                Div255(_mm256_mullo_epi16(hi, SpreadAlpha(hi))));
        const __m256i x = _mm256_blendv_epi8(add, t, alpha);
        Store(dst + i, _mm256_adds_epu8(Load(dst + i), x));
    }
    sse2::AddBlend(dst + i, src + i, n - i, colour);
}

void ShadeBlend(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour, int64_t light,
                int64_t dlight) {
    const int64_t last = light + static_cast<int64_t>(n) * dlight - dlight;
    if (n < 8 || light < 0 || last < 0 || light >= (int64_t{256} << 16) ||
        last >= (int64_t{256} << 16))
        return sse2::ShadeBlend(dst, src, n, colour, light, dlight);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i c = Widen(colour);
    const __m256i keepLight =
        _mm256_set_epi16(0, -1, -1, -1, 0, -1, -1, -1, 0, -1, -1, -1, 0, -1, -1, -1);
    const __m256i alphaScale =
        _mm256_set_epi16(256, 0, 0, 0, 256, 0, 0, 0, 256, 0, 0, 0, 256, 0, 0, 0);
    const auto l32 = static_cast<uint32_t>(light), d32 = static_cast<uint32_t>(dlight);
    __m256i lv = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int32_t>(l32)),
                                  _mm256_mullo_epi32(_mm256_set1_epi32(static_cast<int32_t>(d32)),
                                                     _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7)));
    const __m256i step = _mm256_set1_epi32(static_cast<int32_t>(d32 * 8u));
    size_t i = 0;
    for (; i + 8 <= n; i += 8, lv = _mm256_add_epi32(lv, step)) {
        const __m256i s = Load(src + i);
        const int clear = TransparentMask(s);
        if (clear == 0xFF) continue;
        const __m256i l = _mm256_srli_epi32(lv, 16);
        const __m256i pairs = _mm256_or_si256(l, _mm256_slli_epi32(l, 16));
        const __m256i llo = _mm256_or_si256(
            _mm256_and_si256(_mm256_unpacklo_epi32(pairs, pairs), keepLight), alphaScale);
        const __m256i lhi = _mm256_or_si256(
            _mm256_and_si256(_mm256_unpackhi_epi32(pairs, pairs), keepLight), alphaScale);
        const __m256i tlo =
            _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(s, zero),
                                                 _mm256_srli_epi16(_mm256_mullo_epi16(c, llo), 8)),
                              8);
        const __m256i thi =
            _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(s, zero),
                                                 _mm256_srli_epi16(_mm256_mullo_epi16(c, lhi), 8)),
                              8);
        const __m256i d = Load(dst + i);
        __m256i out = _mm256_packus_epi16(BlendHalf(tlo, _mm256_unpacklo_epi8(d, zero)),
                                          BlendHalf(thi, _mm256_unpackhi_epi8(d, zero)));
        if (clear) {
            const __m256i keep = _mm256_cmpeq_epi32(_mm256_and_si256(s, AlphaBits()), zero);
            out = _mm256_blendv_epi8(out, d, keep);
        }
        Store(dst + i, out);
    }
    sse2::ShadeBlend(dst + i, src + i, n - i, colour, light + static_cast<int64_t>(i) * dlight,
                     dlight);
}

template <bool kShift8>
void FadeLoop(uint32_t* dst, const uint32_t* a, const uint32_t* b, size_t n, uint32_t k) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i wb = _mm256_set1_epi16(static_cast<short>(k));
    const __m256i wa = _mm256_set1_epi16(static_cast<short>(255 - k));
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i va = Load(a + i), vb = Load(b + i);
        __m256i lo = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(va, zero), wa),
                                      _mm256_mullo_epi16(_mm256_unpacklo_epi8(vb, zero), wb));
        __m256i hi = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(va, zero), wa),
                                      _mm256_mullo_epi16(_mm256_unpackhi_epi8(vb, zero), wb));
        if (kShift8) {
            lo = _mm256_srli_epi16(lo, 8);
            hi = _mm256_srli_epi16(hi, 8);
        } else {
            lo = Div255(lo);
            hi = Div255(hi);
        }
        Store(dst + i, _mm256_packus_epi16(lo, hi));
    }
    if (kShift8)
        sse2::FadeShift8(dst + i, a + i, b + i, n - i, k);
    else
        sse2::Fade255(dst + i, a + i, b + i, n - i, k);
}

void Fade255(uint32_t* dst, const uint32_t* a, const uint32_t* b, size_t n, uint32_t k) {
    FadeLoop<false>(dst, a, b, n, k);
}

void FadeShift8(uint32_t* dst, const uint32_t* a, const uint32_t* b, size_t n, uint32_t k) {
    FadeLoop<true>(dst, a, b, n, k);
}

void FadeToColour(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour, uint32_t k) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i ck = _mm256_mullo_epi16(Widen(colour), _mm256_set1_epi16(static_cast<short>(k)));
    const __m256i wa = _mm256_set1_epi16(static_cast<short>(255 - k));
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i s = Load(src + i);
        const __m256i lo =
            Div255(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(s, zero), wa), ck));
        const __m256i hi =
            Div255(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(s, zero), wa), ck));
        Store(dst + i, _mm256_packus_epi16(lo, hi));
    }
    sse2::FadeToColour(dst + i, src + i, n - i, colour, k);
}

void BilinearDown(uint32_t* out, const uint64_t* top, const uint64_t* bottom, int32_t v, int32_t dv,
                  size_t n) {
    const __m256i w255 = _mm256_set1_epi16(255);
    const __m256i step = _mm256_set1_epi32(8 * dv);
    __m256i vs = _mm256_add_epi32(
        _mm256_set1_epi32(v),
        _mm256_mullo_epi32(_mm256_set1_epi32(dv), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7)));
    // Four pixels (two per 128-bit lane) with their weights → 16-bit lanes in the same order.
    const auto four = [&](size_t at, __m256i fy32, __m256i pick) {
        // fy of pixels 0 1 | 2 3 spread over their four channels each.
        __m256i w1 = _mm256_permutevar8x32_epi32(fy32, pick);
        w1 = _mm256_or_si256(w1, _mm256_slli_epi32(w1, 16));
        const __m256i w0 = _mm256_sub_epi16(w255, w1);
        const __m256i t = Load(reinterpret_cast<const uint32_t*>(top + at));
        const __m256i b = Load(reinterpret_cast<const uint32_t*>(bottom + at));
        const __m256i lo0 = _mm256_mullo_epi16(t, w0), hi0 = _mm256_mulhi_epu16(t, w0);
        const __m256i lo1 = _mm256_mullo_epi16(b, w1), hi1 = _mm256_mulhi_epu16(b, w1);
        const __m256i sa =
            _mm256_add_epi32(_mm256_unpacklo_epi16(lo0, hi0), _mm256_unpacklo_epi16(lo1, hi1));
        const __m256i sb =
            _mm256_add_epi32(_mm256_unpackhi_epi16(lo0, hi0), _mm256_unpackhi_epi16(lo1, hi1));
        return _mm256_packs_epi32(_mm256_srli_epi32(sa, 16), _mm256_srli_epi32(sb, 16));
    };
    const __m256i pickLow = _mm256_setr_epi32(0, 0, 1, 1, 2, 2, 3, 3);
    const __m256i pickHigh = _mm256_setr_epi32(4, 4, 5, 5, 6, 6, 7, 7);
    size_t i = 0;
    for (; i + 8 <= n; i += 8, v += 8 * dv) {
        const __m256i fy32 = _mm256_and_si256(_mm256_srli_epi32(vs, 8), _mm256_set1_epi32(0xFF));
        vs = _mm256_add_epi32(vs, step);
        // Lanes come out as pixels 0 1 4 5 | 2 3 6 7; the permute puts them in order.
        const __m256i packed =
            _mm256_packus_epi16(four(i, fy32, pickLow), four(i + 4, fy32, pickHigh));
        Store(out + i, _mm256_permute4x64_epi64(packed, 0xD8));
    }
    sse2::BilinearDown(out + i, top + i, bottom + i, v, dv, n - i);
}

// Eight samples per gather; the word offsets row × width + column must fit 31 bits.
void NearestRow(uint32_t* out, const uint32_t* src, int width, int height, int32_t u, int32_t du,
                int32_t v, int32_t dv, size_t n) {
    if (int64_t{width} * height > INT32_MAX)
        return sse2::NearestRow(out, src, width, height, u, du, v, dv, n);
    if (n < 8) {
        // A short span (a small quad's row) in place: the tail call would cost more than it.
        const auto pitch = static_cast<size_t>(width);
        for (size_t i = 0; i < n; ++i, u += du, v += dv)
            out[i] = src[static_cast<size_t>(v >> 16) * pitch + static_cast<size_t>(u >> 16)];
        return;
    }
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const auto uu = static_cast<uint32_t>(u), vu = static_cast<uint32_t>(v);
    const auto duu = static_cast<uint32_t>(du), dvu = static_cast<uint32_t>(dv);
    __m256i su = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int32_t>(uu)),
                                  _mm256_mullo_epi32(_mm256_set1_epi32(du), lanes));
    __m256i sv = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int32_t>(vu)),
                                  _mm256_mullo_epi32(_mm256_set1_epi32(dv), lanes));
    const __m256i stepU = _mm256_set1_epi32(static_cast<int32_t>(duu * 8u));
    const __m256i stepV = _mm256_set1_epi32(static_cast<int32_t>(dvu * 8u));
    const __m256i pitch = _mm256_set1_epi32(width);
    const int* base = reinterpret_cast<const int*>(src);
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i index = _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srai_epi32(sv, 16), pitch),
                                               _mm256_srai_epi32(su, 16));
        Store(out + i, _mm256_i32gather_epi32(base, index, 4));
        su = _mm256_add_epi32(su, stepU);
        sv = _mm256_add_epi32(sv, stepV);
    }
    // The tail goes on from where the lanes stopped, wrapping as they do.
    sse2::NearestRow(out + i, src, width, height,
                     static_cast<int32_t>(uu + duu * static_cast<uint32_t>(i)), du,
                     static_cast<int32_t>(vu + dvu * static_cast<uint32_t>(i)), dv, n - i);
}

constexpr PixelKernels kKernels{
    .name = "avx2",
    .fill = Fill,
    .bltBlend = BltBlend,
    .bltFast = BltFast,
    .blend = Blend,
    .modulate = Modulate,
    .addBlend = AddBlend,
    .shadeBlend = ShadeBlend,
    .fade255 = Fade255,
    .fadeShift8 = FadeShift8,
    .fadeToColour = FadeToColour,
    .nearestRow = NearestRow,
    .bilinearRow = sse2::BilinearRow,
    .bilinearAcross = sse2::BilinearAcross,
    .bilinearDown = BilinearDown,
    .fireRow = sse2::FireRow,
    .maskedBlend = MaskedBlend,
};

} // namespace

const PixelKernels* const avx2::kTable = &kKernels;

} // namespace qw

#else

#include "graphics/PixelKernelsX86.h"

namespace qw {
const PixelKernels* const avx2::kTable = nullptr;
} // namespace qw

#endif
