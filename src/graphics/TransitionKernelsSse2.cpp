// SSE2 transition kernels: four pixels at a time; blends in 16-bit lanes with the exact
// division by 255 (the high half of x × 0x8081 shifted right by 7). Tails go to the scalar
// kernels.

#include "graphics/TransitionKernels.h"

#if defined(__x86_64__) || defined(_M_X64)

#include <emmintrin.h>

namespace qw {

namespace {

inline __m128i Load(const uint32_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void Store(uint32_t* p, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}
// Four bytes widened to four 32-bit lanes.
inline __m128i Bytes4(const uint8_t* p) {
    int word = 0;
    __builtin_memcpy(&word, p, 4);
    const __m128i zero = _mm_setzero_si128();
    return _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(word), zero), zero);
}
inline __m128i Select(__m128i mask, __m128i ifSet, __m128i ifClear) {
    return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, ifClear));
}
inline __m128i Div255(__m128i x) {
    return _mm_srli_epi16(_mm_mulhi_epu16(x, _mm_set1_epi16(static_cast<short>(0x8081))), 7);
}

} // namespace

namespace sse2 {

void RuleStep(uint32_t* dst, const uint32_t* from, const uint32_t* to, const uint8_t* rule,
              size_t n, uint32_t threshold) {
    const __m128i t = _mm_set1_epi32(static_cast<int>(threshold));
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i below = _mm_cmplt_epi32(Bytes4(rule + i), t);
        Store(dst + i, Select(below, Load(from + i), Load(to + i)));
    }
    scalar::RuleStep(dst + i, from + i, to + i, rule + i, n - i, threshold);
}

void RuleSoft(uint32_t* dst, const uint32_t* from, const uint32_t* to, const uint8_t* rule,
              size_t n, const uint8_t* level) {
    const __m128i zero = _mm_setzero_si128(), w255 = _mm_set1_epi16(255);
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i c = _mm_setr_epi32(level[rule[i]], level[rule[i + 1]], level[rule[i + 2]],
                                         level[rule[i + 3]]);
        const __m128i c16 = _mm_packs_epi32(c, c);
        const __m128i pairs = _mm_unpacklo_epi16(c16, c16);
        const __m128i wlo = _mm_unpacklo_epi32(pairs, pairs),
                      whi = _mm_unpackhi_epi32(pairs, pairs);
        const __m128i f = Load(from + i), b = Load(to + i);
        const __m128i lo = Div255(
            _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(b, zero), wlo),
                          _mm_mullo_epi16(_mm_unpacklo_epi8(f, zero), _mm_sub_epi16(w255, wlo))));
        const __m128i hi = Div255(
            _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(b, zero), whi),
                          _mm_mullo_epi16(_mm_unpackhi_epi8(f, zero), _mm_sub_epi16(w255, whi))));
        const __m128i mixed = _mm_or_si128(_mm_packus_epi16(lo, hi), alpha);
        Store(dst + i, Select(_mm_cmpeq_epi32(c, zero), f, mixed));
    }
    scalar::RuleSoft(dst + i, from + i, to + i, rule + i, n - i, level);
}

void MaskSelect(uint32_t* dst, const uint32_t* a, const uint32_t* b, const uint8_t* mask,
                size_t n) {
    const __m128i zero = _mm_setzero_si128();
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i clear = _mm_cmpeq_epi32(Bytes4(mask + i), zero);
        Store(dst + i, Select(clear, Load(a + i), Load(b + i)));
    }
    scalar::MaskSelect(dst + i, a + i, b + i, mask + i, n - i);
}

void FlashMix(uint32_t* dst, const uint32_t* flash, size_t n, uint32_t k) {
    const __m128i zero = _mm_setzero_si128(), w255 = _mm_set1_epi16(255);
    const __m128i level = _mm_set1_epi32(static_cast<int>(k));
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i d = Load(dst + i), f = Load(flash + i);
        // a in both 16-bit halves of each pixel's lane, then spread over its four channels.
        const __m128i a = _mm_srli_epi32(_mm_add_epi32(_mm_srli_epi32(f, 24), level), 1);
        const __m128i pairs = _mm_or_si128(a, _mm_slli_epi32(a, 16));
        const __m128i wlo = _mm_unpacklo_epi32(pairs, pairs),
                      whi = _mm_unpackhi_epi32(pairs, pairs);
        const __m128i lo = Div255(
            _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(f, zero), wlo),
                          _mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), _mm_sub_epi16(w255, wlo))));
        const __m128i hi = Div255(
            _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(f, zero), whi),
                          _mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), _mm_sub_epi16(w255, whi))));
        Store(dst + i, Select(alpha, d, _mm_packus_epi16(lo, hi)));
    }
    scalar::FlashMix(dst + i, flash + i, n - i, k);
}

void FadeFlash(uint32_t* dst, const uint32_t* from, const uint32_t* to, const uint32_t* flash,
               size_t n, uint32_t fade, uint32_t k) {
    const __m128i zero = _mm_setzero_si128(), w255 = _mm_set1_epi16(255);
    const __m128i wTo = _mm_set1_epi16(static_cast<short>(fade));
    const __m128i wFrom = _mm_set1_epi16(static_cast<short>(255 - fade));
    const __m128i level = _mm_set1_epi32(static_cast<int>(k));
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i a = Load(from + i), b = Load(to + i), f = Load(flash + i);
        // The fade in 16-bit lanes (>> 8), kept unpacked for the mix.
        const __m128i dlo =
            _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(a, zero), wFrom),
                                         _mm_mullo_epi16(_mm_unpacklo_epi8(b, zero), wTo)),
                           8);
        const __m128i dhi =
            _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(a, zero), wFrom),
                                         _mm_mullo_epi16(_mm_unpackhi_epi8(b, zero), wTo)),
                           8);
        const __m128i w = _mm_srli_epi32(_mm_add_epi32(_mm_srli_epi32(f, 24), level), 1);
        const __m128i pairs = _mm_or_si128(w, _mm_slli_epi32(w, 16));
        const __m128i wlo = _mm_unpacklo_epi32(pairs, pairs),
                      whi = _mm_unpackhi_epi32(pairs, pairs);
        const __m128i lo = Div255(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(f, zero), wlo),
                                                _mm_mullo_epi16(dlo, _mm_sub_epi16(w255, wlo))));
        const __m128i hi = Div255(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(f, zero), whi),
                                                _mm_mullo_epi16(dhi, _mm_sub_epi16(w255, whi))));
        Store(dst + i, Select(alpha, _mm_packus_epi16(dlo, dhi), _mm_packus_epi16(lo, hi)));
    }
    scalar::FadeFlash(dst + i, from + i, to + i, flash + i, n - i, fade, k);
}

// No byte shuffle in SSE2: the scalar loop.
void MaskStretch(uint8_t* mask, const uint8_t* row, const int* columns, size_t n) {
    scalar::MaskStretch(mask, row, columns, n);
}

} // namespace sse2

const TransitionKernels* Sse2TransitionKernels() {
    static const TransitionKernels table{
        .name = "sse2",
        .ruleStep = sse2::RuleStep,
        .ruleSoft = sse2::RuleSoft,
        .maskSelect = sse2::MaskSelect,
        .maskStretch = sse2::MaskStretch,
        .flashMix = sse2::FlashMix,
        .fadeFlash = sse2::FadeFlash,
    };
    return Sse2PixelKernels() ? &table : nullptr;
}

} // namespace qw

#else

namespace qw {
const TransitionKernels* Sse2TransitionKernels() {
    return nullptr;
}
} // namespace qw

#endif
