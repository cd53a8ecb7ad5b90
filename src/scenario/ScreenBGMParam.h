#pragma once
// A change of background music that accompanies a screen change (272 bytes when stored).

#include <cstdint>
#include <string>

namespace qw {

struct ScreenBGMParam {
    enum Flags : int32_t {
        kPlay = 1,      // play the named music
        kStopFirst = 2, // stop the current music first, with a fade
        kRestart = 4,   // restart the named music even when it already plays
    };
    std::string name; // at most 255 bytes
    int32_t flags = 0;
    int32_t waitMs = 0; // before the music steps start
    int32_t fadeInMs = 0;
    int32_t fadeOutMs = 0;
};

} // namespace qw
