#pragma once
// The command line of the engine binary.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qw {

struct LaunchOptions {
    enum class DisplayMode { FromConfig, FullScreen, Window };

    std::string gameDir; // empty: the current directory
    DisplayMode displayMode = DisplayMode::FromConfig;
    bool headless = false;
    int ticks = -1; // quit after this many ticks; -1: run until the game ends
    std::string inputScript;
    std::vector<std::pair<int, std::string>> screenshots; // tick, PNG path
    std::string dumpState;
    std::string recordAudio; // WAV file of the mixed sound (headless only)
    std::string startScenario;
    // --save-slot TICK:N: after tick TICK, the thumbnail from the current screen and SaveGame N.
    std::vector<std::pair<int, int>> saveSlots;
    // --load-slot N: start on saved game N instead of the title (not with --start-scenario).
    std::optional<int> loadSlot;
    // --load-slot TICK:N: after tick TICK, a scenario screen loading N replaces the current one.
    std::vector<std::pair<int, int>> loadSlotsAt;
    std::optional<uint32_t> seed;
    bool answerYes = true;
    bool help = false;
    bool version = false;
};

// Parses argv; on failure returns nullopt with `error` set.
std::optional<LaunchOptions> ParseLaunchOptions(int argc, const char* const* argv,
                                                std::string& error);

const char* LaunchUsage();

} // namespace qw
