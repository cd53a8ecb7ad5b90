// The text style commands of the scenario screen: they set the message text buffer the screen
// holds for its window, run on to the next command in the same tick, and report bad parameters.

#include <gtest/gtest.h>

#include <string>

#include "text/CMesTextBuffer.h"
#include "unit/scenario/InterpreterFixture.h"

namespace qw::test {
namespace {

using TextStyleCommands = InterpreterFixture;

TEST_F(TextStyleCommands, SetTheBufferAndRunOnInTheSameTick) {
    AddScenario("STYLE", R"(MESFTSIZE 30
MESFTCOLOR 0, 16, 32, 48
MESFTCOLOR 1, 255, 0, 0
MESFTCOLOR 2, 1, 2, 3
MESFTCOLOR 0, 256, 257, -1
MESFTBLOD 5
MESFTSHADOW 1
MESTXKINSOKU 1
MESTXDOWN -1
MESTXAREA 1, "x", 3
MOV 0, 7
END
)");
    ASSERT_TRUE(Start("STYLE"));
    const CMesTextBuffer* b = screen_->GetTextBuffer();
    ASSERT_NE(b, nullptr);
    // Set up with the window's defaults; both layout rules start off.
    EXPECT_EQ(b->fontSize, 24);
    EXPECT_EQ(b->textColour, 0xFFFFFFFFu);
    EXPECT_EQ(b->shadowColour, 0xFF010101u);
    EXPECT_FALSE(b->kinsoku);
    EXPECT_FALSE(b->indent);
    EXPECT_EQ(b->curX, 8);
    EXPECT_EQ(b->curY, 8);
    Tick();
    EXPECT_EQ(Var(0), 7); // every command ran in the first tick, MESTXAREA too
    EXPECT_TRUE(window_->boxes.empty()) << LastBox();
    EXPECT_EQ(b->fontSize, 30);
    EXPECT_EQ(b->textColour, 0xFF0001FFu); // only the low byte of each channel
    EXPECT_EQ(b->shadowColour, 0xFFFF0000u);
    EXPECT_TRUE(b->bold);
    EXPECT_TRUE(b->shadow);
    EXPECT_TRUE(b->kinsoku);
    EXPECT_TRUE(b->indent);
    // The pen is left where it was; the style counts from the next message.
    EXPECT_EQ(b->curX, 8);
    EXPECT_EQ(b->nextLineY, 36);

    AddScenario("OFF", "MESFTBLOD 0\nMESFTSHADOW 0\nMESTXKINSOKU 0\nMESTXDOWN 0\nMOV 0, 8\nEND\n");
    ASSERT_TRUE(Start("OFF"));
    b = screen_->GetTextBuffer();
    Tick();
    EXPECT_EQ(Var(0), 8);
    EXPECT_FALSE(b->bold || b->shadow || b->kinsoku || b->indent);
}

TEST_F(TextStyleCommands, BadParametersAreReportedWithTheCommandsName) {
    const std::pair<const char*, const char*> cases[] = {
        {"MESFTSIZE \"24\"", "【MESFTSIZE】パラメータタイプが不正エラー(パラメータ：1番)"},
        {"MESFTSIZE", "【MESFTSIZE】パラメータ数が不正エラー(パラメータ数：0個)"},
        {"MESFTCOLOR 0, 1, 2", "【MESFTCOLOR】パラメータ数が不正エラー(パラメータ数：3個)"},
        {"MESFTCOLOR 0, 1, \"2\", 3",
         "【MESFTCOLOR】パラメータタイプが不正エラー(パラメータ：3番)"},
        {"MESFTBLOD 1, 2", "【MESFTBLOD】パラメータ数が不正エラー(パラメータ数：2個)"},
        {"MESFTSHADOW \"1\"", "【MESFTSHADOW】パラメータタイプが不正エラー(パラメータ：1番)"},
        {"MESTXKINSOKU", "【MESTXKINSOKU】パラメータ数が不正エラー(パラメータ数：0個)"},
        {"MESTXDOWN \"1\"", "【MESTXDOWN】パラメータタイプが不正エラー(パラメータ：1番)"},
    };
    for (const auto& [command, box] : cases) {
        AddScenario("ERR", std::string(command) + "\nMOV 5, 1\nEND\n");
        ASSERT_TRUE(Start("ERR"));
        const int32_t size = screen_->GetTextBuffer()->fontSize;
        Tick();
        EXPECT_EQ(LastBox(), box) << command;
        EXPECT_TRUE(Ended()) << command;
        EXPECT_EQ(Var(5), 0) << command;
        EXPECT_EQ(screen_->GetTextBuffer()->fontSize, size) << command;
        window_->boxes.clear();
    }
}

} // namespace
} // namespace qw::test
