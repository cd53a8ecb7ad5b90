#include "app/Application.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>

#include "app/CMainWindow.h"
#include "app/CScreenBuffer.h"
#include "app/HeadlessSaves.h"
#include "app/Screenshot.h"
#include "app/StateDump.h"
#include "common/ExecLog.h"
#include "common/Random.h"
#include "common/Text.h"
#include "files/CFile.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/InputScript.h"
#include "platform/Process.h"
#include "scenario/CDIBSnrScreen.h"

namespace qw {

namespace {

std::string g_installDir;
std::string g_iniPath;
LaunchOptions g_options;
std::unique_ptr<CFile> g_plainFile;
std::unique_ptr<CMainWindow> g_main;
std::unique_ptr<platform::VirtualClock> g_virtualClock;
// Kept as a plain buffer so the crash handler can use it without allocating.
char g_logDirectory[4096];

void OnFatalSignal(int) {
    std::string dir = g_logDirectory;
    OutputExecLog(&dir);
    static const char kText[] =
        "quillwork: a fatal error ended the game; the trace is in QWLog.txt\n";
    std::fwrite(kText, 1, sizeof kText - 1, stderr);
}

} // namespace

const std::string& GetInstallDir() {
    return g_installDir;
}
const std::string& GetIniPath() {
    return g_iniPath;
}
const LaunchOptions& GetLaunchOptions() {
    return g_options;
}
CFile* GetPlainFile() {
    return g_plainFile.get();
}

void SetInstallDir(const std::string& directory) {
    g_installDir = directory.empty() ? platform::CurrentDirectory() : directory;
    AddPathSeparator(g_installDir);
    g_iniPath = g_installDir + "Novel.ini";
    std::snprintf(g_logDirectory, sizeof g_logDirectory, "%s", g_installDir.c_str());
}

bool InitApplication(const LaunchOptions& options, const WindowFactory& makeWindow,
                     const MainWindowSetup& setup) {
    AddExecLog("InitApplication");
    g_options = options;
    SetInstallDir(options.gameDir);
    SeedRandom(options.seed ? *options.seed : platform::LocalTimeSeed());
    g_plainFile = std::make_unique<CFile>();

    if (options.headless) {
        g_virtualClock = std::make_unique<platform::VirtualClock>();
        platform::SetClock(g_virtualClock.get());
    }
    g_main = std::make_unique<CMainWindow>(makeWindow(options));
    SetMainWindow(g_main.get());

    CMainWindow* main = g_main.get();
    main->SetTickObserver([main](int tick) {
        for (const auto& [at, path] : g_options.screenshots) {
            if (at == tick && !SavePng(*main->GetScreenBuffer()->GetImage(), path))
                std::fprintf(stderr, "quillwork: cannot write the screenshot %s\n", path.c_str());
        }
        RunHeadlessSaves(*main, g_options, tick);
        if (g_options.ticks >= 0 && tick >= g_options.ticks) {
            main->SetCloseWithoutAsking(true);
            main->PostCloseRequest();
        }
    });
    // --start-scenario: the game opens on the scenario screen running that file, not the title.
    // Member names are in the game's code page; the command line is UTF-8.
    if (!options.startScenario.empty()) {
        std::string name =
            platform::Utf8ToGame(options.startScenario).value_or(options.startScenario);
        main->SetStartScreenFactory(
            [name]() -> CDIBBaseScreen* { return MakeScenarioScreen(name); });
    }
    // --load-slot N: the game opens on that saved game; one that cannot be loaded ends the run.
    if (options.loadSlot) {
        const int slot = *options.loadSlot;
        main->SetStartScreenFactory([main, slot] { return MakeStartLoadScreen(*main, slot); });
    }
    // The main window calls this from its destruction, when g_main no longer holds it.
    main->SetShutdownObserver([main] {
        if (!g_options.dumpState.empty() && !WriteStateDump(*main, g_options.dumpState))
            std::fprintf(stderr, "quillwork: cannot write %s\n", g_options.dumpState.c_str());
    });
    if (setup) setup(*main);
    return g_main->Create();
}

void ReleaseApplication() {
    AddExecLog("ReleaseApplication");
    g_main.reset();
    SetMainWindow(nullptr);
    g_plainFile.reset();
    platform::SetClock(nullptr);
    g_virtualClock.reset();
}

int RunApplication(const LaunchOptions& options, const WindowFactory& makeWindow,
                   const MainWindowSetup& setup) {
    g_options = options;
    std::optional<platform::InputScript> script;
    if (!options.inputScript.empty()) {
        auto text = platform::ReadWholeFile(options.inputScript);
        std::string error;
        if (text)
            script = platform::InputScript::Parse(std::string(text->begin(), text->end()), error);
        if (!text || !script) {
            std::fprintf(stderr, "quillwork: %s: %s\n", options.inputScript.c_str(),
                         text ? error.c_str() : "cannot be read");
            return 255;
        }
    }

    SetInstallDir(options.gameDir);
    platform::InstanceLock lock(g_installDir);
    if (!lock.Acquire()) return 0; // another instance plays this game

    if (!InitApplication(options, makeWindow, setup)) {
        ReleaseApplication();
        return 255;
    }
    InitExecLog();
    platform::InstallFatalSignalHandler(OnFatalSignal);

    return RunStartedApplication(script ? &*script : nullptr);
}

int RunStartedApplication(const platform::InputScript* script) {
    AddExecLog("RunStartedApplication");
    if (g_options.ticks == 0) { // nothing to run: close at once, through the normal shutdown
        g_main->SetCloseWithoutAsking(true);
        g_main->PostCloseRequest();
    }
    int appliedTick = 0;
    platform::Window* window = g_main->GetWindow();
    try {
        while (!g_main->IsQuit()) {
            if (g_virtualClock) g_virtualClock->Advance(CMainWindow::kTickMs);
            int next = g_main->GetTickCount() + 1;
            if (script && next != appliedTick) {
                script->Apply(next, window->Overlay());
                appliedTick = next;
            }
            platform::WindowEvent event;
            while (!g_main->IsQuit() && window->PollEvent(event))
                g_main->Dispatch(event);
            if (!g_main->IsQuit() && g_main->TakeCloseRequest())
                g_main->Dispatch({platform::WindowEvent::Type::CloseRequest});
            if (g_main->IsQuit()) break;
            g_main->OnIdle();
            // The pass's sound: always 30 ms of virtual time, whatever the game slept.
            if (g_virtualClock) g_main->PassEnd(CMainWindow::kTickMs);
            if (!g_virtualClock) window->WaitEvent(g_main->MillisecondsToNextTick());
        }
    } catch (...) {
        OutputExecLog(&g_installDir);
        g_main->ErrorMsg("予期せぬエラーが発生しました。\nエラーログを出力しました。\n%sQWLog.txt",
                         g_installDir.c_str());
        ReleaseApplication();
        return 255;
    }
    int code = HeadlessLoadFailed() ? 255 : g_main->GetExitCode();
    OutputExecLog(nullptr);
    ReleaseApplication();
    return code;
}

} // namespace qw
