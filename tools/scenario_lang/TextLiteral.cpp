#include "scenario_lang/TextLiteral.h"

#include <cstdio>

#include "common/Text.h"
#include "platform/CodePage.h"
#include "scenario/SnrFormat.h"

namespace qw::scenario_lang {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

size_t Utf8Length(uint8_t lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;
}

// Converts a run of UTF-8 source characters; on failure points at the first bad character.
bool ConvertRun(std::string_view run, size_t runStart, std::string& out, TextError& error) {
    if (run.empty()) return true;
    if (auto game = platform::Utf8ToGame(run)) {
        out += *game;
        return true;
    }
    for (size_t i = 0; i < run.size();) {
        size_t n = std::min(Utf8Length(static_cast<uint8_t>(run[i])), run.size() - i);
        if (!platform::Utf8ToGame(run.substr(i, n))) {
            error = {runStart + i, "character cannot be written in the game's code page (" +
                                       std::string(platform::GameCodePage()) + ")"};
            return false;
        }
        i += n;
    }
    error = {runStart, "text cannot be converted to the game's code page"};
    return false;
}

void AppendHex(std::string& out, uint8_t b) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\x%02X", b);
    out += buf;
}

} // namespace

std::optional<std::string> EncodeTextLiteral(std::string_view body, TextKind kind,
                                             TextError& error) {
    std::string out;
    std::string run; // source characters waiting for conversion
    size_t runStart = 0;
    auto flush = [&] {
        bool ok = ConvertRun(run, runStart, out, error);
        run.clear();
        return ok;
    };
    auto addToRun = [&](size_t at, std::string_view s) {
        if (run.empty()) runStart = at;
        run += s;
    };
    for (size_t i = 0; i < body.size();) {
        const char c = body[i];
        if (c == '\\') {
            if (i + 1 >= body.size()) {
                error = {i, "\"\\\" at the end of a text"};
                return std::nullopt;
            }
            const char e = body[i + 1];
            if (e == 'x') {
                int hi = i + 2 < body.size() ? HexValue(body[i + 2]) : -1;
                int lo = i + 3 < body.size() ? HexValue(body[i + 3]) : -1;
                if (hi < 0 || lo < 0) {
                    error = {i, "\\x needs two hexadecimal digits"};
                    return std::nullopt;
                }
                if (hi == 0 && lo == 0) {
                    error = {i, "a text cannot contain a zero byte"};
                    return std::nullopt;
                }
                if (!flush()) return std::nullopt;
                out += static_cast<char>(hi * 16 + lo);
                i += 4;
                continue;
            }
            const char* simple = e == '"'    ? "\""
                                 : e == '\\' ? "\\"
                                 : e == 'n'  ? "\n"
                                 : e == 'r'  ? "\r"
                                 : e == 't'  ? "\t"
                                             : nullptr;
            if (!simple) {
                error = {i, std::string("unknown escape \"\\") + e + "\""};
                return std::nullopt;
            }
            addToRun(i, simple);
            i += 2;
            continue;
        }
        if (c == snr::kTextEscape && kind == TextKind::kScenario) {
            if (i + 1 < body.size() && body[i + 1] == '&') {
                addToRun(i, "&&");
                i += 2;
                continue;
            }
            size_t close = body.find(']', i);
            if (i + 1 >= body.size() || body[i + 1] != '[' || close == std::string_view::npos) {
                error = {i, "write \"&&\" for an ampersand, or \"&[N]\" for string variable N"};
                return std::nullopt;
            }
            std::string_view digits = body.substr(i + 2, close - i - 2);
            long n = -1;
            if (!digits.empty() && digits.size() <= 5 &&
                digits.find_first_not_of("0123456789") == std::string_view::npos)
                n = std::stol(std::string(digits));
            if (n < 0 || n + 1 > snr::kTextRefMask) {
                error = {i, "string variable number in \"&[N]\" must be 0 to 32766"};
                return std::nullopt;
            }
            const uint16_t code = static_cast<uint16_t>(snr::kTextRefFlag | (n + 1));
            const char low = static_cast<char>(code & 0xFF);
            if (low == 0 || low == snr::kTextEscape) {
                error = {i, std::string("string variable ") + std::to_string(n) +
                                " cannot be referenced inside a text (its code contains a " +
                                (low == 0 ? "zero byte" : "\"&\"") +
                                "); pass it as a separate parameter s" + std::to_string(n)};
                return std::nullopt;
            }
            if (!flush()) return std::nullopt;
            out += snr::kTextEscape;
            out += low;
            out += static_cast<char>(code >> 8);
            i = close + 1;
            continue;
        }
        if (c == '\0') {
            error = {i, "a text cannot contain a zero byte"};
            return std::nullopt;
        }
        size_t n = std::min(Utf8Length(static_cast<uint8_t>(c)), body.size() - i);
        addToRun(i, body.substr(i, n));
        i += n;
    }
    if (!flush()) return std::nullopt;
    if (out.find('\0') != std::string::npos) {
        error = {0, "a text cannot contain a zero byte"};
        return std::nullopt;
    }
    return out;
}

