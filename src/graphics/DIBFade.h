#pragma once
// Whole-surface fades for the transitions, on the fastest span kernels.
//
// Rules, per channel (alpha included), level k clamped to 0..255, divisions rounding down:
//   CrossFade       dst = (from × (255 − k) + to × k) / 255     k = 0: from, k = 255: to, exactly
//   CrossFadeShift8 dst = (from × (255 − k) + to × k) >> 8      the 16-bit-lane form; never reaches
//                                                               `to` (255 comes out as 254)
//   FadeToColor     dst = (src × (255 − k) + colour × k) / 255  fading from a colour is the same
//                                                               call with 255 − k
// All surfaces must have the same size (false, nothing drawn, otherwise). dst may be one of the
// sources.

#include <cstdint>

namespace qw {

class CDIBImage;

bool CrossFade(CDIBImage& dst, const CDIBImage& from, const CDIBImage& to, int level);
bool CrossFadeShift8(CDIBImage& dst, const CDIBImage& from, const CDIBImage& to, int level);
bool FadeToColor(CDIBImage& dst, const CDIBImage& src, uint32_t colour, int level);

} // namespace qw
