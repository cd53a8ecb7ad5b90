#pragma once
// Double-quoted texts of the scenario language, to and from the game's code page.
//
// Source side (UTF-8): characters are converted to the code page; escapes \" \\ \n \r \t and
// \xHH (a raw byte, written as is). In scenario texts "&&" is an ampersand and "&[N]" inserts
// string variable N; any other "&" is an error. In plain texts (the scramble title) "&" is an
// ordinary character.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qw::scenario_lang {

enum class TextKind { kScenario, kPlain };

struct TextError {
    size_t offset = 0; // byte offset in the literal's body
    std::string message;
};

// The code-page bytes of a literal's body (UTF-8 between the quotes), without a terminator.
std::optional<std::string> EncodeTextLiteral(std::string_view body, TextKind kind,
                                             TextError& error);

// The literal (with its quotes) that EncodeTextLiteral turns back into exactly `bytes`. Bytes
// that are not valid characters, or characters that would not convert back to the same bytes,
// are written as \xHH.
std::string DecodeTextLiteral(std::string_view bytes, TextKind kind);

} // namespace qw::scenario_lang
