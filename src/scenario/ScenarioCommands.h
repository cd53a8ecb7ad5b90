#pragma once
// The scenario command set as a table: id, name and parameters of every command, generated from
// the command list (ScenarioCommandList.h). One table shared by the interpreter, the assembler
// and the disassembler.

#include <cstdint>
#include <span>
#include <string_view>

#include "scenario/ScenarioCommandList.h"
#include "scenario/ScenarioParams.h"

namespace qw {

struct ScenarioCommand {
    uint16_t id;
    std::string_view name; // a literal, so name.data() is zero-terminated
    ScenarioParams params;

    // The name the command's errors show: its own, unless its row says otherwise (MOV reports
    // as "MOVE").
    constexpr const char* ReportName() const {
        return params.ReportName() ? params.ReportName() : name.data();
    }
};

// The interpreter's dispatch table in handler-slot order, then END. Ids not listed here reach the
// interpreter's unknown-command handler.
inline constexpr ScenarioCommand kScenarioCommandTable[] = {
#define QW_SCENARIO_ROW(NAME, ID, PARAMS, BODY) {ID, #NAME, PARAMS},
    QW_SCENARIO_COMMANDS(QW_SCENARIO_ROW)
#undef QW_SCENARIO_ROW
};

// Commands outside the dispatch table that the scenario screen catches through its
// unknown-command handler (SETCHARID, id 7000).
inline constexpr ScenarioCommand kScenarioScreenCommandTable[] = {
#define QW_SCENARIO_ROW(NAME, ID, PARAMS, BODY) {ID, #NAME, PARAMS},
    QW_SCENARIO_SCREEN_COMMANDS(QW_SCENARIO_ROW)
#undef QW_SCENARIO_ROW
};

std::span<const ScenarioCommand> ScenarioCommands();
std::span<const ScenarioCommand> ScenarioScreenCommands();

inline constexpr uint16_t kCmdEND = 10000;
inline constexpr uint16_t kCmdSETCHARID = 7000;

// The command with this id in either table, or null.
const ScenarioCommand* FindScenarioCommand(uint16_t id);
// The command with this name (ASCII letters compared without regard to case), or null.
const ScenarioCommand* FindScenarioCommand(std::string_view name);

} // namespace qw
