#pragma once
// Saving and loading from the command line (--save-slot, --load-slot): what the save/load
// screen and the message window's quick load do, at given ticks, so a run can leave a saved game
// and another can start from it. Each attempt is recorded for the state dump.

#include <vector>

namespace qw {

class CDIBBaseScreen;
class CMainWindow;
struct LaunchOptions;

struct SaveEventForDump {
    int tick = 0;
    bool save = true; // false: a load
    int slot = 0;
    bool ok = false;
};

const std::vector<SaveEventForDump>& GetSaveEvents();

// The first screen for --load-slot N: a scenario screen on that saved game, loaded at once as a
// confirmed load from the save/load screen does (the replay flag cleared). Null when the game
// cannot be loaded; the screen has then said so and HeadlessLoadFailed() is true.
CDIBBaseScreen* MakeStartLoadScreen(CMainWindow& main, int slot);
bool HeadlessLoadFailed();

// After tick `tick`: the saves and loads the options ask for at that tick, saves first.
void RunHeadlessSaves(CMainWindow& main, const LaunchOptions& options, int tick);

} // namespace qw
