// quillwork-layer-test: the engine opened on a scenario screen whose pages follow a layer script
// (support/LayerScriptScreen.h): the file named by QW_LAYER_SCRIPT, running the scenario file of
// --start-scenario (default "START"). It takes the engine's whole command line.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/Application.h"
#include "app/CMainWindow.h"
#include "app/LaunchOptions.h"
#include "support/LayerScriptScreen.h"

int main(int argc, char** argv) {
    std::string error;
    auto options = qw::ParseLaunchOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "quillwork-layer-test: %s\n%s", error.c_str(), qw::LaunchUsage());
        return 2;
    }
    if (options->help || options->version) {
        std::fputs("quillwork-layer-test: the engine on a scenario screen whose layers follow the "
                   "script named by QW_LAYER_SCRIPT.\n",
                   stdout);
        std::fputs(qw::LaunchUsage(), stdout);
        return 0;
    }
    std::string script;
    if (const char* path = std::getenv("QW_LAYER_SCRIPT")) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        script = text.str();
    }
    const std::string scenario = options->startScenario.empty() ? "START" : options->startScenario;
    options->startScenario.clear();
    return qw::RunApplication(
        *options,
        [](const qw::LaunchOptions& o) {
            return o.headless ? qw::platform::CreateHeadlessWindow({o.answerYes, o.recordAudio})
                              : qw::platform::CreateSdlWindow();
        },
        [script, scenario](qw::CMainWindow& main) {
            main.SetStartScreenFactory([script, scenario]() -> qw::CDIBBaseScreen* {
                auto* screen = new qw::test::LayerScriptScreen();
                std::string error;
                if (!screen->ReadScript(script, error)) {
                    std::fprintf(stderr, "quillwork-layer-test: script %s\n", error.c_str());
                    delete screen;
                    return nullptr;
                }
                if (screen->Initialize(qw::SnrStartRecord::ForFile(scenario))) return screen;
                delete screen;
                return nullptr;
            });
        });
}
