#pragma once
// The key stream that scrambles scenario files and save files: 32 key bytes per 32-byte block,
// the lower-case hexadecimal MD5 digest of "%s%d" formed from the product title and the block
// number. Scrambling and unscrambling are the same XOR.

#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qw {

// The 32 key characters of block `block`.
std::string TitleBlockKey(std::string_view title, uint32_t block);

// XORs `data` in place with the key stream of `title`; the last block may be shorter than 32.
void XorTitleKeyStream(std::span<uint8_t> data, std::string_view title);

// The key stream of one title kept in memory: the blocks are digested once, the first time a
// length needs them, so scrambling is a plain XOR of two byte runs afterwards. A cache kept for
// another title starts again. Safe to share between threads.
class TitleKeyCache {
public:
    // XORs `data` in place, as XorTitleKeyStream does.
    void Xor(std::span<uint8_t> data, std::string_view title);
    // out = in scrambled, for the shorter of the two lengths (one pass instead of a copy and an
    // XOR).
    void XorInto(std::span<uint8_t> out, std::span<const uint8_t> in, std::string_view title);
    // Makes sure the keys for `bytes` bytes of `title` are digested.
    void Prepare(std::string_view title, size_t bytes);
    size_t CachedBytes() const;

private:
    void PrepareLocked(std::string_view title, size_t bytes);

    mutable std::mutex mutex_;
    std::string title_;
    std::vector<uint8_t> keys_; // whole blocks, block i at 32 × i
};

// The process's cache for the save files' scrambling.
TitleKeyCache& SaveKeyCache();

} // namespace qw
