// CDIBImage: the quad blits. A quad maps the source (this surface) onto any four-cornered
// destination polygon; the edge scan (QuadEdgeScan) gives each destination row a span with its
// source positions at both ends, and the span is stepped across in 16.16 fixed point.

#include <algorithm>
#include <atomic>
#include <type_traits>
#include <typeinfo>
#include <vector>

#include "common/ExecLog.h"
#include "graphics/BilinearSpanSampler.h"
#include "graphics/CDIBImage.h"
#include "graphics/CDIBSprite.h"
#include "graphics/PixelKernels.h"
#include "graphics/PixelKernelsScalar.h"
#include "graphics/PixelRules.h"
#include "graphics/QuadEdgeScan.h"
#include "graphics/SmallQuadScan.h"
#include "graphics/StepDivide.h"

namespace qw {

namespace {

// An axis-aligned rectangle of exactly the source's size: drawn by the unscaled blits.
bool IsUnscaledRect(const VertexQuad& q) {
    const QuadCorner* c = q.corner;
    const QuadSource* s = q.source;
    return c[0].x == c[3].x && c[0].x < c[1].x && c[1].x == c[2].x && c[0].y == c[1].y &&
           c[0].y < c[2].y && c[2].y == c[3].y && s[0].s == s[3].s && s[1].s == s[2].s &&
           s[0].t == s[1].t && s[2].t == s[3].t && c[1].x - c[0].x == s[1].s - s[0].s &&
           c[2].x - c[3].x == s[2].s - s[3].s && c[3].y - c[0].y == s[3].t - s[0].t &&
           c[2].y - c[1].y == s[2].t - s[1].t;
}

// All four corners left of, right of, above or below the destination.
bool AllOutside(const VertexQuad& q, int width, int height) {
    bool left = true, right = true, up = true, down = true;
    for (const QuadCorner& c : q.corner) {
        left = left && c.x < 0;
        right = right && c.x > width;
        up = up && c.y < 0;
        down = down && c.y > height;
    }
    return left || right || up || down;
}

uint32_t* Scratch(size_t n) {
    thread_local std::vector<uint32_t> buffer;
    if (buffer.size() < n) buffer.resize(n);
    return buffer.data();
}

// The additive pixel is a virtual operation, so a surface class may give its own; the span
// kernel stands in for it only where the class keeps the base's (the sprite does).
bool UsesBaseAddBlend(const CDIBImage& src) {
    static_assert(
        std::is_same_v<decltype(&CDIBSprite::AddBlendPixel), decltype(&CDIBImage::AddBlendPixel)>,
        "the sprite gives its own additive pixel: drop it from the list below");
    const std::type_info& type = typeid(src);
    return type == typeid(CDIBImage) || type == typeid(CDIBSprite);
}

std::atomic<bool> smallQuadPath{true};

// The copy of a small quad, nearest: the generic loop's spans, sampled in place (the kernels'
// nearest rows give these same pixels; short spans are not worth their call).
void CopySmallQuad(const uint32_t* src, int width, int height, CDIBImage& dst, int left, int top,
                   int right, int bottom, const VertexQuad& q) {
    SmallQuadScan scan;
    if (!scan.Scan(q, top, bottom, width, height)) return;
    const auto pitch = static_cast<size_t>(width);
    const PixelKernels& k = ActivePixelKernels();
    for (int y = scan.FirstRow(); y <= scan.LastRow(); ++y) {
        const SmallQuadScan::Span s = scan.SpanAt(y, left, right, 1);
        if (s.n == 0) continue;
        uint32_t* d = dst.Row(y) + s.start;
        const auto n = static_cast<size_t>(s.n);
        if (n >= 16) {
            k.nearestRow(d, src, width, height, s.u, s.du, s.v, s.dv, n);
            continue;
        }
        int32_t u = s.u, v = s.v;
        for (size_t i = 0; i < n; ++i, u += s.du, v += s.dv)
            d[i] = src[static_cast<size_t>(v >> 16) * pitch + static_cast<size_t>(u >> 16)];
    }
}

} // namespace

void SetSmallQuadPath(bool on) {
    smallQuadPath.store(on, std::memory_order_relaxed);
}

bool SmallQuadPathOn() {
    return smallQuadPath.load(std::memory_order_relaxed);
}

bool CDIBImage::QuadShortcut(QuadOp op, CDIBImage* dst, const VertexQuad& q) {
    if (!IsUnscaledRect(q)) return false;
    const int x = q.corner[0].x, y = q.corner[0].y, sx = q.source[0].s, sy = q.source[0].t;
    const int w = q.corner[1].x - q.corner[0].x + 1, h = q.corner[3].y - q.corner[0].y + 1;
    switch (op) {
    case QuadOp::Copy:
        Copy(dst, x, y, sx, sy, w, h);
        return true;
    case QuadOp::Blend:
        BltBlend(dst, x, y, sx, sy, w, h, q.colour);
        return true;
    case QuadOp::Shadow:
        BltBlend(dst, x, y, sx, sy, w, h,
                 pixel::ShadeColour(q.colour, 255 - std::clamp<int>(q.corner[0].shade, 0, 255)));
        return true;
    case QuadOp::Fast:
        BltFast(dst, x, y, sx, sy, w, h, q.colour);
        return true;
    default:
        return false; // the Add, Xor, One and Gray blits have no shortcut
    }
}

void CDIBImage::QuadBlit(QuadOp op, CDIBImage* dst, const VertexQuad& q, bool smooth) {
    if (!dst || !IsCreated() || !dst->IsCreated()) return;
    if (QuadShortcut(op, dst, q)) return;
    const bool nearestStep = op == QuadOp::Fast || op == QuadOp::Add || op == QuadOp::Xor ||
                             op == QuadOp::One || op == QuadOp::Gray;
    if (nearestStep && AllOutside(q, dst->width_, dst->height_)) return;
    if (op == QuadOp::Shadow) {
        bool unshaded = true;
        for (const QuadCorner& c : q.corner)
            unshaded = unshaded && std::clamp<int>(c.shade, 0, 255) == 0;
        if (unshaded) op = QuadOp::Blend;
    }
    if (op != QuadOp::Copy && op != QuadOp::Blend && op != QuadOp::Shadow && op != QuadOp::Fast)
        smooth = false;

    const Window win = dst->ClipWindow();
    if (win.left > win.right) return;
    // A copy within one surface keeps the generic loop: its fast kernels read before they write.
    if (op == QuadOp::Copy && !smooth && dst != this && SmallQuadPathOn() &&
        SmallQuadScan::Fits(q, width_, height_)) {
        CopySmallQuad(pixels_.data(), width_, height_, *dst, win.left, win.top, win.right,
                      win.bottom, q);
        return;
    }
    QuadEdgeScan scan;
    if (!scan.Scan(q, win.top, win.bottom, width_, height_)) return;

    const PixelKernels& k = ActivePixelKernels();
    BilinearSpanSampler bilinear(pixels_.data(), width_, height_, k);
    // Copy and the blends step the source by (extent + 1) / length, the others by extent / length.
    const int plus = nearestStep ? 0 : 1;
    const uint32_t c = q.colour;
    const bool plainAdd = op == QuadOp::Add && UsesBaseAddBlend(*this);
    const uint32_t* src = pixels_.data();
    for (int y = scan.FirstRow(); y <= scan.LastRow(); ++y) {
        const ScanEdgeRow& r = scan.Row(y);
        if (!(r.minX < dst->width_ || r.maxX >= 0)) continue;
        const int64_t len = int64_t{r.maxX} - r.minX + 1;
        const int64_t du = StepDivide(int64_t{r.uMax - r.uMin + plus} << 16, len);
        const int64_t dv = StepDivide(int64_t{r.vMax - r.vMin + plus} << 16, len);
        // Only the shaded blend steps the light.
        const int64_t dl =
            op == QuadOp::Shadow ? StepDivide(int64_t{r.lightMax - r.lightMin} << 16, len) : 0;
        int64_t u = int64_t{r.uMin} << 16, v = int64_t{r.vMin} << 16;
        int64_t l = int64_t{r.lightMin} << 16;
        int start = r.minX;
        if (start < win.left) {
            // FixMul16(step, skipped << 16), that is step × skipped.
            const int64_t skipped = win.left - start;
            u += du * skipped, v += dv * skipped, l += dl * skipped;
            start = win.left;
        }
        const int end = std::min<int>(win.right, r.maxX);
        if (start > end) continue;
        const size_t n = static_cast<size_t>(end - start + 1);
        uint32_t* d = dst->Row(y) + start;
        const auto u32 = static_cast<int32_t>(u), v32 = static_cast<int32_t>(v);
        const auto du32 = static_cast<int32_t>(du), dv32 = static_cast<int32_t>(dv);

        // The samples of the span: straight into the destination for Copy, else into a buffer.
        const auto sample = [&](uint32_t* out) {
            if (smooth) {
                bilinear.Sample(out, u32, du32, v32, dv32, n);
                return;
            }
            k.nearestRow(out, src, width_, height_, u32, du32, v32, dv32, n);
        };
        switch (op) {
        case QuadOp::Copy:
            sample(d);
            break;
        case QuadOp::Blend: {
            uint32_t* s = Scratch(n);
            sample(s);
            k.blend(d, s, n, c);
            break;
        }
        case QuadOp::Fast: {
            uint32_t* s = Scratch(n);
            sample(s);
            k.modulate(d, s, n, c);
            break;
        }
        case QuadOp::Shadow: {
            uint32_t* s = Scratch(n);
            sample(s);
            k.shadeBlend(d, s, n, c, l, dl);
            break;
        }
        case QuadOp::Add: {
            uint32_t* s = Scratch(n);
            sample(s);
            if (plainAdd) {
                k.addBlend(d, s, n, c);
                break;
            }
            for (size_t i = 0; i < n; ++i)
                AddBlendPixel(d + i, s[i], c);
            break;
        }
        default: {
            uint32_t* s = Scratch(n);
            sample(s);
            for (size_t i = 0; i < n; ++i) {
                switch (op) {
                case QuadOp::Xor:
                    d[i] = pixel::XorBlend(d[i], s[i], c);
                    break;
                case QuadOp::One:
                    d[i] = pixel::OneBlend(d[i], s[i], c);
                    break;
                default:
                    d[i] = pixel::GrayBlend(d[i], s[i], c);
                    break;
                }
            }
            break;
        }
        }
    }
}

void CDIBImage::StretchFillBox(const VertexQuad& q) {
    AddExecLog("CDIBImage::StretchFillBox");
    if (!IsCreated()) return;
    if (IsUnscaledRect(q)) {
        FillBox(q.colour, q.corner[0].x, q.corner[0].y, q.corner[1].x - q.corner[0].x + 1,
                q.corner[3].y - q.corner[0].y + 1);
        return;
    }
    const Window win = ClipWindow();
    QuadEdgeScan scan;
    if (win.left > win.right || !scan.Scan(q, win.top, win.bottom, 0, 0)) return;
    const PixelKernels& k = ActivePixelKernels();
    for (int y = scan.FirstRow(); y <= scan.LastRow(); ++y) {
        const ScanEdgeRow& r = scan.Row(y);
        const int start = std::max<int>(r.minX, win.left), end = std::min<int>(r.maxX, win.right);
        if (start <= end) k.fill(Row(y) + start, static_cast<size_t>(end - start + 1), q.colour);
    }
}

void CDIBImage::StretchBltCopy(CDIBImage* dst, const VertexQuad& quad, bool smooth) {
    AddExecLog("CDIBImage::StretchBltCopy");
    QuadBlit(QuadOp::Copy, dst, quad, smooth);
}

void CDIBImage::StretchBltBlend(CDIBImage* dst, const VertexQuad& quad, bool smooth) {
    AddExecLog("CDIBImage::StretchBltBlend");
    QuadBlit(QuadOp::Blend, dst, quad, smooth);
}

void CDIBImage::StretchBltBlendShadow(CDIBImage* dst, const VertexQuad& quad, bool smooth) {
    AddExecLog("CDIBImage::StretchBltBlendShadow");
    QuadBlit(QuadOp::Shadow, dst, quad, smooth);
}

void CDIBImage::StretchBltFast(CDIBImage* dst, const VertexQuad& quad, bool smooth) {
    AddExecLog("CDIBImage::StretchBltFast");
    QuadBlit(QuadOp::Fast, dst, quad, smooth);
}

void CDIBImage::StretchBltAddBlend(CDIBImage* dst, const VertexQuad& quad) {
    AddExecLog("CDIBImage::StretchBltAddBlend");
    QuadBlit(QuadOp::Add, dst, quad, false);
}

// Called once per pixel, so it leaves the execution trace alone: a trace full of pixels would
// hide the methods that led to a failure.
void CDIBImage::AddBlendPixel(uint32_t* dst, uint32_t src, uint32_t colour) {
    *dst = pixel::AddBlend(*dst, src, colour);
}

void CDIBImage::StretchBltXorBlend(CDIBImage* dst, const VertexQuad& quad) {
    AddExecLog("CDIBImage::StretchBltXorBlend");
    QuadBlit(QuadOp::Xor, dst, quad, false);
}

void CDIBImage::StretchBltOneBlend(CDIBImage* dst, const VertexQuad& quad) {
    AddExecLog("CDIBImage::StretchBltOneBlend");
    QuadBlit(QuadOp::One, dst, quad, false);
}

void CDIBImage::StretchBltGrayBlend(CDIBImage* dst, const VertexQuad& quad) {
    AddExecLog("CDIBImage::StretchBltGrayBlend");
    QuadBlit(QuadOp::Gray, dst, quad, false);
}

} // namespace qw
