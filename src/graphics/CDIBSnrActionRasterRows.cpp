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
#include <cstdint>

#include "graphics/CDIBSnrAction.h"
#include "graphics/PixelKernels.h"
#include "graphics/StepDivide.h"
#include "graphics/WaterBlit.h"

namespace qw {

namespace {

constexpr int kCells = CDIBSnrAction::kGrid - 1; // quads per grid row and column

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

    const RegionRect clip = dst.GetClipRect();
    const int left = std::max(clip.left, 0), right = std::min(clip.right, dst.GetWidth() - 1);
    const int top = std::max(clip.top, 0), bottom = std::min(clip.bottom, dst.GetHeight() - 1);
    if (rowSamples_.size() < static_cast<size_t>(dst.GetWidth()))
        rowSamples_.resize(static_cast<size_t>(dst.GetWidth()));
    const PixelKernels& kernels = ActivePixelKernels();
    const uint32_t colour = param.colour;
    for (int r = 0; r < kCells; ++r) {
        const VertexQuad& first = at(r, 0);
        const int y0 = first.corner[0].y, y1 = first.corner[3].y;
        // The row where this grid row meets the one above (or the top), and the last row.
        const size_t from = static_cast<size_t>(std::max(r - 1, 0) * kCells);
        const size_t quadsThere = static_cast<size_t>((r > 0 ? 2 : 1) * kCells);
        BltMaskedQuads(pic, dst, quads + from, quadsThere, colour, MaskedSpanEnd::AtMaxX, y0, y0);
        if (r == kCells - 1)
            BltMaskedQuads(pic, dst, &at(r, 0), kCells, colour, MaskedSpanEnd::AtMaxX, y1, y1);
        if (left > right) continue;

        // The rows inside: the edge scan's steps down the left and right edges, alike.
        const int span = y1 - y0;
        const int64_t dx = StepDivide(int64_t{first.corner[3].x - first.corner[0].x} << 16, span);
        const int v0 = ct(first.source[0].t), v1 = ct(first.source[3].t);
        const int64_t dv = StepDivide(int64_t{v1 - v0} << 16, span);
        for (int y = std::max(y0 + 1, top), last = std::min(y1 - 1, bottom); y <= last; ++y) {
            const int64_t j = y - y0;
            const int base = first.corner[0].x + static_cast<int>((dx * j) >> 16);
            const int x0 = std::max(left, base), x1 = std::min(right, base + length - 1);
            if (x0 > x1) continue;
            const uint32_t* row =
                pic.GetPixels() + static_cast<size_t>(((int64_t{v0} << 16) + dv * j) >> 16) * pw;
            const int32_t* firstCol = rowFirst_.data() + (x0 - base);
            const int32_t* nextCol = rowNext_.data() + (x0 - base);
            uint32_t* out = rowSamples_.data();
            const int n = x1 - x0 + 1;
            for (int i = 0; i < n; ++i) {
                uint32_t s = firstCol[i] >= 0 ? row[firstCol[i]] : 0;
                if ((s >> 24) == 0 && nextCol[i] >= 0) s = row[nextCol[i]];
                out[i] = s;
            }
            kernels.blend(dst.Row(y) + x0, out, static_cast<size_t>(n), colour);
        }
    }
    return true;
}

} // namespace qw
