#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace scanora::cli {

// The result of one command as labelled fields, printed either for a person (aligned
// "Label: value" lines) or as one JSON object for a program.
class CliReport {
public:
    // A text field; for a person its control characters are shown as '?'.
    void AddText(std::string_view key, std::string_view label, std::string_view value);
    void AddNumber(std::string_view key, std::string_view label, double value,
                   std::string_view shown = {});
    void AddInteger(std::string_view key, std::string_view label, long long value,
                    std::string_view shown = {});
    void AddBool(std::string_view key, std::string_view label, bool value);

    void PrintText(std::FILE* out) const;
    void PrintJson(std::FILE* out) const;

    // A JSON string literal for `text`: valid UTF-8, control characters escaped.
    static std::string JsonString(std::string_view text);

private:
    struct Field {
        std::string key;
        std::string label;
        std::string json;   // the value as JSON
        std::string shown;  // the value for a person
    };
    std::vector<Field> fields_;
};

}  // namespace scanora::cli
