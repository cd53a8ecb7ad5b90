#pragma once
// The geometry rules of the controls, kept apart so they can be checked on their own: the hit
// test of a drawn quad and the slider's value-to-position mapping in both directions.

#include <cstdint>

#include "graphics/CDIBImage.h"

namespace qw {

// True when (x, y) lies inside the quad or on its edges: for each edge from corner i to corner
// i + 1 (cyclic), (y1 - y0)(x - x0) - (x1 - x0)(y - y0) is not greater than 0. A quad of zero
// area (all corners on one line) is never hit; the bare edge test would take it as hit all along
// its line, or everywhere.
bool QuadContains(const VertexQuad& quad, int x, int y);

// A slider's track along its axis: the usable length is the track length minus both margins.
struct SliderSpan {
    int32_t minimum = 0, maximum = 0;
    int32_t startMargin = 0;
    int32_t usable = 0;
};

// Where the knob's centre lies, from the track's start: start margin + (value - minimum) × usable
// / (maximum - minimum), truncated toward zero, with the value's part clamped to 0 … usable. At
// the start when minimum = maximum or usable ≤ 0.
int64_t SliderKnobCentre(const SliderSpan& span, int32_t value);

// The value at `offset` pixels from the track's start: (offset - start margin) clamped to
// 0 … usable, then minimum + that × (maximum - minimum) / usable, truncated toward zero. The
// minimum when minimum = maximum or usable ≤ 0.
int32_t SliderValueAt(const SliderSpan& span, int32_t offset);

// A position as quads take it: kept within ±16384, so a far-off control stays far off instead
// of wrapping round the 16-bit corners into view.
int QuadCoord(int64_t v);

// `value` clamped to the range, whichever way round its ends are.
int32_t ClampToRange(int32_t value, int32_t minimum, int32_t maximum);

} // namespace qw
