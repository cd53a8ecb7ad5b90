#pragma once
// Conversion between the game's code page (CP932, or GBK in the simplified-Chinese build) and
// UTF-8, for the places where text leaves the engine: window captions, message boxes, file names
// on disk, the dumped state.

#include <optional>
#include <string>
#include <string_view>

namespace qw::platform {

// The iconv name of the build's code page ("CP932" or "GBK").
const char* GameCodePage();

// nullopt when the input is not valid in the source encoding.
std::optional<std::string> GameToUtf8(std::string_view text);
std::optional<std::string> Utf8ToGame(std::string_view text);

// The same between UTF-8 and a named code page ("CP932", "GBK"), for tools and tests that handle
// both builds' text.
std::optional<std::string> CodePageToUtf8(const char* codePage, std::string_view text);
std::optional<std::string> Utf8ToCodePage(const char* codePage, std::string_view text);

// Lenient form for display: invalid bytes become U+FFFD.
std::string GameToUtf8Lossy(std::string_view text);

} // namespace qw::platform
