#include "app/CScreenBuffer.h"

#include <algorithm>

#include "graphics/CDIBImage.h"

namespace qw {

namespace {
int Clamp(int v, int lo, int hi) {
    return std::max(lo, std::min(v, hi));
}
} // namespace

CScreenBuffer::CScreenBuffer() = default;
CScreenBuffer::~CScreenBuffer() {
    Release();
}

bool CScreenBuffer::Initialize() {
    Release();
    image_ = std::make_unique<CDIBImage>();
    if (!image_->Create(kWidth, kHeight)) return false;
    image_->CreateRGN();
    regions_[0].Clear();
    regions_[1].Clear();
    current_ = 0;
    return true;
}

void CScreenBuffer::Release() {
    image_.reset();
    regions_[0].Clear();
    regions_[1].Clear();
    rectList_.clear();
    hasRectList_ = false;
}

void CScreenBuffer::AddDirtyRect(int left, int top, int right, int bottom) {
    // The corners are inclusive, so the area ends one past them: a rectangle touching the right
    // or bottom edge marks the last column or row too.
    left = Clamp(left, 0, kWidth - 1);
    right = Clamp(right, 0, kWidth - 1);
    top = Clamp(top, 0, kHeight - 1);
    bottom = Clamp(bottom, 0, kHeight - 1);
    if (right < left || bottom < top) return;
    Current().AddRect(left, top, right + 1, bottom + 1);
}

void CScreenBuffer::AddDirtyQuad(const int16_t x[4], const int16_t y[4]) {
    int left = std::min({x[0], x[1], x[2], x[3]}), right = std::max({x[0], x[1], x[2], x[3]});
    int top = std::min({y[0], y[1], y[2], y[3]}), bottom = std::max({y[0], y[1], y[2], y[3]});
    AddDirtyRect(left, top, right, bottom);
}

void CScreenBuffer::InvalidateAll() {
    Current().AddRect(0, 0, kWidth, kHeight);
}

void CScreenBuffer::FlipDirty() {
    current_ ^= 1;
    Current().Clear();
    hasRectList_ = false;
}

void CScreenBuffer::BuildRectList() {
    CRegion both = regions_[0];
    both.Union(regions_[1]);
    rectList_.clear();
    for (RegionRect r : both.Rects()) {
        r.left = Clamp(r.left, 0, kWidth);
        r.right = Clamp(r.right, 0, kWidth);
        r.top = Clamp(r.top, 0, kHeight);
        r.bottom = Clamp(r.bottom, 0, kHeight);
        if (!r.IsEmpty()) rectList_.push_back(r);
    }
    hasRectList_ = true;
}

std::vector<platform::Rect> CScreenBuffer::DirtyRects() const {
    CRegion both = regions_[0];
    both.Union(regions_[1]);
    std::vector<platform::Rect> out;
    for (const RegionRect& r : both.Rects())
        out.push_back({r.left, r.top, r.right, r.bottom});
    return out;
}

} // namespace qw
