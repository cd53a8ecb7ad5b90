#include <gtest/gtest.h>

#include <set>
#include <string>

#include "scenario/ScenarioCommands.h"

namespace qw {
namespace {

TEST(ScenarioCommands, TableIsTheDispatchTable) {
    auto table = ScenarioCommands();
    ASSERT_EQ(table.size(), 73u); // 72 handlers and END
    std::set<uint16_t> ids;
    std::set<std::string_view> names;
    for (const auto& c : table) {
        ids.insert(c.id);
        names.insert(c.name);
        EXPECT_EQ(FindScenarioCommand(c.id), &c);
        EXPECT_EQ(FindScenarioCommand(c.name), &c);
    }
    EXPECT_EQ(ids.size(), table.size());
    EXPECT_EQ(names.size(), table.size());
    EXPECT_EQ(table.front().name, "LPT");
    EXPECT_EQ(table.back().id, kCmdEND);
    EXPECT_EQ(FindScenarioCommand(5)->name, "MOV");
    EXPECT_EQ(FindScenarioCommand("lyPos")->id, 103);
    EXPECT_EQ(FindScenarioCommand("SETCHARID")->id, kCmdSETCHARID);
    EXPECT_EQ(FindScenarioCommand(uint16_t{0}), nullptr);
    EXPECT_EQ(FindScenarioCommand("MOVE"), nullptr);
}

} // namespace
} // namespace qw
