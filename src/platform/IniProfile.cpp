#include "platform/IniProfile.h"

#include <cstdlib>
#include <optional>
#include <vector>

#include "common/Text.h"
#include "platform/FileSystem.h"

namespace qw::platform {
namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string> SplitLines(std::span<const uint8_t> data) {
    std::vector<std::string> lines;
    std::string current;
    for (uint8_t b : data) {
        if (b == '\n') {
            lines.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back(static_cast<char>(b));
        }
    }
    if (!current.empty()) lines.push_back(std::move(current));
    return lines;
}

std::vector<std::string> ReadLines(const std::string& path) {
    auto data = ReadWholeFile(path);
    if (!data) return {};
    return SplitLines(*data);
}

// The section name when `line` is a section header.
std::optional<std::string_view> SectionOf(std::string_view line) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[') return std::nullopt;
    size_t close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> KeyOf(std::string_view line) {
    std::string_view t = Trim(line);
    if (t.empty() || t.front() == ';') return std::nullopt;
    size_t eq = t.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return KeyLine{Trim(t.substr(0, eq)), Trim(t.substr(eq + 1))};
}

std::optional<std::string> Lookup(std::string_view section, std::string_view key,
                                  const std::vector<std::string>& lines) {
    bool inSection = false;
    for (const std::string& line : lines) {
        if (auto name = SectionOf(line)) {
            inSection = EqualsNoCase(*name, Trim(section));
            continue;
        }
        if (!inSection) continue;
        if (auto kv = KeyOf(line); kv && EqualsNoCase(kv->key, Trim(key))) {
            std::string_view v = kv->value;
            if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
                v = v.substr(1, v.size() - 2);
            return std::string(v);
        }
    }
    return std::nullopt;
}

int ParseProfileInt(std::string_view s) {
    bool negative = false;
    size_t i = 0;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    long long n = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        n = n * 10 + (s[i] - '0');
        if (n > 0xFFFFFFFFLL) n = 0xFFFFFFFFLL; // wraps like a 32-bit value beyond this
    }
    return static_cast<int>(static_cast<uint32_t>(negative ? -n : n));
}

void SetKey(std::vector<std::string>& lines, std::string_view section, std::string_view key,
            std::string_view value) {
    std::string newLine = std::string(Trim(key)) + "=" + std::string(value);

    std::optional<size_t> sectionStart; // index of the header line
    size_t sectionEnd = lines.size();   // one past the last line of the section
    for (size_t i = 0; i < lines.size(); ++i) {
        if (auto name = SectionOf(lines[i])) {
            if (sectionStart) {
                sectionEnd = i;
                break;
            }
            if (EqualsNoCase(*name, Trim(section))) sectionStart = i;
        }
    }
    if (!sectionStart) {
        if (!lines.empty() && !Trim(lines.back()).empty()) lines.emplace_back();
        lines.push_back("[" + std::string(Trim(section)) + "]");
        lines.push_back(newLine);
    } else {
        bool replaced = false;
        size_t lastContent = *sectionStart;
        for (size_t i = *sectionStart + 1; i < sectionEnd; ++i) {
            if (!Trim(lines[i]).empty()) lastContent = i;
            if (auto kv = KeyOf(lines[i]); kv && EqualsNoCase(kv->key, Trim(key))) {
                lines[i] = newLine;
                replaced = true;
                break;
            }
        }
        if (!replaced)
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastContent + 1), newLine);
    }
}

bool WriteLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += '\n';
    }
    return WriteFileAtomic(path,
                           std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

} // namespace

IniDocument::IniDocument(std::string path) : path_(std::move(path)), lines_(ReadLines(path_)) {}

IniDocument IniDocument::FromText(std::string_view text, std::string path) {
    IniDocument doc;
    doc.path_ = std::move(path);
    doc.lines_ = SplitLines(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    return doc;
}

std::string IniDocument::GetString(std::string_view section, std::string_view key,
                                   std::string_view defaultValue) const {
    if (auto v = Lookup(section, key, lines_)) return *v;
    return std::string(Trim(defaultValue));
}

int IniDocument::GetInt(std::string_view section, std::string_view key, int defaultValue) const {
    auto v = Lookup(section, key, lines_);
    return v ? ParseProfileInt(*v) : defaultValue;
}

void IniDocument::SetString(std::string_view section, std::string_view key,
                            std::string_view value) {
    SetKey(lines_, section, key, value);
}

bool IniDocument::Save() const {
    return WriteLines(path_, lines_);
}

std::string GetProfileString(std::string_view section, std::string_view key,
                             std::string_view defaultValue, const std::string& path) {
    return IniDocument(path).GetString(section, key, defaultValue);
}

int GetProfileInt(std::string_view section, std::string_view key, int defaultValue,
                  const std::string& path) {
    return IniDocument(path).GetInt(section, key, defaultValue);
}

bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::string& path) {
    IniDocument doc(path);
    doc.SetString(section, key, value);
    return doc.Save();
}

} // namespace qw::platform
