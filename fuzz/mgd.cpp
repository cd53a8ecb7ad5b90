// Fuzz target: ".MGD" picture files decoded from memory (header, raw, run-length and PNG data,
// element table).
#include <cstddef>
#include <cstdint>

#include "graphics/CDIBSprite.h"
#include "graphics/MgdFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const qw::ByteSpan file(data, size);
    // The surface is made at the size the header claims before any data is read; keep each run
    // quick by skipping claims above a megapixel (the decoders do not change with size).
    if (const auto header = qw::ParseMgdHeader(file);
        header && size_t{header->width} * header->height > (size_t{1} << 20))
        return 0;
    qw::CDIBSprite sprite;
    if (sprite.Decode(file)) {
        // Everything a caller may look at after a successful decode.
        volatile uint32_t sink = 0;
        for (const qw::SpriteElement& e : sprite.GetElements())
            sink = sink + uint32_t(e.x + e.w);
        sink = sink + sprite.GetPixels()[sprite.GetByteSize() / 4 - 1];
    }
    return 0;
}
