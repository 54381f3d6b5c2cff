#pragma once

#include <string>
#include <string_view>

namespace scanora {

// One JSON object built field by field, for the programs' machine-readable output (the CLI's
// --json lines, the desktop program's D-Bus events). Keys are written as given (the program's
// own names); text values become valid UTF-8 JSON strings.
class JsonObject {
public:
    JsonObject& Text(std::string_view key, std::string_view value);
    JsonObject& Integer(std::string_view key, long long value);
    // A number with up to six significant digits; a value that is not finite is written as null.
    JsonObject& Number(std::string_view key, double value);
    JsonObject& Bool(std::string_view key, bool value);
    JsonObject& Null(std::string_view key);
    // A value that is already JSON (an object or an array).
    JsonObject& Raw(std::string_view key, std::string_view json);

    // The object as one line of JSON, without a line end.
    [[nodiscard]] std::string Line() const { return "{" + members_ + "}"; }
    // The fields without the braces: "key": value, ...
    [[nodiscard]] const std::string& Members() const { return members_; }

    // A JSON string literal for `text`: valid UTF-8 (other bytes become U+FFFD), and control
    // characters escaped, so that none reaches a terminal the text is shown on.
    [[nodiscard]] static std::string Quote(std::string_view text);

private:
    JsonObject& Add(std::string_view key, std::string_view json);

    std::string members_;
};

}  // namespace scanora
