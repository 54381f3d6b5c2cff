#include "cli/CliReport.h"

#include <algorithm>
#include <cmath>

#include "platform/JsonObject.h"
#include "platform/TextConversion.h"

namespace scanora::cli {

std::string CliReport::JsonString(std::string_view text)
{
    return JsonObject::Quote(text);
}

void CliReport::AddText(std::string_view key, std::string_view label, std::string_view value)
{
    fields_.push_back({std::string(key), std::string(label), JsonString(value),
                       TextConversion::ForTerminal(value)});
}

void CliReport::AddNumber(std::string_view key, std::string_view label, double value,
                          std::string_view shown)
{
    char json[64];
    std::snprintf(json, sizeof json, "%.6g", std::isfinite(value) ? value : 0.0);
    fields_.push_back({std::string(key), std::string(label), json,
                       shown.empty() ? std::string(json) : std::string(shown)});
}

void CliReport::AddInteger(std::string_view key, std::string_view label, long long value,
                           std::string_view shown)
{
    const std::string json = std::to_string(value);
    fields_.push_back(
        {std::string(key), std::string(label), json, shown.empty() ? json : std::string(shown)});
}

void CliReport::AddBool(std::string_view key, std::string_view label, bool value)
{
    fields_.push_back(
        {std::string(key), std::string(label), value ? "true" : "false", value ? "yes" : "no"});
}

void CliReport::PrintText(std::FILE* out) const
{
    std::size_t width = 0;
    for (const Field& field : fields_) width = std::max(width, field.label.size());
    for (const Field& field : fields_) {
        std::fprintf(out, "%s:%*s %s\n", field.label.c_str(),
                     static_cast<int>(width - field.label.size()), "", field.shown.c_str());
    }
}

void CliReport::PrintJson(std::FILE* out) const
{
    std::fputs("{", out);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        std::fprintf(out, "%s%s: %s", i == 0 ? "" : ", ", JsonString(fields_[i].key).c_str(),
                     fields_[i].json.c_str());
    }
    std::fputs("}\n", out);
}

}  // namespace scanora::cli
