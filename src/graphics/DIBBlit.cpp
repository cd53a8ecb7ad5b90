// CDIBImage: the unscaled rectangle blits (Copy, BltBlend, BltFast) and their quad forms.

#include <algorithm>
#include <cstring>

#include "common/ExecLog.h"
#include "graphics/CDIBImage.h"
#include "graphics/PixelKernels.h"

namespace qw {

void CDIBImage::RectBlit(RectOp op, CDIBImage* dst, int dx, int dy, int sx, int sy, int w, int h,
                         uint32_t colour) {
    if (!dst || !IsCreated() || !dst->IsCreated()) return;
    if (op == RectOp::Blend && colour == 0) return; // a zero tint draws nothing
    int64_t x = dx, y = dy, u = sx, v = sy, cw = w, ch = h;
    // The source rectangle is kept inside this surface; callers are not trusted with it.
    if (u < 0) x -= u, cw += u, u = 0;
    if (v < 0) y -= v, ch += v, v = 0;
    cw = std::min<int64_t>(cw, width_ - u);
    ch = std::min<int64_t>(ch, height_ - v);
    if (cw <= 0 || ch <= 0) return;

    const Window win = dst->ClipWindow();
    if (x + cw - 1 < win.left || x > win.right || y + ch - 1 < win.top || y > win.bottom) return;
    const int64_t x1 = std::min<int64_t>(win.right, x + cw - 1);
    const int64_t y1 = std::min<int64_t>(win.bottom, y + ch - 1);
    if (x < win.left) u += win.left - x, x = win.left;
    if (y < win.top) v += win.top - y, y = win.top;
    if (x > x1 || y > y1) return;
    const size_t n = static_cast<size_t>(x1 - x + 1);
    const int rows = static_cast<int>(y1 - y + 1);

    // A blit within one surface that moves down runs bottom-up so it reads rows before they
    // are overwritten.
    const bool upward = dst == this && y > v;
    const PixelKernels& k = ActivePixelKernels();
    // Whole rows of both surfaces are one run of pixels: one call covers them (for a blit
    // within one surface only the copy, whose memmove keeps the order right).
    if (n == static_cast<size_t>(width_) && n == static_cast<size_t>(dst->width_) &&
        (dst != this || op == RectOp::Copy)) {
        uint32_t* d = dst->Row(static_cast<int>(y));
        const uint32_t* s = Row(static_cast<int>(v));
        const size_t all = n * static_cast<size_t>(rows);
        switch (op) {
        case RectOp::Copy:
            std::memmove(d, s, all * 4);
            break;
        case RectOp::Blend:
            k.bltBlend(d, s, all, colour);
            break;
        case RectOp::Fast:
            k.bltFast(d, s, all, colour);
            break;
        }
        return;
    }
    for (int i = 0; i < rows; ++i) {
        const int r = upward ? rows - 1 - i : i;
        uint32_t* d = dst->Row(static_cast<int>(y) + r) + x;
        const uint32_t* s = Row(static_cast<int>(v) + r) + u;
        switch (op) {
        case RectOp::Copy:
            std::memmove(d, s, n * 4);
            break;
        case RectOp::Blend:
            k.bltBlend(d, s, n, colour);
            break;
        case RectOp::Fast:
            k.bltFast(d, s, n, colour);
            break;
        }
    }
}

void CDIBImage::Copy(CDIBImage* dst, int dx, int dy, int sx, int sy, int w, int h) {
    AddExecLog("CDIBImage::Copy");
    RectBlit(RectOp::Copy, dst, dx, dy, sx, sy, w, h, 0);
}

void CDIBImage::BltBlend(CDIBImage* dst, int dx, int dy, int sx, int sy, int w, int h,
                         uint32_t colour) {
    AddExecLog("CDIBImage::BltBlend");
    RectBlit(RectOp::Blend, dst, dx, dy, sx, sy, w, h, colour);
}

void CDIBImage::BltFast(CDIBImage* dst, int dx, int dy, int sx, int sy, int w, int h,
                        uint32_t colour) {
    AddExecLog("CDIBImage::BltFast");
    RectBlit(RectOp::Fast, dst, dx, dy, sx, sy, w, h, colour);
}

// The quad forms take corner 0 and source 0 as the origins, the source's width s1 − s0 + 1 and
// height t3 − t0 + 1, and the quad's colour.

void CDIBImage::Copy(CDIBImage* dst, const VertexQuad& q) {
    AddExecLog("CDIBImage::Copy");
    RectBlit(RectOp::Copy, dst, q.corner[0].x, q.corner[0].y, q.source[0].s, q.source[0].t,
             q.source[1].s - q.source[0].s + 1, q.source[3].t - q.source[0].t + 1, 0);
}

void CDIBImage::BltBlend(CDIBImage* dst, const VertexQuad& q) {
    AddExecLog("CDIBImage::BltBlend");
    RectBlit(RectOp::Blend, dst, q.corner[0].x, q.corner[0].y, q.source[0].s, q.source[0].t,
             q.source[1].s - q.source[0].s + 1, q.source[3].t - q.source[0].t + 1, q.colour);
}

void CDIBImage::BltFast(CDIBImage* dst, const VertexQuad& q) {
    AddExecLog("CDIBImage::BltFast");
    RectBlit(RectOp::Fast, dst, q.corner[0].x, q.corner[0].y, q.source[0].s, q.source[0].t,
             q.source[1].s - q.source[0].s + 1, q.source[3].t - q.source[0].t + 1, q.colour);
}

} // namespace qw
