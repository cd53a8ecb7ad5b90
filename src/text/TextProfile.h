#pragma once
// The code-page constants of text layout and glyph drawing, written as explicit bytes so that
// both builds' tables exist in every build (clang keeps UTF-8 literals, so literals cannot be
// trusted to hold the game's bytes). The build's own profile is BuildTextProfile(); tests and
// tools may lay out with the other one.

#include <array>
#include <cstdint>
#include <string_view>

namespace qw {

struct TextProfile {
    const char* name; // iconv name of the code page: "CP932" or "GBK"
    // Layout units: 0x01 and 0x80–0x9F, 0xE0–0xFF begin a two-byte unit in CP932; 0x01 and every
    // byte from 0x80 up in GBK. This is wider than the code page's own lead bytes on purpose.
    bool everyHighByteLeads;
    // Characters that may not begin a line, compared as whole units. An empty entry stands for a
    // character the code page has no place for in the table (GBK's full-width space).
    std::array<const char*, 36> noBreak;
    // Opening and closing brackets of the hanging indent.
    std::array<std::array<const char*, 2>, 3> brackets;
    // The full-width space of the paragraph indent; empty in GBK, where the indent is then an
    // empty cell one character spacing wide.
    const char* fullWidthSpace;
    // Font face table entry 0 and the character set a font is made with.
    const char* face;
    uint8_t charset;
    // The double-byte space DrawString passes over (only advancing the pen).
    uint16_t drawSpace;
    // A middle dot of the code page, for tests and the demo ("・" in CP932, 0xA1A4 in GBK).
    uint16_t middleDot;

    bool LeadsUnit(uint8_t b) const {
        if (b == 0x01) return true;
        if (everyHighByteLeads) return b >= 0x80;
        return (b >= 0x80 && b <= 0x9F) || b >= 0xE0;
    }
    // DrawString's lead bytes: the code page's own double-byte rule.
    bool DrawLeadByte(uint8_t b) const {
        if (everyHighByteLeads) return b >= 0x81 && b <= 0xFE;
        return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    }
};

const TextProfile& Cp932TextProfile();
const TextProfile& GbkTextProfile();
// The profile of the build's code page.
const TextProfile& BuildTextProfile();
// By iconv name ("CP932", "GBK"); null for any other.
const TextProfile* FindTextProfile(std::string_view name);

} // namespace qw
