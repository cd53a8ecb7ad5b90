#pragma once
// Small pieces of JSON text shared by the state dump's sections (--dump-state). Each section of
// the dump builds its text with these, so quoting and number formats stay alike.

#include <string>
#include <string_view>

namespace qw {

// A JSON string of UTF-8 text, with quotes, backslashes and control characters escaped.
std::string JsonString(std::string_view utf8);
// A JSON string of game text (the game's code page), converted to UTF-8.
std::string GameText(std::string_view text);
// A JSON string of a zero-padded game-text field: the bytes before its first zero.
std::string GameTextField(std::string_view field);
// "true" or "false".
inline const char* JsonBool(bool value) {
    return value ? "true" : "false";
}
// A float as JSON with nine significant digits (non-finite values as null).
std::string JsonFloat(double value);

template <typename Array>
std::string IntArray(const Array& values) {
    std::string out = "[";
    for (size_t i = 0; i < values.size(); ++i) {
        if (i) out += ",";
        out += std::to_string(values[i]);
    }
    return out + "]";
}

} // namespace qw
