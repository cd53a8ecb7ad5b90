#include "graphics/CRegion.h"

#include <algorithm>

namespace qw {

namespace {

// The spans of `bands` that cover row band [top, bottom), or nullptr. Bands never overlap, so a
// row interval that starts inside a band ends inside it too when the breakpoints come from both
// operands.
template <typename Band>
const Band* BandAt(const std::vector<Band>& bands, size_t& cursor, int top) {
    while (cursor < bands.size() && bands[cursor].bottom <= top)
        ++cursor;
    if (cursor < bands.size() && bands[cursor].top <= top) return &bands[cursor];
    return nullptr;
}

} // namespace

void CRegion::AddRect(int left, int top, int right, int bottom) {
    if (right <= left || bottom <= top) return;
    Combine({Band{top, bottom, {Span{left, right}}}}, Op::Union);
}

void CRegion::Union(const CRegion& other) {
    if (&other == this) return;
    Combine(other.bands_, Op::Union);
}

void CRegion::Subtract(int left, int top, int right, int bottom) {
    if (right <= left || bottom <= top || bands_.empty()) return;
    Combine({Band{top, bottom, {Span{left, right}}}}, Op::Subtract);
}

void CRegion::Combine(const std::vector<Band>& other, Op op) {
    // Every top and bottom of both operands splits the rows into intervals inside which both
    // sides are constant; each interval's spans are merged on their own.
    std::vector<int> ys;
    ys.reserve((bands_.size() + other.size()) * 2);
    for (const Band& b : bands_)
        ys.insert(ys.end(), {b.top, b.bottom});
    for (const Band& b : other)
        ys.insert(ys.end(), {b.top, b.bottom});
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());

    std::vector<Band> result;
    size_t ca = 0, cb = 0;
    std::vector<Span> spans;
    for (size_t i = 0; i + 1 < ys.size(); ++i) {
        const int top = ys[i], bottom = ys[i + 1];
        const Band* a = BandAt(bands_, ca, top);
        const Band* b = BandAt(other, cb, top);
        spans.clear();
        if (op == Op::Union) {
            // Merge the two sorted span lists, joining spans that touch or overlap.
            std::vector<Span> all;
            if (a) all = a->spans;
            if (b) all.insert(all.end(), b->spans.begin(), b->spans.end());
            std::sort(all.begin(), all.end(),
                      [](const Span& x, const Span& y) { return x.left < y.left; });
            for (const Span& s : all) {
                if (!spans.empty() && s.left <= spans.back().right)
                    spans.back().right = std::max(spans.back().right, s.right);
                else
                    spans.push_back(s);
            }
        } else if (a) {
            for (Span s : a->spans) {
                if (b) {
                    for (const Span& cut : b->spans) {
                        if (cut.right <= s.left || cut.left >= s.right) continue;
                        if (cut.left > s.left) spans.push_back({s.left, cut.left});
                        s.left = cut.right;
                        if (s.left >= s.right) break;
                    }
                }
                if (s.left < s.right) spans.push_back(s);
            }
        }
        if (spans.empty()) continue;
        // Join with the band above when it touches and has the same spans.
        if (!result.empty() && result.back().bottom == top && result.back().spans == spans)
            result.back().bottom = bottom;
        else
            result.push_back(Band{top, bottom, spans});
    }
    bands_ = std::move(result);
}

bool CRegion::Contains(int x, int y) const {
    for (const Band& b : bands_) {
        if (y < b.top || y >= b.bottom) continue;
        for (const Span& s : b.spans)
            if (x >= s.left && x < s.right) return true;
    }
    return false;
}

RegionRect CRegion::Bounds() const {
    if (bands_.empty()) return {};
    RegionRect r{bands_.front().spans.front().left, bands_.front().top,
                 bands_.front().spans.back().right, bands_.back().bottom};
    for (const Band& b : bands_) {
        r.left = std::min(r.left, b.spans.front().left);
        r.right = std::max(r.right, b.spans.back().right);
    }
    return r;
}

std::vector<RegionRect> CRegion::Rects() const {
    std::vector<RegionRect> rects;
    for (const Band& b : bands_)
        for (const Span& s : b.spans)
            rects.push_back({s.left, b.top, s.right, b.bottom});
    return rects;
}

} // namespace qw
