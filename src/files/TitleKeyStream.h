#pragma once
// The key stream that scrambles scenario files and save files: 32 key bytes per 32-byte block,
// the lower-case hexadecimal MD5 digest of "%s%d" formed from the product title and the block
// number. Scrambling and unscrambling are the same XOR.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qw {

// The 32 key characters of block `block`.
std::string TitleBlockKey(std::string_view title, uint32_t block);

// XORs `data` in place with the key stream of `title`; the last block may be shorter than 32.
void XorTitleKeyStream(std::span<uint8_t> data, std::string_view title);

} // namespace qw
