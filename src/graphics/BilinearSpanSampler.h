#pragma once
// Bilinear samples along the spans of one quad blit. A span that stays on one source row (the
// usual case: a picture scaled without turning) is filtered in two passes — across each of the
// two source rows, then down between them — and the across pass is kept for the next spans, which
// in a scaled blit reuse the same source rows with the same steps. Integer sums are the same in
// either order, so the result is the one-pass filter's exactly; other spans use the one-pass
// filter.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/PixelKernels.h"

namespace qw {

class BilinearSpanSampler {
public:
    // `src` is width × height words; it must outlive the sampler.
    BilinearSpanSampler(const uint32_t* src, int width, int height, const PixelKernels& kernels)
        : src_(src), width_(width), height_(height), k_(kernels) {}

    // As PixelKernels::bilinearRow: n samples at (u + i × du, v + i × dv), all inside the source.
    void Sample(uint32_t* out, int32_t u, int32_t du, int32_t v, int32_t dv, size_t n);

private:
    // One source row filtered across for one run of positions. The sums of the two slots are
    // kept in a scratch of this thread, which only grows (one blit samples at a time), so that a
    // blit allocates nothing once a span as long has been drawn.
    struct Across {
        int y = -1;
        int32_t u = 0, du = 0;
        size_t n = 0;
    };
    static std::vector<uint64_t>& Sums(int slot);
    // The slot holding row y's sums, filled if needed without touching slot `keep`.
    int AcrossFor(int y, int32_t u, int32_t du, size_t n, int keep);

    const uint32_t* src_;
    int width_, height_;
    const PixelKernels& k_;
    Across cache_[2];
};

} // namespace qw
