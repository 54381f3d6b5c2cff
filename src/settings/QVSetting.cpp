#include "settings/QVSetting.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "settings/LineReader.h"
#include "settings/ValueScanner.h"

namespace scanora {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Writes key, one space and text as one line. A line feed inside the text would start a new
// line that a reader takes for a key of its own, so it is written as a space.
void PutLine(OutputStream& out, std::string_view key, std::string_view separator,
             std::string_view text, std::string_view closing = {})
{
    std::string line;
    line.reserve(key.size() + separator.size() + text.size() + closing.size() + kLineEnd.size());
    line.append(key).append(separator).append(text).append(closing);
    std::replace(line.begin(), line.end(), '\n', ' ');
    line.append(kLineEnd);
    out.Write(line);
}

template <typename Number>
std::string FormatInteger(Number value)
{
    std::array<char, 24> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    return {digits.data(), result.ptr};
}

}  // namespace

void QVSetting::Write(OutputStream& out) const
{
    WriteQuoted(out, "SettingName", name_);
    WriteBool(out, "Changeable", changeable_);
}

bool QVSetting::ReadSection(LineReader& in, std::string_view endKey, const KeyReader& readOwnKey)
{
    std::string_view key;
    std::string_view value;
    while (ReadKeyValue(in, key, value)) {
        if (readOwnKey(key, value))
            continue;
        if (key == endKey)
            return true;
        ReadCommonKey(key, value);
    }
    return false;
}

void QVSetting::ReadCommonKey(std::string_view key, std::string_view value)
{
    if (key == "SettingName")
        ReadQuoted(value, name_);
    else if (key == "Changeable")
        changeable_ = ParseBool(value);
}

bool QVSetting::ReadKeyValue(LineReader& in, std::string_view& key, std::string_view& value)
{
    std::string_view line;
    if (!in.ReadLine(line))
        return false;
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos) {
        key = line;
        value = {};
    } else {
        key = line.substr(0, space);
        value = line.substr(space + 1);
    }
    return true;
}

std::string_view QVSetting::ExtractQuoted(std::string_view value)
{
    const std::size_t open = value.find('"');
    const std::size_t start = open == std::string_view::npos ? 0 : open + 1;
    const std::size_t close = value.find('"', start);
    return value.substr(start, close == std::string_view::npos ? close : close - start);
}

void QVSetting::ReadQuoted(std::string_view value, std::string& destination, std::size_t maxLength)
{
    destination = ExtractQuoted(value).substr(0, maxLength);
}

bool QVSetting::ParseBool(std::string_view value)
{
    return ExtractQuoted(value) == "true";
}

std::string_view QVSetting::ParseWord(std::string_view value)
{
    return ValueScanner(value).NextWord().value_or(std::string_view{});
}

std::optional<double> QVSetting::ParseReal(std::string_view value)
{
    return ValueScanner(value).NextReal();
}

std::optional<std::int16_t> QVSetting::ParseInt16(std::string_view value)
{
    return ValueScanner(value).NextInt16();
}

std::optional<std::uint16_t> QVSetting::ParseUInt16(std::string_view value)
{
    return ValueScanner(value).NextUInt16();
}

std::optional<std::int32_t> QVSetting::ParseInt32(std::string_view value)
{
    return ValueScanner(value).NextInt32();
}

std::optional<std::uint32_t> QVSetting::ParseUInt32(std::string_view value)
{
    return ValueScanner(value).NextUInt32();
}

void QVSetting::WriteLine(OutputStream& out, std::string_view text)
{
    PutLine(out, text, {}, {});
}

void QVSetting::WriteBool(OutputStream& out, std::string_view key, bool value)
{
    PutLine(out, key, " ", value ? "true" : "false");
}

void QVSetting::WriteQuoted(OutputStream& out, std::string_view key, std::string_view text)
{
    std::string quoted(text);
    std::replace(quoted.begin(), quoted.end(), '"', '\'');
    PutLine(out, key, " \"", quoted, "\"");
}

void QVSetting::WriteRaw(OutputStream& out, std::string_view key, std::string_view text)
{
    PutLine(out, key, " ", text);
}

void QVSetting::WriteReal(OutputStream& out, std::string_view key, double value)
{
    PutLine(out, key, " ", FormatReal(value));
}

void QVSetting::WriteUInt32(OutputStream& out, std::string_view key, std::uint32_t value)
{
    PutLine(out, key, " ", FormatInteger(value));
}

void QVSetting::WriteInt32(OutputStream& out, std::string_view key, std::int32_t value)
{
    PutLine(out, key, " ", FormatInteger(value));
}

void QVSetting::WriteUInt16(OutputStream& out, std::string_view key, std::uint16_t value)
{
    PutLine(out, key, " ", FormatInteger(value));
}

void QVSetting::WriteInt16(OutputStream& out, std::string_view key, std::int16_t value)
{
    PutLine(out, key, " ", FormatInteger(value));
}

void QVSetting::WriteRGB(OutputStream& out, std::string_view key, std::uint32_t color)
{
    const std::string text = FormatInteger(color & 0xFFu) + ' ' +
                             FormatInteger((color >> 8) & 0xFFu) + ' ' +
                             FormatInteger((color >> 16) & 0xFFu);
    PutLine(out, key, " ", text);
}

std::string QVSetting::FormatReal(double value)
{
    std::array<char, 32> text{};
    const auto result =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::general, 6);
    return {text.data(), result.ptr};
}

std::optional<std::uint32_t> ParseRGB(std::string_view value)
{
    ValueScanner scanner(value);
    const auto red = scanner.NextInt16();
    const auto green = scanner.NextInt16();
    const auto blue = scanner.NextInt16();
    if (!red || !green || !blue)
        return std::nullopt;
    const auto low = [](std::int16_t component) {
        return static_cast<std::uint32_t>(static_cast<std::uint16_t>(component) & 0xFFu);
    };
    return low(*red) | low(*green) << 8 | low(*blue) << 16;
}

std::optional<std::uint32_t> ParseRGBA16(std::string_view value)
{
    ValueScanner scanner(value);
    const auto red = scanner.NextUInt16();
    const auto green = scanner.NextUInt16();
    const auto blue = scanner.NextUInt16();
    if (!red || !green || !blue)
        return std::nullopt;
    const auto high = [](std::uint16_t component) {
        return static_cast<std::uint32_t>(component >> 8);
    };
    return high(*red) | high(*green) << 8 | high(*blue) << 16;
}

}  // namespace scanora
