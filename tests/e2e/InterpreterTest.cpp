// The scenario interpreter end to end: games assembled with qwasm and packed with qwpack in each
// archive format, run with `quillwork --headless --start-scenario`, checked through the dumped
// variables, the messages on stderr and the exit status.

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "TestGame.h"

namespace qw::e2e {
namespace {

int Var(const RunResult& r, int index) {
    return (*r.state)["local_variables"][static_cast<size_t>(index)].Int();
}

// Arithmetic, conditions, a loop, a label table and a second file reached with LS.
constexpr const char* kStart = R"(; the first file
MOV 1, (2 + 3 * 4 - 10 / 3)
MOV 2, ((2 + 3) * -4 % 7)
MOV 3, 0
MOV 4, 0
@loop
MOV 3, (v3 + 1)
MOV 4, (v4 + v3)
IF v3, "<", 100, @loop
IF v4, "==", 5050, v1, ">", 10, @sum_ok
MOV 5, -1
END
@sum_ok
MOV 5, 1
MOV 6, 0
@menu
ONJP v6, @first, @second, @third
LS "CHAPTER2"
@first
MOV 7, (v7 + 1)
MOV 6, (v6 + 1)
JP @menu
@second
MOV 7, (v7 + 10)
MOV 6, (v6 + 1)
JP @menu
@third
MOV 7, (v7 + 100)
MOV 6, (v6 + 1)
JP @menu
)";

constexpr const char* kChapter2 = R"(; the second file, reached with LS
MOV 8, (v7 * 2)
CMPSTR "Chapter", "CHAPTER", @same
MOV 9, -1
END
@same
MOV 9, 1
SUBTITLE "第二章"
END
)";

struct FormatCase {
    const char* name;
    const char* format; // qwpack format of the scenario archive; null: a loose-file directory
    const char* title;  // the game's title (Novel.ini), null: the engine's default
    bool scrambled;     // CHAPTER2 scrambled with the title
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << c.name;
}

class InterpreterFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(InterpreterFormats, ArithmeticJumpsAndASecondFile) {
    const FormatCase& c = GetParam();
    TestGame game(std::string("interp_") + c.name);
    if (c.title) game.WriteIni(std::string("[MainWindow]\nTitle=") + c.title + "\n");
    game.AddScenario("START.MSD", kStart);
    std::string title = c.title ? c.title : "Quillwork";
    game.AddScenario("CHAPTER2.MSD", kChapter2, c.scrambled ? "--scramble " + Quote(title) : "");
    if (c.format) game.Pack("MSD", c.format);

    RunResult r = game.Run("--ticks 20 --start-scenario START");
    ASSERT_EQ(r.exitCode, 0) << r.stderrText;
    EXPECT_EQ(r.stderrText, "");
    ASSERT_TRUE(r.state) << r.stateText;
    EXPECT_EQ((*r.state)["screen"].String(), "CDIBSnrScreen");
    EXPECT_LT((*r.state)["ticks"].Int(), 20); // END closed the game
    EXPECT_EQ(Var(r, 1), 11);
    EXPECT_EQ(Var(r, 2), -6);
    EXPECT_EQ(Var(r, 3), 100);
    EXPECT_EQ(Var(r, 4), 5050);
    EXPECT_EQ(Var(r, 5), 1);
    EXPECT_EQ(Var(r, 6), 3);
    EXPECT_EQ(Var(r, 7), 111);
    EXPECT_EQ(Var(r, 8), 222);
    EXPECT_EQ(Var(r, 9), 1);
    EXPECT_EQ((*r.state)["scenario"]["file"].String(), "CHAPTER2");
    EXPECT_GT((*r.state)["scenario"]["position"].Int(), 0); // on the last END
    EXPECT_EQ((*r.state)["subtitle"].String(), "第二章");
}

