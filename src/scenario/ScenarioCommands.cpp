#include "scenario/ScenarioCommands.h"

#include "common/Text.h"

namespace qw {

namespace {

static_assert(std::size(kScenarioCommandTable) < 255, "the dispatch index holds one byte");
static_assert(kScenarioCommandTable[std::size(kScenarioCommandTable) - 1].id == kCmdEND);

template <typename Match>
const ScenarioCommand* Find(Match match) {
    for (const auto& c : kScenarioCommandTable)
        if (match(c)) return &c;
    for (const auto& c : kScenarioScreenCommandTable)
        if (match(c)) return &c;
    return nullptr;
}

} // namespace

std::span<const ScenarioCommand> ScenarioCommands() {
    return kScenarioCommandTable;
}
std::span<const ScenarioCommand> ScenarioScreenCommands() {
    return kScenarioScreenCommandTable;
}

const ScenarioCommand* FindScenarioCommand(uint16_t id) {
    return Find([id](const ScenarioCommand& c) { return c.id == id; });
}

const ScenarioCommand* FindScenarioCommand(std::string_view name) {
    return Find([name](const ScenarioCommand& c) { return EqualsNoCase(c.name, name); });
}

} // namespace qw
