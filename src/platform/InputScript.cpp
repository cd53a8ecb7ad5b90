#include "platform/InputScript.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "common/Text.h"

namespace qw::platform {
namespace {

std::vector<std::string_view> SplitWords(std::string_view line, size_t maxWords) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= line.size()) break;
        if (words.size() + 1 == maxWords) { // the last word takes the rest of the line
            std::string_view rest = line.substr(i);
            while (!rest.empty() &&
                   (rest.back() == ' ' || rest.back() == '\t' || rest.back() == '\r'))
                rest.remove_suffix(1);
            words.push_back(rest);
            break;
        }
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
            ++i;
        words.push_back(line.substr(start, i - start));
    }
    return words;
}

std::optional<int> ParseInt(std::string_view s) {
    int base = 10;
    bool negative = false;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    int value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    if (ec != std::errc() || end != s.data() + s.size() || s.empty()) return std::nullopt;
    return negative ? -value : value;
}

} // namespace

int VirtualKeyFromName(std::string_view name) {
    static const struct {
        const char* name;
        int key;
    } kNames[] = {
        {"RETURN", 0x0D}, {"ENTER", 0x0D},   {"ESCAPE", 0x1B},  {"CONTROL", 0x11}, {"SHIFT", 0x10},
        {"SPACE", 0x20},  {"TAB", 0x09},     {"UP", 0x26},      {"DOWN", 0x28},    {"LEFT", 0x25},
        {"RIGHT", 0x27},  {"PRIOR", 0x21},   {"NEXT", 0x22},    {"Z", 0x5A},       {"X", 0x58},
        {"ALT", 0xA4},    {"LBUTTON", 0x01}, {"RBUTTON", 0x02}, {"MBUTTON", 0x04},
    };
    for (const auto& entry : kNames)
        if (EqualsNoCase(name, entry.name)) return entry.key;
    if (auto n = ParseInt(name); n && *n > 0 && *n < 256) return *n;
    return -1;
}

std::optional<InputScript> InputScript::Parse(std::string_view text, std::string& error) {
    InputScript script;
    int lineNo = 0;
    while (!text.empty()) {
        size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
        ++lineNo;
        auto fail = [&](const std::string& message) {
            error = "line " + std::to_string(lineNo) + ": " + message;
            return std::nullopt;
        };
        std::vector<std::string_view> words = SplitWords(line, 64);
        if (words.empty() || words[0].front() == '#') continue;
        // `char` keeps the rest of its line, spaces included.
        if (words.size() >= 2 && words[1] == "char") words = SplitWords(line, 3);
        auto tick = ParseInt(words[0]);
        if (!tick || *tick < 1) return fail("expected a tick number (from 1)");
        if (words.size() < 2) return fail("expected an action after the tick");
        std::string_view verb = words[1];
        Action action;
        action.tick = *tick;
        if (verb == "key" || verb == "button") {
            if (words.size() != 4) return fail(std::string(verb) + " needs a name and down|up");
            int key = -1;
            if (verb == "button") {
                key = words[2] == "left"     ? 0x01
                      : words[2] == "right"  ? 0x02
                      : words[2] == "middle" ? 0x04
                                             : -1;
            } else {
                key = VirtualKeyFromName(words[2]);
            }
            if (key < 0)
                return fail("unknown " + std::string(verb) + " '" + std::string(words[2]) + "'");
            if (words[3] != "down" && words[3] != "up") return fail("expected down or up");
            action.kind = Action::Kind::Key;
            action.key = key;
            action.down = words[3] == "down";
            script.actions_.push_back(action);
        } else if (verb == "move" || verb == "click") {
            if (words.size() != 4) return fail(std::string(verb) + " needs X and Y");
            auto x = ParseInt(words[2]);
            auto y = ParseInt(words[3]);
            if (!x || !y) return fail("X and Y must be numbers");
            // The button goes up one tick later, which the last tick number has not got.
            if (verb == "click" && *tick == std::numeric_limits<int>::max())
                return fail("a click needs the tick after it");
            action.kind = Action::Kind::Move;
            action.x = *x;
            action.y = *y;
            script.actions_.push_back(action);
            if (verb == "click") {
                Action down{*tick, Action::Kind::Key, 0x01, true, 0, 0, 0, {}};
                Action up{*tick + 1, Action::Kind::Key, 0x01, false, 0, 0, 0, {}};
                script.actions_.push_back(down);
                script.actions_.push_back(up);
            }
        } else if (verb == "wheel") {
            if (words.size() != 3) return fail("wheel needs a delta");
            auto delta = ParseInt(words[2]);
            if (!delta) return fail("the wheel delta must be a number");
            action.kind = Action::Kind::Wheel;
            action.value = *delta;
            script.actions_.push_back(action);
        } else if (verb == "char") {
            if (words.size() != 3) return fail("char needs a text");
            action.kind = Action::Kind::Char;
            action.text = std::string(words[2]);
            script.actions_.push_back(action);
        } else if (verb == "close") {
            if (words.size() != 2) return fail("close takes nothing more");
            action.kind = Action::Kind::Close;
            script.actions_.push_back(action);
        } else {
            return fail("unknown action '" + std::string(verb) + "'");
        }
    }
    std::stable_sort(script.actions_.begin(), script.actions_.end(),
                     [](const Action& a, const Action& b) { return a.tick < b.tick; });
    return script;
}

void InputScript::Apply(int tick, InputOverlay& overlay) const {
    for (const Action& a : actions_) {
        if (a.tick != tick) continue;
        switch (a.kind) {
        case Action::Kind::Key:
            overlay.keys[static_cast<size_t>(a.key)] = a.down;
            break;
        case Action::Kind::Move:
            overlay.mouse = std::make_pair(a.x, a.y);
            ++overlay.mouseMoves;
            break;
        case Action::Kind::Wheel:
            overlay.events.push_back({OverlayEvent::Type::Wheel, a.value});
            break;
        case Action::Kind::Close:
            overlay.events.push_back({OverlayEvent::Type::Close, 0});
            break;
        case Action::Kind::Char:
            for (char c : a.text)
                overlay.events.push_back({OverlayEvent::Type::Char, static_cast<uint8_t>(c)});
            break;
        }
    }
}

int InputScript::LastTick() const {
    return actions_.empty() ? 0 : actions_.back().tick;
}

} // namespace qw::platform
