#include "graphics/BilinearSpanSampler.h"

#include <cstdlib>

namespace qw {

std::vector<uint64_t>& BilinearSpanSampler::Sums(int slot) {
    thread_local std::vector<uint64_t> sums[2];
    return sums[slot];
}

int BilinearSpanSampler::AcrossFor(int y, int32_t u, int32_t du, size_t n, int keep) {
    for (int i = 0; i < 2; ++i) {
        const Across& a = cache_[i];
        if (a.y == y && a.u == u && a.du == du && a.n == n) return i;
    }
    // Replace the slot that is not kept, else the one whose row lies further from row y (spans
    // move one row at a time, up or down the source).
    const auto distance = [y](const Across& a) { return a.y < 0 ? INT32_MAX : std::abs(a.y - y); };
    const int slot = keep >= 0 ? 1 - keep : (distance(cache_[0]) >= distance(cache_[1]) ? 0 : 1);
    Across& a = cache_[slot];
    a.y = y, a.u = u, a.du = du, a.n = n;
    std::vector<uint64_t>& sums = Sums(slot);
    if (sums.size() < n) sums.resize(n);
    k_.bilinearAcross(sums.data(), src_ + static_cast<size_t>(y) * static_cast<size_t>(width_), u,
                      du, n);
    return slot;
}

void BilinearSpanSampler::Sample(uint32_t* out, int32_t u, int32_t du, int32_t v, int32_t dv,
                                 size_t n) {
    // One row pair for the whole span: v may creep (the blends step v by 1 / length even when
    // the quad is not turned) but not cross a row.
    const int y = v >> 16;
    const int64_t vEnd = int64_t{v} + int64_t{dv} * static_cast<int64_t>(n - 1);
    if (n < 8 || (vEnd >> 16) != y || y >= height_ - 1) {
        k_.bilinearRow(out, src_, width_, height_, u, du, v, dv, n);
        return;
    }
    // Positions at the last column are taken as they are; they sit at one end of the span.
    const uint32_t* row = src_ + static_cast<size_t>(y) * static_cast<size_t>(width_);
    size_t first = 0, last = n; // the filtered run [first, last)
    if (du >= 0) {
        while (last > first && ((u + static_cast<int32_t>(last - 1) * du) >> 16) >= width_ - 1) {
            --last;
            out[last] = row[(u + static_cast<int32_t>(last) * du) >> 16];
        }
    } else {
        while (first < last && ((u + static_cast<int32_t>(first) * du) >> 16) >= width_ - 1) {
            out[first] = row[(u + static_cast<int32_t>(first) * du) >> 16];
            ++first;
        }
    }
    if (first == last) return;
    const int32_t u0 = u + static_cast<int32_t>(first) * du;
    const size_t count = last - first;
    const int top = AcrossFor(y, u0, du, count, -1);
    const int bottom = AcrossFor(y + 1, u0, du, count, top);
    k_.bilinearDown(out + first, Sums(top).data(), Sums(bottom).data(),
                    v + static_cast<int32_t>(first) * dv, dv, count);
}

} // namespace qw
