#pragma once
// The control record: what an owner fills in and hands to CBaseGame::MakeControl to make a
// button, check box, slider or picture. Owners copy the process-wide default record
// (DefaultCtrlParam), fill in what their definitions give, and pass the copy.

#include <array>
#include <cstdint>
#include <string_view>

namespace qw {

// Control types as MakeControl takes them.
enum CtrlType : int32_t {
    kCtrlButton = 1,
    kCtrlCheck = 2,
    kCtrlScroll = 3,
    kCtrlImage = 100,
};

// Navigation directions: the columns of a navigation row.
enum CtrlDirection : int {
    kJumpUp = 0,
    kJumpDown = 1,
    kJumpLeft = 2,
    kJumpRight = 3,
    kJumpTab = 4
};

inline constexpr int kCtrlNameSize = 256; // file-name fields, terminator included
inline constexpr int kCtrlJumpRows = 256; // navigation rows
inline constexpr int kCtrlDirections = 5; // up, down, left, right, tab
inline constexpr int kCtrlStates = 5;     // normal, focused, pressed, disabled, focused+disabled

using CtrlName = std::array<char, kCtrlNameSize>;
using CtrlJumpRow = std::array<int32_t, kCtrlDirections>;

// The text of a name field: the bytes before its terminator.
std::string_view CtrlNameText(const CtrlName& name);
// Stores `text` into a name field, cut to 255 bytes on a character boundary of the game's code
// page, and zero-padded.
void SetCtrlName(CtrlName& name, std::string_view text);

// The fields every control type takes.
struct CtrlCommonParam {
    CtrlName parts{};   // image file with the control's cells (sprite cache)
    CtrlName hitName{}; // hit-map file; empty: hit by the drawn quad
    int32_t id = 0;
    int32_t hitNo = 0; // the value that marks this control in the hit map
    uint8_t show = 1;
    uint8_t enable = 1;
    int32_t x = 0, y = 0;
    uint32_t colour = 0xFFFFFFFF;                     // vertex colour of the quad (ARGB)
    uint8_t enterSE = 1;                              // play a sound when clicked
    uint8_t oncurSE = 1;                              // play a sound when focused
    int32_t jumpRows = 1;                             // rows of the table below that are consulted
    std::array<CtrlJumpRow, kCtrlJumpRows> jumpTable; // target ids per direction; -1 none
    uint8_t soundKind = 0; // 0: a click plays system sound 1, 1: system sound 0

    CtrlCommonParam();
};

// The whole record: the common fields, then the class data.
struct CtrlParam : CtrlCommonParam {
    // Class data: the block of the control's type is read, the others are ignored.
    struct Button {
        std::array<int32_t, kCtrlStates> cells{}; // normal, focused, pressed, disabled, both
        uint8_t blend = 1;                        // 1 alpha-blended, 0 copied
    } button;
    struct Check {
        std::array<int32_t, kCtrlStates * 2> cells{}; // the five looks unchecked, then checked
        uint8_t checked = 0;
    } check;
    struct Scroll {
        std::array<int32_t, kCtrlStates * 2> cells{}; // track in the five states, then knob
        int32_t value = 0;
        int32_t orientation = 0; // 0 horizontal, 1 vertical
        int32_t minimum = 0, maximum = 0;
        int32_t startMargin = 0, endMargin = 0;
    } scroll;
    struct Image {
        int32_t cell = 0;
    } image;
};

// The process-wide default record. Every row of the navigation table is -1, so rows an owner
// adds later start empty too.
const CtrlParam& DefaultCtrlParam();

} // namespace qw
