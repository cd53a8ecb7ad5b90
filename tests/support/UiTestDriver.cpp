// quillwork-ui-test: the engine with the control test screen as its first screen. It takes the
// engine's whole command line (headless runs, input scripts, screenshots, the dumped state), and
// the dump gains "fired": the controls that fired, with their ticks.

#include <cstdio>

#include "app/Application.h"
#include "app/CMainWindow.h"
#include "app/LaunchOptions.h"
#include "app/StateDump.h"
#include "scenario/CRootFlow.h"
#include "support/CtrlTestScreen.h"

int main(int argc, char** argv) {
    std::string error;
    auto options = qw::ParseLaunchOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "quillwork-ui-test: %s\n%s", error.c_str(), qw::LaunchUsage());
        return 2;
    }
    if (options->help) {
        std::fputs("quillwork-ui-test: the engine opened on the control test screen (the game's "
                   "definition file \"CTRLTEST\").\n",
                   stdout);
        std::fputs(qw::LaunchUsage(), stdout);
        return 0;
    }
    if (options->version) {
        std::printf("quillwork-ui-test %s\n", QW_VERSION);
        return 0;
    }
    qw::SetExtraStateDumpField("fired", [](const qw::CMainWindow& main) -> std::string {
        const qw::CRootFlow* flow = main.GetRootFlow();
        const auto* screen =
            flow ? dynamic_cast<const qw::test::CtrlTestScreen*>(flow->GetCurrentScreen())
                 : nullptr;
        return screen ? screen->FiredJson() : "[]";
    });
    return qw::RunApplication(
        *options,
        [](const qw::LaunchOptions& o) {
            return o.headless ? qw::platform::CreateHeadlessWindow({o.answerYes, o.recordAudio})
                              : qw::platform::CreateSdlWindow();
        },
        [](qw::CMainWindow& main) {
            main.SetStartScreenFactory([]() -> qw::CDIBBaseScreen* {
                auto* screen = new qw::test::CtrlTestScreen();
                if (screen->Initialize()) return screen;
                delete screen;
                return nullptr;
            });
        });
}
