// The interpreter's loop: the dispatch table, the time budget, the timed waits and their input
// latches, start-up and the end of the game.

#include <gtest/gtest.h>

#include <string>

#include "scenario/ScenarioCommands.h"
#include "unit/scenario/InterpreterFixture.h"

namespace qw::test {
namespace {

using Interpreter = InterpreterFixture;

TEST(InterpreterTable, FollowsTheSharedCommandTableAndSendsOtherIdsToUnknow) {
    auto table = CDIBSnrBaseScreen::CommandTable();
    auto shared = ScenarioCommands();
    ASSERT_EQ(table.size(), shared.size());
    for (size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].id, shared[i].id) << shared[i].name;
        EXPECT_EQ(table[i].name, shared[i].name);
        EXPECT_EQ(CDIBSnrBaseScreen::FindHandler(shared[i].id), table[i].handler) << shared[i].name;
    }
    EXPECT_EQ(CDIBSnrBaseScreen::FindHandler(kCmdEND), &CDIBSnrBaseScreen::MoveCmdEND);
    for (uint16_t id :
         {uint16_t{0}, uint16_t{11}, kCmdSETCHARID, uint16_t{9999}, CSnrBuffer::kNoCommand})
        EXPECT_EQ(CDIBSnrBaseScreen::FindHandler(id), &CDIBSnrBaseScreen::MoveCmdUnknow) << id;
}

// 500 MOVs that each depend on the one before: with a clock that stands still they all run in
// one tick; when every command takes a millisecond the 29 ms budget spreads them over ticks.
TEST_F(Interpreter, FiveHundredMovsRunInOneTickOrAcrossTicksInOrder) {
    std::string source;
    int32_t expected = 0;
    for (int k = 1; k <= 500; ++k) {
        source += "MOV 0, ((v0 * 31 + " + std::to_string(k) + ") % 1000003)\nMOV 1, (v1 + 1)\n";
        expected = static_cast<int32_t>((int64_t{expected} * 31 + k) % 1000003);
    }
    source += "ATIMES -1\nAWAIT 0, 2, 2, 2, 2, 2\n";
    AddScenario("MOVS", source);

    ASSERT_TRUE(Start("MOVS"));
    Tick();
    EXPECT_EQ(Var(0), expected);
    EXPECT_EQ(Var(1), 500);

    clock_.step = 1;
    ASSERT_TRUE(Start("MOVS"));
    Tick();
    EXPECT_GT(Var(1), 0);
    EXPECT_LE(Var(1), 15); // 30 commands at most (29 ms), two per step
    int ticks = 1;
    while (Var(1) < 500 && ticks < 200) {
        Tick();
        ++ticks;
    }
    EXPECT_GT(ticks, 30);
    EXPECT_EQ(Var(0), expected);
    EXPECT_FALSE(Ended());
}

TEST_F(Interpreter, EnterEndsASkippableWaitAtOnceAndOnlyItsVariableIsSet) {
    AddScenario("WAIT", R"(ATIMES 1000
AWAIT 1, 10, 11, 12, 13, 14
MOV 20, 1
ATIMES -1
AWAIT 0, 15, 16, 17, 18, 19
MOV 21, 1
END
)");
    ASSERT_TRUE(Start("WAIT"));
    for (int i = 10; i <= 14; ++i)
        Save().localVars[static_cast<size_t>(i)] = 7;
    Tick(); // ATIMES
    for (int t = 0; t < 9; ++t)
        Tick();
    EXPECT_EQ(screen_->GetWaitElapsed(), 270u);
    EXPECT_EQ(Var(12), 7);
    window_->keys[vk::kReturn] = true; // 300 ms into the wait
    Tick();
    EXPECT_EQ(Var(10), 0);
    EXPECT_EQ(Var(11), 0);
    EXPECT_EQ(Var(12), 1);
    EXPECT_EQ(Var(13), 0);
    EXPECT_EQ(Var(14), 0);
    EXPECT_EQ(Var(20), 0); // the tick ended with the wait
    window_->keys[vk::kReturn] = false;
    Tick();
    EXPECT_EQ(Var(20), 1);

    // ATIMES −1 with AWAIT 0: neither time nor input ends it.
    for (int t = 0; t < 400; ++t) {
        window_->keys[vk::kReturn] = t % 2 == 0;
        window_->keys[vk::kLButton] = t % 3 == 0;
        Tick();
    }
    EXPECT_EQ(Var(21), 0);
    EXPECT_EQ(screen_->GetWaitLimit(), CDIBSnrBaseScreen::kNoTimeLimit);
    EXPECT_TRUE(screen_->GetLatch(CDIBSnrBaseScreen::kLatchReturn));
    EXPECT_FALSE(Ended());
}

