#include "files/TitleKeyStream.h"

#include <cstdio>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/ExecLog.h"
#include "files/CMD5.h"

namespace qw {

std::string TitleBlockKey(std::string_view title, uint32_t block) {
    std::string text(title);
    text += std::to_string(block);
    return CMD5::Hex(text);
}

void XorTitleKeyStream(std::span<uint8_t> data, std::string_view title) {
    AddExecLog("XorTitleKeyStream");
    for (size_t start = 0, block = 0; start < data.size(); start += 32, ++block) {
        std::string key = TitleBlockKey(title, static_cast<uint32_t>(block));
        size_t end = start + 32 < data.size() ? start + 32 : data.size();
        for (size_t i = start; i < end; ++i)
            data[i] ^= static_cast<uint8_t>(key[i - start]);
    }
}

namespace {

// out[i] = in[i] ^ key[i]; `out` may be `in`.
void XorRuns(uint8_t* out, const uint8_t* in, const uint8_t* key, size_t n) {
    size_t i = 0;
#if defined(__SSE2__)
    for (; i + 64 <= n; i += 64) {
        for (size_t k = 0; k < 64; k += 16) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i + k));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(key + i + k));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + k), _mm_xor_si128(a, b));
        }
    }
#endif
    for (; i + 8 <= n; i += 8) {
        uint64_t a, b;
        std::memcpy(&a, in + i, 8);
        std::memcpy(&b, key + i, 8);
        a ^= b;
        std::memcpy(out + i, &a, 8);
    }
    for (; i < n; ++i)
        out[i] = in[i] ^ key[i];
}

} // namespace

void TitleKeyCache::PrepareLocked(std::string_view title, size_t bytes) {
    if (title != title_) {
        title_ = std::string(title);
        keys_.clear();
    }
    const size_t blocks = (bytes + 31) / 32;
    size_t have = keys_.size() / 32;
    if (have >= blocks) return;
    AddExecLog("TitleKeyCache::Prepare");
    keys_.resize(blocks * 32);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text = title_;
    const size_t stem = text.size();
    char number[24];
    for (; have < blocks; ++have) {
        const int len = std::snprintf(number, sizeof number, "%zu", have);
        text.resize(stem);
        text.append(number, static_cast<size_t>(len));
        uint8_t digest[16];
        CMD5::Digest(text, digest);
        uint8_t* key = keys_.data() + have * 32;
        for (size_t j = 0; j < 16; ++j) {
            key[2 * j] = static_cast<uint8_t>(kHex[digest[j] >> 4]);
            key[2 * j + 1] = static_cast<uint8_t>(kHex[digest[j] & 15]);
        }
    }
}

void TitleKeyCache::Prepare(std::string_view title, size_t bytes) {
    std::lock_guard lock(mutex_);
    PrepareLocked(title, bytes);
}

void TitleKeyCache::Xor(std::span<uint8_t> data, std::string_view title) {
    AddExecLog("TitleKeyCache::Xor");
    std::lock_guard lock(mutex_);
    PrepareLocked(title, data.size());
    XorRuns(data.data(), data.data(), keys_.data(), data.size());
}

void TitleKeyCache::XorInto(std::span<uint8_t> out, std::span<const uint8_t> in,
                            std::string_view title) {
    AddExecLog("TitleKeyCache::XorInto");
    std::lock_guard lock(mutex_);
    const size_t n = out.size() < in.size() ? out.size() : in.size();
    PrepareLocked(title, n);
    XorRuns(out.data(), in.data(), keys_.data(), n);
}

size_t TitleKeyCache::CachedBytes() const {
    std::lock_guard lock(mutex_);
    return keys_.size();
}

TitleKeyCache& SaveKeyCache() {
    static TitleKeyCache cache;
    return cache;
}

} // namespace qw
