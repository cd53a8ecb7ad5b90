#pragma once
// The edge scan of QuadEdgeScan for small quads, without the light: a mesh of many quads a few
// pixels wide (a twisting page, a ripple) spends most of its time in the scan's fixed work per
// quad and per row, not in pixels. Here the rows live in a small table of the caller, every
// position fits 32 bits, and a row's span comes with its clipped start and steps worked out, so
// that the caller's loop over it is short.
//
// The rows, spans and steps are exactly those of QuadEdgeScan and the quad blits' span set-up:
// the same edges in the same order, the same strict min/max offers, the same 16.16 steps
// (StepDivide) truncated the same way. Fits() says when a quad may take this path; others take
// the generic one.

#include <algorithm>
#include <cstdint>

#include "graphics/CDIBImage.h"
#include "graphics/StepDivide.h"

namespace qw {

// The quad blits take the small-quad path wherever a quad fits it (on by default). Off, every quad
// takes the generic scan, the reference the small path is compared with.
void SetSmallQuadPath(bool on);
bool SmallQuadPathOn();

static_assert((step_divide::kTableSize & (step_divide::kTableSize - 1)) == 0);

class SmallQuadScan {
public:
    // StepDivide(num, den) for 1 ≤ den < step_divide::kTableSize and |num| < 2^40 (all this
    // scan divides), without its branches: the signs of a small quad's steps change from edge to
    // edge and from row to row, and a mispredicted sign costs more than the division.
    static int64_t Step(int64_t num, int64_t den) {
        const uint64_t sign = static_cast<uint64_t>(num >> 63); // all ones below 0
        const uint64_t n = (static_cast<uint64_t>(num) ^ sign) - sign;
        // den is below the table's size (a power of two): the mask changes nothing.
        const size_t slot = static_cast<size_t>(den) & (step_divide::kTableSize - 1);
        const auto reciprocal = static_cast<uint64_t>(
            (static_cast<unsigned __int128>(n) * step_divide::kReciprocals[slot]) >> 64);
        const uint64_t q = den == 1 ? n : reciprocal;
        return static_cast<int64_t>((q ^ sign) - sign);
    }

    // Rows a quad may span (bottom corner − top corner + 1).
    static constexpr int kRows = 64;
    // Every corner within ±kExtent and sources within kExtent: 16.16 positions, their
    // differences and every partial step then fit 32 bits.
    static constexpr int kExtent = 16384;

    struct Row {
        int32_t minX, maxX, uMin, vMin, uMax, vMax;
    };

    // A row's span within the clip columns [left, right]: n pixels from x = start, sampling from
    // u, v in steps of du, dv (16.16), as the quad blits step it: by (extent + plus) / length.
    struct Span {
        int start;
        int n; // 0: nothing of the row is left
        int32_t u, du, v, dv;
    };

    static bool Fits(const VertexQuad& q, int sourceWidth, int sourceHeight) {
        if (sourceWidth > kExtent || sourceHeight > kExtent) return false;
        const auto inside = [](int p) { return p >= -kExtent && p < kExtent; };
        int minY = q.corner[0].y, maxY = minY;
        for (int i = 0; i < 4; ++i) {
            const QuadCorner& c = q.corner[i];
            if (!inside(c.x) || !inside(c.y) || !inside(q.source[i].s) || !inside(q.source[i].t))
                return false;
            minY = std::min<int>(minY, c.y);
            maxY = std::max<int>(maxY, c.y);
        }
        return maxY - minY < kRows;
    }

