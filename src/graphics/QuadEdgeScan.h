#pragma once
// The quad rasteriser's edge scan: for every destination row between the clip window's top and
// bottom, the leftmost and rightmost x the quad's four edges reach there, with the source
// position (and light) at each end. Shared by the quad blits and by effects that draw their own
// spans over the same scan.
//
// Each edge (0→1, 1→2, 2→3, 3→0) is walked from its upper end to its lower end inclusive with x,
// u, v and light in 16.16 fixed point, stepping by ((end − start) << 16) / (rows), truncated toward
// zero; every row it crosses inside the window is offered x >> 16 and takes it as its new min x
// and/or max x (with that point's u, v, light) when it lies beyond them. A horizontal edge offers
// both ends to its row. An edge entirely above or below the window is skipped.

#include "graphics/CDIBImage.h"

namespace qw {

class QuadEdgeScan {
public:
    // Scans rows [top, bottom] (already inside the destination). Source coordinates are clamped
    // to a sourceWidth × sourceHeight surface first (no clamping when either is 0); light is
    // 255 − the corner's shade clamped to 0..255. False when no row is touched, or when a touched
    // row lies past the edge table (such quads are refused rather than drawn in part).
    bool Scan(const VertexQuad& quad, int top, int bottom, int sourceWidth, int sourceHeight);

    // The first and last row that can hold a span (valid after Scan returned true).
    int FirstRow() const { return first_; }
    int LastRow() const { return last_; }
    const ScanEdgeRow& Row(int y) const { return rows_[y]; }

private:
    int first_ = 0, last_ = -1;
    ScanEdgeRow* rows_ = nullptr;
};

} // namespace qw
