#pragma once
// Shift-JIS (or GBK) byte-string helpers. Game text stays in the game's code page everywhere in
// the engine; it is converted only at the platform boundary.

#include <cstdint>
#include <string>
#include <string_view>

namespace qw {

// True when `b` begins a double-byte character in the build's code page.
constexpr bool IsLeadByte(uint8_t b) {
#if defined(QW_CODEPAGE_GBK)
    return b >= 0x81 && b <= 0xFE;
#else
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
#endif
}

constexpr char ToLowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
constexpr char ToUpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

// Case-insensitive equality on ASCII letters; other bytes compare exactly.
constexpr bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
    return true;
}

// The directory separator of this platform.
inline constexpr char kPathSeparator = '/';

// Appends `separator` unless the last character already is one. The path is walked character by
// character, so a double-byte character whose trail byte happens to equal the separator's code
// (0x5C, the backslash, in Shift-JIS) does not count as one.
void AddPathSeparator(std::string& path, char separator = kPathSeparator);

// The game's title: window and message-box caption, and the text from which the scenario and
// save key streams are derived. A build default that "Title" in [MainWindow] of "Novel.ini"
// overrides (code-page bytes).
const std::string& ProductTitle();
void SetProductTitle(std::string_view title);
inline constexpr const char* kDefaultProductTitle = "Quillwork";

} // namespace qw
