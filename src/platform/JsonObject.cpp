#include "platform/JsonObject.h"

#include <cmath>
#include <cstdio>

#include "platform/TextConversion.h"

namespace scanora {

std::string JsonObject::Quote(std::string_view text)
{
    std::string out = "\"";
    for (std::size_t position = 0; position < text.size();) {
        const char32_t c = TextConversion::NextUtf8(text, position);
        switch (c) {
        case U'"': out += "\\\""; break;
        case U'\\': out += "\\\\"; break;
        case U'\n': out += "\\n"; break;
        case U'\r': out += "\\r"; break;
        case U'\t': out += "\\t"; break;
        default:
            if (TextConversion::IsControl(c)) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                TextConversion::AppendUtf8(out, c);
            }
        }
    }
    return out + "\"";
}

JsonObject& JsonObject::Add(std::string_view key, std::string_view json)
{
    if (!members_.empty())
        members_ += ", ";
    members_ += Quote(key);
    members_ += ": ";
    members_ += json;
    return *this;
}

JsonObject& JsonObject::Text(std::string_view key, std::string_view value)
{
    return Add(key, Quote(value));
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

}  // namespace scanora
