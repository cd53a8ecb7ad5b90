#include "graphics/WaterBlit.h"

#include <algorithm>

#include "graphics/PixelKernels.h"
#include "graphics/QuadEdgeScan.h"

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

} // namespace

// Called per mesh quad, so it leaves the execution trace alone.
void BltWater(const CDIBImage& src, CDIBImage* dst, const VertexQuad& q, BlendMask& mask) {
    if (!dst || !src.IsCreated() || !dst->IsCreated()) return;
    if (mask.GetWidth() != dst->GetWidth() || mask.GetHeight() != dst->GetHeight()) return;
    if (IsUnscaled(q)) {
        const_cast<CDIBImage&>(src).BltBlend(dst, q);
        return;
    }
    const RegionRect clip = dst->GetClipRect();
    const int left = std::max(clip.left, 0), right = std::min(clip.right, dst->GetWidth() - 1);
    const int top = std::max(clip.top, 0), bottom = std::min(clip.bottom, dst->GetHeight() - 1);
    QuadEdgeScan scan;
    if (left > right || !scan.Scan(q, top, bottom, src.GetWidth(), src.GetHeight())) return;
    const PixelKernels& k = ActivePixelKernels();
    thread_local std::vector<uint32_t> samples;
    const uint32_t* pixels = src.GetPixels();
    const size_t pitch = static_cast<size_t>(src.GetWidth());
    for (int y = scan.FirstRow(); y <= scan.LastRow(); ++y) {
        const ScanEdgeRow& r = scan.Row(y);
        if (r.minX > r.maxX) continue;
        const int64_t len = int64_t{r.maxX} - r.minX + 1;
        const int64_t du = (int64_t{r.uMax - r.uMin + 1} << 16) / len;
        const int64_t dv = (int64_t{r.vMax - r.vMin + 1} << 16) / len;
        int64_t u = int64_t{r.uMin} << 16, v = int64_t{r.vMin} << 16;
        int start = r.minX;
        if (start < left) {
            u += du * (left - start), v += dv * (left - start);
            start = left;
        }
        const int end = std::min<int>(right, r.maxX - 1);
        if (start > end) continue;
        const size_t n = static_cast<size_t>(end - start + 1);
        if (samples.size() < n) samples.resize(n);
        for (size_t i = 0; i < n; ++i, u += du, v += dv) {
            // The scan keeps sources inside; the last step of a span may reach one past them.
            const auto sx =
                static_cast<size_t>(std::clamp<int64_t>(u >> 16, 0, int64_t(pitch) - 1));
            const auto sy =
                static_cast<size_t>(std::clamp<int64_t>(v >> 16, 0, src.GetHeight() - 1));
            samples[i] = pixels[sy * pitch + sx];
        }
        k.maskedBlend(dst->Row(y) + start, mask.Row(y) + start, samples.data(), n, q.colour);
    }
}

} // namespace qw
