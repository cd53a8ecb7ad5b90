// Whole start-up input: "Novel.ini", the six archives and "CONFIG.SAV" of a game, cut from one
// input, written to a game directory in memory (/dev/shm where there is one) and opened the way
// the engine opens a game: InitApplication (ini, archives, configuration, services, the first
// screen on the scenario "START") and then the game loop for a few ticks. Whatever the files
// hold, the engine refuses it with its messages or runs it; it never crashes or hangs.
//
// Input: up to eight pieces in the order above, each a little-endian uint32 length and that many
// bytes (a length past the end takes the rest). A missing or empty piece leaves its file out, so
// the engine meets a game without that archive.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include <unistd.h>

#include "../tests/support/FakeWindow.h"
#include "app/Application.h"
#include "common/Bytes.h"
#include "common/ExecLog.h"
#include "files/GameArchives.h"
#include "platform/FileSystem.h"

namespace {

namespace fs = std::filesystem;

std::string GameDirectory() {
    std::error_code ec;
    fs::path base =
        fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    fs::path dir = base / ("qw_fuzz_startup_" + std::to_string(::getpid()));
    fs::remove_all(dir, ec);
    fs::create_directories(dir);
    return dir.string() + "/";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string dir = GameDirectory();

    std::string names[2 + qw::kGameArchiveCount];
    names[0] = "Novel.ini";
    for (int slot = 0; slot < qw::kGameArchiveCount; ++slot)
        names[1 + slot] = std::string(qw::kGameArchiveNames[slot].baseName) +
                          qw::kGameArchiveNames[slot].extension;
    names[1 + qw::kGameArchiveCount] = "CONFIG.SAV";

    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec))
        fs::remove_all(entry.path(), ec);
    qw::ByteSpan rest(data, size);
    for (const std::string& name : names) {
        auto length = qw::LoadLE<uint32_t>(rest, 0);
        if (!length) break;
        rest = rest.subspan(4);
        size_t n = std::min<size_t>(*length, rest.size());
        if (n > 0 && !qw::platform::WriteFileAtomic(dir + name, rest.first(n))) __builtin_trap();
        rest = rest.subspan(n);
    }

    qw::LaunchOptions options;
    options.gameDir = dir;
    options.headless = true;
    options.ticks = 30;
    options.startScenario = "START";
    options.seed = 1;
    auto makeWindow = [](const qw::LaunchOptions&) -> std::unique_ptr<qw::platform::Window> {
        return std::make_unique<qw::test::FakeWindow>();
    };
    qw::InitExecLog();
    if (!qw::InitApplication(options, makeWindow)) {
        qw::ReleaseApplication();
        return 0;
    }
    qw::RunStartedApplication(nullptr);
    return 0;
}
