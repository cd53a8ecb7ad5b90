#include "ui/CtrlGeometry.h"

#include <algorithm>

namespace qw {

bool QuadContains(const VertexQuad& quad, int x, int y) {
    // Twice the signed area (shoelace); 64-bit, as corners span the whole int16 range.
    int64_t area = 0;
    for (int i = 0; i < 4; ++i) {
        const QuadCorner& a = quad.corner[i];
        const QuadCorner& b = quad.corner[(i + 1) % 4];
        area += int64_t{a.x} * b.y - int64_t{b.x} * a.y;
    }
    if (area == 0) return false;
    for (int i = 0; i < 4; ++i) {
        const QuadCorner& a = quad.corner[i];
        const QuadCorner& b = quad.corner[(i + 1) % 4];
        int64_t side =
            (int64_t{b.y} - a.y) * (int64_t{x} - a.x) - (int64_t{b.x} - a.x) * (int64_t{y} - a.y);
        if (side > 0) return false;
    }
    return true;
}

int64_t SliderKnobCentre(const SliderSpan& span, int32_t value) {
    const int64_t range = int64_t{span.maximum} - span.minimum;
    if (range == 0 || span.usable <= 0) return span.startMargin;
    int64_t along = (int64_t{value} - span.minimum) * span.usable / range;
    along = std::clamp<int64_t>(along, 0, span.usable);
    return span.startMargin + along;
}

int32_t SliderValueAt(const SliderSpan& span, int32_t offset) {
    const int64_t range = int64_t{span.maximum} - span.minimum;
    if (range == 0 || span.usable <= 0) return span.minimum;
    const int64_t along = std::clamp<int64_t>(int64_t{offset} - span.startMargin, 0, span.usable);
    return static_cast<int32_t>(span.minimum + along * range / span.usable);
}

int QuadCoord(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, -16384, 16384));
}

int32_t ClampToRange(int32_t value, int32_t minimum, int32_t maximum) {
    return std::clamp(value, std::min(minimum, maximum), std::max(minimum, maximum));
}

} // namespace qw
