#pragma once
// Span kernels of the transitions that pick or mix two pictures per pixel by a byte plane (a
// rule picture's thresholds, a wipe shape's mask). One table per instruction set, all giving
// the same bytes as the scalar reference; the table follows the renderer's choice
// (PixelKernels.h: SetSimdLevel), read once per drawing call, never per pixel.
//
// Declarations only: the AVX2 source is compiled for AVX2 and must share no inline code.

#include <cstddef>
#include <cstdint>

#include "graphics/PixelKernels.h"

namespace qw {

struct TransitionKernels {
    const char* name;
    // dst[i] = rule[i] < threshold ? from[i] : to[i].
    void (*ruleStep)(uint32_t* dst, const uint32_t* from, const uint32_t* to, const uint8_t* rule,
                     size_t n, uint32_t threshold);
    // c = level[rule[i]]: 0 gives from[i]; otherwise R, G, B each (to × c + from × (255 − c)) / 255
    // (rounding down) with alpha 255.
    void (*ruleSoft)(uint32_t* dst, const uint32_t* from, const uint32_t* to, const uint8_t* rule,
                     size_t n, const uint8_t* level);
    // dst[i] = mask[i] != 0 ? b[i] : a[i].
    void (*maskSelect)(uint32_t* dst, const uint32_t* a, const uint32_t* b, const uint8_t* mask,
                       size_t n);
    // A wipe's mask row stretched from a row of shape bytes: mask[i] = row[columns[i]], each
    // column ≥ 0. The row must be readable 15 bytes past every column it is given.
    void (*maskStretch)(uint8_t* mask, const uint8_t* row, const int* columns, size_t n);
    // The flare's flash mixed into dst: with a = (flash[i].A + k) >> 1 (k in 0..255), R, G, B
    // each (dst × (255 − a) + flash × a) / 255 (rounding down); dst keeps its alpha.
    void (*flashMix)(uint32_t* dst, const uint32_t* flash, size_t n, uint32_t k);
    // FadeShift8 of from and to at `fade` (0..255), then the flash mixed in at k: flashMix
    // over the fade in one pass.
    void (*fadeFlash)(uint32_t* dst, const uint32_t* from, const uint32_t* to,
                      const uint32_t* flash, size_t n, uint32_t fade, uint32_t k);
};

const TransitionKernels& ScalarTransitionKernels();
// Null when the build or the processor lacks the instruction set.
const TransitionKernels* Sse2TransitionKernels();
const TransitionKernels* Avx2TransitionKernels();
// The table for the renderer's current level.
const TransitionKernels& ActiveTransitionKernels();

namespace scalar {
void RuleStep(uint32_t* dst, const uint32_t* from, const uint32_t* to, const uint8_t* rule,
              size_t n, uint32_t threshold);
void RuleSoft(uint32_t* dst, const uint32_t* from, const uint32_t* to, const uint8_t* rule,
              size_t n, const uint8_t* level);
void MaskSelect(uint32_t* dst, const uint32_t* a, const uint32_t* b, const uint8_t* mask, size_t n);
void FlashMix(uint32_t* dst, const uint32_t* flash, size_t n, uint32_t k);
void MaskStretch(uint8_t* mask, const uint8_t* row, const int* columns, size_t n);
void FadeFlash(uint32_t* dst, const uint32_t* from, const uint32_t* to, const uint32_t* flash,
               size_t n, uint32_t fade, uint32_t k);
} // namespace scalar

namespace sse2 {
void RuleStep(uint32_t* dst, const uint32_t* from, const uint32_t* to, const uint8_t* rule,
              size_t n, uint32_t threshold);
void RuleSoft(uint32_t* dst, const uint32_t* from, const uint32_t* to, const uint8_t* rule,
              size_t n, const uint8_t* level);
void MaskSelect(uint32_t* dst, const uint32_t* a, const uint32_t* b, const uint8_t* mask, size_t n);
void FlashMix(uint32_t* dst, const uint32_t* flash, size_t n, uint32_t k);
void MaskStretch(uint8_t* mask, const uint8_t* row, const int* columns, size_t n);
void FadeFlash(uint32_t* dst, const uint32_t* from, const uint32_t* to, const uint32_t* flash,
               size_t n, uint32_t fade, uint32_t k);
} // namespace sse2

namespace avx2 {
// The AVX2 table, or null when the build has no AVX2 code.
extern const TransitionKernels* const kTransitionTable;
} // namespace avx2

} // namespace qw
