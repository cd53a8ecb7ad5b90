// Fuzz target: the picture tool's reader of any PNG (palette, gray, 16-bit, colour keys,
// interlaced) from memory.
#include <cstddef>
#include <cstdint>

#include "graphics/PngCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The tool takes sides up to 16384; 1024 keeps each run quick (the reader does not change
    // with size).
    auto picture = qw::DecodeAnyPng(qw::ByteSpan(data, size), 1024);
    if (picture) {
        volatile uint32_t sink = picture->pixels.back();
        (void)sink;
    } else {
        volatile size_t sink = picture.Reason().size();
        (void)sink;
    }
    return 0;
}