    // As QuadEdgeScan::Scan, for a quad that Fits (sources clamped to the surface when both
    // sizes are above 0).
    bool Scan(const VertexQuad& q, int top, int bottom, int sourceWidth, int sourceHeight) {
        int minY = q.corner[0].y, maxY = minY;
        for (const QuadCorner& c : q.corner) {
            minY = std::min<int>(minY, c.y);
            maxY = std::max<int>(maxY, c.y);
        }
        first_ = std::max(top, minY);
        last_ = std::min(bottom, maxY);
        if (first_ > last_ || last_ >= kEdgeTableRows) return false;
        Point pts[4];
        for (int i = 0; i < 4; ++i) {
            int s = q.source[i].s, t = q.source[i].t;
            if (sourceWidth > 0 && sourceHeight > 0) {
                s = std::clamp(s, 0, sourceWidth - 1);
                t = std::clamp(t, 0, sourceHeight - 1);
            }
            pts[i] = {q.corner[i].x, q.corner[i].y, s, t};
        }
        for (int y = 0; y <= last_ - first_; ++y) {
            rows_[y].minX = 0x7FFF;
            rows_[y].maxX = -0x8000;
        }
        Edge(pts[0], pts[1]);
        Edge(pts[1], pts[2]);
        Edge(pts[2], pts[3]);
        Edge(pts[3], pts[0]);
        return true;
    }

    int FirstRow() const { return first_; }
    int LastRow() const { return last_; }
    const Row& RowAt(int y) const { return rows_[y - first_]; }

    // Row y's span between the clip columns; `plus` is 1 for the copy and the blends, 0 for the
    // others, `shorten` takes that many pixels off its right end.
    Span SpanAt(int y, int left, int right, int plus, int shorten = 0) const {
        const Row& r = RowAt(y);
        Span s{};
        int start = r.minX;
        const int end = std::min(right, r.maxX - shorten);
        const int skipped = start < left ? left - start : 0;
        start += skipped;
        if (start > end) return s; // also a row no edge reached (none does within a quad)
        const int64_t len = int64_t{r.maxX} - r.minX + 1;
        const int64_t nu = int64_t{r.uMax - r.uMin + plus} << 16;
        const int64_t nv = int64_t{r.vMax - r.vMin + plus} << 16;
        if (len < step_divide::kTableSize) {
            s.du = static_cast<int32_t>(Step(nu, len));
            s.dv = static_cast<int32_t>(Step(nv, len));
        } else { // as StepDivide divides such lengths
            s.du = static_cast<int32_t>(nu / len);
            s.dv = static_cast<int32_t>(nv / len);
        }
        s.u = (r.uMin << 16) + s.du * skipped;
        s.v = (r.vMin << 16) + s.dv * skipped;
        s.start = start;
        s.n = end - start + 1;
        return s;
    }

private:
    struct Point {
        int x, y, u, v;
    };

    // Selects rather than branches: which end an offer moves depends on the quad's shape, and
    // mispredicted jumps would cost more than the stores.
    static void Offer(Row& r, int x, int u, int v) {
        const bool lower = x < r.minX;
        const bool higher = x > r.maxX;
        r.uMin = lower ? u : r.uMin;
        r.vMin = lower ? v : r.vMin;
        r.minX = lower ? x : r.minX;
        r.uMax = higher ? u : r.uMax;
        r.vMax = higher ? v : r.vMax;
        r.maxX = higher ? x : r.maxX;
    }

    void Edge(const Point& p, const Point& q) {
        if ((p.y < first_ && q.y < first_) || (p.y > last_ && q.y > last_)) return;
        if (p.y == q.y) {
            Row& r = rows_[p.y - first_];
            Offer(r, p.x, p.u, p.v);
            Offer(r, q.x, q.u, q.v);
            return;
        }
        const Point& a = p.y < q.y ? p : q;
        const Point& b = p.y < q.y ? q : p;
        const int64_t span = b.y - a.y;
        // span < kRows
        const auto dx = static_cast<int32_t>(Step(int64_t{b.x - a.x} << 16, span));
        const auto du = static_cast<int32_t>(Step(int64_t{b.u - a.u} << 16, span));
        const auto dv = static_cast<int32_t>(Step(int64_t{b.v - a.v} << 16, span));
        int32_t x = a.x << 16, u = a.u << 16, v = a.v << 16;
        int y = a.y;
        if (y < first_) {
            const int skip = first_ - y;
            x += dx * skip, u += du * skip, v += dv * skip;
            y = first_;
        }
        const int end = std::min(b.y, last_);
        Row* r = rows_ + (y - first_);
        for (; y <= end; ++y, ++r, x += dx, u += du, v += dv)
            Offer(*r, x >> 16, u >> 16, v >> 16);
    }

    int first_ = 0, last_ = -1;
    Row rows_[kRows];
};

} // namespace qw
