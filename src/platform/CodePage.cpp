#include "platform/CodePage.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace qw::platform {

const char* GameCodePage() {
#if defined(QW_CODEPAGE_GBK)
    return "GBK";
#else
    return "CP932";
#endif
}

namespace {

// Converts `text`; with `lossy`, an invalid sequence is replaced and one byte skipped.
std::optional<std::string> Convert(const char* to, const char* from, std::string_view text,
                                   bool lossy) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out;
    std::vector<char> buf(text.size() * 4 + 16);
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    bool ok = true;
    while (inLeft > 0) {
        char* outPtr = buf.data();
        size_t outLeft = buf.size();
        size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buf.data(), static_cast<size_t>(outPtr - buf.data()));
        if (r != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        if (!lossy) {
            ok = false;
            break;
        }
        out += "\xEF\xBF\xBD"; // U+FFFD (the lossy form always converts to UTF-8)
        ++in;
        --inLeft;
    }
    iconv_close(cd);
    if (!ok) return std::nullopt;
    return out;
}

} // namespace

std::optional<std::string> GameToUtf8(std::string_view text) {
    return Convert("UTF-8", GameCodePage(), text, false);
}

std::optional<std::string> Utf8ToGame(std::string_view text) {
    return Convert(GameCodePage(), "UTF-8", text, false);
}

std::optional<std::string> CodePageToUtf8(const char* codePage, std::string_view text) {
    return Convert("UTF-8", codePage, text, false);
}

std::optional<std::string> Utf8ToCodePage(const char* codePage, std::string_view text) {
    return Convert(codePage, "UTF-8", text, false);
}

std::string GameToUtf8Lossy(std::string_view text) {
    return Convert("UTF-8", GameCodePage(), text, true).value_or(std::string());
}

} // namespace qw::platform
