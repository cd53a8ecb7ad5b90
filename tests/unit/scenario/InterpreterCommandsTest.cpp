// The control and variable commands: conditions and jumps, the error reports, scenario files,
// random numbers and the save-data state the scenario sets.

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>

#include "common/Random.h"
#include "graphics/CDIBImage.h"
#include "unit/scenario/InterpreterFixture.h"

namespace qw::test {
namespace {

using InterpreterCommands = InterpreterFixture;

// After the command under test: v0 = 2 when it went on to the next command, 1 at @yes, 10 + n at
// @ln.
constexpr const char* kBranchTail = R"(
MOV 0, 2
END
@yes
MOV 0, 1
END
@l0
MOV 0, 10
END
@l1
MOV 0, 11
END
@l2
MOV 0, 12
END
)";

struct BranchCase {
    std::string command;
    int32_t v0;
};

std::string LongIf(int conditions, bool lastHolds) {
    std::string s = "IF ";
    for (int i = 0; i < conditions; ++i)
        s += std::to_string(i) + ", \"=\", " +
             std::to_string(i == conditions - 1 && !lastHolds ? -1 : i) + ", ";
    return s + "@yes";
}

TEST_F(InterpreterCommands, ConditionsAndJumps) {
    const BranchCase cases[] = {
        {"JP @yes", 1},
        {"IF 3, \"<>\", 3, @yes", 2},
        {"IF 3, \"!=\", 4, @yes", 1},
        {"IF 3, \"≠\", 4, @yes", 1},
        {"IF 2, 7, 2, @yes", 2}, // operator 7 never holds
        {"IF 2, 0, 2, @yes", 1},
        {"IF 2, (v9 + 4), 3, @yes", 1}, // operator 4 (≦) from an expression
        {"IF -1, \"<\", 1, @yes", 1},   // signed comparison
        {"IF -1, \">\", 1, @yes", 2},
        {"IF -2147483648, \"＜\", 2147483647, @yes", 1},
        {"IF 5, \"≦\", 5, @yes", 1},
        {"IF 5, \"≧\", 6, @yes", 2},
        {"IF 5, \"＞\", 4, @yes", 1},
        {"IF 5, \"＝\", 5, @yes", 1},
        {"IF 5, \"==\", 5, 2, \">=\", 3, @yes", 2},
        {"IF 5, \"==\", 5, 2, \"<=\", 3, @yes", 1},
        {"IF 1, \"=\", 1, 2, \"=\", 2, 3, \"=\", 3, @yes", 1}, // three conditions: 10 parameters
        {"IF 1, \"=\", 1, 2, \"=\", 2, 3, \"=\", 4, @yes", 2},
        {LongIf(12, true), 1}, // 37 parameters
        {LongIf(12, false), 2},
        {"ONJP 5, @l0, @l1, @l2", 2}, // outside 0 … 2
        {"ONJP -1, @l0, @l1, @l2", 2},
        {"ONJP 0, @l0, @l1, @l2", 10},
        {"ONJP 2, @l0, @l1, @l2", 12},
        {"ONJP 0, @l1, \"not reached\"", 11},
        {"CMPSTR \"Quill\", \"qUILL\", @yes", 1},
        {"CMPSTR \"quill\", \"quills\", @yes", 2},
        {"CMPSTR \"ア\", \"ャ\", @yes", 2}, // trail bytes 0x41 and 0x61 are not letters
        {"CMPSTR \"ｱア\", \"ｱア\", @yes", 1},
        {"CMPSTR s3, \"\", @yes", 1},
    };
    for (const BranchCase& c : cases) {
        AddScenario("BRANCH", c.command + kBranchTail);
        ASSERT_TRUE(Start("BRANCH"));
        Save().localVars[9] = 0;
        RunToEnd();
        EXPECT_EQ(Var(0), c.v0) << c.command;
        EXPECT_TRUE(window_->boxes.empty()) << c.command << ": " << LastBox();
        window_->boxes.clear();
    }
}

// A jump and a false condition both let the next command run in the same tick; CMPSTR's jump
// ends the tick.
TEST_F(InterpreterCommands, CmpstrJumpEndsTheTick) {
    AddScenario("T", "CMPSTR \"a\", \"A\", @next\n@next\nMOV 1, 1\nIF 1, \"=\", 2, @next\nJP "
                     "@end\n@end\nMOV 2, 1\nEND\n");
    ASSERT_TRUE(Start("T"));
    Tick();
    EXPECT_EQ(Var(1), 0);
    Tick();
    EXPECT_EQ(Var(1), 1);
    EXPECT_EQ(Var(2), 1);
    EXPECT_TRUE(Ended());
}

struct ErrorCase {
    std::string command;
    std::string box;
};

TEST_F(InterpreterCommands, ErrorsShowTheirMessageAndEndTheGameAtOnce) {
    const ErrorCase cases[] = {
        {"#9999", "【未知のコマンド】コマンドシークエラー"},
        {"MOV 1", "【MOVE】パラメータ数が不正エラー(パラメータ数：1個)"},
        {"MOV 1, \"x\"", "【MOVE】パラメータタイプが不正エラー(パラメータ：2番)"},
        {"MOV 1, (1 / 0)", "【MOVE】パラメータが不正エラー(パラメータ：2番)"},
        {"MOV 1000, 1", "【MOVE】パラメータが不正エラー(パラメータ：1番)"},
        {"MOV 1, v1000", "【MOVE】パラメータが不正エラー(パラメータ：2番)"},
        {"JP 1, 2", "【JP】パラメータ数が不正エラー(パラメータ数：2個)"},
        {"JP \"yes\"", "【JP】パラメータタイプが不正エラー(パラメータ：1番)"},
        {"JP 99", "【JP】パラメータが不正エラー(パラメータ：1番)"},
        {"ONJP 1", "【ONJP】パラメータ数が不正エラー(パラメータ数：1個)"},
        {"ONJP \"0\", @yes", "【ONJP】パラメータタイプが不正エラー(パラメータ：1番)"},
        {"ONJP 1, @yes, \"x\"", "【ONJP】パラメータタイプが不正エラー(パラメータ：3番)"},
        {"ONJP 0, 99", "【ONJP】パラメータが不正エラー(パラメータ：2番)"},
        {"IF 1, \"=\", 1", "【IF】パラメータ数が不正エラー(パラメータ数：3個)"},
        {"IF 1, \"=\", 1, 2, @yes", "【IF】パラメータ数が不正エラー(パラメータ数：5個)"},
        {"IF 1, \"=\", 1, 2, 0, 2, 3, 0, @yes",
         "【IF】パラメータ数が不正エラー(パラメータ数：9個)"},
        {"IF 1, \"=>\", 1, @yes", "【IF】パラメータタイプが不正エラー(パラメータ：2番)"},
        {"IF 1, \"<\", 0, \"a\", \"=\", 1, @yes",
         "【IF】パラメータタイプが不正エラー(パラメータ：4番)"},
        {"IF 1, \"=\", 1, \"yes\"", "【IF】パラメータタイプが不正エラー(パラメータ：4番)"},
        {"ATIMES", "【ATIMES】パラメータ数が不正エラー(パラメータ数：0個)"},
        {"AWAIT 1, 2, 3", "【AWAIT】パラメータ数が不正エラー(パラメータ数：3個)"},
        {"AWAIT 1, 2, 3, 4, 5, \"6\"", "【AWAIT】パラメータタイプが不正エラー(パラメータ：6番)"},
        {"AWAIT 0, 2, 3, -4, 5, 6", "【AWAIT】パラメータが不正エラー(パラメータ：4番)"},
        {"RANDOM 1, 2", "【RANDOM】パラメータ数が不正エラー(パラメータ数：2個)"},
        {"RANDOM 1, 2, \"3\"", "【RANDOM】パラメータタイプが不正エラー(パラメータ：3番)"},
        {"CMPSTR 1, \"a\", @yes", "【CMPSTR】パラメータタイプが不正エラー(パラメータ：1番)"},
        {"CMPSTR \"a\", \"a\", \"yes\"", "【CMPSTR】パラメータタイプが不正エラー(パラメータ：3番)"},
        {"CURSOR \"0\", 1", "【CURSOR】パラメータタイプが不正エラー(パラメータ：1番)"},
        {"CHKSCEXEC 1000", "【CHKSCEXEC】パラメータが不正エラー(パラメータ：1番)"},
        {"SUBTITLE 5", "【SUBTITLE】パラメータタイプが不正エラー(パラメータ：1番)"},
        {"SUBTITLE \"a\", \"b\"", "【SUBTITLE】パラメータ数が不正エラー(パラメータ数：2個)"},
        {"SETCGFLAG 5", "【SETCGFLAG】パラメータタイプが不正エラー(パラメータ：1番)"},
        {"SETSCENEFLAG", "【SETSCENEFLAG】パラメータ数が不正エラー(パラメータ数：0個)"},
        {"SAVESAM", "【SAVESAM】パラメータ数が不正エラー(パラメータ数：0個)"},
        {"SAVESAM \"0\"", "【SAVESAM】パラメータタイプが不正エラー(パラメータ：1番)"},
        {"SAVESAM 40, 5", "【SAVESAM】パラメータタイプが不正エラー(パラメータ：2番)"},
        {"SAVESAM 0, 1, \"2\", 3", "【SAVESAM】パラメータタイプが不正エラー(パラメータ：3番)"},
        {"LS \"MISSING\"", "【LS】読み込みエラー(ファイル名：MISSING)"},
        {"LS 3", "【LS】パラメータタイプが不正エラー(パラメータ：1番)"},
    };
    for (const ErrorCase& c : cases) {
        // The error follows a command that lets the next one run: the tick still ends with it.
        AddScenario("ERR", "MOV 6, 1\n" + c.command + "\nMOV 5, 1\nEND\n@yes\nMOV 5, 1\nEND\n");
        ASSERT_TRUE(Start("ERR"));
        Save().localVars[5] = 0;
        Tick();
        EXPECT_EQ(LastBox(), c.box) << c.command;
        EXPECT_EQ(window_->boxes.size(), 1u) << c.command;
        EXPECT_TRUE(Ended()) << c.command;
        EXPECT_TRUE(main_->TakeCloseRequest()) << c.command;
        EXPECT_FALSE(screen_->IsContinue()) << c.command;
        EXPECT_EQ(Var(6), 1) << c.command;
        EXPECT_EQ(Var(5), 0) << c.command; // nothing after the error ran
        Tick(); // the game closes before the next tick; until then the command is not passed
        EXPECT_EQ(Var(5), 0) << c.command;
        window_->boxes.clear();
    }
}

TEST_F(InterpreterCommands, LsContinuesInTheNewFileFromItsFirstCommand) {
    AddScenario("FIRST", "MOV 1, 1\nLS \"second\"\nMOV 1, 99\nEND\n");
    AddScenario("SECOND", "@top\nMOV 2, (v1 + 1)\nEND\n");
    ASSERT_TRUE(Start("FIRST"));
    EXPECT_EQ(RunToEnd(), 1);
    EXPECT_EQ(Var(1), 1);
    EXPECT_EQ(Var(2), 2);
    EXPECT_EQ(Save().GetSnrFileName(), "second");
    EXPECT_EQ(screen_->GetSnrBuffer()->GetFileName(), "second");
    EXPECT_TRUE(window_->boxes.empty());
}

// RANDOM uses the engine's own generator: the same seed gives the same number on every platform.
TEST_F(InterpreterCommands, RandomStaysInItsRangeAndFollowsTheSeed) {
    AddScenario("RND", "RANDOM 1, 10, 3\nRANDOM 2, 5, 5\nRANDOM 3, -2147483648, 2147483647\nEND\n");
    std::set<int32_t> seen;
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        SeedRandom(seed);
        Lcg expected(seed);
        ASSERT_TRUE(Start("RND"));
        RunToEnd();
        ASSERT_GE(Var(1), 3);
        ASSERT_LE(Var(1), 10);
        EXPECT_EQ(Var(1), 3 + expected.Next() % 8);
        EXPECT_EQ(Var(2), 5);
        EXPECT_EQ(Var(3), INT_MIN + expected.Next()); // the range is wider than the generator's
        seen.insert(Var(1));
    }
    EXPECT_EQ(seen.size(), 8u);
}

