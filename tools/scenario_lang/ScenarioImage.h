#pragma once
// A compiled scenario or definition file taken apart: the header fields, the label and load-point
// tables and the command stream. The assembler fills one and builds the file from it; the
// disassembler parses a file into one.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/Bytes.h"
#include "scenario/SnrFormat.h"

namespace qw::scenario_lang {

struct ScenarioImage {
    uint32_t header16 = 0;                                 // the unused word at offset 16
    std::array<uint8_t, snr::kReserved2Size> header1048{}; // the unused block at offset 1048
    std::vector<uint32_t> labels;                          // offsets from the stream start
    std::array<std::vector<uint32_t>, snr::kLoadPointTables> loadPoints;
    Bytes stream;
};

// The plain file.
Bytes BuildScenarioFile(const ScenarioImage& image);

// Takes a plain file apart; nullopt with `error` set when it has no magic or its tables do not
// fit.
std::optional<ScenarioImage> ParseScenarioFile(ByteSpan plain, std::string& error);

// True when `file` begins with the magic (a plain file).
bool IsPlainScenarioFile(ByteSpan file);

} // namespace qw::scenario_lang
