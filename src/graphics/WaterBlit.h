#pragma once
// The masked quad blend of the water ripple and of the raster layer action: the quad scan of the
// quad blits with nearest sampling, where each destination pixel is blended at most once
// however many quads of a mesh cover it — a mask byte per destination pixel records the pixels
// already blended.

#include <cstdint>
#include <vector>

#include "graphics/CDIBImage.h"

namespace qw {

// One byte per destination pixel, sized to the destination it was last cleared for.
class BlendMask {
public:
    // All bytes 0, sized to `dst` (grows only when a larger destination comes).
    void Clear(const CDIBImage& dst);
    uint8_t* Row(int y) { return bytes_.data() + static_cast<size_t>(y) * width_; }
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }

private:
    std::vector<uint8_t> bytes_;
    size_t width_ = 0;
    int height_ = 0;
};

// Where a span of the masked blend ends: one pixel before its max x (the water mesh, so that
// neighbouring quads meet without a doubled column) or at it, as the quad blend's spans do (the
// raster grid).
enum class MaskedSpanEnd { BeforeMaxX, AtMaxX };

// The masked blend of one quad, nothing else: every destination pixel the quad's spans cover
// whose source sample has alpha ≠ 0 and whose mask byte is 0 gets the quad blend with the quad's
// colour and its mask byte set. `mask` holds one byte per pixel of `dst`, in rows of its width.
// Called per mesh quad, so it leaves the execution trace alone.
void BltMaskedQuad(const CDIBImage& src, CDIBImage& dst, const VertexQuad& quad, uint8_t* mask,
                   MaskedSpanEnd end);

// A whole mesh through the masked blend: the same bytes as BltMaskedQuad on quads[0], quads[1],
// … in turn through a mask cleared first, with every quad's colour taken as `colour`. Drawn row
// by row instead: each destination row first gathers, per pixel, the first sample with alpha ≠ 0
// that the quads' spans put there in their order, and is blended once when no later quad can
// reach it. The rows are gathered in a scratch of this thread that grows to the destination and
// the quad count; ReserveMaskedQuads sizes it up front, so that drawing need not allocate.
void BltMaskedQuads(const CDIBImage& src, CDIBImage& dst, const VertexQuad* quads, size_t count,
                    uint32_t colour, MaskedSpanEnd end);
void ReserveMaskedQuads(int width, int height, size_t count);

// The water's quad: `quad` of `src` into `dst` through `mask` (cleared for `dst`), spans ending
// before their max x. An axis-aligned quad of exactly the source's size is drawn with BltBlend
// instead, mask untouched.
void BltWater(const CDIBImage& src, CDIBImage* dst, const VertexQuad& quad, BlendMask& mask);

} // namespace qw
