// The scalar span kernels: the reference for the fast ones and the path on other processors.

#include "graphics/PixelKernelsScalar.h"
#include "graphics/PixelKernels.h"
#include "graphics/PixelRules.h"

namespace qw {

namespace scalar {

void Fill(uint32_t* dst, size_t n, uint32_t colour) {
    for (size_t i = 0; i < n; ++i)
        dst[i] = colour;
}

void BltBlend(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour) {
    if (colour == 0) return;
    for (size_t i = 0; i < n; ++i)
        dst[i] = pixel::BltBlend(dst[i], src[i], colour);
}

void BltFast(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour) {
    for (size_t i = 0; i < n; ++i)
        dst[i] = pixel::BltFast(dst[i], src[i], colour);
}

void Blend(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour) {
    for (size_t i = 0; i < n; ++i)
        dst[i] = pixel::Blend(dst[i], src[i], colour);
}

void Modulate(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour) {
    for (size_t i = 0; i < n; ++i)
        dst[i] = pixel::Modulate(src[i], colour);
}

void AddBlend(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour) {
    for (size_t i = 0; i < n; ++i)
        dst[i] = pixel::AddBlend(dst[i], src[i], colour);
}

void ShadeBlend(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour, int64_t light,
                int64_t dlight) {
    for (size_t i = 0; i < n; ++i, light += dlight)
        dst[i] = pixel::Blend(dst[i], src[i],
                              pixel::ShadeColour(colour, static_cast<uint32_t>(light >> 16)));
}

void Fade255(uint32_t* dst, const uint32_t* a, const uint32_t* b, size_t n, uint32_t k) {
    for (size_t i = 0; i < n; ++i)
        dst[i] = pixel::Fade255(a[i], b[i], k);
}

void FadeShift8(uint32_t* dst, const uint32_t* a, const uint32_t* b, size_t n, uint32_t k) {
    for (size_t i = 0; i < n; ++i)
        dst[i] = pixel::FadeShift8(a[i], b[i], k);
}

void FadeToColour(uint32_t* dst, const uint32_t* src, size_t n, uint32_t colour, uint32_t k) {
    for (size_t i = 0; i < n; ++i)
        dst[i] = pixel::Fade255(src[i], colour, k);
}

uint32_t BilinearAt(const uint32_t* src, int width, int height, int32_t u, int32_t v) {
    const int x = u >> 16, y = v >> 16;
    const uint32_t* p = src + static_cast<size_t>(y) * static_cast<size_t>(width) + x;
    if (x >= width - 1 || y >= height - 1) return *p;
    return pixel::Bilinear(p[0], p[1], p[width], p[width + 1], (u >> 8) & 0xFF, (v >> 8) & 0xFF);
}

void NearestRow(uint32_t* out, const uint32_t* src, int width, int /*height*/, int32_t u,
                int32_t du, int32_t v, int32_t dv, size_t n) {
    const size_t pitch = static_cast<size_t>(width);
    if (dv == 0) { // one source row
        const uint32_t* row = src + static_cast<size_t>(v >> 16) * pitch;
        for (size_t i = 0; i < n; ++i, u += du)
            out[i] = row[u >> 16];
        return;
    }
    for (size_t i = 0; i < n; ++i, u += du, v += dv)
        out[i] = src[static_cast<size_t>(v >> 16) * pitch + static_cast<size_t>(u >> 16)];
}

void BilinearRow(uint32_t* out, const uint32_t* src, int width, int height, int32_t u, int32_t du,
                 int32_t v, int32_t dv, size_t n) {
    for (size_t i = 0; i < n; ++i, u += du, v += dv)
        out[i] = BilinearAt(src, width, height, u, v);
}

void BilinearAcross(uint64_t* out, const uint32_t* row, int32_t u, int32_t du, size_t n) {
    for (size_t i = 0; i < n; ++i, u += du) {
        const uint32_t* p = row + (u >> 16);
        const uint64_t fx = static_cast<uint64_t>((u >> 8) & 0xFF);
        uint64_t h = 0;
        for (int c = 0; c < 4; ++c)
            h |= (((p[0] >> (8 * c)) & 0xFF) * (255 - fx) + ((p[1] >> (8 * c)) & 0xFF) * fx)
                 << (16 * c);
        out[i] = h;
    }
}

void BilinearDown(uint32_t* out, const uint64_t* top, const uint64_t* bottom, int32_t v, int32_t dv,
                  size_t n) {
    for (size_t i = 0; i < n; ++i, v += dv) {
        const uint64_t fy = static_cast<uint64_t>((v >> 8) & 0xFF);
        uint32_t p = 0;
        for (int c = 0; c < 4; ++c) {
            const uint64_t t = (top[i] >> (16 * c)) & 0xFFFF, b = (bottom[i] >> (16 * c)) & 0xFFFF;
            p |= static_cast<uint32_t>((t * (255 - fy) + b * fy) >> 16) << (8 * c);
        }
        out[i] = p;
    }
}

void MaskedBlend(uint32_t* dst, uint8_t* mask, const uint32_t* src, size_t n, uint32_t colour) {
    for (size_t i = 0; i < n; ++i) {
        if (mask[i] != 0 || pixel::Ch(src[i], 24) == 0) continue;
        dst[i] = pixel::Blend(dst[i], src[i], colour);
        mask[i] = 1;
    }
}

void FireRow(int32_t* out, const int32_t* row, const int32_t* below, size_t n) {
    // The left neighbour through its own pointer: row[i − 1] with an unsigned i wraps at 0.
    const int32_t* left = row - 1;
    for (size_t i = 0; i < n; ++i) {
        const int32_t avg = (below[i] + left[i] + row[i + 1] + row[i]) / 4;
        out[i] = avg < 8 ? 0 : avg - 7;
    }
}

} // namespace scalar

const PixelKernels& ScalarPixelKernels() {
    static const PixelKernels kernels{
        .name = "scalar",
        .fill = scalar::Fill,
        .bltBlend = scalar::BltBlend,
        .bltFast = scalar::BltFast,
        .blend = scalar::Blend,
        .modulate = scalar::Modulate,
        .addBlend = scalar::AddBlend,
        .shadeBlend = scalar::ShadeBlend,
        .fade255 = scalar::Fade255,
        .fadeShift8 = scalar::FadeShift8,
        .fadeToColour = scalar::FadeToColour,
        .nearestRow = scalar::NearestRow,
        .bilinearRow = scalar::BilinearRow,
        .bilinearAcross = scalar::BilinearAcross,
        .bilinearDown = scalar::BilinearDown,
        .fireRow = scalar::FireRow,
        .maskedBlend = scalar::MaskedBlend,
    };
    return kernels;
}

} // namespace qw
