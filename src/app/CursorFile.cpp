#include "app/CursorFile.h"

#include <algorithm>
#include <cstring>

#include "common/Result.h"

namespace qw {
namespace {

constexpr int kMaxCursorSide = 256;

Result<platform::CursorImage> DecodeIconBitmap(ByteSpan image, int hotX, int hotY) {
    auto headerSize = LoadLE<uint32_t>(image, 0);
    auto width = LoadLE<int32_t>(image, 4);
    auto doubleHeight = LoadLE<int32_t>(image, 8);
    auto bits = LoadLE<uint16_t>(image, 14);
    auto compression = LoadLE<uint32_t>(image, 16);
    auto usedColours = LoadLE<uint32_t>(image, 32);
    if (!headerSize || *headerSize < 40 || !width || !doubleHeight || !bits || !compression ||
        !usedColours)
        return Refuse("the image's bitmap header is cut short or not a bitmap header (%zu bytes)",
                      image.size());
    int w = *width, h = *doubleHeight / 2;
    if (w <= 0 || h <= 0 || w > kMaxCursorSide || h > kMaxCursorSide)
        return Refuse("image of %d x %d: cursors are 1 to %d pixels wide and high", w, h,
                      kMaxCursorSide);
    if (*compression != 0)
        return Refuse("compressed images (compression %u) are not read", *compression);
    int bpp = *bits;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32)
        return Refuse("%d bits per pixel (1, 4, 8, 24 or 32)", bpp);
    size_t paletteEntries = bpp <= 8 ? (*usedColours ? *usedColours : (1u << bpp)) : 0;
    if (paletteEntries > 256) return Refuse("%zu palette entries (at most 256)", paletteEntries);
    size_t paletteOffset = *headerSize;
    size_t xorOffset = paletteOffset + paletteEntries * 4;
    size_t xorStride = ((static_cast<size_t>(w) * static_cast<size_t>(bpp) + 31) / 32) * 4;
    size_t andStride = ((static_cast<size_t>(w) + 31) / 32) * 4;
    size_t andOffset = xorOffset + xorStride * static_cast<size_t>(h);
    if (!FitsIn(image.size(), xorOffset, xorStride * static_cast<size_t>(h)))
        return Refuse("the %d x %d pixels (%zu bytes at %zu) run past the end of the image (%zu "
                      "bytes)",
                      w, h, xorStride * static_cast<size_t>(h), xorOffset, image.size());
    bool hasMask = FitsIn(image.size(), andOffset, andStride * static_cast<size_t>(h));

