#include "graphics/WaterBlit.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>

#include "graphics/PixelKernels.h"
#include "graphics/QuadEdgeScan.h"
#include "graphics/SmallQuadScan.h"
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
            int64_t du, int64_t v, int64_t dv, size_t n) {
    const int64_t steps = static_cast<int64_t>(n) - 1;
    const int64_t uEnd = u + du * steps, vEnd = v + dv * steps;
    const auto inside = [](int64_t p, int64_t size) { return p >= 0 && (p >> 16) < size; };
    const size_t pitch = static_cast<size_t>(width);
    if (inside(u, width) && inside(uEnd, width) && inside(v, height) && inside(vEnd, height) &&
        width < 32768 && height < 32768) {
        // Every position (and so every step) fits the kernel's 32-bit 16.16.
        ActivePixelKernels().nearestRow(
            out, pixels, static_cast<int>(width), static_cast<int>(height), static_cast<int32_t>(u),
            static_cast<int32_t>(du), static_cast<int32_t>(v), static_cast<int32_t>(dv), n);
        return;
    }
    for (size_t i = 0; i < n; ++i, u += du, v += dv) {
        const auto sx = static_cast<size_t>(std::clamp<int64_t>(u >> 16, 0, width - 1));
        const auto sy = static_cast<size_t>(std::clamp<int64_t>(v >> 16, 0, height - 1));
        out[i] = pixels[sy * pitch + sx];
    }
}

// A scanned row's span inside the clip columns: n pixels from x = start, sampling from u, v in
// steps of du, dv (16.16); n = 0 when none is left.
struct MaskedSpan {
    int start = 0;
    size_t n = 0;
    int64_t u = 0, du = 0, v = 0, dv = 0;
};

MaskedSpan SpanOf(const ScanEdgeRow& r, int left, int right, int shorten) {
    MaskedSpan s;
    if (r.minX > r.maxX) return s;
    // The blends' step: (extent + 1) / length, in 16.16.
    const int64_t len = int64_t{r.maxX} - r.minX + 1;
    s.du = StepDivide(int64_t{r.uMax - r.uMin + 1} << 16, len);
    s.dv = StepDivide(int64_t{r.vMax - r.vMin + 1} << 16, len);
    s.u = int64_t{r.uMin} << 16, s.v = int64_t{r.vMin} << 16;
    s.start = r.minX;
    if (s.start < left) {
        s.u += s.du * (left - s.start), s.v += s.dv * (left - s.start);
        s.start = left;
    }
    const int end = std::min<int>(right, r.maxX - shorten);
    if (s.start <= end) s.n = static_cast<size_t>(end - s.start + 1);
    return s;
}

// The same span from the small-quad scan (its positions and steps fit 32 bits there).
MaskedSpan SpanOf(const SmallQuadScan& scan, int y, int left, int right, int shorten) {
    const SmallQuadScan::Span t = scan.SpanAt(y, left, right, 1, shorten);
    MaskedSpan s;
    s.start = t.start;
    s.n = static_cast<size_t>(t.n);
    s.u = t.u, s.du = t.du, s.v = t.v, s.dv = t.dv;
    return s;
}

// Calls draw(y, span) for every row of the quad with pixels left between the clip columns, from
// the small-quad scan where the quad fits it, else from the generic one.
template <class Draw>
void ForEachSpan(const VertexQuad& q, const CDIBImage& src, int left, int top, int right,
                 int bottom, int shorten, Draw draw) {
    if (SmallQuadPathOn() && SmallQuadScan::Fits(q, src.GetWidth(), src.GetHeight())) {
        SmallQuadScan scan;
        if (!scan.Scan(q, top, bottom, src.GetWidth(), src.GetHeight())) return;
        for (int y = scan.FirstRow(); y <= scan.LastRow(); ++y) {
            const MaskedSpan s = SpanOf(scan, y, left, right, shorten);
            if (s.n != 0) draw(y, s);
        }
        return;
    }
    QuadEdgeScan scan;
    if (!scan.Scan(q, top, bottom, src.GetWidth(), src.GetHeight())) return;
    for (int y = scan.FirstRow(); y <= scan.LastRow(); ++y) {
        const MaskedSpan s = SpanOf(scan.Row(y), left, right, shorten);
        if (s.n != 0) draw(y, s);
    }
}

