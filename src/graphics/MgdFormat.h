#pragma once
// Layout of the engine's picture files (".MGD"): a 96-byte header, the picture data block, eight
// spare bytes and the table of sprite elements. All numbers are little-endian.
//
//   6   uint16  format number (2 to 5 are refused)      24  uint16  encoding (MgdEncoding)
//   12  uint16  width                                    92  uint32  N, size of the data block
//   14  uint16  height                                   96  N bytes picture data
//   after the data: 8 spare bytes, uint16 element count, uint16 words per element (4 or 6),
//   then count × words int16 (x, y, w, h and, with 6 words, two more).
//
// The other header bytes are spare: the reader ignores them and the writer leaves them zero,
// apart from a "QWMGD" tag at offset 0 that only helps a person looking at a file.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "common/Bytes.h"

namespace qw {

inline constexpr size_t kMgdHeaderSize = 96;
inline constexpr size_t kMgdFormatOffset = 6;
inline constexpr size_t kMgdWidthOffset = 12;
inline constexpr size_t kMgdHeightOffset = 14;
inline constexpr size_t kMgdEncodingOffset = 24;
inline constexpr size_t kMgdDataSizeOffset = 92;
// Between the end of the picture data and the element count.
inline constexpr size_t kMgdSpareAfterData = 8;

enum class MgdEncoding : uint16_t { Raw = 0, RunLength = 1, Png = 2 };

struct MgdHeader {
    uint16_t format = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t encoding = 0;
    uint32_t dataSize = 0;
};

// One sprite element: a rectangle inside the picture and two further words that a file may
// supply (0 when its table has four words per element).
struct SpriteElement {
    int16_t x = 0, y = 0, w = 0, h = 0;
    int16_t extra0 = 0, extra1 = 0;
    bool operator==(const SpriteElement&) const = default;
};

// nullopt when the file is shorter than the header.
std::optional<MgdHeader> ParseMgdHeader(ByteSpan file);

// Format numbers 2 to 5 belong to layouts this reader does not know.
constexpr bool IsRefusedMgdFormat(uint16_t format) {
    return format >= 2 && format <= 5;
}

// A whole file: header, `data` as the picture block (encoded as `encoding` says), and the
// element table with `elementWords` (4 or 6) words per element.
Bytes BuildMgdFile(uint16_t width, uint16_t height, MgdEncoding encoding, ByteSpan data,
                   std::span<const SpriteElement> elements, int elementWords);

} // namespace qw