TEST_F(InterpreterCommands, SubtitleKeepsWholeCharactersWithinItsField) {
    const std::string ascii70(70, 'a');
    const std::string cut62 =
        std::string(62, 'a') + "あ"; // the double-byte character would end at 64
    AddScenario("SUB",
                "SUBTITLE \"" + ascii70 + "\"\nMOV 1, 1\nATIMES -1\nAWAIT 0, 2, 2, 2, 2, 2\n");
    ASSERT_TRUE(Start("SUB"));
    Tick();
    EXPECT_EQ(std::string(Save().subtitle.data()), std::string(63, 'a'));
    AddScenario("SUB", "SUBTITLE \"" + cut62 + "\"\nEND\n");
    ASSERT_TRUE(Start("SUB"));
    RunToEnd();
    EXPECT_EQ(std::string(Save().subtitle.data()), std::string(62, 'a'));
    AddScenario("SUB", "SUBTITLE \"第一章　はじまり\"\nEND\n");
    ASSERT_TRUE(Start("SUB"));
    RunToEnd();
    EXPECT_EQ(std::string(Save().subtitle.data()), "第一章　はじまり");
}

struct SaveSamCase {
    std::string command;
    int32_t mode;
    uint32_t param;
    std::string name;
};

TEST_F(InterpreterCommands, SaveSamSetsTheThumbnailOfTheNextSave) {
    const SaveSamCase cases[] = {
        {"SAVESAM 0, 255, 128, 1", 0, 0xFFFF8001u, ""},
        {"SAVESAM 30, 256, -1, 2", 30, 0xFF00FF02u, ""}, // each channel taken as a byte
        {"SAVESAM 10, 8", 10, 8u, ""},
        {"SAVESAM 20, 3", 20, 3u, ""},
        {"SAVESAM 40, \"THUMB01\"", 40, 0xFFFFFFFFu, "THUMB01"},
        {"SAVESAM 99, 1, 2", 0, 0xFFFFFFFFu, ""}, // other modes change nothing
    };
    for (const SaveSamCase& c : cases) {
        Save().thumbnailMode = 0;
        Save().thumbnailParam = -1;
        Save().thumbnailName.fill(0);
        AddScenario("SAM", c.command + "\nEND\n");
        ASSERT_TRUE(Start("SAM"));
        RunToEnd();
        EXPECT_EQ(Save().thumbnailMode, c.mode) << c.command;
        EXPECT_EQ(static_cast<uint32_t>(Save().thumbnailParam), c.param) << c.command;
        EXPECT_EQ(std::string(Save().thumbnailName.data()), c.name) << c.command;
        EXPECT_TRUE(window_->boxes.empty()) << c.command;
    }

    // A wrong count is reported (ending the game), and the setting is still made.
    AddScenario("SAM", "SAVESAM 10\nMOV 1, 1\nEND\n");
    ASSERT_TRUE(Start("SAM"));
    Tick();
    EXPECT_EQ(LastBox(), "【SAVESAM】パラメータ数が不正エラー(パラメータ数：1個)");
    EXPECT_EQ(Save().thumbnailMode, 10);
    EXPECT_EQ(Save().thumbnailParam, 0);
    EXPECT_EQ(Var(1), 0);
}

