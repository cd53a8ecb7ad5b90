#include "graphics/MgdFormat.h"

namespace qw {

std::optional<MgdHeader> ParseMgdHeader(ByteSpan file) {
    if (file.size() < kMgdHeaderSize) return std::nullopt;
    MgdHeader h;
    h.format = LoadLEUnchecked<uint16_t>(file.data() + kMgdFormatOffset);
    h.width = LoadLEUnchecked<uint16_t>(file.data() + kMgdWidthOffset);
    h.height = LoadLEUnchecked<uint16_t>(file.data() + kMgdHeightOffset);
    h.encoding = LoadLEUnchecked<uint16_t>(file.data() + kMgdEncodingOffset);
    h.dataSize = LoadLEUnchecked<uint32_t>(file.data() + kMgdDataSizeOffset);
    return h;
}

Bytes BuildMgdFile(uint16_t width, uint16_t height, MgdEncoding encoding, ByteSpan data,
                   std::span<const SpriteElement> elements, int elementWords) {
    uint8_t header[kMgdHeaderSize] = {'Q', 'W', 'M', 'G', 'D'};
    // The format number stays 0.
    StoreLEUnchecked<uint16_t>(header + kMgdWidthOffset, width);
    StoreLEUnchecked<uint16_t>(header + kMgdHeightOffset, height);
    StoreLEUnchecked<uint16_t>(header + kMgdEncodingOffset, static_cast<uint16_t>(encoding));
    StoreLEUnchecked<uint32_t>(header + kMgdDataSizeOffset, static_cast<uint32_t>(data.size()));
    ByteWriter w;
    w.PutBytes(ByteSpan(header));
    w.PutBytes(data);
    w.PutZeros(kMgdSpareAfterData);
    w.Put<uint16_t>(static_cast<uint16_t>(elements.size()));
    w.Put<uint16_t>(static_cast<uint16_t>(elementWords));
    for (const SpriteElement& e : elements) {
        w.Put<int16_t>(e.x);
        w.Put<int16_t>(e.y);
        w.Put<int16_t>(e.w);
        w.Put<int16_t>(e.h);
        if (elementWords == 6) {
            w.Put<int16_t>(e.extra0);
            w.Put<int16_t>(e.extra1);
        }
    }
    return w.Take();
}

} // namespace qw
