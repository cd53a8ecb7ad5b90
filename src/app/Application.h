#pragma once
// The process skeleton: the entry routine with its single-instance guard, start-up (game
// directory, ini path, random seed, the main window and its services), the loop that calls the
// idle routine on every pass, and the failure path that writes "QWLog.txt".

#include <functional>
#include <memory>
#include <string>

#include "app/LaunchOptions.h"
#include "platform/Window.h"

namespace qw {

class CFile;
class CMainWindow;
namespace platform {
class InputScript;
}

// Makes the window backend the options ask for (the program links the backends in).
using WindowFactory = std::function<std::unique_ptr<platform::Window>(const LaunchOptions&)>;

// Called with the main window before it starts (programs built around the engine, such as test
// drivers, give it their first screen with SetStartScreenFactory).
using MainWindowSetup = std::function<void(CMainWindow&)>;

// Runs the game; returns the process exit status (0, or 255 after a failure).
int RunApplication(const LaunchOptions& options, const WindowFactory& makeWindow,
                   const MainWindowSetup& setup = {});

bool InitApplication(const LaunchOptions& options, const WindowFactory& makeWindow,
                     const MainWindowSetup& setup = {});
// The loop of a game that InitApplication started, with `script` (may be null) applied tick by
// tick, until the game quits; then releases it. Returns the exit status. RunApplication ends
// with this; programs that start the engine themselves (the start-up fuzz target) call it too.
int RunStartedApplication(const platform::InputScript* script);
void ReleaseApplication();

// The game directory, always ending with a separator, and "Novel.ini" in it.
const std::string& GetInstallDir();
const std::string& GetIniPath();
const LaunchOptions& GetLaunchOptions();
// The plain file object the save data writes through.
CFile* GetPlainFile();

// Sets the game directory and ini path without starting anything (tools and tests).
void SetInstallDir(const std::string& directory);

} // namespace qw
