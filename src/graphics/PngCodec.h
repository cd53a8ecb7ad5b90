#pragma once
// PNG pictures in memory, through libpng: decoding straight into a surface's pixels (the ".MGD"
// PNG encoding, and the picture tool's input) and encoding a surface (the tool's output).
// libpng is used nowhere else in the engine.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "common/Bytes.h"
#include "common/Result.h"

namespace qw {

inline constexpr int kPngColorPalette = 3;
inline constexpr int kPngColorMaskAlpha = 4;

// What the IHDR chunk says, read without libpng.
struct PngHeader {
    uint32_t width = 0;
    uint32_t height = 0;
    int bitDepth = 0;
    int colorType = 0;
    bool HasAlpha() const { return (colorType & kPngColorMaskAlpha) != 0; }
};
std::optional<PngHeader> ReadPngHeader(ByteSpan png);

// Decodes a PNG stream into `pixels`, `width` × `height` words of B, G, R, A, rows top to
// bottom. Pictures with an alpha channel keep it; others get alpha 0. Returns the bytes read up
// to the end of the stream (its IEND chunk).
//
// Refused (nullopt): a bad signature, palette pictures, a size other than width × height, and
// any error libpng reports (each recorded with the trace as "CDIBSprite::PNGReadError", as are
// its warnings). Gray pictures are widened to RGB and 16-bit channels cut to 8 bits.
std::optional<size_t> DecodePng(ByteSpan png, uint32_t* pixels, int width, int height);

// Whether `png` can possibly decode to a `width` × `height` picture, judged without libpng and
// before the pixels are allocated: its header names that size and a colour type other than
// palette, and the stream is long enough for that many pixels at deflate's best ratio (1032:1).
bool PngCanFill(ByteSpan png, int width, int height);

// A picture of any kind the PNG format allows, for the picture tool (the engine's own decoder
// above keeps its narrower rules): palette with or without tRNS, gray and gray + alpha, RGB and
// RGBA, 1 to 16 bits, interlaced or not. Converted to 8-bit B, G, R, A words as the format
// defines the samples: lower depths widened by bit replication, 16-bit samples cut to their high
// byte, a tRNS colour key making the pixels that match it (compared at full depth) alpha 0 and
// the others 255, palette entries past the tRNS list opaque, and pictures with no alpha of any
// kind opaque. No gamma or colour-profile correction: the stored samples are the colours.
struct PngPicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // rows top to bottom
};

// Refused with the reason: not a PNG, a side of 0 or above `maxSide`, a stream too short to hold
// the pixels (judged before they are allocated), a palette index past the palette, and any
// error libpng reports (its text).
Result<PngPicture> DecodeAnyPng(ByteSpan png, int maxSide);

// An 8-bit PNG of `pixels` (B, G, R, A words): colour type RGBA when `withAlpha`, else RGB with
// the alpha bytes dropped. `level` is the zlib level (0–9). Empty when libpng fails.
Bytes EncodePng(const uint32_t* pixels, int width, int height, bool withAlpha, int level = 6);

} // namespace qw
