#include "graphics/QuadEdgeScan.h"

#include <algorithm>
#include <memory>

#include "graphics/StepDivide.h"

namespace qw {

namespace {

struct EdgePoint {
    int x, y, u, v, light;
};

// One table per thread: drawing happens on one thread at a time per table, and 80 KB per
// surface would be wasted on every picture that is only ever a source.
ScanEdgeRow* EdgeTable() {
    thread_local std::unique_ptr<ScanEdgeRow[]> table(new ScanEdgeRow[kEdgeTableRows]);
    return table.get();
}

void Offer(ScanEdgeRow& row, int64_t x, int64_t u, int64_t v, int64_t light) {
    if (x < row.minX) {
        row.minX = static_cast<int16_t>(x);
        row.uMin = static_cast<int16_t>(u);
        row.vMin = static_cast<int16_t>(v);
        row.lightMin = static_cast<int32_t>(light);
    }
    if (x > row.maxX) {
        row.maxX = static_cast<int16_t>(x);
        row.uMax = static_cast<int16_t>(u);
        row.vMax = static_cast<int16_t>(v);
        row.lightMax = static_cast<int32_t>(light);
    }
}

// 64-bit steps: a corner pair may span more than 16 bits, which 32-bit 16.16 steps cannot hold.
void ScanEdge(ScanEdgeRow* rows, const EdgePoint& p, const EdgePoint& q, int top, int bottom) {
    if ((p.y < top && q.y < top) || (p.y > bottom && q.y > bottom)) return;
    if (p.y == q.y) {
        Offer(rows[p.y], p.x, p.u, p.v, p.light);
        Offer(rows[p.y], q.x, q.u, q.v, q.light);
        return;
    }
    const EdgePoint& a = p.y < q.y ? p : q;
    const EdgePoint& b = p.y < q.y ? q : p;
    const int64_t span = b.y - a.y;
    const int64_t dx = StepDivide(int64_t{b.x - a.x} << 16, span);
    const int64_t du = StepDivide(int64_t{b.u - a.u} << 16, span);
    const int64_t dv = StepDivide(int64_t{b.v - a.v} << 16, span);
    const int64_t dl = StepDivide(int64_t{b.light - a.light} << 16, span);
    int64_t x = int64_t{a.x} << 16, u = int64_t{a.u} << 16, v = int64_t{a.v} << 16;
    int64_t l = int64_t{a.light} << 16;
    int y = a.y;
    if (y < top) {
        const int64_t skip = top - y;
        x += dx * skip, u += du * skip, v += dv * skip, l += dl * skip;
        y = top;
    }
    const int end = std::min(b.y, bottom);
    for (; y <= end; ++y, x += dx, u += du, v += dv, l += dl)
        Offer(rows[y], x >> 16, u >> 16, v >> 16, l >> 16);
}

} // namespace

bool QuadEdgeScan::Scan(const VertexQuad& quad, int top, int bottom, int sourceWidth,
                        int sourceHeight) {
    int minY = quad.corner[0].y, maxY = minY;
    for (const QuadCorner& c : quad.corner) {
        minY = std::min<int>(minY, c.y);
        maxY = std::max<int>(maxY, c.y);
    }
    first_ = std::max(top, minY);
    last_ = std::min(bottom, maxY);
    if (first_ > last_ || last_ >= kEdgeTableRows) return false;

    EdgePoint pts[4];
    for (int i = 0; i < 4; ++i) {
        const QuadCorner& c = quad.corner[i];
        int s = quad.source[i].s, t = quad.source[i].t;
        if (sourceWidth > 0 && sourceHeight > 0) {
            s = std::clamp(s, 0, sourceWidth - 1);
            t = std::clamp(t, 0, sourceHeight - 1);
        }
        pts[i] = {c.x, c.y, s, t, 255 - std::clamp<int>(c.shade, 0, 255)};
    }
    rows_ = EdgeTable();
    for (int y = first_; y <= last_; ++y) {
        rows_[y].minX = 0x7FFF;
        rows_[y].maxX = -0x8000;
    }
    for (int i = 0; i < 4; ++i)
        ScanEdge(rows_, pts[i], pts[(i + 1) % 4], first_, last_);
    return true;
}

} // namespace qw
