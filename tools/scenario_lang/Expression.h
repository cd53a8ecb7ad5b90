#pragma once
// Arithmetic expressions of the scenario language: the postfix pairs of a type-4 parameter, and
// their infix form for the disassembler.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qw::scenario_lang {

// (kind, operand) pairs without the terminating pair.
using ExprPairs = std::vector<std::pair<int32_t, int32_t>>;

// The deepest the evaluation stack gets, or -1 when an operator finds fewer than two values or
// the expression does not end with exactly one value.
int ExpressionDepth(const ExprPairs& pairs);

// The infix text (with its outer parentheses) that the assembler compiles back to exactly these
// pairs, or nullopt when there is none (unknown kinds, operands on operators, unbalanced stack).
std::optional<std::string> DecompileExpression(const ExprPairs& pairs);

} // namespace qw::scenario_lang
