// AVX2 transition kernels: the SSE2 kernels' arithmetic on eight pixels at a time. Compiled for
// AVX2 and reached only through the table after the processor check; tails go to the SSE2
// kernels.

#include "graphics/TransitionKernels.h"

#if defined(__x86_64__) && defined(__AVX2__)

#include <immintrin.h>

namespace qw {

namespace {

inline __m256i Load(const uint32_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
inline void Store(uint32_t* p, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}
// Eight bytes widened to eight 32-bit lanes.
inline __m256i Bytes8(const uint8_t* p) {
    return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
}
inline __m256i Div255(__m256i x) {
    return _mm256_srli_epi16(_mm256_mulhi_epu16(x, _mm256_set1_epi16(static_cast<short>(0x8081))),
                             7);
}

void RuleStep(uint32_t* dst, const uint32_t* from, const uint32_t* to, const uint8_t* rule,
              size_t n, uint32_t threshold) {
    const __m256i t = _mm256_set1_epi32(static_cast<int>(threshold));
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i below = _mm256_cmpgt_epi32(t, Bytes8(rule + i));
        Store(dst + i, _mm256_blendv_epi8(Load(to + i), Load(from + i), below));
    }
    sse2::RuleStep(dst + i, from + i, to + i, rule + i, n - i, threshold);
}

void RuleSoft(uint32_t* dst, const uint32_t* from, const uint32_t* to, const uint8_t* rule,
              size_t n, const uint8_t* level) {
    const __m256i zero = _mm256_setzero_si256(), w255 = _mm256_set1_epi16(255);
    const __m256i alpha = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i c = _mm256_setr_epi32(
            level[rule[i]], level[rule[i + 1]], level[rule[i + 2]], level[rule[i + 3]],
            level[rule[i + 4]], level[rule[i + 5]], level[rule[i + 6]], level[rule[i + 7]]);
        const __m256i c16 = _mm256_packs_epi32(c, c);
        const __m256i pairs = _mm256_unpacklo_epi16(c16, c16);
        const __m256i wlo = _mm256_unpacklo_epi32(pairs, pairs);
        const __m256i whi = _mm256_unpackhi_epi32(pairs, pairs);
        const __m256i f = Load(from + i), b = Load(to + i);
        const __m256i lo = Div255(_mm256_add_epi16(
            _mm256_mullo_epi16(_mm256_unpacklo_epi8(b, zero), wlo),
            _mm256_mullo_epi16(_mm256_unpacklo_epi8(f, zero), _mm256_sub_epi16(w255, wlo))));
        const __m256i hi = Div255(_mm256_add_epi16(
            _mm256_mullo_epi16(_mm256_unpackhi_epi8(b, zero), whi),
            _mm256_mullo_epi16(_mm256_unpackhi_epi8(f, zero), _mm256_sub_epi16(w255, whi))));
        const __m256i mixed = _mm256_or_si256(_mm256_packus_epi16(lo, hi), alpha);
        Store(dst + i, _mm256_blendv_epi8(mixed, f, _mm256_cmpeq_epi32(c, zero)));
    }
    sse2::RuleSoft(dst + i, from + i, to + i, rule + i, n - i, level);
}

void MaskSelect(uint32_t* dst, const uint32_t* a, const uint32_t* b, const uint8_t* mask,
                size_t n) {
    const __m256i zero = _mm256_setzero_si256();
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i clear = _mm256_cmpeq_epi32(Bytes8(mask + i), zero);
        Store(dst + i, _mm256_blendv_epi8(Load(b + i), Load(a + i), clear));
    }
    sse2::MaskSelect(dst + i, a + i, b + i, mask + i, n - i);
}

void FlashMix(uint32_t* dst, const uint32_t* flash, size_t n, uint32_t k) {
    const __m256i zero = _mm256_setzero_si256(), w255 = _mm256_set1_epi16(255);
    const __m256i level = _mm256_set1_epi32(static_cast<int>(k));
    const __m256i alpha = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i d = Load(dst + i), f = Load(flash + i);
        const __m256i a = _mm256_srli_epi32(_mm256_add_epi32(_mm256_srli_epi32(f, 24), level), 1);
        const __m256i pairs = _mm256_or_si256(a, _mm256_slli_epi32(a, 16));
        const __m256i wlo = _mm256_unpacklo_epi32(pairs, pairs);
        const __m256i whi = _mm256_unpackhi_epi32(pairs, pairs);
        const __m256i lo = Div255(_mm256_add_epi16(
            _mm256_mullo_epi16(_mm256_unpacklo_epi8(f, zero), wlo),
            _mm256_mullo_epi16(_mm256_unpacklo_epi8(d, zero), _mm256_sub_epi16(w255, wlo))));
        const __m256i hi = Div255(_mm256_add_epi16(
            _mm256_mullo_epi16(_mm256_unpackhi_epi8(f, zero), whi),
            _mm256_mullo_epi16(_mm256_unpackhi_epi8(d, zero), _mm256_sub_epi16(w255, whi))));
        Store(dst + i, _mm256_blendv_epi8(_mm256_packus_epi16(lo, hi), d, alpha));
    }
    sse2::FlashMix(dst + i, flash + i, n - i, k);
}