TEST_F(InterpreterCommands, FlagsReplayStateAndCursor) {
    AddScenario("CGLIST", R"(record 100, 0, 2, 0, "EV_A1", "EV_A2"
record 100, 0, 2, 1, "EV_B1", "EV_B2"
record 100, 1, 1, 1, "NOT_A_CG"
)");
    AddScenario("SCENELIST", R"(record 101, 0, 3, "SC01"
record 101, 0, 3, "SC02"
record 101, 0, 3, "SC03", "extra"
)");
    ASSERT_TRUE(Save().ReadCGList());
    ASSERT_TRUE(Save().ReadSceneList());
    EXPECT_EQ(Save().GetCGCount(1), 1);
    EXPECT_EQ(Save().GetSceneCount(3), 2);

    AddScenario("FLAGS", R"(SETCGFLAG "ev_b2.mgd"
SETCGFLAG "NOT_A_CG"
SETSCENEFLAG "sc02"
CHKSCEXEC 1
CURSOR 0, 3
END
)");
    Save().replay = 1;
    ASSERT_TRUE(Start("FLAGS"));
    RunToEnd();
    int setCG = 0, setScene = 0;
    for (uint8_t f : Save().cgFlags)
        setCG += f;
    for (uint8_t f : Save().sceneFlags)
        setScene += f;
    EXPECT_EQ(setCG, 1);
    EXPECT_EQ(Save().cgFlags[1 * 2000 + 0 * 20 + 1], 1);
    EXPECT_EQ(setScene, 1);
    EXPECT_EQ(Save().sceneFlags[3 * 20 + 1], 1);
    EXPECT_EQ(Var(1), 1);
    ASSERT_TRUE(window_->shownCursor);
    EXPECT_EQ(*std::static_pointer_cast<int>(window_->shownCursor), 3);

    Save().replay = 0;
    ASSERT_TRUE(Start("FLAGS"));
    Save().localVars[1] = 5;
    RunToEnd();
    EXPECT_EQ(Var(1), 0);
}

} // namespace
} // namespace qw::test
