#pragma once
// Small pictures for the sprite and sprite-cache tests: ".MGD" files around a hand-made data
// block, hand-made PNG streams of any colour type (stored deflate, so no compressor is needed),
// and an in-memory member source.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common/Bytes.h"
#include "files/MemberSource.h"
#include "graphics/MgdFormat.h"

namespace qw::test {

// An MGD file with a default element table (one element covering the picture) unless given.
inline Bytes MakeMgd(uint16_t width, uint16_t height, MgdEncoding encoding, ByteSpan data,
                     std::vector<SpriteElement> elements = {}, int words = 4) {
    if (elements.empty())
        elements.push_back({0, 0, static_cast<int16_t>(width), static_cast<int16_t>(height)});
    return BuildMgdFile(width, height, encoding, data, elements, words);
}

inline void PatchU16(Bytes& file, size_t offset, uint16_t value) {
    StoreLE(std::span<uint8_t>(file), offset, value);
}

// Run-length data block from the two raw streams.
inline Bytes RunLengthBlock(const Bytes& alpha, const Bytes& colour) {
    ByteWriter w;
    w.Put<uint32_t>(static_cast<uint32_t>(alpha.size()));
    w.PutBytes(alpha);
    w.Put<uint32_t>(static_cast<uint32_t>(colour.size()));
    w.PutBytes(colour);
    return w.Take();
}

inline uint32_t Crc32(const uint8_t* p, size_t n) {
    uint32_t c = 0xFFFFFFFF;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

inline void PutBE32(Bytes& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8)
        out.push_back(static_cast<uint8_t>(v >> s));
}

inline void PutChunk(Bytes& out, const char* type, const Bytes& body) {
    PutBE32(out, static_cast<uint32_t>(body.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    PutBE32(out, Crc32(out.data() + start, out.size() - start));
}

// A PNG whose rows are `rows` (each already led by its filter byte; for an interlaced picture
// the rows of its passes), compressed as stored deflate blocks. `palette` adds a PLTE chunk of
// that many grey entries.
inline Bytes MakePngStream(uint32_t width, uint32_t height, int depth, int colorType,
                           const Bytes& rows, int palette = 0, bool interlaced = false) {
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr;
    PutBE32(ihdr, width);
    PutBE32(ihdr, height);
    ihdr.insert(ihdr.end(), {static_cast<uint8_t>(depth), static_cast<uint8_t>(colorType), 0, 0,
                             static_cast<uint8_t>(interlaced ? 1 : 0)});
    PutChunk(out, "IHDR", ihdr);
    if (palette) {
        Bytes plte;
        for (int i = 0; i < palette; ++i)
            plte.insert(plte.end(), 3, static_cast<uint8_t>(i));
        PutChunk(out, "PLTE", plte);
    }
    Bytes z = {0x78, 0x01};
    size_t at = 0;
    do {
        size_t n = std::min<size_t>(rows.size() - at, 65535);
        z.push_back(at + n == rows.size() ? 1 : 0);
        z.push_back(static_cast<uint8_t>(n));
        z.push_back(static_cast<uint8_t>(n >> 8));
        z.push_back(static_cast<uint8_t>(~n));
        z.push_back(static_cast<uint8_t>(~n >> 8));
        z.insert(z.end(), rows.begin() + static_cast<std::ptrdiff_t>(at),
                 rows.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
    } while (at < rows.size());
    uint32_t a = 1, b = 0;
    for (uint8_t v : rows) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    PutBE32(z, (b << 16) | a);
    PutChunk(out, "IDAT", z);
    PutChunk(out, "IEND", {});
    return out;
}

class MapSource : public IMemberSource {
public:
    std::optional<Bytes> ReadMember(std::string_view name) override {
        ++reads;
        auto it = files.find(std::string(name));
        if (it == files.end()) return std::nullopt;
        return it->second;
    }
    std::map<std::string, Bytes> files;
    int reads = 0;
};

} // namespace qw::test
