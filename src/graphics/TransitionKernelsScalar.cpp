// The transition kernels written plainly: the reference the fast tables are tested against.

#include "graphics/TransitionKernels.h"

#include "graphics/PixelRules.h"

namespace qw {

namespace scalar {

void RuleStep(uint32_t* dst, const uint32_t* from, const uint32_t* to, const uint8_t* rule,
              size_t n, uint32_t threshold) {
    for (size_t i = 0; i < n; ++i)
        dst[i] = rule[i] < threshold ? from[i] : to[i];
}

void RuleSoft(uint32_t* dst, const uint32_t* from, const uint32_t* to, const uint8_t* rule,
              size_t n, const uint8_t* level) {
    for (size_t i = 0; i < n; ++i) {
        const uint32_t c = level[rule[i]];
        if (c == 0) {
            dst[i] = from[i];
            continue;
        }
        dst[i] = 0xFF000000u | (pixel::Fade255(from[i], to[i], c) & 0x00FFFFFFu);
    }
}

void MaskSelect(uint32_t* dst, const uint32_t* a, const uint32_t* b, const uint8_t* mask,
                size_t n) {
    for (size_t i = 0; i < n; ++i)
        dst[i] = mask[i] != 0 ? b[i] : a[i];
}

void FlashMix(uint32_t* dst, const uint32_t* flash, size_t n, uint32_t k) {
    for (size_t i = 0; i < n; ++i) {
        const uint32_t a = (pixel::Ch(flash[i], 24) + k) >> 1;
        dst[i] = (dst[i] & 0xFF000000u) | (pixel::Fade255(dst[i], flash[i], a) & 0x00FFFFFFu);
    }
}

void MaskStretch(uint8_t* mask, const uint8_t* row, const int* columns, size_t n) {
    for (size_t i = 0; i < n; ++i)
        mask[i] = row[columns[i]];
}

void FadeFlash(uint32_t* dst, const uint32_t* from, const uint32_t* to, const uint32_t* flash,
               size_t n, uint32_t fade, uint32_t k) {
    for (size_t i = 0; i < n; ++i)
        dst[i] = pixel::FadeShift8(from[i], to[i], fade);
    FlashMix(dst, flash, n, k);
}

} // namespace scalar

const TransitionKernels& ScalarTransitionKernels() {
    static const TransitionKernels table{
        .name = "scalar",
        .ruleStep = scalar::RuleStep,
        .ruleSoft = scalar::RuleSoft,
        .maskSelect = scalar::MaskSelect,
        .maskStretch = scalar::MaskStretch,
        .flashMix = scalar::FlashMix,
        .fadeFlash = scalar::FadeFlash,
    };
    return table;
}

const TransitionKernels* Avx2TransitionKernels() {
    return Avx2PixelKernels() ? avx2::kTransitionTable : nullptr;
}

const TransitionKernels& ActiveTransitionKernels() {
    const TransitionKernels* table = nullptr;
    switch (GetSimdLevel()) {
    case SimdLevel::Avx2:
        table = Avx2TransitionKernels();
        break;
    case SimdLevel::Sse2:
        table = Sse2TransitionKernels();
        break;
    case SimdLevel::Scalar:
        break;
    }
    return table ? *table : ScalarTransitionKernels();
}

} // namespace qw
