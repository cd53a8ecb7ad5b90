#pragma once
// Hit maps: Windows bitmap files holding an 8-bit palette picture of exactly 800 × 600 (or
// −600, top-down) pixels whose values number the clickable regions of a screen.

#include <optional>
#include <span>
#include <vector>

#include "common/Bytes.h"
#include "common/Result.h"

namespace qw {

inline constexpr int kHitMapWidth = 800;
inline constexpr int kHitMapHeight = 600;

// The 800 × 600 region numbers, top row first; refused, with the reason, for any other shape.
// The pixels are read from offset 1078 (file header, information header and a 256-entry
// palette).
Result<std::vector<uint8_t>> DecodeHitMap(ByteSpan file);

// The file of an 800 × 600 map given top row first (a bottom-up bitmap with a grey palette), as
// the tools, the demo and the tests write them. Empty when `pixels` has another size.
Bytes EncodeHitMap(std::span<const uint8_t> pixels);

} // namespace qw
