#pragma once
// The scalar span kernels by name, for the fast kernels' tails and the renderer's own loops.

#include <cstddef>
#include <cstdint>

namespace qw::scalar {

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
// One bilinear sample at the 16.16 position (u, v); the pixel itself at the last column or row.
uint32_t BilinearAt(const uint32_t* src, int width, int height, int32_t u, int32_t v);
void NearestRow(uint32_t* out, const uint32_t* src, int width, int height, int32_t u, int32_t du,
                int32_t v, int32_t dv, size_t n);
void BilinearRow(uint32_t* out, const uint32_t* src, int width, int height, int32_t u, int32_t du,
                 int32_t v, int32_t dv, size_t n);
void BilinearAcross(uint64_t* out, const uint32_t* row, int32_t u, int32_t du, size_t n);
void BilinearDown(uint32_t* out, const uint64_t* top, const uint64_t* bottom, int32_t v, int32_t dv,
                  size_t n);

void MaskedBlend(uint32_t* dst, uint8_t* mask, const uint32_t* src, size_t n, uint32_t colour);
void FireRow(int32_t* out, const int32_t* row, const int32_t* below, size_t n);

} // namespace qw::scalar
