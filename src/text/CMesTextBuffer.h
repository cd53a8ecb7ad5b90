#pragma once
// Lays out one message before it is shown: the out items (texts and function codes) become
// draw items with their final positions and style, with line and page breaking, the no-break
// rule (a closing mark or small kana may not begin a line), the hanging indent inside brackets
// and the paragraph-start indent. The message window only plays the draw items back.
//
// Positions are in window-image coordinates: the text area's left x and top y are part of
// them, and the cell drawer subtracts them again.

#include <cstdint>
#include <span>

#include "text/MesItems.h"
#include "text/TextProfile.h"

namespace qw {

// One layout unit: first byte, second byte (0 for a one-byte unit), a terminator, a spare 0.
struct MesTextUnit {
    uint8_t b[4] = {0, 0, 0, 0};
    // 0 only for GBK's empty paragraph-indent unit.
    int Length() const { return b[0] == 0 ? 0 : (b[1] == 0 ? 1 : 2); }
    // First byte × 256 + second: one number per unit (a two-byte unit's second byte is never 0).
    uint16_t Code() const { return uint16_t(b[0] << 8 | b[1]); }
};

// The window's text set-up records (MESWND 110–113) with their defaults.
struct MesTextSetup {
    int32_t left = 8, top = 8, right = 645, bottom = 116; // 110
    int32_t lineSpacing = 4;                              // 111
    int32_t charSpacing = 1;                              // 112
    int32_t fontSize = 24;                                // 113
};

class CMesTextBuffer {
public:
    static constexpr int kUnits = 512;
    static constexpr uint32_t kDefaultTextColour = 0xFFFFFFFF;
    static constexpr uint32_t kDefaultShadowColour = 0xFF010101;

    explicit CMesTextBuffer(const TextProfile& profile = BuildTextProfile());
    virtual ~CMesTextBuffer();

    bool Initialize();
    void Release();

    // The window's set-up: area, spacings and size from the records, the default colours, plain
    // style, font 0, and the pen at the top left. The enable flags are left as they are.
    void Setup(const MesTextSetup& setup);

    bool IsKinsoku(const MesTextUnit& unit) const;
    bool IsDownStr(const MesTextUnit& unit, int column) const;
    void ChangeLine();
    // Without output only the pen moves; with `out` a page item is written there and the
    // position after it returned.
    void ChangePage();
    MesDrawItem* ChangePage(MesDrawItem* out);

    // Lays out `count` out items into `list` and terminates it. The list's last slot is kept for
    // the terminator: items past it are dropped (Cut() then answers true, and one line goes to
    // stderr). Always true.
    bool Convert(const MesOutItem* items, int count, std::span<MesDrawItem> list);
    // Lays out one string (cut at kMesTextMax bytes on a unit boundary) at `out`, writing at
    // most `room` items; the number written.
    int Convert(const char* text, MesDrawItem* out, int room, bool paragraphStart);

    // Of the last whole-message Convert: whether items were dropped for want of room, and how
    // many out items made nothing (codes below 0 or above kMesCodeLast).
    bool Cut() const { return cut_; }
    int Ignored() const { return ignored_; }

    const TextProfile& Profile() const { return *profile_; }
    // Width of a unit at the current style.
    int32_t UnitWidth(const MesTextUnit& unit) const;

    // State, in the order the window and the saved record know it.
    bool kinsoku = false;
    bool indent = false;
    int32_t curX = 0, curY = 0, nextLineY = 0;
    int32_t leftX = 0, topY = 0, rightX = 0, bottomY = 0;
    int32_t lineSpacing = 0, charSpacing = 0;
    int32_t fontIndex = 0, fontSize = 0;
    uint32_t textColour = 0, shadowColour = 0;
    bool bold = false, shadow = false;
    bool indentActive = false;
    MesTextUnit units[kUnits];
    int32_t bracketDepth = 0;

private:
    static bool SameUnit(const MesTextUnit& unit, const char* entry);
    // A table entry as a unit code; 0 (no unit has it) for an empty entry.
    static uint16_t EntryCode(const char* entry);
    // Splits `text` into units; the count.
    int SplitUnits(const char* text, bool paragraphStart);
    bool Emit(MesDrawItem*& out, int& room, int32_t type);

    const TextProfile* profile_;
    // The profile's tables as unit codes, for the per-unit tests of layout.
    uint16_t noBreakCodes_[36];
    uint16_t bracketCodes_[2][3];
    bool cut_ = false;
    int ignored_ = 0;
};

} // namespace qw
