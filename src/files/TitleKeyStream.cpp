#include "files/TitleKeyStream.h"

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

void TitleKeyCache::PrepareLocked(std::string_view title, size_t bytes) {
    if (title != title_) {
        title_ = std::string(title);
        keys_.clear();
    }
    const size_t blocks = (bytes + 31) / 32;
    size_t have = keys_.size() / 32;
    if (have >= blocks) return;
    keys_.resize(blocks * 32);
    std::string text = title_;
    const size_t stem = text.size();
    for (; have < blocks; ++have) {
        text.resize(stem);
        text += std::to_string(have);
        const std::string key = CMD5::Hex(text);
        for (size_t j = 0; j < 32; ++j)
            keys_[have * 32 + j] = static_cast<uint8_t>(key[j]);
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
    uint8_t* out = data.data();
    const uint8_t* key = keys_.data();
    for (size_t i = 0, n = data.size(); i < n; ++i)
        out[i] ^= key[i];
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
