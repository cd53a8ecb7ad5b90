#include "app/LaunchOptions.h"

#include <charconv>
#include <cstring>

namespace qw {

const char* LaunchUsage() {
    return "Usage: quillwork [GAME_DIR] [options]\n"
           "Plays the game in GAME_DIR (default: the current directory).\n"
           "\n"
           "  --fullscreen / --window     start in that display mode (default: the saved setting)\n"
           "  --headless                  no window or audio device; virtual clock, 30 ms per "
           "pass\n"
           "  --ticks N                   quit after N ticks\n"
           "  --input FILE                scripted input (see below)\n"
           "  --screenshot TICK:FILE.png  save the composed 800x600 frame after tick TICK\n"
           "                              (repeatable)\n"
           "  --dump-state FILE.json      at exit: tick count, current screen, scenario file and\n"
           "                              position, variables, string variables, image slots, "
           "music\n"
           "  --record-audio FILE.wav     headless: write everything mixed to FILE.wav at exit\n"
           "  --start-scenario NAME       skip the title: start the scenario screen on NAME\n"
           "  --save-slot TICK:N          after tick TICK, save the game in slot N (repeatable)\n"
           "  --load-slot N | TICK:N      start on the game saved in slot N instead of the title,\n"
           "                              or load it after tick TICK (repeatable)\n"
           "  --seed N                    seed of the random generator (default: the local time)\n"
           "  --answer yes|no             headless answer to yes/no questions (default yes)\n"
           "  --help, --version\n"
           "\n"
           "Input script: one action per line, applied at the start of tick TICK (from 1):\n"
           "  TICK key NAME down|up       NAME: RETURN ESCAPE CONTROL SHIFT SPACE TAB UP DOWN "
           "LEFT\n"
           "                              RIGHT PRIOR NEXT Z X ALT, or a virtual-key number\n"
           "  TICK button left|right|middle down|up\n"
           "  TICK move X Y | TICK click X Y | TICK wheel DELTA | TICK char TEXT | TICK close\n"
           "\n"
           "Exit status: 0 normal end (or another instance already runs), 255 after a failure,\n"
           "2 for a command-line error.\n";
}

namespace {
template <typename T>
bool ParseNumber(const char* text, T& out) {
    const char* end = text + std::strlen(text);
    auto [ptr, ec] = std::from_chars(text, end, out);
    return ec == std::errc() && ptr == end && ptr != text;
}
} // namespace

std::optional<LaunchOptions> ParseLaunchOptions(int argc, const char* const* argv,
                                                std::string& error) {
    LaunchOptions o;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](const char*& out) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        const char* v = nullptr;
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--version") {
            o.version = true;
        } else if (arg == "--fullscreen") {
            o.displayMode = LaunchOptions::DisplayMode::FullScreen;
        } else if (arg == "--window") {
            o.displayMode = LaunchOptions::DisplayMode::Window;
        } else if (arg == "--headless") {
            o.headless = true;
        } else if (arg == "--ticks") {
            if (!value(v)) return std::nullopt;
            if (!ParseNumber(v, o.ticks) || o.ticks < 0) {
                error = "--ticks needs a number of ticks";
                return std::nullopt;
            }
        } else if (arg == "--input") {
            if (!value(v)) return std::nullopt;
            o.inputScript = v;
        } else if (arg == "--screenshot") {
            if (!value(v)) return std::nullopt;
            const char* colon = std::strchr(v, ':');
            int tick = 0;
            if (!colon || !ParseNumber(std::string(v, colon).c_str(), tick) || tick < 1 ||
                !colon[1]) {
                error = "--screenshot needs TICK:FILE.png";
                return std::nullopt;
            }
            o.screenshots.emplace_back(tick, colon + 1);
        } else if (arg == "--dump-state") {
            if (!value(v)) return std::nullopt;
            o.dumpState = v;
        } else if (arg == "--record-audio") {
            if (!value(v)) return std::nullopt;
            o.recordAudio = v;
        } else if (arg == "--start-scenario") {
            if (!value(v)) return std::nullopt;
            o.startScenario = v;
        } else if (arg == "--save-slot" || arg == "--load-slot") {
            if (!value(v)) return std::nullopt;
            const char* colon = std::strchr(v, ':');
            int tick = 0, slot = 0;
            const bool load = arg == "--load-slot";
            if (load && !colon && ParseNumber(v, slot)) {
                o.loadSlot = slot;
                continue;
            }
            if (!colon || !ParseNumber(std::string(v, colon).c_str(), tick) || tick < 1 ||
                !ParseNumber(colon + 1, slot)) {
                error = load ? "--load-slot needs N or TICK:N" : "--save-slot needs TICK:N";
                return std::nullopt;
            }
            (load ? o.loadSlotsAt : o.saveSlots).emplace_back(tick, slot);
        } else if (arg == "--seed") {
            if (!value(v)) return std::nullopt;
            uint32_t seed = 0;
            if (!ParseNumber(v, seed)) {
                error = "--seed needs a number";
                return std::nullopt;
            }
            o.seed = seed;
        } else if (arg == "--answer") {
            if (!value(v)) return std::nullopt;
            if (std::strcmp(v, "yes") != 0 && std::strcmp(v, "no") != 0) {
                error = "--answer needs yes or no";
                return std::nullopt;
            }
            o.answerYes = std::strcmp(v, "yes") == 0;
        } else if (!arg.empty() && arg[0] == '-') {
            error = "unknown option " + arg;
            return std::nullopt;
        } else if (o.gameDir.empty()) {
            o.gameDir = arg;
        } else {
            error = "more than one game directory given";
            return std::nullopt;
        }
    }
    if (o.loadSlot && !o.startScenario.empty()) {
        error = "--load-slot N and --start-scenario both choose the start";
        return std::nullopt;
    }
    if (!o.recordAudio.empty() && !o.headless) {
        error = "--record-audio needs --headless";
        return std::nullopt;
    }
    return o;
}

} // namespace qw
