// The message text style end to end: the style commands of a running scenario, seen in the
// dumped state's "text_style".

#include <gtest/gtest.h>

#include "TestGame.h"

namespace qw::e2e {
namespace {

TEST(TextStyle, StyleCommandsShowInTheDumpedState) {
    TestGame game("text_style");
    game.AddScenario("START.MSD", R"(MESFTSIZE 30
MESFTCOLOR 1, 255, 0, 0
MESFTBLOD 1
MESTXKINSOKU 1
MESTXAREA 5
@wait
MWO
JP @wait
)");
    RunResult r = game.Run("--start-scenario START --ticks 5");
    ASSERT_EQ(r.exitCode, 0) << r.stderrText;
    ASSERT_TRUE(r.state) << r.stateText;
    const JsonValue& s = (*r.state)["text_style"];
    ASSERT_FALSE(s.IsNull()) << r.stateText;
    EXPECT_EQ(s["area"][0].Int(), 8);
    EXPECT_EQ(s["area"][3].Int(), 116);
    EXPECT_EQ(s["font_size"].Int(), 30);
    EXPECT_EQ(s["colour"].String(), "0xFFFFFFFF");
    EXPECT_EQ(s["shadow_colour"].String(), "0xFFFF0000");
    EXPECT_TRUE(std::get<bool>(s["bold"].v));
    EXPECT_TRUE(std::get<bool>(s["kinsoku"].v));
    EXPECT_FALSE(std::get<bool>(s["indent"].v));
    EXPECT_EQ(s["pen"][0].Int(), 8);
    EXPECT_EQ(s["pen"][1].Int(), 8);
    EXPECT_EQ(s["next_line_y"].Int(), 36);
}

} // namespace
} // namespace qw::e2e
