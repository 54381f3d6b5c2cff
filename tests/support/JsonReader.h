#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace scanora::test {

// A JSON value as the tests read the programs' --json output: strict (RFC 8259, one value and
// nothing after it), keys kept in their order.
struct JsonValue {
    using Array = std::vector<JsonValue>;
    using Object = std::vector<std::pair<std::string, JsonValue>>;

    std::variant<std::nullptr_t, bool, double, std::string, Array, Object> value;

    [[nodiscard]] bool IsObject() const { return std::holds_alternative<Object>(value); }
    [[nodiscard]] const Object& AsObject() const { return std::get<Object>(value); }
    // The member `key` of an object, or null when there is none (or this is no object).
    [[nodiscard]] const JsonValue* Find(std::string_view key) const;
    [[nodiscard]] std::vector<std::string> Keys() const;
};

// The value in `text`, or nothing with `error` set when it is not valid JSON.
std::optional<JsonValue> ParseJson(std::string_view text, std::string& error);

}  // namespace scanora::test
