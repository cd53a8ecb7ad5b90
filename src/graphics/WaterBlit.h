#pragma once
// The masked quad blend of the water ripple (and of the raster layer action): the quad scan of
// the quad blits with nearest sampling, where each destination pixel is blended at most once
// however many quads of a mesh cover it — a mask byte per destination pixel records the pixels
// already blended. Spans end one pixel before their max x, so neighbouring mesh quads meet
// without a doubled column.

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

// Draws `quad` of `src` into `dst` through `mask` (cleared for `dst`). An axis-aligned quad of
// exactly the source's size is drawn with BltBlend instead, mask untouched.
void BltWater(const CDIBImage& src, CDIBImage* dst, const VertexQuad& quad, BlendMask& mask);

} // namespace qw