// n samples of the span from its pixel `from` on.
void Sample(uint32_t* out, const CDIBImage& src, const MaskedSpan& s, size_t from, size_t n) {
    const auto i = static_cast<int64_t>(from);
    Sample(out, src.GetPixels(), src.GetWidth(), src.GetHeight(), s.u + s.du * i, s.du,
           s.v + s.dv * i, s.dv, n);
}

} // namespace

void BltMaskedQuad(const CDIBImage& src, CDIBImage& dst, const VertexQuad& q, uint8_t* mask,
                   MaskedSpanEnd spanEnd) {
    if (!src.IsCreated() || !dst.IsCreated() || !mask) return;
    const RegionRect clip = dst.GetClipRect();
    const int left = std::max(clip.left, 0), right = std::min(clip.right, dst.GetWidth() - 1);
    const int top = std::max(clip.top, 0), bottom = std::min(clip.bottom, dst.GetHeight() - 1);
    if (left > right || top > bottom) return;
    const PixelKernels& k = ActivePixelKernels();
    thread_local std::vector<uint32_t> samples;
    const int shorten = spanEnd == MaskedSpanEnd::BeforeMaxX ? 1 : 0;
    const size_t maskPitch = static_cast<size_t>(dst.GetWidth());
    ForEachSpan(q, src, left, top, right, bottom, shorten, [&](int y, const MaskedSpan& s) {
        if (samples.size() < s.n) samples.resize(s.n);
        Sample(samples.data(), src, s, 0, s.n);
        k.maskedBlend(dst.Row(y) + s.start, mask + static_cast<size_t>(y) * maskPitch + s.start,
                      samples.data(), s.n, q.colour);
    });
}

namespace {

// The rows a mesh gathers before they are blended.
struct MeshRows {
    std::vector<uint32_t> samples; // one row of the destination's width per destination row
    std::vector<int32_t> lo, hi;   // per row, the columns gathered (none when lo > hi)
    std::vector<int32_t> reach;    // per quad, the first row it or any later quad can touch
    size_t pitch = 0;
    // Rows gathered at the same time lie within a window of rows; when a power of two of rows
    // holds it and is less than the destination, row y lives in row y & slotMask of `samples`,
    // so that the rows in use stay in the cache. Else slotMask keeps every bit.
    size_t slotMask = SIZE_MAX;

    uint32_t* Row(int y) { return samples.data() + (static_cast<size_t>(y) & slotMask) * pitch; }

    void Reserve(int width, int height, size_t count) {
        const auto w = static_cast<size_t>(std::max(width, 0));
        const auto h = static_cast<size_t>(std::max(height, 0));
        if (samples.size() < w * h) samples.resize(w * h);
        if (lo.size() < h) lo.resize(h), hi.resize(h);
        if (reach.size() < count) reach.resize(count);
    }
};

MeshRows& Mesh() {
    thread_local MeshRows rows;
    return rows;
}

// Puts a span's samples into row y where no sample with alpha ≠ 0 is yet: columns beyond those
// the row holds take them as they are (a gap between is cleared), columns it holds only where
// theirs has alpha 0.
void Gather(MeshRows& m, int y, const CDIBImage& src, const MaskedSpan& s) {
    uint32_t* row = m.Row(y);
    int32_t& lo = m.lo[static_cast<size_t>(y)];
    int32_t& hi = m.hi[static_cast<size_t>(y)];
    const int a = s.start, b = s.start + static_cast<int>(s.n) - 1;
    const auto take = [&](int from, int to, uint32_t* out) {
        Sample(out, src, s, static_cast<size_t>(from - a), static_cast<size_t>(to - from + 1));
    };
    if (lo > hi) {
        take(a, b, row + a);
        lo = a, hi = b;
        return;
    }
    if (a < lo) {
        const int to = std::min(b, lo - 1);
        take(a, to, row + a);
        std::fill(row + to + 1, row + lo, 0u);
    }
    if (b > hi) {
        const int from = std::max(a, hi + 1);
        std::fill(row + hi + 1, row + from, 0u);
        take(from, b, row + from);
    }
    const int from = std::max(a, lo), to = std::min(b, hi);
    if (from <= to) {
        // Sampled only where nothing visible is yet (a position held to the source gives what
        // Sample gives there).
        const uint32_t* pixels = src.GetPixels();
        const int64_t w = src.GetWidth(), h = src.GetHeight();
        int64_t u = s.u + s.du * (from - a), v = s.v + s.dv * (from - a);
        for (int x = from; x <= to; ++x, u += s.du, v += s.dv) {
            if ((row[x] >> 24) != 0) continue;
            const auto col = static_cast<size_t>(std::clamp<int64_t>(u >> 16, 0, w - 1));
            const auto sy = static_cast<size_t>(std::clamp<int64_t>(v >> 16, 0, h - 1));
            row[x] = pixels[sy * static_cast<size_t>(w) + col];
        }
    }
    lo = std::min(lo, a), hi = std::max(hi, b);
}

} // namespace

