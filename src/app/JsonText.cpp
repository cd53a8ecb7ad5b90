#include "app/JsonText.h"

#include <cmath>
#include <cstdio>

#include "platform/CodePage.h"

namespace qw {

std::string JsonString(std::string_view utf8) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string GameText(std::string_view text) {
    return JsonString(platform::GameToUtf8Lossy(text));
}

std::string GameTextField(std::string_view field) {
    size_t len = 0;
    while (len < field.size() && field[len])
        ++len;
    return GameText(field.substr(0, len));
}

std::string JsonFloat(double value) {
    if (!std::isfinite(value)) return "null";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", value);
    return buf;
}

} // namespace qw
