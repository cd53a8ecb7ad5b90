#include "graphics/CameraProjection.h"

#include <cmath>

namespace qw {

namespace {

constexpr float kPageCentreX = 400.5f, kPageCentreY = 300.5f;

// trunc(v) as an int16, or false when v is not finite or its integer part lies outside int16.
bool ToInt16(float v, int16_t& out) {
    if (!(v > -32769.0f && v < 32768.0f)) return false; // also false for NaN
    out = static_cast<int16_t>(static_cast<int32_t>(v));
    return true;
}

} // namespace

// Called per corner, so it leaves the execution trace alone.
bool ProjectToPixels(const CVector& point, QuadCorner& corner, float* depth) {
    const float g = point.z / kCameraDistance;
    if (!(g > kCameraNearestDepth)) return false;
    QuadCorner out;
    if (!ToInt16(point.x / g + kPageCentreX, out.x) ||
        !ToInt16(point.y / g + kPageCentreY, out.y) || !ToInt16(g, out.shade))
        return false;
    corner = out;
    if (depth) *depth = g;
    return true;
}

void ClearProjectedQuad(VertexQuad& quad) {
    SetNowhereQuad(quad, quad.colour);
}

} // namespace qw
