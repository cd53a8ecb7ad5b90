// CDIBSnrAction: the raster's rows drawn whole. When the wave only sways sideways (or not at
// all) and no camera bends the grid, every quad of a grid row is a parallelogram over the same
// rows, slanted alike: on each row strictly inside a grid row the quads' spans are the same row
// of source columns, shifted as one. Such a row is sampled through a column map made once per
// draw and blended in one call. The rows where two grid rows meet (and the last) still go
// through the masked blend of the quads that reach them.
//
// Every pixel gets what the quads' masked blend one by one would give it: the map holds, per
// column, the sample of the first quad whose span covers it and that of the next (taken where
// the first's has alpha 0); the source positions are the masked blend's, stepped the same way.

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "graphics/CDIBSnrAction.h"
#include "graphics/PixelKernels.h"
#include "graphics/StepDivide.h"
#include "graphics/WaterBlit.h"

namespace qw {

namespace {

constexpr int kCells = CDIBSnrAction::kGrid - 1; // quads per grid row and column

// The last row of a grid row's quads, each span as the edge scan leaves it there: the walks
// down the right and the left edge end on it (a pixel short of the corner when their step was
// truncated), and between them the bottom edge offers its two corners; the leftmost and the
// rightmost offer make the span's ends, the first of equal ones. Each pixel of a span, stepped
// as the masked blend steps it, goes where `samples` holds nothing visible yet; `take` is told
// the columns first.
template <class Take>
void LastRasterRow(const VertexQuad* quads, const CDIBImage& pic, int left, int right,
                   uint32_t* samples, Take&& take) {
    const int pw = pic.GetWidth(), ph = pic.GetHeight();
    const auto cs = [pw](int s) { return std::clamp(s, 0, pw - 1); };
    const auto ct = [ph](int t) { return std::clamp(t, 0, ph - 1); };
    const VertexQuad& first = quads[0];
    const int span = first.corner[3].y - first.corner[0].y;
    const int64_t dx = StepDivide(int64_t{first.corner[3].x - first.corner[0].x} << 16, span);
    const int v0 = ct(first.source[0].t), v1 = ct(first.source[3].t);
    const int64_t dv = StepDivide(int64_t{v1 - v0} << 16, span);
    const auto e = static_cast<int>((dx * span) >> 16);
    const auto ve = static_cast<int>(((int64_t{v0} << 16) + dv * span) >> 16);
    struct Offer {
        int x, u, v;
    };
    for (int k = 0; k < kCells; ++k) {
        const VertexQuad& q = quads[k];
        const int u0 = cs(q.source[0].s), u1 = cs(q.source[1].s);
        const Offer offers[4] = {{q.corner[1].x + e, u1, ve},
                                 {q.corner[2].x, u1, v1},
                                 {q.corner[3].x, u0, v1},
                                 {q.corner[0].x + e, u0, ve}};
        Offer lo = offers[0], hi = offers[0];
        for (int i = 1; i < 4; ++i) {
            if (offers[i].x < lo.x) lo = offers[i];
            if (offers[i].x > hi.x) hi = offers[i];
        }
        // The masked blend's span: steps (extent + 1) / length in 16.16, cut at the clip.
        const int64_t len = int64_t{hi.x} - lo.x + 1;
        const int64_t du = StepDivide(int64_t{hi.u - lo.u + 1} << 16, len);
        const int64_t dvs = StepDivide(int64_t{hi.v - lo.v + 1} << 16, len);
        const int start = std::max(lo.x, left), end = std::min(hi.x, right);
        if (start > end) continue;
        take(start, end);
        int64_t u = (int64_t{lo.u} << 16) + du * (start - lo.x);
        int64_t v = (int64_t{lo.v} << 16) + dvs * (start - lo.x);
        for (int x = start; x <= end; ++x, u += du, v += dvs) {
            if ((samples[x] >> 24) != 0) continue;
            const auto col = static_cast<size_t>(std::clamp<int64_t>(u >> 16, 0, pw - 1));
            const auto row = static_cast<size_t>(std::clamp<int64_t>(v >> 16, 0, ph - 1));
            samples[x] = pic.GetPixels()[row * static_cast<size_t>(pw) + col];
        }
    }
}

} // namespace

bool CDIBSnrAction::BlendRasterRows(const ActionDrawParam& param, const VertexQuad* quads,
                                    size_t count) {
    CDIBImage& dst = *param.dst;
    const CDIBImage& pic = *param.picture;
    // (A destination taller than the edge table has quads the scan refuses.)
    if (count != static_cast<size_t>(kCells) * kCells || !pic.IsCreated() || !dst.IsCreated() ||
        dst.GetHeight() > kEdgeTableRows)
        return false;
    const int pw = pic.GetWidth(), ph = pic.GetHeight();
    // The scan holds source positions to the picture.
    const auto cs = [pw](int s) { return std::clamp(s, 0, pw - 1); };
    const auto ct = [ph](int t) { return std::clamp(t, 0, ph - 1); };
    const auto at = [quads](int r, int k) -> const VertexQuad& {
        return quads[static_cast<size_t>(r * kCells + k)];
    };

    // The form: per grid row one top and bottom row and one slant; per grid column the same
    // columns (relative to the row's first quad) and source columns in every grid row; grid
    // rows meeting on one row.
    const VertexQuad& origin = at(0, 0);
    for (int r = 0; r < kCells; ++r) {
        const VertexQuad& first = at(r, 0);
        const int top = first.corner[0].y, bottom = first.corner[3].y;
        const int slant = first.corner[3].x - first.corner[0].x;
        if (bottom <= top || (r > 0 && at(r - 1, 0).corner[3].y != top)) return false;
        for (int k = 0; k < kCells; ++k) {
            const VertexQuad& q = at(r, k);
            const QuadCorner* c = q.corner;
            const QuadSource* s = q.source;
            const VertexQuad& column = at(0, k);
            // (Far from the edge table's 16-bit bounds, which its empty rows are marked with.)
            for (int i = 0; i < 4; ++i)
                if (c[i].x < -30000 || c[i].x > 30000) return false;
            if (c[0].y != top || c[1].y != top || c[2].y != bottom || c[3].y != bottom ||
                c[3].x - c[0].x != slant || c[2].x - c[1].x != slant || c[1].x <= c[0].x ||
                c[0].x - first.corner[0].x != column.corner[0].x - origin.corner[0].x ||
                c[1].x - first.corner[0].x != column.corner[1].x - origin.corner[0].x ||
                s[0].s != column.source[0].s || s[3].s != column.source[0].s ||
                s[1].s != column.source[1].s || s[2].s != column.source[1].s ||
                s[0].t != first.source[0].t || s[1].t != first.source[0].t ||
                s[2].t != first.source[3].t || s[3].t != first.source[3].t)
                return false;
        }
    }

    // The column map, from the first grid row: offset t from the row's first column.
    const int base0 = origin.corner[0].x;
    int length = 0;
    for (int k = 0; k < kCells; ++k) {
        if (at(0, k).corner[0].x < base0) return false;
        length = std::max(length, at(0, k).corner[1].x - base0 + 1);
    }
    if (rowFirst_.size() < static_cast<size_t>(length)) { // only for a layer wider than a page
        rowFirst_.resize(static_cast<size_t>(length));
        rowNext_.resize(static_cast<size_t>(length));
    }
    std::fill_n(rowFirst_.begin(), length, -1);
    std::fill_n(rowNext_.begin(), length, -1);
    for (int k = 0; k < kCells; ++k) {
        const VertexQuad& q = at(0, k);
        const int a = q.corner[0].x - base0, len = q.corner[1].x - q.corner[0].x + 1;
        const int u0 = cs(q.source[0].s), u1 = cs(q.source[1].s);
        // The masked blend's step along a span: (extent + 1) / length, in 16.16.
        const int64_t du = StepDivide(int64_t{u1 - u0 + 1} << 16, len);
        for (int i = 0; i < len; ++i) {
            const auto col = static_cast<int32_t>(
                std::clamp<int64_t>(((int64_t{u0} << 16) + du * i) >> 16, 0, pw - 1));
            const auto t = static_cast<size_t>(a + i);
            if (rowFirst_[t] < 0)
                rowFirst_[t] = col;
            else if (rowNext_[t] < 0)
                rowNext_[t] = col;
            else
                return false; // three quads over one column
        }
    }

    // Columns the map alone cannot give in one load: no quad there, or a second quad under the
    // first.
    rowSpecial_.clear();
    rowRuns_.clear();
    for (int t = 0; t < length; ++t) {
        const int32_t col = rowFirst_[static_cast<size_t>(t)];
        if (col < 0 || rowNext_[static_cast<size_t>(t)] >= 0) {
            rowSpecial_.push_back(t);
            if (col < 0) continue;
        }
        ColumnRun* run = rowRuns_.empty() ? nullptr : &rowRuns_.back();
        if (run && run->t + run->length == t && run->column + run->length == col)
            ++run->length;
        else
            rowRuns_.push_back({t, col, 1});
    }

    const RegionRect clip = dst.GetClipRect();
    const int left = std::max(clip.left, 0), right = std::min(clip.right, dst.GetWidth() - 1);
    const int top = std::max(clip.top, 0), bottom = std::min(clip.bottom, dst.GetHeight() - 1);
    if (left > right || top > bottom) return true;
    // Run copies go by four columns and may write up to three past a row.
    if (rowSamples_.size() < static_cast<size_t>(dst.GetWidth()) + 4)
        rowSamples_.resize(static_cast<size_t>(dst.GetWidth()) + 4);
    uint32_t* samples = rowSamples_.data(); // indexed by destination column
    const PixelKernels& kernels = ActivePixelKernels();
    const uint32_t colour = param.colour;
    const auto sourceRow = [&](int t) { return pic.GetPixels() + static_cast<size_t>(t) * pw; };
    // The map's sample at column t (from the row's first column).
    const auto mapped = [&](const uint32_t* row, int t) -> uint32_t {
        const int32_t first = rowFirst_[static_cast<size_t>(t)];
        const int32_t next = rowNext_[static_cast<size_t>(t)];
        const uint32_t s = first >= 0 ? row[first] : 0;
        return (s >> 24) == 0 && next >= 0 ? row[next] : s;
    };

    for (int r = 0; r <= kCells; ++r) {
        // Row y0 of grid row r, where grid row r − 1 ends: first the last row of the quads above
        // (their spans as the edge scan makes them there), then the first row of this grid row
        // (the map, unshifted) where nothing visible is yet.
        const VertexQuad& here = at(std::min(r, kCells - 1), 0);
        const int y = r < kCells ? here.corner[0].y : here.corner[3].y;
        if (y >= top && y <= bottom) {
            int lo = INT32_MAX, hi = INT32_MIN;
            const auto take = [&](int a, int b) { // columns a … b come into use
                if (lo > hi) {
                    std::fill(samples + a, samples + b + 1, 0u);
                    lo = a, hi = b;
                    return;
                }
                if (a < lo) std::fill(samples + a, samples + lo, 0u), lo = a;
                if (b > hi) std::fill(samples + hi + 1, samples + b + 1, 0u), hi = b;
            };
            if (r > 0) LastRasterRow(&at(r - 1, 0), pic, left, right, samples, take);
            if (r < kCells) {
                const int base = here.corner[0].x;
                const int x0 = std::max(left, base), x1 = std::min(right, base + length - 1);
                if (x0 <= x1) {
                    take(x0, x1);
                    const uint32_t* row = sourceRow(ct(here.source[0].t));
                    for (int x = x0; x <= x1; ++x)
                        if ((samples[x] >> 24) == 0) samples[x] = mapped(row, x - base);
                }
            }
            if (lo <= hi)
                kernels.blend(dst.Row(y) + lo, samples + lo, static_cast<size_t>(hi - lo + 1),
                              colour);
        }
        if (r == kCells) break;

        // The rows inside: the edge scan's steps down the left and right edges, alike.
        const VertexQuad& first = at(r, 0);
        const int y0 = first.corner[0].y, y1 = first.corner[3].y;
        const int span = y1 - y0;
        const int64_t dx = StepDivide(int64_t{first.corner[3].x - first.corner[0].x} << 16, span);
        const int v0 = ct(first.source[0].t), v1 = ct(first.source[3].t);
        const int64_t dv = StepDivide(int64_t{v1 - v0} << 16, span);
        for (int yi = std::max(y0 + 1, top), last = std::min(y1 - 1, bottom); yi <= last; ++yi) {
            const int64_t j = yi - y0;
            const int base = first.corner[0].x + static_cast<int>((dx * j) >> 16);
            const int x0 = std::max(left, base), x1 = std::min(right, base + length - 1);
            if (x0 > x1) continue;
            const uint32_t* row = sourceRow(static_cast<int>(((int64_t{v0} << 16) + dv * j) >> 16));
            uint32_t* out = samples + x0;
            const int n = x1 - x0 + 1;
            // The runs of consecutive source columns copied, four at a time while the source
            // row holds them (what a run writes past its end, the next run writes over).
            const int ta = x0 - base, tb = x1 - base;
            for (const ColumnRun& run : rowRuns_) {
                const int a = std::max(run.t, ta), b = std::min(run.t + run.length - 1, tb);
                if (a > b) continue;
                const int col = run.column + (a - run.t), count = b - a + 1;
                uint32_t* to = out + (a - ta);
                const uint32_t* from = row + col;
                if (col + ((count + 3) & ~3) <= pw)
                    for (int i = 0; i < count; i += 4)
                        std::memcpy(to + i, from + i, 16);
                else
                    std::memcpy(to, from, static_cast<size_t>(count) * 4);
            }
            for (const int32_t t : rowSpecial_) {
                const int x = base + t;
                if (x >= x0 && x <= x1) out[x - x0] = mapped(row, t);
            }
            kernels.blend(dst.Row(yi) + x0, out, static_cast<size_t>(n), colour);
        }
    }
    return true;
}

} // namespace qw
