#include "ElementList.h"

#include <charconv>
#include <cstdint>

namespace qw::tools {
namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool ParseElement(std::string_view item, ElementList& list, int& words, std::string& error) {
    int16_t v[6] = {};
    int n = 0;
    while (true) {
        const size_t comma = item.find(',');
        const std::string_view field = Trim(item.substr(0, comma));
        int value = 0;
        auto [ptr, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
        if (field.empty() || ec != std::errc() || ptr != field.data() + field.size() ||
            value < INT16_MIN || value > INT16_MAX || n == 6) {
            error = "bad element \"" + std::string(item) + "\"";
            return false;
        }
        v[n++] = static_cast<int16_t>(value);
        if (comma == std::string_view::npos) break;
        item = item.substr(comma + 1);
    }
    if (n != 4 && n != 6) {
        error = "an element has 4 or 6 numbers, not " + std::to_string(n);
        return false;
    }
    if (words && n != words) {
        error = "all elements need the same number of words";
        return false;
    }
    words = n;
    list.elements.push_back({v[0], v[1], v[2], v[3], v[4], v[5]});
    return true;
}

} // namespace

std::optional<ElementList> ParseElementList(std::string_view text, std::string& error) {
    ElementList list;
    int words = 0;
    while (!text.empty()) {
        const size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        line = line.substr(0, line.find('#'));
        while (!line.empty()) {
            const size_t semicolon = line.find(';');
            const std::string_view item = Trim(line.substr(0, semicolon));
            line = semicolon == std::string_view::npos ? std::string_view()
                                                       : line.substr(semicolon + 1);
            if (!item.empty() && !ParseElement(item, list, words, error)) return std::nullopt;
        }
    }
    if (list.elements.empty()) {
        error = "no elements given";
        return std::nullopt;
    }
    if (list.elements.size() > 0xFFFF) {
        error = "more than 65535 elements";
        return std::nullopt;
    }
    list.words = words;
    return list;
}

} // namespace qw::tools
