#pragma once
// A set of pixels made of rectangles, the engine's stand-in for the system's rectangle regions.
// Rectangles follow the system's rule: left and top included, right and bottom excluded, so
// (0, 0, 10, 5) covers columns 0–9 of rows 0–4.
//
// The set is kept as horizontal bands (rows with the same run of spans), sorted top to bottom and
// left to right, with vertically adjacent bands of equal spans merged. `Rects()` lists it as
// non-overlapping rectangles in that order, like the system's region data.
//
// Like the system calls it stands for, it leaves the execution trace alone.

#include <vector>

namespace qw {

struct RegionRect {
    int left = 0, top = 0, right = 0, bottom = 0; // right and bottom excluded

    bool IsEmpty() const { return right <= left || bottom <= top; }
    friend bool operator==(const RegionRect&, const RegionRect&) = default;
};

class CRegion {
public:
    // Adds the rectangle; one with right <= left or bottom <= top adds nothing.
    void AddRect(int left, int top, int right, int bottom);
    void AddRect(const RegionRect& r) { AddRect(r.left, r.top, r.right, r.bottom); }
    void Union(const CRegion& other);
    // Removes the rectangle (same rule: an empty one removes nothing).
    void Subtract(int left, int top, int right, int bottom);
    void Subtract(const RegionRect& r) { Subtract(r.left, r.top, r.right, r.bottom); }
    void Clear() { bands_.clear(); }

    bool IsEmpty() const { return bands_.empty(); }
    bool Contains(int x, int y) const;
    // Smallest rectangle holding the whole set; all zero when empty.
    RegionRect Bounds() const;
    std::vector<RegionRect> Rects() const;

    friend bool operator==(const CRegion&, const CRegion&) = default;

private:
    struct Span {
        int left, right; // right excluded
        friend bool operator==(const Span&, const Span&) = default;
    };
    struct Band {
        int top, bottom; // bottom excluded
        std::vector<Span> spans;
        friend bool operator==(const Band&, const Band&) = default;
    };
    enum class Op { Union, Subtract };

    void Combine(const std::vector<Band>& other, Op op);

    std::vector<Band> bands_;
};

} // namespace qw
