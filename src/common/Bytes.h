#pragma once
// Bounds-checked access to the fixed-size little-endian fields of the engine's file formats.
// Every parser reads through these helpers: a field that does not lie wholly inside the buffer
// is reported as missing instead of being read.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace qw {

using ByteSpan = std::span<const uint8_t>;
using Bytes = std::vector<uint8_t>;

// True when [offset, offset + size) lies inside a buffer of `total` bytes (overflow-safe).
constexpr bool FitsIn(uint64_t total, uint64_t offset, uint64_t size) {
    return offset <= total && size <= total - offset;
}

// Little-endian integer of type T at `offset`, or nullopt when it does not fit.
template <typename T>
std::optional<T> LoadLE(ByteSpan data, size_t offset) {
    static_assert(std::is_integral_v<T>);
    if (!FitsIn(data.size(), offset, sizeof(T))) return std::nullopt;
    std::make_unsigned_t<T> v = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        v |= static_cast<std::make_unsigned_t<T>>(
            static_cast<std::make_unsigned_t<T>>(data[offset + i]) << (8 * i));
    return static_cast<T>(v);
}

// Little-endian integer at `offset`; the caller has already checked that it fits.
template <typename T>
T LoadLEUnchecked(const uint8_t* p) {
    std::make_unsigned_t<T> v = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        v |= static_cast<std::make_unsigned_t<T>>(static_cast<std::make_unsigned_t<T>>(p[i])
                                                  << (8 * i));
    return static_cast<T>(v);
}

template <typename T>
void StoreLEUnchecked(uint8_t* p, T value) {
    auto v = static_cast<std::make_unsigned_t<T>>(value);
    for (size_t i = 0; i < sizeof(T); ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Stores `value` at `offset` when it fits; returns false otherwise.
template <typename T>
bool StoreLE(std::span<uint8_t> data, size_t offset, T value) {
    if (!FitsIn(data.size(), offset, sizeof(T))) return false;
    StoreLEUnchecked(data.data() + offset, value);
    return true;
}

// A zero-padded text field of `width` bytes: the bytes up to the first zero, or all `width`
// bytes when none is zero (a name that fills its field has no terminator). nullopt when the
// field does not fit.
inline std::optional<std::string_view> LoadFixedString(ByteSpan data, size_t offset, size_t width) {
    if (!FitsIn(data.size(), offset, width)) return std::nullopt;
    const char* p = reinterpret_cast<const char*>(data.data() + offset);
    const void* zero = std::memchr(p, 0, width);
    size_t len = zero ? static_cast<size_t>(static_cast<const char*>(zero) - p) : width;
    return std::string_view(p, len);
}

// A zero-terminated text starting at `offset`, which must end inside the buffer.
inline std::optional<std::string_view> LoadCString(ByteSpan data, size_t offset) {
    if (offset >= data.size()) return std::nullopt;
    std::optional<std::string_view> s = LoadFixedString(data, offset, data.size() - offset);
    if (!s || offset + s->size() >= data.size()) return std::nullopt; // no terminator
    return s;
}

// Appends little-endian fields to a growing buffer (the writing side of the tools and saves).
class ByteWriter {
public:
    template <typename T>
    void Put(T value) {
        static_assert(std::is_integral_v<T>);
        size_t at = buf_.size();
        buf_.resize(at + sizeof(T));
        StoreLEUnchecked(buf_.data() + at, value);
    }
    void PutBytes(ByteSpan bytes) { buf_.insert(buf_.end(), bytes.begin(), bytes.end()); }
    void PutBytes(std::string_view s) { buf_.insert(buf_.end(), s.begin(), s.end()); }
    // `s` zero-padded (or cut) to exactly `width` bytes.
    void PutFixedString(std::string_view s, size_t width) {
        size_t n = s.size() < width ? s.size() : width;
        buf_.insert(buf_.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
        buf_.insert(buf_.end(), width - n, 0);
    }
    void PutZeros(size_t n) { buf_.insert(buf_.end(), n, 0); }
    template <typename T>
    bool PatchAt(size_t offset, T value) {
        return StoreLE(std::span<uint8_t>(buf_), offset, value);
    }
    size_t Size() const { return buf_.size(); }
    Bytes& Data() { return buf_; }
    Bytes Take() { return std::move(buf_); }

private:
    Bytes buf_;
};

} // namespace qw
