#include "files/MemberNameOrder.h"

#include <array>
#include <cstdint>

#include "common/Text.h"

namespace qw {
namespace {

// Weight 0 marks a character left out of the first pass.
constexpr std::array<uint16_t, 256> MakeSingleByteWeights() {
    std::array<uint16_t, 256> w{};
    constexpr std::string_view kPunctuation = " !\"#$%&()*,./:;?@[]^_`{|}~\\+<=>";
    uint16_t next = 1;
    for (char c : kPunctuation)
        w[static_cast<uint8_t>(c)] = next++;
    for (int c = '0'; c <= '9'; ++c)
        w[c] = next++;
    for (int c = 'a'; c <= 'z'; ++c) {
        w[c] = next;
        w[c - 'a' + 'A'] = next++;
    }
    for (int c = 0x80; c <= 0xFF; ++c)
        w[c] = static_cast<uint16_t>(0x100 + c);
    return w;
}
constexpr std::array<uint16_t, 256> kWeights = MakeSingleByteWeights();

// Rank of a character left out of the first pass (apostrophe before hyphen, control characters
// after both).
constexpr uint32_t SpecialRank(uint8_t b) {
    if (b == '\'') return 1;
    if (b == '-') return 2;
    return 3 + b;
}

// Walks a name character by character: a lead byte and the byte after it form one character.
struct Cursor {
    std::string_view s;
    size_t pos = 0;

    bool AtEnd() const { return pos >= s.size(); }
    // Weight of the character at `pos` and its length in bytes.
    uint32_t Weight(size_t& length) const {
        auto b = static_cast<uint8_t>(s[pos]);
        if (IsLeadByte(b) && pos + 1 < s.size()) {
            length = 2;
            return 0x10000u + (uint32_t{b} << 8) + static_cast<uint8_t>(s[pos + 1]);
        }
        length = 1;
        return kWeights[b];
    }
    // Next character that counts in the first pass; 0 at the end.
    uint32_t NextPrimary() {
        while (!AtEnd()) {
            size_t length;
            uint32_t w = Weight(length);
            pos += length;
            if (w != 0) return w;
        }
        return 0;
    }
    // Next character left out of the first pass: false at the end.
    bool NextSpecial(size_t& at, uint32_t& rank) {
        while (!AtEnd()) {
            size_t length;
            uint32_t w = Weight(length);
            at = pos;
            pos += length;
            if (w == 0) {
                rank = SpecialRank(static_cast<uint8_t>(s[at]));
                return true;
            }
        }
        return false;
    }
};

} // namespace

int CompareMemberNames(std::string_view a, std::string_view b) {
    Cursor ca{a}, cb{b};
    for (;;) {
        uint32_t wa = ca.NextPrimary();
        uint32_t wb = cb.NextPrimary();
        if (wa != wb) return wa < wb ? -1 : 1;
        if (wa == 0) break;
    }
    ca.pos = cb.pos = 0;
    for (;;) {
        size_t pa = 0, pb = 0;
        uint32_t ra = 0, rb = 0;
        bool ha = ca.NextSpecial(pa, ra);
        bool hb = cb.NextSpecial(pb, rb);
        if (!ha || !hb) return ha == hb ? 0 : (ha ? 1 : -1);
        if (pa != pb) return pa < pb ? 1 : -1; // further left sorts later
        if (ra != rb) return ra < rb ? -1 : 1;
    }
}

std::string FoldMemberName(std::string_view name) {
    std::string folded(name);
    for (size_t i = 0; i < folded.size(); ++i) {
        if (IsLeadByte(static_cast<uint8_t>(folded[i])) && i + 1 < folded.size())
            ++i;
        else
            folded[i] = ToLowerAscii(folded[i]);
    }
    return folded;
}

} // namespace qw
