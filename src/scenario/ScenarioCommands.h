#pragma once
// The scenario command set: command ids and their names. One table shared by the interpreter,
// the assembler and the disassembler.

#include <cstdint>
#include <span>
#include <string_view>

namespace qw {

struct ScenarioCommand {
    uint16_t id;
    std::string_view name;
};

// The interpreter's dispatch table in handler-slot order, then END. Ids not listed here reach the
// interpreter's unknown-command handler.
std::span<const ScenarioCommand> ScenarioCommands();

// Commands outside the dispatch table that the scenario screen catches through its
// unknown-command handler (SETCHARID, id 7000). The assembler and disassembler know them by name.
std::span<const ScenarioCommand> ScenarioScreenCommands();

inline constexpr uint16_t kCmdEND = 10000;
inline constexpr uint16_t kCmdSETCHARID = 7000;

// The command with this id in either table, or null.
const ScenarioCommand* FindScenarioCommand(uint16_t id);
// The command with this name (ASCII letters compared without regard to case), or null.
const ScenarioCommand* FindScenarioCommand(std::string_view name);

} // namespace qw
