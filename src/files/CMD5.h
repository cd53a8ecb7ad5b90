#pragma once
// MD5 message digest (RFC 1321), given as 32 lower-case hexadecimal characters.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qw {

class CMD5 {
public:
    virtual ~CMD5() = default;

    // Digests the bytes of `text` (no terminator). Always true.
    bool setPlainText(std::string_view text);
    bool calcDigest();
    // The 32-character digest, or nullptr before any setPlainText.
    const char* getMD5Digest() const { return valid_ ? hex_ : nullptr; }

    // One-shot form for callers that only want the text.
    static std::string Hex(std::string_view text);
    // The 16 digest bytes of `text`, without the trace or any allocation (key streams digest
    // thousands of short texts).
    static void Digest(std::string_view text, uint8_t out[16]);

private:
    struct Context {
        uint32_t state[4];
        uint64_t count; // bytes digested
        uint8_t buffer[64];
    };
    static void MD5Init(Context& ctx);
    static void MD5Transform(uint32_t state[4], const uint8_t block[64]);
    static void MD5Update(Context& ctx, const uint8_t* data, size_t size);
    static void MD5Final(uint8_t digest[16], Context& ctx);

    bool valid_ = false;
    std::string text_;
    uint8_t digest_[16] = {};
    char hex_[33] = {};
};

} // namespace qw
