#include "text/CMesTextBuffer.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <limits>

#include "common/ExecLog.h"

namespace qw {

// Units are built as 32-bit words whose first byte is the lowest.
static_assert(std::endian::native == std::endian::little);

namespace {

// Pen arithmetic saturates, so style values from a save or a script cannot overflow it.
int32_t Sat(int64_t v) {
    if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

int32_t Add(int32_t a, int32_t b) {
    return Sat(int64_t(a) + b);
}
int32_t Add(int32_t a, int32_t b, int32_t c) {
    return Sat(int64_t(a) + b + c);
}

} // namespace

CMesTextBuffer::CMesTextBuffer(const TextProfile& profile) : profile_(&profile) {
    for (size_t i = 0; i < 36; ++i)
        noBreakCodes_[i] = EntryCode(profile.noBreak[i]);
    for (size_t r = 0; r < 3; ++r)
        for (size_t c = 0; c < 2; ++c)
            bracketCodes_[c][r] = EntryCode(profile.brackets[r][c]);
}

uint16_t CMesTextBuffer::EntryCode(const char* entry) {
    MesTextUnit unit;
    const size_t n = std::strlen(entry);
    if (n == 0 || n > 2) return 0;
    std::memcpy(unit.b, entry, n);
    return unit.Code();
}

CMesTextBuffer::~CMesTextBuffer() {
    Release();
}

bool CMesTextBuffer::Initialize() {
    AddExecLog("CMesTextBuffer::Initialize");
    return true;
}

void CMesTextBuffer::Release() {
    AddExecLog("CMesTextBuffer::Release");
}

void CMesTextBuffer::Setup(const MesTextSetup& setup) {
    AddExecLog("CMesTextBuffer::Setup");
    leftX = setup.left;
    topY = setup.top;
    rightX = setup.right;
    bottomY = setup.bottom;
    lineSpacing = setup.lineSpacing;
    charSpacing = setup.charSpacing;
    fontSize = setup.fontSize;
    textColour = kDefaultTextColour;
    shadowColour = kDefaultShadowColour;
    bold = false;
    shadow = false;
    fontIndex = 0;
    ChangePage();
}

bool CMesTextBuffer::SameUnit(const MesTextUnit& unit, const char* entry) {
    const size_t n = std::strlen(entry);
    if (n != size_t(unit.Length())) return false;
    return std::memcmp(unit.b, entry, n) == 0;
}

bool CMesTextBuffer::IsKinsoku(const MesTextUnit& unit) const {
    AddExecLog("CMesTextBuffer::IsKinsoku");
    if (!kinsoku) return false;
    const uint16_t code = unit.Code();
    if (code == 0) return false;
    for (uint16_t entry : noBreakCodes_)
        if (entry == code) return true;
    return false;
}

bool CMesTextBuffer::IsDownStr(const MesTextUnit& unit, int column) const {
    AddExecLog("CMesTextBuffer::IsDownStr");
    if (!indent || column < 0 || column > 1) return false;
    const uint16_t code = unit.Code();
    if (code == 0) return false;
    for (uint16_t entry : bracketCodes_[column])
        if (entry == code) return true;
    return false;
}

void CMesTextBuffer::ChangeLine() {
    AddExecLog("CMesTextBuffer::ChangeLine");
    curY = nextLineY;
    nextLineY = Add(curY, fontSize, lineSpacing);
    curX = bracketDepth > 0 ? Add(leftX, fontSize, charSpacing) : leftX;
}

void CMesTextBuffer::ChangePage() {
    AddExecLog("CMesTextBuffer::ChangePage");
    curX = leftX;
    curY = topY;
    nextLineY = Add(topY, fontSize, lineSpacing);
}

MesDrawItem* CMesTextBuffer::ChangePage(MesDrawItem* out) {
    ChangePage();
    *out = MesDrawItem{};
    out->type = kMesDrawPage;
    return out + 1;
}

int32_t CMesTextBuffer::UnitWidth(const MesTextUnit& unit) const {
    return Sat(int64_t(charSpacing) + int64_t(unit.Length()) * fontSize / 2);
}

bool CMesTextBuffer::Emit(MesDrawItem*& out, int& room, int32_t type) {
    if (room <= 0) {
        cut_ = true;
        return false;
    }
    *out = MesDrawItem{};
    out->type = type;
    ++out;
    --room;
    return true;
}

namespace {

// Bytes of `text` (at most kMesTextMax) that end on a unit boundary.
size_t UnitSafeLength(const TextProfile& profile, const char* text) {
    size_t i = 0;
    while (i < size_t(kMesTextMax) && text[i] != 0) {
        const bool pair = profile.LeadsUnit(uint8_t(text[i])) && text[i + 1] != 0;
        const size_t len = pair ? 2 : 1;
        if (i + len > size_t(kMesTextMax)) break;
        i += len;
    }
    return i;
}

} // namespace

int CMesTextBuffer::SplitUnits(const char* text, bool paragraphStart) {
    // One pass: at most kMesTextMax bytes, ending on a unit boundary (as UnitSafeLength); a
    // lead byte just before the terminator is a one-byte unit.
    const TextProfile& profile = *profile_;
    MesTextUnit* const out = units;
    const bool indentFirst = paragraphStart && indent && curY == topY;
    int n = 0;
    size_t i = 0;
    while (i < size_t(kMesTextMax) && text[i] != 0) {
        const uint8_t lead = uint8_t(text[i]);
        const bool pair = profile.LeadsUnit(lead) && text[i + 1] != 0;
        const size_t len = pair ? 2 : 1;
        if (i + len > size_t(kMesTextMax)) break;
        // The unit is built in a register: storing its bytes one by one and copying it whole
        // stalls on store forwarding.
        const uint32_t bytes = uint32_t(lead) | (pair ? uint32_t(uint8_t(text[i + 1])) << 8 : 0u);
        i += len;
        if (n == 0 && indentFirst) {
            MesTextUnit unit;
            std::memcpy(unit.b, &bytes, 4);
            if (!IsDownStr(unit, 0) && !SameUnit(unit, profile.fullWidthSpace)) {
                MesTextUnit space;
                std::memcpy(space.b, profile.fullWidthSpace, std::strlen(profile.fullWidthSpace));
                out[n++] = space;
            }
        }
        std::memcpy(out[n++].b, &bytes, 4); // at most 511 units and the indent: never past kUnits
    }
    return n;
}

int CMesTextBuffer::Convert(const char* text, MesDrawItem* out, int room, bool paragraphStart) {
    AddExecLog("CMesTextBuffer::Convert");
    const int n = SplitUnits(text, paragraphStart);
    // Widths by unit length: the style does not change within a string.
    const int32_t byLength[3] = {UnitWidth(MesTextUnit{}), UnitWidth(MesTextUnit{{1, 0, 0, 0}}),
                                 UnitWidth(MesTextUnit{{1, 1, 0, 0}})};
    int32_t widths[kUnits];
    for (int k = 0; k < n; ++k)
        widths[k] = byLength[units[k].Length()];
    int written = 0;
    int b = 0;
    // A line with nothing on it yet always takes at least one unit, so layout always ends.
    bool fresh = curX == leftX || (bracketDepth > 0 && curX == Add(leftX, fontSize, charSpacing));
    while (b < n) {
        if (int64_t(curY) + fontSize > int64_t(bottomY) - 1) {
            curY = topY; // x stays where the line began
            if (!Emit(out, room, kMesDrawPage)) return written;
            ++written;
        }
        if (IsDownStr(units[b], 0))
            ++bracketDepth;
        else if (IsDownStr(units[b], 1))
            --bracketDepth;
        indentActive = b > 0 && bracketDepth > 0;
        if (indentActive) curX = Add(curX, fontSize, charSpacing);

        int j = b;
        int64_t x = curX;
        while (j < n && x + widths[j] <= rightX) {
            x += widths[j];
            ++j;
        }
        const int fit = j;
        if (j < n)
            while (j > b && IsKinsoku(units[j]))
                --j;
        if (j == b && fresh) j = fit > b ? fit : b + 1;

        for (int k = b; k < j; ++k) {
            if (room <= 0) {
                cut_ = true;
                return written;
            }
            // Every field written once, in place.
            MesDrawItem& item = *out++;
            --room;
            item.type = kMesDrawWord;
            item.character[0] = units[k].b[0];
            item.character[1] = units[k].b[1];
            item.character[2] = 0;
            item.x = curX;
            item.y = curY;
            item.textColour = textColour;
            item.shadowColour = shadowColour;
            item.fontSize = fontSize;
            item.fontIndex = fontIndex;
            item.bold = bold;
            item.shadow = shadow;
            curX = Add(curX, widths[k]);
            ++written;
        }
        if (j >= n) break;
        curX = leftX;
        curY = Add(curY, fontSize, lineSpacing);
        b = j;
        fresh = true;
    }
    nextLineY = Add(curY, fontSize, lineSpacing);
    return written;
}

bool CMesTextBuffer::Convert(const MesOutItem* items, int count, std::span<MesDrawItem> list) {
    AddExecLog("CMesTextBuffer::Convert");
    cut_ = false;
    ignored_ = 0;
    if (list.empty()) return true;
    bracketDepth = 0;
    bool paragraphStart = true;
    MesDrawItem* out = list.data();
    // The last slot is the terminator's.
    int room = int(list.size()) - 1;
    auto lay = [&](const char* text) {
        const int written = Convert(text, out, room, paragraphStart);
        out += written;
        room -= written;
        paragraphStart = false;
    };
    for (int i = 0; i < count && !cut_;) {
        const MesOutItem& item = items[i++];
        if (item.isString) {
            // Without glyphs after it the text is laid out in place: the split reads at most
            // kMesTextMax bytes and the one after, all inside the item's buffer.
            if (i >= count || items[i].isString || items[i].code < kMesCodeGlyphFirst) {
                lay(item.text);
                continue;
            }
            char work[kMesTextBytes];
            size_t length = UnitSafeLength(*profile_, item.text);
            std::memcpy(work, item.text, length);
            // Special glyphs right after a text join it, on the same line.
            while (i < count && !items[i].isString && items[i].code >= kMesCodeGlyphFirst) {
                const int32_t code = items[i++].code;
                if (code > kMesCodeGlyphLast) {
                    ++ignored_;
                    continue;
                }
                if (length + 2 > size_t(kMesTextMax)) continue; // past the work string
                work[length++] = char(kMesGlyphLead);
                work[length++] = char(code - (kMesCodeGlyphFirst - 1));
            }
            work[length] = 0;
            lay(work);
            continue;
        }
        const int32_t code = item.code;
        if (code == kMesCodeClear) {
            ChangePage();
            Emit(out, room, kMesDrawClear);
        } else if (code == kMesCodeLine) {
            ChangeLine();
            if (int64_t(curY) + fontSize > int64_t(bottomY) - 1) {
                ChangePage();
                Emit(out, room, kMesDrawPage);
            }
        } else if (code == kMesCodePage) {
            ChangePage();
            Emit(out, room, kMesDrawPage);
            paragraphStart = true;
        } else if (code == kMesCodeClick) {
            Emit(out, room, kMesDrawClick);
        } else if (code >= 4 && code < kMesCodeGlyphFirst) {
            Emit(out, room, code);
        } else if (code >= kMesCodeGlyphFirst && code <= kMesCodeGlyphLast) {
            const char glyph[3] = {char(kMesGlyphLead), char(code - (kMesCodeGlyphFirst - 1)), 0};
            lay(glyph);
        } else {
            // A negative type would stall the window, and higher codes name no glyph.
            ++ignored_;
        }
    }
    *out = MesDrawItem{};
    out->type = kMesDrawEnd;
    if (cut_)
        std::fprintf(stderr, "quillwork: message longer than %d draw items; the rest is left out\n",
                     kMesDrawItems - 1);
    return true;
}

} // namespace qw
