#pragma once
// The engine's one pixel surface: 32-bit, top-down, B, G, R, A bytes per pixel (0xAARRGGBB as a
// little-endian word), not premultiplied, pitch = width × 4.
//
// This is the core (creation and pixel access); the drawing operations are added beside it.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qw {

class CDIBImage {
public:
    CDIBImage() = default;
    CDIBImage(const CDIBImage&) = delete;
    CDIBImage& operator=(const CDIBImage&) = delete;
    virtual ~CDIBImage();

    virtual void Release();
    // All pixels 0; clip rectangle (0, 0, width − 1, height − 1). False for sizes that are not
    // positive or too large to allocate.
    virtual bool Create(int width, int height);

    bool IsCreated() const { return !pixels_.empty(); }
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    uint32_t* GetPixels() { return pixels_.data(); }
    const uint32_t* GetPixels() const { return pixels_.data(); }
    uint32_t* Row(int y) { return pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_); }
    const uint32_t* Row(int y) const {
        return pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_);
    }
    size_t GetByteSize() const { return pixels_.size() * 4; }

protected:
    std::vector<uint32_t> pixels_;
    int width_ = 0;
    int height_ = 0;
    // Clip rectangle, all edges inclusive.
    int clipLeft_ = 0, clipTop_ = 0, clipRight_ = 0, clipBottom_ = 0;
};

} // namespace qw
