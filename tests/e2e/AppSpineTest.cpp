// The application shell end to end: headless runs, repeatability, the single-instance guard, the
// close confirmation and the failure path.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "TestGame.h"

namespace qw::e2e {
namespace {

TestGame MinimalGame(const std::string& name) {
    TestGame game(name);
    game.AddScenario("START.MSD", "END\n");
    return game;
}

TEST(AppSpine, HeadlessRunDumpsTheSameStateTwice) {
    TestGame game = MinimalGame("spine_repeat");
    RunResult first = game.Run("--ticks 100 --seed 7");
    ASSERT_EQ(first.exitCode, 0) << first.stderrText;
    ASSERT_TRUE(first.state) << first.stateText;
    EXPECT_EQ((*first.state)["ticks"].Int(), 100);
    EXPECT_EQ((*first.state)["local_variables"].Items().size(), 1000u);
    EXPECT_EQ((*first.state)["global_variables"].Items().size(), 1000u);
    EXPECT_EQ((*first.state)["string_variables"].Items().size(), 256u);
    RunResult second = game.Run("--ticks 100 --seed 7");
    EXPECT_EQ(first.stateText, second.stateText);
}

TEST(AppSpine, AMissingArchiveIsReportedAndEndsStartUp) {
    TestGame game = MinimalGame("spine_missing_archive");
    std::filesystem::remove_all(game.Path("VOICE"));
    RunResult r = game.Run("--ticks 5");
    EXPECT_EQ(r.exitCode, 255);
    EXPECT_NE(r.stderrText.find("MainWindow:FileJoin"), std::string::npos) << r.stderrText;
    EXPECT_NE(r.stderrText.find("VOICE"), std::string::npos);
}

TEST(AppSpine, AMissingStartScenarioEndsTheGameWithItsMessage) {
    TestGame game("spine_no_start");
    RunResult r = game.Run("--ticks 5");
    EXPECT_EQ(r.exitCode, 0); // the game closes without asking
    EXPECT_NE(r.stderrText.find("データを読み込めませんでした。"), std::string::npos)
        << r.stderrText;
}

TEST(AppSpine, ASecondInstanceOfTheSameGameExitsAtOnce) {
    TestGame game = MinimalGame("spine_second_instance");
    // The first instance runs for a long while in the background. It takes the lock before its
    // first tick, so the screenshot after tick 1 says it holds it.
    const std::string ready = game.Path("first-ready.png");
    pid_t first = fork();
    ASSERT_GE(first, 0);
    if (first == 0) {
        std::string dir = game.Dir(), shot = "1:" + ready;
        execl(QW_BIN_QUILLWORK, QW_BIN_QUILLWORK, dir.c_str(), "--headless", "--ticks", "100000000",
              "--screenshot", shot.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    struct StopFirst {
        pid_t pid;
        ~StopFirst() {
            kill(pid, SIGTERM);
            int status = 0;
            waitpid(pid, &status, 0);
        }
    } stopFirst{first};
    for (int waited = 0; waited < 1200 && !std::filesystem::exists(ready); ++waited)
        usleep(50000);
    ASSERT_TRUE(std::filesystem::exists(ready)) << "the first instance never reached tick 1";
    // A second start must give up at once; were it to run, it would run for hours.
    RunResult second = game.Run("--ticks 100000000", false);
    EXPECT_EQ(second.exitCode, 0);
}

TEST(AppSpine, ClosingAsksAndNoResumesTheGame) {
    TestGame game = MinimalGame("spine_close");
    // The player closes the window at tick 3.
    WriteText(game.Path("close.txt"), "30 close\n"); // after the opening fade
    RunResult no = game.Run("--ticks 60 --answer no --input " + Quote(game.Path("close.txt")));
    ASSERT_EQ(no.exitCode, 0) << no.stderrText;
    EXPECT_NE(no.stderrText.find("終了しますか？ -> no"), std::string::npos) << no.stderrText;
    EXPECT_EQ((*no.state)["ticks"].Int(), 60); // kept running after "No"
    RunResult yes = game.Run("--ticks 60 --answer yes --input " + Quote(game.Path("close.txt")));
    ASSERT_EQ(yes.exitCode, 0);
    EXPECT_EQ((*yes.state)["ticks"].Int(), 29);
}

TEST(AppSpine, AnExceptionWritesTheLogAndExitsWith255) {
    TestGame game = MinimalGame("spine_exception");
    RunResult r = game.Run("--ticks 50", false);
    ASSERT_EQ(r.exitCode, 0);
    WriteText(game.Path("QWLog.txt"), "old log\n");
    r = game.Run("--ticks 50", false);
    EXPECT_EQ(ReadText(game.Path("QWLog.txt")), "old log\n"); // a normal exit leaves it alone

    std::string cmd = "QUILLWORK_FAULT=throw@5 " + std::string(QW_BIN_QUILLWORK) + " " +
                      Quote(game.Dir()) + " --headless --ticks 50 2>" + Quote(game.Path("err.txt"));
    EXPECT_EQ(RunCommand(cmd), 255);
    std::string log = ReadText(game.Path("QWLog.txt"));
    EXPECT_EQ(log.rfind("\x81\x79\x8E\xC0\x8D\x73\x83\x8D\x83\x4F\x81\x7A\nOld\n0001:", 0), 0u)
        << log; // 【実行ログ】
    EXPECT_NE(log.find(":CMainWindow::OnIdle\n"), std::string::npos);
    EXPECT_EQ(log.substr(log.size() - 4), "New\n");
    EXPECT_NE(ReadText(game.Path("err.txt")).find("QWLog.txt"), std::string::npos);

    std::filesystem::remove(game.Path("QWLog.txt"));
    cmd = "QUILLWORK_FAULT=crash@5 " + std::string(QW_BIN_QUILLWORK) + " " + Quote(game.Dir()) +
          " --headless --ticks 50 2>/dev/null";
    EXPECT_EQ(RunCommand(cmd), 255);
    EXPECT_NE(ReadText(game.Path("QWLog.txt")).find(":CMainWindow::OnIdle\n"), std::string::npos);
}

} // namespace
} // namespace qw::e2e

namespace qw::e2e {
namespace {

TEST(AppSpine, ScriptedInputReachesTheInputState) {
    TestGame game = MinimalGame("spine_input");
    WriteText(game.Path("input.txt"),
              "# typed text, a click and the wheel\n"
              "20 char Hello, World\n"
              "21 key 8 down\n" // Backspace is a key, not a character
              "25 click 123 45\n"
              "26 wheel -120\n");
    RunResult r = game.Run("--ticks 40 --input " + Quote(game.Path("input.txt")));
    ASSERT_EQ(r.exitCode, 0) << r.stderrText;
    ASSERT_TRUE(r.state) << r.stateText;
    const JsonValue& input = (*r.state)["input"];
    EXPECT_EQ(input["typed"].String(), "hello, world");
    EXPECT_EQ(input["mouse"][0].Int(), 123);
    EXPECT_EQ(input["mouse"][1].Int(), 45);
    EXPECT_EQ(input["mode"].String(), "mouse");
}

} // namespace
} // namespace qw::e2e

namespace qw::e2e {
namespace {

TEST(AppSpine, TheDebugModuleIsLoadedByNameWhenPresent) {
    TestGame game = MinimalGame("spine_debug_module");
    std::string log = game.Path("debug.log");
    RunResult without = game.Run("--ticks 10");
    ASSERT_EQ(without.exitCode, 0);
    std::filesystem::copy_file(QW_DEBUG_MODULE, game.Path("QWDebug.so"));
    game.WriteIni("[MainWindow]\nDebugWndAttach=1\n");
    std::string cmd = "QW_DEBUG_LOG=" + Quote(log) + " " + QW_BIN_QUILLWORK + " " +
                      Quote(game.Dir()) + " --headless --ticks 10 --dump-state " +
                      Quote(game.Path("with.json"));
    ASSERT_EQ(RunCommand(cmd), 0);
    std::string calls = ReadText(log);
    EXPECT_EQ(calls.rfind("init window\n", 0), 0u) << calls;
    EXPECT_EQ(calls.substr(calls.size() - 8), "release\n");
    // Nothing else about the game changes.
    EXPECT_EQ(ReadText(game.Path("with.json")), without.stateText);
}

} // namespace
} // namespace qw::e2e
