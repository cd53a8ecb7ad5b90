#pragma once
// A small JSON reader for the engine's dumped state.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace qw::e2e {

struct JsonValue {
    using Array = std::vector<JsonValue>;
    using Object = std::map<std::string, JsonValue>;
    std::variant<std::nullptr_t, bool, double, std::string, std::shared_ptr<Array>,
                 std::shared_ptr<Object>>
        v;

    bool IsNull() const { return std::holds_alternative<std::nullptr_t>(v); }
    double Number() const { return std::get<double>(v); }
    int Int() const { return static_cast<int>(std::get<double>(v)); }
    const std::string& String() const { return std::get<std::string>(v); }
    const Array& Items() const { return *std::get<std::shared_ptr<Array>>(v); }
    const JsonValue& operator[](const std::string& key) const;
    const JsonValue& operator[](size_t index) const { return Items().at(index); }
};

std::optional<JsonValue> ParseJson(const std::string& text);

} // namespace qw::e2e