TEST_F(Interpreter, AWaitEndsWhenTheFrameTimeReachesItsLimit) {
    AddScenario("TIMED", R"(ATIMES 1000
AWAIT 0, 10, 11, 12, 13, 14
MOV 20, 1
ATIMES -1
AWAIT 1, 15, 16, 17, 18, 19
MOV 21, 1
END
)");
    ASSERT_TRUE(Start("TIMED"));
    Tick();
    window_->keys[vk::kSpace] = true; // latched, but the wait is not skippable
    for (int t = 0; t < 33; ++t)
        Tick(); // 990 ms
    EXPECT_EQ(screen_->GetWaitLimit(), 1000u);
    Tick(); // 1020 ms: the wait ends and reports the latch
    EXPECT_EQ(screen_->GetWaitLimit(), 0u);
    EXPECT_EQ(Var(14), 1);
    EXPECT_EQ(Var(12), 0);

    // A skippable wait without a time limit ends on the next new press.
    window_->keys[vk::kSpace] = false;
    for (int t = 0; t < 50; ++t)
        Tick();
    EXPECT_EQ(Var(21), 0);
    window_->keys[vk::kRButton] = true;
    Tick();
    EXPECT_EQ(Var(16), 1);
    Tick();
    EXPECT_EQ(Var(21), 1);
    EXPECT_TRUE(Ended());
}

TEST_F(Interpreter, StartClearsTheVariablesOnlyWithoutAParentAndBindsThemToTheReader) {
    AddScenario("VARS", "MOV 1, (v7 + 1)\nEND\n");
    Save().localVars[7] = 41;
    ASSERT_TRUE(Start("VARS"));
    EXPECT_EQ(Var(7), 0);
    Save().localVars[7] = 41;
    CDIBBaseScreen parent;
    ASSERT_TRUE(Start("VARS", &parent));
    EXPECT_EQ(Var(7), 41);
    EXPECT_EQ(RunToEnd(), 1);
    EXPECT_EQ(Var(1), 42);
    EXPECT_EQ(Save().GetSnrFileName(), "VARS");
    EXPECT_TRUE(window_->boxes.empty());
}

TEST_F(Interpreter, AScenarioThatCannotBeReadIsReportedAndNoScreenIsMade) {
    EXPECT_EQ(MakeScenarioScreen("NOPE"), nullptr);
    EXPECT_EQ(LastBox(), "読み込みエラー\nOBJECT:CDIBSnrBaseScreen\nFILE:NOPE");
}

TEST_F(Interpreter, EndClosesWithoutAskingAndStaysOnEnd) {
    AddScenario("E", "MOV 1, 1\nEND\nMOV 2, 1\n");
    ASSERT_TRUE(Start("E"));
    screen_->SetResult(3);
    EXPECT_EQ(RunToEnd(), 1);
    EXPECT_TRUE(main_->TakeCloseRequest());
    EXPECT_FALSE(screen_->IsResult());
    Tick();
    EXPECT_EQ(Var(2), 0);
    EXPECT_TRUE(window_->boxes.empty());
}

TEST_F(Interpreter, RunningOffTheEndOfTheFileIsACommandSeekError) {
    AddScenario("OFF", "MOV 1, 1\n");
    ASSERT_TRUE(Start("OFF"));
    EXPECT_EQ(RunToEnd(), 1);
    EXPECT_EQ(Var(1), 1);
    EXPECT_EQ(LastBox(), "【未知のコマンド】コマンドシークエラー");
}

} // namespace
} // namespace qw::test
