#pragma once
// The largest surface the engine makes. 16384 × 16384 is far beyond any picture the engine shows
// and keeps sizes in 32 bits; readers check a file's size against it before they allocate.

namespace qw {

inline constexpr int kMaxImageSide = 16384;

constexpr bool IsCreatableImageSize(int width, int height) {
    return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide;
}

} // namespace qw
