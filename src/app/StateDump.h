#pragma once
// The dumped state of a run (--dump-state), as JSON: what automation and end-to-end tests check.

#include <functional>
#include <string>

namespace qw {

class CDIBOverlap;
class CMainWindow;

// Extra facts a screen adds to the dump (the running scenario, image slots).
struct ScenarioStateForDump {
    std::string file;  // current scenario file
    int position = -1; // position in its command stream, -1 when none
};

std::string DumpStateJson(const CMainWindow& main);

// The controls of the current screen (StateDumpControls.cpp): focus index, press flag and one
// entry per control; null without a screen.
std::string DumpControlsJson(const CMainWindow& main);
// The sound device and the music (StateDumpAudio.cpp).
std::string DumpAudioJson(const CMainWindow& main);
// The calls of PlaySysSE per index 0-2.
std::string DumpSystemSoundsJson(const CMainWindow& main);
// A transition's state (StateDumpTransition.cpp): active, effect, elapsed, duration and the
// finish-now flag; null without the object. The screen flow's is "screen_transition".
std::string DumpTransitionJson(const CDIBOverlap* overlap);
std::string DumpScreenTransitionJson(const CMainWindow& main);
// The scenario screen's pages and layers (StateDumpVVram.cpp); null without a scenario screen.
std::string DumpVVramJson(const CMainWindow& main);
// The running scenario screen's text style and pen (StateDumpText.cpp); null without one.
std::string DumpTextStyleJson(const CMainWindow& main);

// The save data (StateDumpSave.cpp): slots on disk, the load point's snapshot, flags, settings
// and the command line's saves and loads; null without save data.
std::string DumpSaveDataJson(const CMainWindow& main);

// Fields that a program built around the engine adds to the dump (test drivers), written after
// the engine's own as `"name": writer(main)`; a name given again replaces its writer.
void SetExtraStateDumpField(const std::string& name,
                            std::function<std::string(const CMainWindow&)> writer);
std::string DumpExtraFieldsJson(const CMainWindow& main);
bool WriteStateDump(const CMainWindow& main, const std::string& path);

} // namespace qw