// Sixteen mask bytes at a time when their columns lie within 16 bytes of the first: one
// shuffle of the 16 row bytes there (a shape stretched wider than it is). Wider steps go byte
// by byte.
void MaskStretch(uint8_t* mask, const uint8_t* row, const int* columns, size_t n) {
    const __m128i fifteen = _mm_set1_epi32(15);
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const int first = columns[i];
        const __m128i base = _mm_set1_epi32(first);
        const auto at = [&](size_t j) {
            return _mm_sub_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(columns + j)),
                                 base);
        };
        const __m128i d0 = at(i), d1 = at(i + 4), d2 = at(i + 8), d3 = at(i + 12);
        // Offsets 0..15 as unsigned words: a negative one is too large as well.
        const __m128i top = _mm_max_epu32(_mm_max_epu32(d0, d1), _mm_max_epu32(d2, d3));
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_min_epu32(top, fifteen), top)) != 0xFFFF) {
            for (size_t j = i; j < i + 16; ++j)
                mask[j] = row[columns[j]];
            continue;
        }
        const __m128i control = _mm_packus_epi16(_mm_packs_epi32(d0, d1), _mm_packs_epi32(d2, d3));
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + first));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(mask + i), _mm_shuffle_epi8(bytes, control));
    }
    sse2::MaskStretch(mask + i, row, columns + i, n - i);
}

void FadeFlash(uint32_t* dst, const uint32_t* from, const uint32_t* to, const uint32_t* flash,
               size_t n, uint32_t fade, uint32_t k) {
    const __m256i zero = _mm256_setzero_si256(), w255 = _mm256_set1_epi16(255);
    const __m256i wTo = _mm256_set1_epi16(static_cast<short>(fade));
    const __m256i wFrom = _mm256_set1_epi16(static_cast<short>(255 - fade));
    const __m256i level = _mm256_set1_epi32(static_cast<int>(k));
    // Each pixel's flash weight a in its four 16-bit lanes, straight from its 32-bit lane.
    const __m256i spreadLo = _mm256_setr_epi8(0, 1, 0, 1, 0, 1, 0, 1, 4, 5, 4, 5, 4, 5, 4, 5, 0, 1,
                                              0, 1, 0, 1, 0, 1, 4, 5, 4, 5, 4, 5, 4, 5);
    const __m256i spreadHi =
        _mm256_setr_epi8(8, 9, 8, 9, 8, 9, 8, 9, 12, 13, 12, 13, 12, 13, 12, 13, 8, 9, 8, 9, 8, 9,
                         8, 9, 12, 13, 12, 13, 12, 13, 12, 13);
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i a = Load(from + i), b = Load(to + i), f = Load(flash + i);
        const __m256i dlo = _mm256_srli_epi16(
            _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(a, zero), wFrom),
                             _mm256_mullo_epi16(_mm256_unpacklo_epi8(b, zero), wTo)),
            8);
        const __m256i dhi = _mm256_srli_epi16(
            _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(a, zero), wFrom),
                             _mm256_mullo_epi16(_mm256_unpackhi_epi8(b, zero), wTo)),
            8);
        const __m256i w = _mm256_srli_epi32(_mm256_add_epi32(_mm256_srli_epi32(f, 24), level), 1);
        const __m256i wlo = _mm256_shuffle_epi8(w, spreadLo),
                      whi = _mm256_shuffle_epi8(w, spreadHi);
        __m256i lo = Div255(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(f, zero), wlo),
                                             _mm256_mullo_epi16(dlo, _mm256_sub_epi16(w255, wlo))));
        __m256i hi = Div255(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(f, zero), whi),
                                             _mm256_mullo_epi16(dhi, _mm256_sub_epi16(w255, whi))));
        // The alpha lanes (3 and 7 of each half) keep the fade's.
        lo = _mm256_blend_epi16(lo, dlo, 0x88);
        hi = _mm256_blend_epi16(hi, dhi, 0x88);
        Store(dst + i, _mm256_packus_epi16(lo, hi));
    }
    sse2::FadeFlash(dst + i, from + i, to + i, flash + i, n - i, fade, k);
}

constexpr TransitionKernels kKernels{
    .name = "avx2",
    .ruleStep = RuleStep,
    .ruleSoft = RuleSoft,
    .maskSelect = MaskSelect,
    .maskStretch = MaskStretch,
    .flashMix = FlashMix,
    .fadeFlash = FadeFlash,
};

} // namespace

const TransitionKernels* const avx2::kTransitionTable = &kKernels;

} // namespace qw

#else

namespace qw {
const TransitionKernels* const avx2::kTransitionTable = nullptr;
} // namespace qw

#endif
