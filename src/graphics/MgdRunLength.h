#pragma once
// The run-length picture data of ".MGD" files (encoding 1): an alpha plane and a colour plane,
// each a stream preceded by its byte length (uint32), both walking the pixels row by row.
//
// Alpha stream, 16-bit control words:
//   bit 15 clear  literal: the next (word & 0x7FFF) bytes are the alphas of as many pixels
//   bit 15 set    repeat:  the next byte is the alpha of (word & 0x7FFF) + 1 pixels
// Colour stream, control bytes (kind = byte & 0xC0, n = byte & 0x3F):
//   0x00  literal: n pixels of 3 bytes B, G, R
//   0x40  repeat:  n + 1 pixels of the colour in the next 3 bytes
//   0x80  delta:   n pixels of one 16-bit word each, changing the colour of the pixel before:
//                  bit 15 set: R += bits 10-14, G += bits 5-9, B += bits 0-4;
//                  bit 15 clear: R ± bits 10-13 (minus when bit 14), G ± bits 5-8 (bit 9),
//                  B ± bits 0-3 (bit 4); all modulo 256
//   0xC0  invalid: skipped

#include <cstddef>
#include <cstdint>
#include <optional>

#include "common/Bytes.h"

namespace qw {

// Decodes both planes of `data` into `pixels` (`count` words, all 0 on entry): the alpha plane
// writes alpha << 24, the colour plane ORs B, G, R into it. Returns the bytes read, or nullopt
// when a run or a stream reaches past the end of its data. Runs past the last pixel are cut
// there; a delta run at the very first pixel starts from black. Invalid colour control bytes
// are recorded with the trace and skipped.
std::optional<size_t> DecodeRunLengthPlanes(ByteSpan data, uint32_t* pixels, size_t count);

// The most pixels the colour plane of `data` could cover, judged from its length alone (a
// repeat run covers 64 pixels in 4 bytes); 0 when the streams' lengths run past `data`. Lets a
// reader refuse a picture far larger than its data before allocating it.
size_t RunLengthPlanesReach(ByteSpan data);

// The smallest stream this format can hold for `pixels` (an exact shortest-path choice among
// literal, repeat and delta runs), as the decoder reads it: both length-prefixed streams.
Bytes EncodeRunLengthPlanes(const uint32_t* pixels, size_t count);

} // namespace qw
