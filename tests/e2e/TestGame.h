#pragma once
// A small game built for one end-to-end test in its own directory under the build tree, with the
// project's tools, and runs of the engine on it.

#include <optional>
#include <string>
#include <vector>

#include "Json.h"

namespace qw::e2e {

struct RunResult {
    int exitCode = -1;
    std::string stdoutText;
    std::string stderrText;
    std::optional<JsonValue> state; // the dumped state, when asked for and written
    std::string stateText;
};

class TestGame {
public:
    // The six archives start as empty directories ("DATA", "MGD", "MSD", "SE", "BGM", "VOICE").
    explicit TestGame(const std::string& name);

    const std::string& Dir() const { return dir_; }
    std::string Path(const std::string& relative) const { return dir_ + "/" + relative; }

    // Assembles `source` (the scenario language) with qwasm into member `member` of the scenario
    // archive ("START.MSD"). `extraArgs` go to qwasm (e.g. "--scramble Title").
    void AddScenario(const std::string& member, const std::string& source,
                     const std::string& extraArgs = "");
    // A file in an archive directory ("MGD", "DATA", …) or the game directory ("").
    void AddFile(const std::string& archive, const std::string& member, const std::string& bytes);
    // Packs an archive directory into an archive file of that name with qwpack (sm2mpx10,
    // mgcfile or fjsys); the directory is removed.
    void Pack(const std::string& archive, const std::string& format);
    void WriteIni(const std::string& text);

    // Runs quillwork on the game. `args` are added after the game directory; --headless is
    // always given, and --dump-state when `dumpState` is set.
    RunResult Run(const std::string& args, bool dumpState = true) const;
    // The same with another program built around the engine (quillwork-ui-test).
    RunResult RunProgram(const std::string& program, const std::string& args,
                         bool dumpState = true) const;

private:
    std::string dir_;
};

// Runs a shell command; the exit status (or -1).
int RunCommand(const std::string& command);
std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);
std::string Quote(const std::string& s);

} // namespace qw::e2e
