// CDIBImage: creation, the dirty region, fills and the quad helpers.

#include "graphics/CDIBImage.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "common/ExecLog.h"
#include "graphics/ImageLimits.h"
#include "graphics/PixelKernels.h"
#include "graphics/PixelRules.h"

namespace qw {

int32_t FixMul16(int32_t a, int32_t b) {
    return static_cast<int32_t>((static_cast<int64_t>(a) * static_cast<int64_t>(b)) >> 16);
}

void BlendPixel(uint32_t* dst, uint32_t src, uint32_t colour) {
    *dst = pixel::Blend(*dst, src, colour);
}

CDIBImage::~CDIBImage() {
    CDIBImage::Release();
}

void CDIBImage::Release() {
    AddExecLog("CDIBImage::Release");
    std::vector<uint32_t>().swap(pixels_);
    width_ = height_ = 0;
    region_.reset();
    regionData_.reset();
    clipLeft_ = clipTop_ = clipRight_ = clipBottom_ = 0;
}

bool CDIBImage::Create(int width, int height) {
    AddExecLog("CDIBImage::Create");
    Release();
    if (!IsCreatableImageSize(width, height)) return false;
    try {
        pixels_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    width_ = width;
    height_ = height;
    clipLeft_ = clipTop_ = 0;
    clipRight_ = width - 1;
    clipBottom_ = height - 1;
    return true;
}

void CDIBImage::SetClipRect(int left, int top, int right, int bottom) {
    AddExecLog("CDIBImage::SetClipRect");
    clipLeft_ = left;
    clipTop_ = top;
    clipRight_ = right;
    clipBottom_ = bottom;
}

CDIBImage::Window CDIBImage::ClipWindow() const {
    return {std::max(clipLeft_, 0), std::max(clipTop_, 0), std::min(clipRight_, width_ - 1),
            std::min(clipBottom_, height_ - 1)};
}

// ---- Dirty region ----

void CDIBImage::CreateRGN() {
    AddExecLog("CDIBImage::CreateRGN");
    region_ = std::make_unique<CRegion>();
}

CRegion* CDIBImage::GetRGN() {
    AddExecLog("CDIBImage::GetRGN");
    return region_.get();
}

void CDIBImage::ClearRGN() {
    AddExecLog("CDIBImage::ClearRGN");
    if (region_) region_->Subtract(0, 0, width_ - 1, height_ - 1);
}

void CDIBImage::MergeRGN(const CRegion* region) {
    AddExecLog("CDIBImage::MergeRGN");
    if (region_ && region) region_->Union(*region);
}

void CDIBImage::FullRGN() {
    AddExecLog("CDIBImage::FullRGN");
    if (region_) region_->AddRect(0, 0, width_ - 1, height_ - 1);
}

void CDIBImage::AddRGN(const VertexQuad& quad) {
    AddExecLog("CDIBImage::AddRGN");
    if (!region_) return;
    int left = quad.corner[0].x, right = left, top = quad.corner[0].y, bottom = top;
    for (const QuadCorner& c : quad.corner) {
        left = std::min<int>(left, c.x);
        right = std::max<int>(right, c.x);
        top = std::min<int>(top, c.y);
        bottom = std::max<int>(bottom, c.y);
    }
    region_->AddRect(left, top, right + 1, bottom + 1);
}

void CDIBImage::AddRGN(int left, int top, int right, int bottom) {
    AddExecLog("CDIBImage::AddRGN");
    if (!region_) return;
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    region_->AddRect(left, top, right, bottom);
}

void CDIBImage::UpdateRegionData() {
    AddExecLog("CDIBImage::UpdateRegionData");
    regionData_.reset();
    if (region_) regionData_ = std::make_unique<std::vector<RegionRect>>(region_->Rects());
}

const std::vector<RegionRect>* CDIBImage::GetRegionData() const {
    AddExecLog("CDIBImage::GetRegionData");
    return regionData_.get();
}

// ---- Fills ----

void CDIBImage::FillFull(uint32_t colour) {
    AddExecLog("CDIBImage::FillFull");
    ActivePixelKernels().fill(pixels_.data(), pixels_.size(), colour);
}

void CDIBImage::FillAlpha(uint8_t alpha) {
    AddExecLog("CDIBImage::FillAlpha");
    const uint32_t a = static_cast<uint32_t>(alpha) << 24;
    for (uint32_t& p : pixels_)
        p = (p & 0x00FFFFFFu) | a;
}

void CDIBImage::FillBox(uint32_t colour, int x, int y, int w, int h) {
    AddExecLog("CDIBImage::FillBox");
    const Window win = ClipWindow();
    const int64_t left = std::max<int64_t>(x, win.left);
    const int64_t top = std::max<int64_t>(y, win.top);
    const int64_t right = std::min<int64_t>(int64_t{x} + w - 1, win.right);
    const int64_t bottom = std::min<int64_t>(int64_t{y} + h - 1, win.bottom);
    if (left > right || top > bottom) return;
    const PixelKernels& k = ActivePixelKernels();
    for (int64_t row = top; row <= bottom; ++row)
        k.fill(Row(static_cast<int>(row)) + left, static_cast<size_t>(right - left + 1), colour);
}

void CDIBImage::Copy(void* buffer) const {
    AddExecLog("CDIBImage::Copy");
    if (buffer && !pixels_.empty()) std::memcpy(buffer, pixels_.data(), GetByteSize());
}

// ---- Quad helpers ----

VertexQuad& SetNowhereQuad(VertexQuad& quad, uint32_t colour) {
    for (QuadCorner& c : quad.corner)
        c = {INT16_MIN, INT16_MIN, 0};
    for (QuadSource& s : quad.source)
        s = {0, 0};
    quad.colour = colour;
    return quad;
}

VertexQuad& CDIBImage::SetVertex(VertexQuad& quad, int x, int y, int sx, int sy, int w, int h,
                                 uint32_t colour) {
    AddExecLog("CDIBImage::SetVertex");
    const auto i16 = [](int v) { return static_cast<int16_t>(v); };
    quad.corner[0] = {i16(x), i16(y), 0};
    quad.corner[1] = {i16(x + w - 1), i16(y), 0};
    quad.corner[2] = {i16(x + w - 1), i16(y + h - 1), 0};
    quad.corner[3] = {i16(x), i16(y + h - 1), 0};
    quad.source[0] = {i16(sx), i16(sy)};
    quad.source[1] = {i16(sx + w - 1), i16(sy)};
    quad.source[2] = {i16(sx + w - 1), i16(sy + h - 1)};
    quad.source[3] = {i16(sx), i16(sy + h - 1)};
    quad.colour = colour;
    return quad;
}

VertexQuad& CDIBImage::SetStretchVertex(VertexQuad& quad, int x, int y, int w, int h,
                                        uint32_t colour) {
    AddExecLog("CDIBImage::SetStretchVertex");
    const auto i16 = [](int v) { return static_cast<int16_t>(v); };
    quad.corner[0] = {i16(x), i16(y), 0};
    quad.corner[1] = {i16(x + w - 1), i16(y), 0};
    quad.corner[2] = {i16(x + w - 1), i16(y + h - 1), 0};
    quad.corner[3] = {i16(x), i16(y + h - 1), 0};
    quad.source[0] = {0, 0};
    quad.source[1] = {i16(width_ - 1), 0};
    quad.source[2] = {i16(width_ - 1), i16(height_ - 1)};
    quad.source[3] = {0, i16(height_ - 1)};
    quad.colour = colour;
    return quad;
}

} // namespace qw
