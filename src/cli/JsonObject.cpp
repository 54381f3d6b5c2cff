#include "cli/JsonObject.h"

#include <cmath>
#include <cstdio>

#include "cli/CliReport.h"

namespace scanora::cli {

JsonObject& JsonObject::Add(std::string_view key, std::string_view json)
{
    if (!members_.empty())
        members_ += ", ";
    members_ += CliReport::JsonString(key);
    members_ += ": ";
    members_ += json;
    return *this;
}

JsonObject& JsonObject::Text(std::string_view key, std::string_view value)
{
    return Add(key, CliReport::JsonString(value));
}

JsonObject& JsonObject::Integer(std::string_view key, long long value)
{
    return Add(key, std::to_string(value));
}

JsonObject& JsonObject::Number(std::string_view key, double value)
{
    if (!std::isfinite(value))
        return Null(key);
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return Add(key, text);
}

JsonObject& JsonObject::Bool(std::string_view key, bool value)
{
    return Add(key, value ? "true" : "false");
}

JsonObject& JsonObject::Null(std::string_view key)
{
    return Add(key, "null");
}

JsonObject& JsonObject::Raw(std::string_view key, std::string_view json)
{
    return Add(key, json);
}

}  // namespace scanora::cli