INSTANTIATE_TEST_SUITE_P(Archives, InterpreterFormats,
                         ::testing::Values(FormatCase{"loose", nullptr, nullptr, false},
                                           FormatCase{"sm2mpx10", "sm2mpx10", nullptr, true},
                                           FormatCase{"mgcfile", "mgcfile", "My Novel", true},
                                           FormatCase{"fjsys", "fjsys", nullptr, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The input counts from 500 ms after start-up, so the scenario first waits 600 ms; then a wait
// of 1000 ms that a scripted Enter ends after 300 ms.
constexpr const char* kWaits = R"(ATIMES 600
AWAIT 0, 1, 1, 1, 1, 1
ATIMES 1000
AWAIT 1, 10, 11, 12, 13, 14
MOV 20, 1
ATIMES -1
AWAIT 0, 15, 16, 17, 18, 19
MOV 21, 1
END
)";

TEST(Interpreter, EnterEndsATimedWaitAndAnUnlimitedWaitNeverEndsByTime) {
    TestGame game("interp_waits");
    game.AddScenario("START.MSD", kWaits);
    // Tick 2 arms 600 ms, which pass at tick 22; tick 23 arms 1000 ms; tick 33 is 300 ms in.
    WriteText(game.Path("enter.txt"),
              "33 key RETURN down\n34 key RETURN up\n"
              "100 key RETURN down\n101 key RETURN up\n300 key SPACE down\n");
    RunResult pressed =
        game.Run("--ticks 400 --start-scenario START --input " + Quote(game.Path("enter.txt")));
    ASSERT_EQ(pressed.exitCode, 0) << pressed.stderrText;
    ASSERT_TRUE(pressed.state);
    EXPECT_EQ((*pressed.state)["ticks"].Int(), 400);
    EXPECT_EQ(Var(pressed, 10), 0);
    EXPECT_EQ(Var(pressed, 11), 0);
    EXPECT_EQ(Var(pressed, 12), 1);
    EXPECT_EQ(Var(pressed, 13), 0);
    EXPECT_EQ(Var(pressed, 14), 0);
    EXPECT_EQ(Var(pressed, 20), 1);
    EXPECT_EQ(Var(pressed, 21), 0); // ATIMES -1, AWAIT 0: still waiting after 10 s and two presses

    // Without the press the 1000 ms wait is still running at tick 40, and ends by time.
    RunResult idle = game.Run("--ticks 40 --start-scenario START");
    EXPECT_EQ(Var(idle, 20), 0);
    idle = game.Run("--ticks 60 --start-scenario START");
    EXPECT_EQ(Var(idle, 20), 1);
    EXPECT_EQ(Var(idle, 12), 0);
}

TEST(Interpreter, RandomFollowsTheSeed) {
    TestGame game("interp_random");
    std::string source;
    for (int i = 0; i < 20; ++i)
        source += "RANDOM " + std::to_string(i) + ", 10, 3\n";
    source += "RANDOM 20, -5, -5\nEND\n";
    game.AddScenario("START.MSD", source);
    RunResult a = game.Run("--ticks 10 --seed 42 --start-scenario START");
    RunResult b = game.Run("--ticks 10 --seed 42 --start-scenario START");
    RunResult c = game.Run("--ticks 10 --seed 43 --start-scenario START");
    ASSERT_TRUE(a.state && b.state && c.state);
    bool differs = false;
    for (int i = 0; i < 20; ++i) {
        EXPECT_GE(Var(a, i), 3);
        EXPECT_LE(Var(a, i), 10);
        EXPECT_EQ(Var(a, i), Var(b, i));
        differs = differs || Var(a, i) != Var(c, i);
    }
    EXPECT_TRUE(differs);
    EXPECT_EQ(Var(a, 20), -5);
}

struct ErrorCase {
    const char* name;
    const char* source;
    const char* message;
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
    *os << c.name;
}

class InterpreterErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(InterpreterErrors, EndTheGameWithTheirMessage) {
    const ErrorCase& c = GetParam();
    TestGame game(std::string("interp_error_") + c.name);
    game.AddScenario("START.MSD", std::string("MOV 1, 1\n") + c.source + "\nMOV 2, 1\nEND\n");
    RunResult r = game.Run("--ticks 50 --start-scenario START");
    ASSERT_EQ(r.exitCode, 0) << r.stderrText;
    EXPECT_EQ(r.stderrText, std::string("[Quillwork] ") + c.message + "\n");
    ASSERT_TRUE(r.state);
    EXPECT_LT((*r.state)["ticks"].Int(), 5);
    EXPECT_EQ(Var(r, 1), 1);
    EXPECT_EQ(Var(r, 2), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, InterpreterErrors,
    ::testing::Values(
        ErrorCase{"count", "MOV 3", "【MOVE】パラメータ数が不正エラー(パラメータ数：1個)"},
        ErrorCase{"type", "JP \"x\"", "【JP】パラメータタイプが不正エラー(パラメータ：1番)"},
        ErrorCase{"operator", "IF 1, \"=<\", 1, 0",
                  "【IF】パラメータタイプが不正エラー(パラメータ：2番)"},
        ErrorCase{"label", "JP 40", "【JP】パラメータが不正エラー(パラメータ：1番)"},
        ErrorCase{"divide", "MOV 3, (v1 % 0)", "【MOVE】パラメータが不正エラー(パラメータ：2番)"},
        ErrorCase{"unknown", "#4321 1, 2", "【未知のコマンド】コマンドシークエラー"},
        ErrorCase{"read", "LS \"NOWHERE\"", "【LS】読み込みエラー(ファイル名：NOWHERE)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Interpreter, AStartScenarioThatCannotBeReadIsReported) {
    TestGame game("interp_no_scenario");
    game.AddScenario("START.MSD", "END\n");
    RunResult r = game.Run("--ticks 20 --start-scenario MISSING");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.stderrText.find("読み込みエラー\nOBJECT:CDIBSnrBaseScreen\nFILE:MISSING"),
              std::string::npos)
        << r.stderrText;
}

// The development module hears of every variable a command stores (RANDOM excepted) and of
// every scenario file LS opens.
TEST(Interpreter, TheDebugModuleHearsOfVariablesAndFiles) {
    TestGame game("interp_debug_module");
    game.AddScenario("START.MSD", "MOV 1, 5\nRANDOM 2, 7, 7\nLS \"NEXT\"\n");
    game.AddScenario("NEXT.MSD", "CHKSCEXEC 3\nEND\n");
    std::filesystem::copy_file(QW_DEBUG_MODULE, game.Path("QWDebug.so"));
    std::string log = game.Path("debug.log");
    std::string cmd = "QW_DEBUG_LOG=" + Quote(log) + " " + QW_BIN_QUILLWORK + " " +
                      Quote(game.Dir()) +
                      " --headless --ticks 20 --start-scenario START 2>/dev/null";
    ASSERT_EQ(RunCommand(cmd), 0);
    std::string calls = ReadText(log);
    EXPECT_NE(calls.find("value 1 5\nfile NEXT\nvalue 3 0\n"), std::string::npos) << calls;
    EXPECT_EQ(calls.find("value 2 "), std::string::npos) << calls;
}

// The demo game of the repository plays to its end with a few key presses, Control held (as a
// player skipping through it: transitions and camera moves end at once).
TEST(Interpreter, TheDemoGamePlaysThrough) {
    TestGame game("interp_demo");
    std::filesystem::remove_all(game.Dir());
    std::filesystem::copy(QW_DEMO_GAME_DIR, game.Dir(), std::filesystem::copy_options::recursive);
    std::string script = "1 key CONTROL down\n";
    for (int tick = 40; tick < 2000; tick += 40)
        script += std::to_string(tick) + " key RETURN down\n" + std::to_string(tick + 1) +
                  " key RETURN up\n";
    WriteText(game.Path("keys.txt"), script);
    RunResult r = game.Run("--ticks 2000 --seed 1 --start-scenario START --input " +
                           Quote(game.Path("keys.txt")));
    ASSERT_EQ(r.exitCode, 0) << r.stderrText;
    EXPECT_EQ(r.stderrText, "");
    ASSERT_TRUE(r.state);
    EXPECT_LT((*r.state)["ticks"].Int(), 2000); // the story reached its END
    EXPECT_EQ(Var(r, 999), 1);                  // the demo's "finished" flag
    for (const JsonValue& slot : (*r.state)["image_slots"].Items())
        EXPECT_TRUE(slot.IsNull()); // every chapter gives its pictures back
}

} // namespace
} // namespace qw::e2e
