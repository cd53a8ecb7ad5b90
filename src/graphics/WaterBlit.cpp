#include "graphics/WaterBlit.h"

#include <algorithm>

#include "graphics/PixelKernels.h"
#include "graphics/QuadEdgeScan.h"
#include "graphics/StepDivide.h"

namespace qw {

void BlendMask::Clear(const CDIBImage& dst) {
    const size_t n = dst.GetByteSize() / 4;
    if (bytes_.size() < n) bytes_.resize(n);
    std::fill(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(n), 0);
    width_ = static_cast<size_t>(dst.GetWidth());
    height_ = dst.GetHeight();
}

namespace {

bool IsUnscaled(const VertexQuad& q) {
    const QuadCorner* c = q.corner;
    const QuadSource* s = q.source;
    return c[0].x == c[3].x && c[0].x < c[1].x && c[1].x == c[2].x && c[0].y == c[1].y &&
           c[0].y < c[2].y && c[2].y == c[3].y && s[0].s == s[3].s && s[1].s == s[2].s &&
           s[0].t == s[1].t && s[2].t == s[3].t && c[1].x - c[0].x == s[1].s - s[0].s &&
           c[3].y - c[0].y == s[3].t - s[0].t;
}

// n nearest samples from u, v stepping by du, dv (16.16). The scan keeps the span's ends
// inside the source, but the last step of a span may reach one past them: positions are held
// to the surface, checked once at both ends since they move in a line.
void Sample(uint32_t* out, const uint32_t* pixels, int64_t width, int64_t height, int64_t u,
            int64_t du, int64_t v, int64_t dv, size_t n, const PixelKernels& k) {
    const int64_t steps = static_cast<int64_t>(n) - 1;
    const int64_t uEnd = u + du * steps, vEnd = v + dv * steps;
    const auto inside = [](int64_t p, int64_t size) { return p >= 0 && (p >> 16) < size; };
    const size_t pitch = static_cast<size_t>(width);
    if (inside(u, width) && inside(uEnd, width) && inside(v, height) && inside(vEnd, height) &&
        width < 32768 && height < 32768) {
        // Every position (and so every step) fits the kernel's 32-bit 16.16.
        k.nearestRow(out, pixels, static_cast<int>(width), static_cast<int>(height),
                     static_cast<int32_t>(u), static_cast<int32_t>(du), static_cast<int32_t>(v),
                     static_cast<int32_t>(dv), n);
        return;
    }
    for (size_t i = 0; i < n; ++i, u += du, v += dv) {
        const auto sx = static_cast<size_t>(std::clamp<int64_t>(u >> 16, 0, width - 1));
        const auto sy = static_cast<size_t>(std::clamp<int64_t>(v >> 16, 0, height - 1));
        out[i] = pixels[sy * pitch + sx];
    }
}

} // namespace

void BltMaskedQuad(const CDIBImage& src, CDIBImage& dst, const VertexQuad& q, uint8_t* mask,
                   MaskedSpanEnd spanEnd) {
    if (!src.IsCreated() || !dst.IsCreated() || !mask) return;
    const RegionRect clip = dst.GetClipRect();
    const int left = std::max(clip.left, 0), right = std::min(clip.right, dst.GetWidth() - 1);
    const int top = std::max(clip.top, 0), bottom = std::min(clip.bottom, dst.GetHeight() - 1);
    QuadEdgeScan scan;
    if (left > right || top > bottom || !scan.Scan(q, top, bottom, src.GetWidth(), src.GetHeight()))
        return;
    const PixelKernels& k = ActivePixelKernels();
    thread_local std::vector<uint32_t> samples;
    const int shorten = spanEnd == MaskedSpanEnd::BeforeMaxX ? 1 : 0;
    const size_t maskPitch = static_cast<size_t>(dst.GetWidth());
    for (int y = scan.FirstRow(); y <= scan.LastRow(); ++y) {
        const ScanEdgeRow& r = scan.Row(y);
        if (r.minX > r.maxX) continue;
        // The blends' step: (extent + 1) / length, in 16.16.
        const int64_t len = int64_t{r.maxX} - r.minX + 1;
        const int64_t du = StepDivide(int64_t{r.uMax - r.uMin + 1} << 16, len);
        const int64_t dv = StepDivide(int64_t{r.vMax - r.vMin + 1} << 16, len);
        int64_t u = int64_t{r.uMin} << 16, v = int64_t{r.vMin} << 16;
        int start = r.minX;
        if (start < left) {
            u += du * (left - start), v += dv * (left - start);
            start = left;
        }
        const int end = std::min<int>(right, r.maxX - shorten);
        if (start > end) continue;
        const size_t n = static_cast<size_t>(end - start + 1);
        if (samples.size() < n) samples.resize(n);
        Sample(samples.data(), src.GetPixels(), src.GetWidth(), src.GetHeight(), u, du, v, dv, n,
               k);
        k.maskedBlend(dst.Row(y) + start, mask + static_cast<size_t>(y) * maskPitch + start,
                      samples.data(), n, q.colour);
    }
}

void BltWater(const CDIBImage& src, CDIBImage* dst, const VertexQuad& q, BlendMask& mask) {
    if (!dst || !src.IsCreated() || !dst->IsCreated()) return;
    if (mask.GetWidth() != dst->GetWidth() || mask.GetHeight() != dst->GetHeight()) return;
    if (IsUnscaled(q)) {
        const_cast<CDIBImage&>(src).BltBlend(dst, q);
        return;
    }
    BltMaskedQuad(src, *dst, q, mask.Row(0), MaskedSpanEnd::BeforeMaxX);
}

} // namespace qw