std::string DecodeTextLiteral(std::string_view bytes, TextKind kind) {
    std::string out = "\"";
    const size_t n = bytes.size();
    auto byteAt = [&](size_t i) { return static_cast<uint8_t>(bytes[i]); };
    // Ordinary characters are collected into runs and converted together.
    auto ordinary = [&](uint8_t b) {
        return b >= 0x20 && b != 0x7F && b != '"' && b != '\\' &&
               !(b == snr::kTextEscape && kind == TextKind::kScenario);
    };
    auto unitLength = [&](size_t i) -> size_t {
        return (IsLeadByte(byteAt(i)) && i + 1 < n && byteAt(i + 1) >= 0x40) ? 2 : 1;
    };
    auto emitRun = [&](std::string_view run) {
        auto utf8 = platform::GameToUtf8(run);
        if (utf8 && platform::Utf8ToGame(*utf8) == run) {
            out += *utf8;
            return;
        }
        // Character by character: those that do not come back identical become escapes.
        for (size_t i = 0; i < run.size();) {
            size_t len = (IsLeadByte(static_cast<uint8_t>(run[i])) && i + 1 < run.size()) ? 2 : 1;
            std::string_view unit = run.substr(i, len);
            auto u = platform::GameToUtf8(unit);
            if (u && platform::Utf8ToGame(*u) == unit) {
                out += *u;
            } else {
                for (char b : unit)
                    AppendHex(out, static_cast<uint8_t>(b));
            }
            i += len;
        }
    };
    for (size_t i = 0; i < n;) {
        const uint8_t b = byteAt(i);
        if (ordinary(b)) {
            size_t j = i;
            while (j < n && ordinary(byteAt(j))) {
                j += unitLength(j);
            }
            emitRun(bytes.substr(i, j - i));
            i = j;
        } else if (b == '"') {
            out += "\\\"";
            ++i;
        } else if (b == '\\') {
            out += "\\\\";
            ++i;
        } else if (b == snr::kTextEscape && kind == TextKind::kScenario) {
            if (i + 1 < n && byteAt(i + 1) == snr::kTextEscape) {
                out += "&&";
                i += 2;
                continue;
            }
            if (i + 2 < n) {
                const uint16_t code = static_cast<uint16_t>(byteAt(i + 1) | byteAt(i + 2) << 8);
                const int index = (code & snr::kTextRefMask) - 1;
                if ((code & snr::kTextRefFlag) && index >= 0) {
                    out += std::string("&[") + std::to_string(index) + "]";
                    i += 3;
                    continue;
                }
            }
            AppendHex(out, b); // not a reference the assembler would write
            ++i;
        } else {
            AppendHex(out, b);
            ++i;
        }
    }
    out += '"';
    return out;
}

} // namespace qw::scenario_lang
