#pragma once
// Builds small compiled scenario files for the reader's tests, field by field, without the
// assembler (so the reader is tested against the layout itself).

#include <array>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/Bytes.h"
#include "files/MemberSource.h"
#include "scenario/SnrFormat.h"

namespace qw::test {

inline Bytes NumParam(int32_t v) {
    ByteWriter w;
    w.Put<uint8_t>(snr::kParamNumber);
    w.Put<int32_t>(v);
    return w.Take();
}
inline Bytes VarParam(int32_t index) {
    ByteWriter w;
    w.Put<uint8_t>(snr::kParamVariable);
    w.Put<int32_t>(index);
    return w.Take();
}
inline Bytes StrVarParam(int32_t index) {
    ByteWriter w;
    w.Put<uint8_t>(snr::kParamStringVariable);
    w.Put<int32_t>(index);
    return w.Take();
}
// `raw` is stored as is, followed by the terminator.
inline Bytes TextParam(std::string_view raw) {
    ByteWriter w;
    w.Put<uint8_t>(snr::kParamText);
    w.PutBytes(raw);
    w.Put<uint8_t>(0);
    return w.Take();
}
using ExprPairs = std::vector<std::pair<int32_t, int32_t>>;
// The pairs, then the terminating pair unless `terminate` is false.
inline Bytes ExprParam(const ExprPairs& pairs, bool terminate = true) {
    ByteWriter w;
    w.Put<uint8_t>(snr::kParamExpression);
    for (auto [kind, operand] : pairs) {
        w.Put<int32_t>(kind);
        w.Put<int32_t>(operand);
    }
    if (terminate) {
        w.Put<int32_t>(snr::kExprEnd);
        w.Put<int32_t>(0);
    }
    return w.Take();
}
// The text reference to string variable `index` (numbered from 0): "&" and 0x8000 | (index + 1).
inline std::string StrRef(int index) {
    uint16_t code = static_cast<uint16_t>(0x8000 | (index + 1));
    return std::string{'&', static_cast<char>(code & 0xFF), static_cast<char>(code >> 8)};
}

class SnrTestFile {
public:
    // Appends a command; returns its offset from the start of the command stream.
    uint32_t Command(uint16_t id, std::initializer_list<Bytes> params) {
        Bytes area;
        for (const Bytes& p : params)
            area.insert(area.end(), p.begin(), p.end());
        return CommandRaw(id, area, static_cast<uint16_t>(area.size()));
    }
    // A command whose size field says `size` whatever the parameter bytes are.
    uint32_t CommandRaw(uint16_t id, const Bytes& area, uint16_t size) {
        uint32_t at = static_cast<uint32_t>(stream.Size());
        stream.Put<uint16_t>(id);
        stream.Put<uint16_t>(size);
        stream.PutBytes(area);
        return at;
    }
    Bytes Build() {
        ByteWriter w;
        w.PutBytes(snr::kMagic);
        w.Put<uint32_t>(0);
        w.Put<uint32_t>(static_cast<uint32_t>(labels.size()));
        for (const auto& t : loadPoints)
            w.Put<uint32_t>(static_cast<uint32_t>(t.size()));
        w.PutZeros(snr::kReserved2Size);
        for (uint32_t l : labels)
            w.Put<uint32_t>(l);
        for (const auto& t : loadPoints)
            for (uint32_t o : t)
                w.Put<uint32_t>(o);
        Bytes out = w.Take();
        out.insert(out.end(), stream.Data().begin(), stream.Data().end());
        return out;
    }
    size_t StreamStart() const {
        size_t n = snr::kHeaderSize + 4 * labels.size();
        for (const auto& t : loadPoints)
            n += 4 * t.size();
        return n;
    }

    std::vector<uint32_t> labels;
    std::array<std::vector<uint32_t>, snr::kLoadPointTables> loadPoints;
    ByteWriter stream;
};

// Members held in memory, found by exact name.
class MapSource : public IMemberSource {
public:
    std::optional<Bytes> ReadMember(std::string_view name) override {
        ++reads;
        auto it = members.find(std::string(name));
        if (it == members.end()) return std::nullopt;
        return it->second;
    }
    std::map<std::string, Bytes> members;
    int reads = 0;
};

} // namespace qw::test
