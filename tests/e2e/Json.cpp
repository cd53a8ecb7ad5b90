#include "Json.h"

#include <cstdlib>
#include <stdexcept>

namespace qw::e2e {

const JsonValue& JsonValue::operator[](const std::string& key) const {
    const auto& object = *std::get<std::shared_ptr<Object>>(v);
    auto it = object.find(key);
    if (it == object.end()) throw std::out_of_range("no key " + key);
    return it->second;
}

namespace {

struct Parser {
    const std::string& s;
    size_t i = 0;

    void Skip() {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\n' || s[i] == '\r' || s[i] == '\t'))
            ++i;
    }
    bool Eat(char c) {
        Skip();
        if (i < s.size() && s[i] == c) {
            ++i;
            return true;
        }
        return false;
    }
    std::string Str() {
        std::string out;
        if (!Eat('"')) throw std::runtime_error("expected a string");
        while (i < s.size() && s[i] != '"') {
            char c = s[i++];
            if (c != '\\') {
                out += c;
                continue;
            }
            char e = s.at(i++);
            switch (e) {
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                unsigned code =
                    static_cast<unsigned>(std::strtoul(s.substr(i, 4).c_str(), nullptr, 16));
                i += 4;
                out += static_cast<char>(code); // the dump escapes only control characters
                break;
            }
            default:
                out += e;
            }
        }
        ++i;
        return out;
    }
    JsonValue Value() {
        Skip();
        JsonValue out;
        if (i >= s.size()) throw std::runtime_error("unexpected end");
        char c = s[i];
        if (c == '{') {
            ++i;
            auto object = std::make_shared<JsonValue::Object>();
            if (!Eat('}')) {
                do {
                    std::string key = Str();
                    if (!Eat(':')) throw std::runtime_error("expected ':'");
                    (*object)[key] = Value();
                } while (Eat(','));
                if (!Eat('}')) throw std::runtime_error("expected '}'");
            }
            out.v = object;
        } else if (c == '[') {
            ++i;
            auto array = std::make_shared<JsonValue::Array>();
            if (!Eat(']')) {
                do
                    array->push_back(Value());
                while (Eat(','));
                if (!Eat(']')) throw std::runtime_error("expected ']'");
            }
            out.v = array;
        } else if (c == '"') {
            out.v = Str();
        } else if (s.compare(i, 4, "null") == 0) {
            i += 4;
            out.v = nullptr;
        } else if (s.compare(i, 4, "true") == 0) {
            i += 4;
            out.v = true;
        } else if (s.compare(i, 5, "false") == 0) {
            i += 5;
            out.v = false;
        } else {
            char* end = nullptr;
            double d = std::strtod(s.c_str() + i, &end);
            if (end == s.c_str() + i) throw std::runtime_error("bad value");
            i = static_cast<size_t>(end - s.c_str());
            out.v = d;
        }
        return out;
    }
};

} // namespace

std::optional<JsonValue> ParseJson(const std::string& text) {
    try {
        Parser p{text};
        JsonValue v = p.Value();
        return v;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace qw::e2e
