#include "graphics/CDIBImage.h"

#include <new>

#include "app/ExecLog.h"

namespace qw {

CDIBImage::~CDIBImage() { CDIBImage::Release(); }

void CDIBImage::Release() {
    AddExecLog("CDIBImage::Release");
    std::vector<uint32_t>().swap(pixels_);
    width_ = height_ = 0;
    clipLeft_ = clipTop_ = clipRight_ = clipBottom_ = 0;
}

bool CDIBImage::Create(int width, int height) {
    AddExecLog("CDIBImage::Create");
    Release();
    // 16384 × 16384 is far beyond any picture the engine shows and keeps sizes in 32 bits.
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return false;
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

} // namespace qw
