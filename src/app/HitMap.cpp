#include "app/HitMap.h"

#include <cstring>

#include "common/Result.h"

namespace qw {

Result<std::vector<uint8_t>> DecodeHitMap(ByteSpan file) {
    constexpr size_t kPixelOffset = 1078;
    constexpr size_t kSize = static_cast<size_t>(kHitMapWidth) * kHitMapHeight;
    auto magic = LoadLE<uint16_t>(file, 0);
    auto width = LoadLE<int32_t>(file, 18);
    auto height = LoadLE<int32_t>(file, 22);
    auto bits = LoadLE<uint16_t>(file, 28);
    if (!magic || *magic != 0x4D42 || !width || !height || !bits)
        return Refuse("not a bitmap file (%zu bytes, no BM header)", file.size());
    if (*width != kHitMapWidth || (*height != kHitMapHeight && *height != -kHitMapHeight) ||
        *bits != 8)
        return Refuse("a %d x %d bitmap of %u bits per pixel; hit maps are 800 x 600 of 8 bits",
                      *width, *height, *bits);
    if (!FitsIn(file.size(), kPixelOffset, kSize))
        return Refuse("the pixels (%zu bytes at %zu) run past the end of the file (%zu bytes)",
                      kSize, kPixelOffset, file.size());
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

Bytes EncodeHitMap(std::span<const uint8_t> pixels) {
    constexpr size_t kSize = static_cast<size_t>(kHitMapWidth) * kHitMapHeight;
    if (pixels.size() != kSize) return {};
    ByteWriter w;
    w.Put<uint16_t>(0x4D42); // "BM"
    w.Put<uint32_t>(static_cast<uint32_t>(1078 + kSize));
    w.Put<uint32_t>(0);
    w.Put<uint32_t>(1078); // pixels after the headers and the palette
    w.Put<uint32_t>(40);
    w.Put<int32_t>(kHitMapWidth);
    w.Put<int32_t>(kHitMapHeight); // positive: bottom row first
    w.Put<uint16_t>(1);
    w.Put<uint16_t>(8);
    w.Put<uint32_t>(0); // no compression
    w.Put<uint32_t>(static_cast<uint32_t>(kSize));
    w.PutZeros(16);
    for (uint32_t i = 0; i < 256; ++i)
        w.Put<uint32_t>(i * 0x010101u);
    for (int row = kHitMapHeight - 1; row >= 0; --row)
        w.PutBytes(pixels.subspan(static_cast<size_t>(row) * kHitMapWidth, kHitMapWidth));
    return w.Take();
}

} // namespace qw
