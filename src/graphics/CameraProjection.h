#pragma once
// From camera space to page pixels, shared by the camera and the effects that project their own
// points. A point already multiplied by the camera's matrix (x, y, d) is seen at depth
// g = d / 1000: it lands at (x / g + 400.5, y / g + 300.5) on the 800 × 600 page, truncated toward
// zero, and its corner's shade becomes the integer part of g.
//
// A point is refused — and the quad it belongs to must then be dropped whole — when g is not
// above 0.1 (behind or right at the eye, or d not a number), or when a result is not finite or
// does not fit a 16-bit corner field. Nothing ever wraps.

#include <cstdint>

#include "graphics/CDIBImage.h"
#include "graphics/CVector.h"

namespace qw {

inline constexpr float kCameraDistance = 1000.0f;
inline constexpr float kCameraNearestDepth = 0.1f;

// The corner for `point` (its x, y and z as d), or false. `depth` receives g when given.
bool ProjectToPixels(const CVector& point, QuadCorner& corner, float* depth = nullptr);

// Drops a quad: it becomes the quad that draws nothing (SetNowhereQuad), colour kept.
void ClearProjectedQuad(VertexQuad& quad);

} // namespace qw
