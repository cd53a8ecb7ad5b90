#pragma once
// The scenario assembler: turns the scenario language (docs/scenario-language.md) into a
// compiled scenario or definition file.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Bytes.h"

namespace qw::scenario_lang {

struct AssembleOptions {
    // The source is in the game's code page (Shift-JIS) instead of UTF-8.
    bool gameCodePageInput = false;
    // Scramble with this title (code-page bytes), whatever the source's .scramble says.
    std::optional<std::string> scrambleTitle;
    // Write a plain file even when the source has a .scramble directive.
    bool plain = false;
};

struct AssembleResult {
    Bytes file;                      // empty when there are errors
    std::vector<std::string> errors; // "file:line:column: message", in source order
    bool Ok() const { return errors.empty(); }
};

AssembleResult Assemble(std::string_view source, std::string_view fileName,
                        const AssembleOptions& options = {});

// The bytes of one parameter written in the language (without label references), or nullopt when
// `text` is not exactly one valid parameter. The disassembler checks its output with it.
std::optional<Bytes> AssembleParameter(std::string_view text);

} // namespace qw::scenario_lang
