#pragma once
// The dumped state of a run (--dump-state), as JSON: what automation and end-to-end tests check.

#include <string>

namespace qw {

class CMainWindow;

// Extra facts a screen adds to the dump (the running scenario, image slots).
struct ScenarioStateForDump {
    std::string file;  // current scenario file
    int position = -1; // position in its command stream, -1 when none
};

std::string DumpStateJson(const CMainWindow& main);
bool WriteStateDump(const CMainWindow& main, const std::string& path);

} // namespace qw
