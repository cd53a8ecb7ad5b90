#pragma once
// Scripted input for automation and tests. One action per line, applied at the start of the given
// tick (ticks count from 1); '#' starts a comment:
//
//   TICK key NAME down|up        NAME: RETURN ESCAPE CONTROL SHIFT SPACE TAB UP DOWN LEFT RIGHT
//                                      PRIOR NEXT Z X ALT, or a virtual-key number
//   TICK button left|right|middle down|up
//   TICK move X Y
//   TICK click X Y               move, left button down, and up one tick later
//   TICK wheel DELTA             120 per notch, positive away from the player
//   TICK char TEXT               types TEXT (the rest of the line)
//   TICK close                   the player asks to close the window

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/InputOverlay.h"

namespace qw::platform {

class InputScript {
public:
    // Parses a script; on failure returns nullopt and sets `error` to "line N: message".
    static std::optional<InputScript> Parse(std::string_view text, std::string& error);

    // Applies the actions of `tick` to the overlay.
    void Apply(int tick, InputOverlay& overlay) const;

    bool Empty() const { return actions_.empty(); }
    int LastTick() const;

private:
    struct Action {
        enum class Kind { Key, Move, Char, Wheel, Close };
        int tick = 0;
        Kind kind = Kind::Key;
        int key = 0; // virtual key (Key)
        bool down = false;
        int x = 0, y = 0; // Move
        int value = 0;    // Wheel delta
        std::string text; // Char
    };
    std::vector<Action> actions_;
};

// Windows virtual-key code of a key name used by scripts ("RETURN", "Z", "0x11", "17"), or -1.
int VirtualKeyFromName(std::string_view name);

} // namespace qw::platform
