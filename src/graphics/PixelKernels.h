#pragma once
// Span kernels: the hot per-pixel rules applied to runs of pixels. There is one table per
// instruction set — the scalar reference (PixelRules.h applied pixel by pixel), SSE2 (the x86-64
// baseline) and AVX2 — and every table gives the same bytes. The renderer uses the best table
// the processor offers, chosen once; tests and benchmarks may switch tables.
//
// This header holds declarations only (no inline code), so the AVX2 source, which is compiled
// for AVX2, shares nothing with the rest that could be emitted with AVX2 instructions.

#include <cstddef>
#include <cstdint>

namespace qw {

struct PixelKernels {
    const char* name;
    void (*fill)(uint32_t* dst, size_t n, uint32_t colour);
    // PixelRules.h's BltBlend, BltFast, Blend and Modulate over n pixels (dst and src may be the
    // same run; other overlaps are not supported).
    void (*bltBlend)(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour);
    void (*bltFast)(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour);
    void (*blend)(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour);
    void (*modulate)(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour);
    // PixelRules.h's AddBlend over n pixels.
    void (*addBlend)(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour);
    // The shaded quad blend: pixel i gets Blend with ShadeColour(colour, light_i), light_i =
    // (light + i × dlight) >> 16 (16.16, stepped in 64 bits as the span does).
    void (*shadeBlend)(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour, int64_t light,
                       int64_t dlight);
    // Fade255 / FadeShift8 of a and b with level k (0..255); FadeToColour is Fade255 of src and
    // one colour.
    void (*fade255)(uint32_t* dst, const uint32_t* a, const uint32_t* b, size_t n, uint32_t k);
    void (*fadeShift8)(uint32_t* dst, const uint32_t* a, const uint32_t* b, size_t n, uint32_t k);
    void (*fadeToColour)(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour, uint32_t k);
    // n nearest samples of `src` (width × height) along a line: out[i] = the pixel at column
    // (u + i × du) >> 16, row (v + i × dv) >> 16 (16.16, stepped in 32 bits). Callers keep every
    // position inside.
    void (*nearestRow)(uint32_t* out, const uint32_t* src, int width, int height, int32_t u,
                       int32_t du, int32_t v, int32_t dv, size_t n);
    // The same line sampled bilinearly: output i samples at u + i × du, v + i × dv (16.16).
    // Bilinear where the 2 × 2 block lies inside the surface, the pixel as it is at the last
    // column and row. Callers keep every position inside.
    void (*bilinearRow)(uint32_t* out, const uint32_t* src, int width, int height, int32_t u,
                        int32_t du, int32_t v, int32_t dv, size_t n);
    // The same filter in two passes, for spans that stay on one source row (BilinearSpanSampler).
    // Across: out[i] holds, per channel in 16-bit fields (blue lowest), p(x) × (255 − fx) +
    // p(x + 1) × fx of `row` at x = (u + i × du) >> 16, fx = bits 8–15; callers keep x + 1 inside.
    // Down: out[i] = (top[i] × (255 − fy) + bottom[i] × fy) >> 16 per channel, fy = bits 8–15
    // of v + i × dv (a span may creep down within its row pair).
    void (*bilinearAcross)(uint64_t* out, const uint32_t* row, int32_t u, int32_t du, size_t n);
    void (*bilinearDown)(uint32_t* out, const uint64_t* top, const uint64_t* bottom, int32_t v,
                         int32_t dv, size_t n);
    // One row of the fire's heat step: out[i] = avg < 8 ? 0 : avg − 7 with
    // avg = (below[i] + row[i − 1] + row[i + 1] + row[i]) / 4. row[−1] and row[n] must exist;
    // heats are never negative. out may not overlap row or below.
    void (*fireRow)(int32_t* out, const int32_t* row, const int32_t* below, size_t n);
    // The masked blend span of the water and raster blits: each pixel whose source alpha is not 0
    // and whose mask byte is 0 gets PixelRules.h's Blend with `colour` and its mask byte set to 1,
    // so a destination pixel is blended at most once however many spans cross it.
    void (*maskedBlend)(uint32_t* dst, uint8_t* mask, const uint32_t* src, size_t n,
                        uint32_t colour);
};

enum class SimdLevel { Scalar, Sse2, Avx2 };

const PixelKernels& ScalarPixelKernels();
// Null when the build or the processor lacks the instruction set.
const PixelKernels* Sse2PixelKernels();
const PixelKernels* Avx2PixelKernels();

// The table the renderer uses.
const PixelKernels& ActivePixelKernels();
SimdLevel GetSimdLevel();
// Switches the renderer's table (tests, benchmarks). False, changing nothing, when unavailable.
bool SetSimdLevel(SimdLevel level);

} // namespace qw
