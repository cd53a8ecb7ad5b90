#pragma once
// The scenario disassembler: prints a compiled scenario or definition file in the scenario
// language so that the assembler reproduces the file byte for byte.

#include <optional>
#include <string>

#include "common/Bytes.h"

namespace qw::scenario_lang {

struct DisassembleOptions {
    // The title that unscrambles a scrambled file (code-page bytes); nullopt: the product title.
    std::optional<std::string> title;
    // Named in the first comment line.
    std::string sourceName;
};

struct DisassembleResult {
    std::string text; // UTF-8
    std::string error;
    bool Ok() const { return error.empty(); }
};

DisassembleResult Disassemble(ByteSpan file, const DisassembleOptions& options = {});

} // namespace qw::scenario_lang