void ReserveMaskedQuads(int width, int height, size_t count) {
    Mesh().Reserve(width, height, count);
}

void BltMaskedQuads(const CDIBImage& src, CDIBImage& dst, const VertexQuad* quads, size_t count,
                    uint32_t colour, MaskedSpanEnd spanEnd) {
    if (!src.IsCreated() || !dst.IsCreated() || count == 0) return;
    const RegionRect clip = dst.GetClipRect();
    const int left = std::max(clip.left, 0), right = std::min(clip.right, dst.GetWidth() - 1);
    const int top = std::max(clip.top, 0), bottom = std::min(clip.bottom, dst.GetHeight() - 1);
    if (left > right || top > bottom) return;
    MeshRows& m = Mesh();
    m.Reserve(dst.GetWidth(), dst.GetHeight(), count);
    m.pitch = static_cast<size_t>(dst.GetWidth());
    for (int y = top; y <= bottom; ++y)
        m.lo[static_cast<size_t>(y)] = INT32_MAX, m.hi[static_cast<size_t>(y)] = INT32_MIN;
    // A quad's scan starts at its top corner (or the clip's top); rows above the first a later
    // quad can start at are final.
    int reach = bottom + 1;
    for (size_t i = count; i-- > 0;) {
        int minY = quads[i].corner[0].y;
        for (const QuadCorner& c : quads[i].corner)
            minY = std::min<int>(minY, c.y);
        reach = std::min(reach, std::max(top, minY));
        m.reach[i] = reach;
    }
    // While quad i is gathered the rows in use run from reach[i] to the lowest row a quad up to
    // i reaches.
    int lowest = top, window = 1;
    for (size_t i = 0; i < count; ++i) {
        for (const QuadCorner& c : quads[i].corner)
            lowest = std::max<int>(lowest, std::min<int>(c.y, bottom));
        window = std::max(window, lowest - m.reach[i] + 1);
    }
    const size_t slots = std::bit_ceil(static_cast<size_t>(window));
    m.slotMask = slots < static_cast<size_t>(dst.GetHeight()) ? slots - 1 : SIZE_MAX;
    const PixelKernels& k = ActivePixelKernels();
    const int shorten = spanEnd == MaskedSpanEnd::BeforeMaxX ? 1 : 0;
    int blended = top; // rows above are done
    for (size_t i = 0; i < count; ++i) {
        ForEachSpan(quads[i], src, left, top, right, bottom, shorten,
                    [&](int y, const MaskedSpan& s) { Gather(m, y, src, s); });
        const int done = i + 1 < count ? m.reach[i + 1] : bottom + 1;
        for (; blended < done; ++blended) {
            const auto y = static_cast<size_t>(blended);
            const int32_t lo = m.lo[y], hi = m.hi[y];
            if (lo <= hi)
                k.blend(dst.Row(blended) + lo, m.Row(blended) + lo,
                        static_cast<size_t>(hi - lo + 1), colour);
        }
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
