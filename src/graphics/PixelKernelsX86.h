#pragma once
// The x86-64 span kernels: the SSE2 ones by name (the AVX2 kernels hand them their tails) and the
// AVX2 table. Declarations only.

#include <cstddef>
#include <cstdint>

#include "graphics/PixelKernels.h"

namespace qw::sse2 {

void Fill(uint32_t* dst, size_t n, uint32_t colour);
void BltBlend(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour);
void BltFast(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour);
void Blend(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour);
void Modulate(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour);
void AddBlend(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour);
void ShadeBlend(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour, int64_t light,
                int64_t dlight);
void Fade255(uint32_t* dst, const uint32_t* a, const uint32_t* b, size_t n, uint32_t k);
void FadeShift8(uint32_t* dst, const uint32_t* a, const uint32_t* b, size_t n, uint32_t k);
void FadeToColour(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour, uint32_t k);
void NearestRow(uint32_t* out, const uint32_t* src, int width, int height, int32_t u, int32_t du,
                int32_t v, int32_t dv, size_t n);
void BilinearRow(uint32_t* out, const uint32_t* src, int width, int height, int32_t u, int32_t du,
                 int32_t v, int32_t dv, size_t n);
void BilinearAcross(uint64_t* out, const uint32_t* row, int32_t u, int32_t du, size_t n);
void BilinearDown(uint32_t* out, const uint64_t* top, const uint64_t* bottom, int32_t v, int32_t dv,
                  size_t n);

void MaskedBlend(uint32_t* dst, uint8_t* mask, const uint32_t* src, size_t n, uint32_t colour);
void FireRow(int32_t* out, const int32_t* row, const int32_t* below, size_t n);

} // namespace qw::sse2

namespace qw::avx2 {

// The AVX2 table, or null when the build has no AVX2 code. A constant: reading it runs no AVX2
// instruction, so it is safe before the processor check.
extern const PixelKernels* const kTable;

} // namespace qw::avx2