    platform::CursorImage out;
    out.width = w;
    out.height = h;
    out.hotX = hotX < w ? hotX : 0;
    out.hotY = hotY < h ? hotY : 0;
    out.pixels.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
    bool anyAlpha = false;
    for (int row = 0; row < h; ++row) {
        const uint8_t* src =
            image.data() + xorOffset + xorStride * static_cast<size_t>(h - 1 - row);
        const uint8_t* mask =
            hasMask ? image.data() + andOffset + andStride * static_cast<size_t>(h - 1 - row)
                    : nullptr;
        for (int x = 0; x < w; ++x) {
            uint32_t argb = 0;
            if (bpp == 32) {
                argb = LoadLEUnchecked<uint32_t>(src + x * 4);
                anyAlpha |= (argb >> 24) != 0;
            } else if (bpp == 24) {
                argb = 0xFF000000u | src[x * 3] | (uint32_t(src[x * 3 + 1]) << 8) |
                       (uint32_t(src[x * 3 + 2]) << 16);
            } else {
                int perByte = 8 / bpp;
                uint8_t byte = src[x / perByte];
                int shift = 8 - bpp * (x % perByte + 1);
                size_t index = (byte >> shift) & ((1u << bpp) - 1);
                if (index < paletteEntries) {
                    const uint8_t* c = image.data() + paletteOffset + index * 4;
                    argb = 0xFF000000u | c[0] | (uint32_t(c[1]) << 8) | (uint32_t(c[2]) << 16);
                }
            }
            if (bpp != 32 && mask && ((mask[x / 8] >> (7 - x % 8)) & 1)) argb = 0; // transparent
            out.pixels[static_cast<size_t>(row) * static_cast<size_t>(w) + static_cast<size_t>(x)] =
                argb;
        }
    }
    // A 32-bit image without any alpha relies on its mask.
    if (bpp == 32 && !anyAlpha) {
        for (int row = 0; row < h; ++row) {
            const uint8_t* mask =
                hasMask ? image.data() + andOffset + andStride * static_cast<size_t>(h - 1 - row)
                        : nullptr;
            for (int x = 0; x < w; ++x) {
                uint32_t& p = out.pixels[static_cast<size_t>(row) * static_cast<size_t>(w) +
                                         static_cast<size_t>(x)];
                bool transparent = mask && ((mask[x / 8] >> (7 - x % 8)) & 1);
                p = transparent ? 0 : (p | 0xFF000000u);
            }
        }
    }
    return out;
}

Result<platform::CursorImage> DecodeIconDirectory(ByteSpan file) {
    auto reserved = LoadLE<uint16_t>(file, 0);
    auto type = LoadLE<uint16_t>(file, 2);
    auto count = LoadLE<uint16_t>(file, 4);
    if (!reserved || *reserved != 0 || !type || (*type != 1 && *type != 2))
        return Refuse("not a cursor or icon file (no icon directory)");
    if (!count || *count == 0) return Refuse("the icon directory holds no image");
    auto hotX = LoadLE<uint16_t>(file, 6 + 4);
    auto hotY = LoadLE<uint16_t>(file, 6 + 6);
    auto size = LoadLE<uint32_t>(file, 6 + 8);
    auto offset = LoadLE<uint32_t>(file, 6 + 12);
    if (!hotX || !hotY || !size || !offset)
        return Refuse("the icon directory is cut short (%zu bytes)", file.size());
    if (!FitsIn(file.size(), *offset, *size))
        return Refuse("image 0: offset %u + size %u is past the end of the file (%zu bytes)",
                      *offset, *size, file.size());
    int hx = *type == 2 ? *hotX : 0, hy = *type == 2 ? *hotY : 0;
    return DecodeIconBitmap(file.subspan(*offset, *size), hx, hy);
}

// One RIFF chunk: its four-letter id and its payload, cut to the bytes its parent holds.
struct RiffChunk {
    const uint8_t* id;
    ByteSpan body;
    bool whole; // the payload lies wholly inside the parent
};

// The chunk at `pos` inside `region`, and the position of the next one. Sizes are 32-bit and
// positions 64-bit, so the step (at least 8 bytes) cannot wrap to 0 and the walk always ends.
std::optional<RiffChunk> NextChunk(ByteSpan region, size_t& pos) {
    auto size = LoadLE<uint32_t>(region, pos + 4);
    if (!size) return std::nullopt;
    size_t available = region.size() - (pos + 8);
    bool whole = *size <= available;
    RiffChunk chunk{region.data() + pos, region.subspan(pos + 8, whole ? *size : available), whole};
    pos += 8 + static_cast<size_t>(*size) + (*size & 1u);
    return chunk;
}

// The first "icon" chunk inside the "fram" list of an animated cursor.
Result<ByteSpan> FirstAniFrame(ByteSpan file) {
    auto riffSize = LoadLE<uint32_t>(file, 4);
    if (!riffSize || std::memcmp(file.data(), "RIFF", 4) != 0 ||
        std::memcmp(file.data() + 8, "ACON", 4) != 0)
        return Refuse("a RIFF file that is not an animated cursor (no ACON)");
    // A RIFF or list size larger than the file is tolerated: the chunks that are there are read.
    ByteSpan riff = file.first(std::min<uint64_t>(file.size(), uint64_t{*riffSize} + 8));
    size_t pos = 12;
    while (auto chunk = NextChunk(riff, pos)) {
        if (std::memcmp(chunk->id, "LIST", 4) != 0 || chunk->body.size() < 4 ||
            std::memcmp(chunk->body.data(), "fram", 4) != 0)
            continue;
        size_t inner = 4;
        while (auto frame = NextChunk(chunk->body, inner))
            if (frame->whole && std::memcmp(frame->id, "icon", 4) == 0) return frame->body;
        return Refuse("the animated cursor's frame list holds no whole icon");
    }
    return Refuse("the animated cursor has no frame list (LIST fram)");
}

} // namespace

Result<platform::CursorImage> DecodeCursorFile(ByteSpan file) {
    if (file.size() >= 12 && std::memcmp(file.data(), "RIFF", 4) == 0) {
        auto frame = FirstAniFrame(file);
        if (!frame) return Refusal{frame.Reason()};
        auto image = DecodeIconDirectory(*frame);
        if (!image) return Refuse("first frame: %s", image.Reason().c_str());
        return image;
    }
    return DecodeIconDirectory(file);
}

} // namespace qw
