#pragma once
// The frame the pictures end up in, as the drawing code sees it: the part that has to be drawn
// again. The application's screen buffer is one; the drawing code is handed it (CDIBSnrVVram's
// Initialize) and never looks for it itself.

#include <vector>

#include "graphics/CRegion.h"

namespace qw {

class FrameDirtyArea {
public:
    // Inclusive corners, each clamped to the frame.
    virtual void AddDirtyRect(int left, int top, int right, int bottom) = 0;
    // The whole frame is to be drawn again.
    virtual void InvalidateAll() = 0;
    // The rectangles to draw in this frame, or null when there is no list (then all of it).
    virtual const std::vector<RegionRect>* GetRectList() const = 0;

protected:
    ~FrameDirtyArea() = default;
};

} // namespace qw
