#include "app/HitMap.h"

#include <cstring>

namespace qw {

std::optional<std::vector<uint8_t>> DecodeHitMap(ByteSpan file) {
    constexpr size_t kPixelOffset = 1078;
    constexpr size_t kSize = static_cast<size_t>(kHitMapWidth) * kHitMapHeight;
    auto magic = LoadLE<uint16_t>(file, 0);
    auto width = LoadLE<int32_t>(file, 18);
    auto height = LoadLE<int32_t>(file, 22);
    auto bits = LoadLE<uint16_t>(file, 28);
    if (!magic || *magic != 0x4D42 || !width || !height || !bits) return std::nullopt;
    if (*width != kHitMapWidth || (*height != kHitMapHeight && *height != -kHitMapHeight) ||
        *bits != 8)
        return std::nullopt;
    if (!FitsIn(file.size(), kPixelOffset, kSize)) return std::nullopt;
    std::vector<uint8_t> pixels(kSize);
    const uint8_t* src = file.data() + kPixelOffset;
    for (int row = 0; row < kHitMapHeight; ++row) {
        // A positive height is a bottom-up file.
        int fileRow = *height > 0 ? kHitMapHeight - 1 - row : row;
        std::memcpy(pixels.data() + static_cast<size_t>(row) * kHitMapWidth,
                    src + static_cast<size_t>(fileRow) * kHitMapWidth, kHitMapWidth);
    }
    return pixels;
}

} // namespace qw
