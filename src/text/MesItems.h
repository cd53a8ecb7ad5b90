#pragma once
// The message window's two item lists: what the scenario hands over (MesOutItem: a text or a
// function code) and what layout makes of it (MesDrawItem: a placed character or a control).

#include <cstdint>
#include <cstring>
#include <string_view>

#include "text/TextProfile.h"

namespace qw {

inline constexpr int kMesOutItems = 256;  // out items the window holds per message
inline constexpr int kMesDrawItems = 512; // draw items the window holds per message
inline constexpr int kMesTextBytes = 512; // a text item's buffer, terminator included
inline constexpr int kMesTextMax = 511;   // longest text and work string, in bytes

// Function codes of out items.
inline constexpr int kMesCodeClear = 0;
inline constexpr int kMesCodeLine = 1;
inline constexpr int kMesCodePage = 2;
inline constexpr int kMesCodeClick = 3;
inline constexpr int kMesCodeGlyphFirst = 100; // glyph 1
inline constexpr int kMesCodeGlyphLast = 354;  // glyph 255
inline constexpr int kMesCodeLast = kMesCodeGlyphLast;

// Draw item types.
inline constexpr int32_t kMesDrawEnd = 0;
inline constexpr int32_t kMesDrawPage = 1;
inline constexpr int32_t kMesDrawWord = 2;
inline constexpr int32_t kMesDrawClear = 3;
inline constexpr int32_t kMesDrawClick = 4;
inline constexpr int32_t kMesDrawParag = 5;
inline constexpr int32_t kMesDrawBacklogOn = 10;
inline constexpr int32_t kMesDrawBacklogOff = 11;

// The lead byte of a special glyph unit; its second byte is the glyph number 1–255.
inline constexpr uint8_t kMesGlyphLead = 0x01;

struct MesOutItem {
    uint8_t isString = 0;
    union {
        char text[kMesTextBytes];
        int32_t code;
    };

    MesOutItem() { std::memset(text, 0, sizeof text); }

    // A text item; a longer text is cut at kMesTextMax bytes, keeping whole layout units.
    static MesOutItem Text(std::string_view s, const TextProfile& profile = BuildTextProfile()) {
        MesOutItem item;
        item.isString = 1;
        size_t n = 0;
        while (n < s.size() && s[n] != 0) {
            const size_t len =
                profile.LeadsUnit(uint8_t(s[n])) && n + 1 < s.size() && s[n + 1] != 0 ? 2 : 1;
            if (n + len > size_t(kMesTextMax)) break;
            n += len;
        }
        std::memcpy(item.text, s.data(), n);
        return item;
    }
    static MesOutItem Code(int32_t c) {
        MesOutItem item;
        item.code = c;
        return item;
    }
};

struct MesDrawItem {
    int32_t type = 0;
    // First and second byte of the unit (second 0 for a one-byte unit), then a terminator.
    uint8_t character[3] = {0, 0, 0};
    int32_t x = 0, y = 0;
    uint32_t textColour = 0, shadowColour = 0;
    int32_t fontSize = 0;
    int32_t fontIndex = 0;
    uint8_t bold = 0, shadow = 0;

    bool IsGlyph() const { return type == kMesDrawWord && character[0] == kMesGlyphLead; }
    // The unit's bytes (empty for GBK's paragraph-indent cell).
    std::string_view Bytes() const {
        const char* p = reinterpret_cast<const char*>(character);
        return std::string_view(p, character[0] == 0 ? 0 : (character[1] == 0 ? 1 : 2));
    }
};

} // namespace qw
