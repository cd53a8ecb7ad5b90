// quillwork: plays the game in a directory.

#include <cstdio>

#include "app/Application.h"
#include "app/LaunchOptions.h"

int main(int argc, char** argv) {
    std::string error;
    auto options = qw::ParseLaunchOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "quillwork: %s\n%s", error.c_str(), qw::LaunchUsage());
        return 2;
    }
    if (options->help) {
        std::fputs(qw::LaunchUsage(), stdout);
        return 0;
    }
    if (options->version) {
        std::printf("quillwork %s\n", QW_VERSION);
        return 0;
    }
    return qw::RunApplication(*options, [](const qw::LaunchOptions& o) {
        return o.headless ? qw::platform::CreateHeadlessWindow({o.answerYes, o.recordAudio})
                          : qw::platform::CreateSdlWindow();
    });
}
