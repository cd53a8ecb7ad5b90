#include "text/CMesTextBuffer.h"

#include <cstdio>
#include <cstring>
#include <limits>

#include "common/ExecLog.h"

namespace qw {

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

CMesTextBuffer::CMesTextBuffer(const TextProfile& profile) : profile_(&profile) {}

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
    for (const char* entry : profile_->noBreak)
        if (SameUnit(unit, entry)) return true;
    return false;
}

bool CMesTextBuffer::IsDownStr(const MesTextUnit& unit, int column) const {
    AddExecLog("CMesTextBuffer::IsDownStr");
    if (!indent || column < 0 || column > 1) return false;
    for (const auto& row : profile_->brackets)
        if (SameUnit(unit, row[size_t(column)])) return true;
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
    const size_t length = UnitSafeLength(*profile_, text);
    int n = 0;
    size_t i = 0;
    while (i < length) {
        MesTextUnit unit;
        unit.b[0] = uint8_t(text[i]);
        // A lead byte just before the terminator is a one-byte unit.
        if (profile_->LeadsUnit(unit.b[0]) && i + 1 < length) {
            unit.b[1] = uint8_t(text[i + 1]);
            i += 2;
        } else {
            i += 1;
        }
        if (n == 0 && paragraphStart && indent && curY == topY && !IsDownStr(unit, 0) &&
            !SameUnit(unit, profile_->fullWidthSpace)) {
            MesTextUnit space;
            std::memcpy(space.b, profile_->fullWidthSpace, std::strlen(profile_->fullWidthSpace));
            units[n++] = space;
        }
        units[n++] = unit; // at most 511 units and the indent: never past kUnits
    }
    return n;
}

int CMesTextBuffer::Convert(const char* text, MesDrawItem* out, int room, bool paragraphStart) {
    AddExecLog("CMesTextBuffer::Convert");
    const int n = SplitUnits(text, paragraphStart);
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
        while (j < n && x + UnitWidth(units[j]) <= rightX) {
            x += UnitWidth(units[j]);
            ++j;
        }
        const int fit = j;
        if (j < n)
            while (j > b && IsKinsoku(units[j]))
                --j;
        if (j == b && fresh) j = fit > b ? fit : b + 1;

        for (int k = b; k < j; ++k) {
            MesDrawItem* item = out;
            if (!Emit(out, room, kMesDrawWord)) return written;
            std::memcpy(item->character, units[k].b, 2);
            item->x = curX;
            item->y = curY;
            item->textColour = textColour;
            item->shadowColour = shadowColour;
            item->fontSize = fontSize;
            item->fontIndex = fontIndex;
            item->bold = bold;
            item->shadow = shadow;
            curX = Add(curX, UnitWidth(units[k]));
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
            char work[kMesTextBytes] = {};
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
