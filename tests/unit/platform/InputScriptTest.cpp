// Input scripts: what a line does at its tick, and the lines that are refused with their line
// number.
#include <gtest/gtest.h>

#include <string>

#include "platform/InputScript.h"
#include "unit/FuzzCorpus.h"

namespace qw::platform {
namespace {

TEST(InputScript, ActionsApplyAtTheirTicks) {
    std::string error;
    auto script = InputScript::Parse("# comment\n"
                                     "3 key RETURN down\n"
                                     "1 click 10 20\n"
                                     "2 char a b\r\n"
                                     "4 wheel -120\n"
                                     "4 close\n",
                                     error);
    ASSERT_TRUE(script) << error;
    EXPECT_EQ(script->LastTick(), 4);
    InputOverlay overlay;
    script->Apply(1, overlay);
    EXPECT_EQ(overlay.mouse, std::make_pair(10, 20));
    EXPECT_TRUE(overlay.IsKeyDown(0x01));
    script->Apply(2, overlay); // the click's button goes up a tick later
    EXPECT_FALSE(overlay.IsKeyDown(0x01));
    ASSERT_EQ(overlay.events.size(), 3u); // "a b": the rest of the line, spaces kept
    EXPECT_EQ(overlay.events[1].value, ' ');
    script->Apply(3, overlay);
    EXPECT_TRUE(overlay.IsKeyDown(0x0D));
    script->Apply(4, overlay);
    ASSERT_EQ(overlay.events.size(), 5u);
    EXPECT_EQ(overlay.events[3].type, OverlayEvent::Type::Wheel);
    EXPECT_EQ(overlay.events[3].value, -120);
    EXPECT_EQ(overlay.events[4].type, OverlayEvent::Type::Close);
}

TEST(InputScript, BadLinesAreRefusedWithTheirNumber) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"0 close\n", "line 1: expected a tick number (from 1)"},
        {"1 close\nx key Z down\n", "line 2: expected a tick number (from 1)"},
        {"1 key NOSUCH down\n", "line 1: unknown key 'NOSUCH'"},
        {"1 key Z sideways\n", "line 1: expected down or up"},
        {"1 move 1\n", "line 1: move needs X and Y"},
        {"1 jump\n", "line 1: unknown action 'jump'"},
        {"99999999999 close\n", "line 1: expected a tick number (from 1)"},
        // The button would go up at a tick past the largest number.
        {"2147483647 click 1 1\n", "line 1: a click needs the tick after it"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(InputScript::Parse(c.text, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
    // The same line, kept in the fuzz seeds so every run starts from it.
    Bytes found = test::ReadCorpusPayload("app_inputs", "script-click-at-last-tick");
    std::string error;
    EXPECT_FALSE(InputScript::Parse(std::string(found.begin(), found.end()), error));
}

} // namespace
} // namespace qw::platform
