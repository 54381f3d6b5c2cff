#include "platform/TextConversion.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace scanora {

namespace {

// Windows-1252 0x80..0x9F; 0 where the byte is undefined. Every other byte is the character
// with its own number.
constexpr std::array<char32_t, 32> kHighControls{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t FromWindows1252Byte(std::uint8_t byte)
{
    if (byte < 0x80 || byte >= 0xA0)
        return byte;
    const char32_t c = kHighControls[byte - 0x80];
    return c != 0 ? c : TextConversion::kReplacement;
}

char ToWindows1252Char(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(static_cast<std::uint8_t>(c));
    // (0 marks the undefined bytes, but 0 itself was taken above.)
    const auto found = std::find(kHighControls.begin(), kHighControls.end(), c);
    if (found == kHighControls.end())
        return TextConversion::kStandIn;
    return static_cast<char>(static_cast<std::uint8_t>(0x80 + (found - kHighControls.begin())));
}

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

bool InRange(std::uint8_t byte, std::uint8_t low, std::uint8_t high)
{
    return byte >= low && byte <= high;
}

}  // namespace

char32_t TextConversion::NextUtf8(std::string_view text, std::size_t& position)
{
    const auto byte = [&](std::size_t at) { return static_cast<std::uint8_t>(text[at]); };
    const std::uint8_t lead = byte(position++);
    if (lead < 0x80)
        return lead;
    int continuations = 0;
    char32_t value = 0;
    // The range of the first continuation byte rules out overlong forms, surrogates and values
    // beyond U+10FFFF; later continuation bytes are 0x80..0xBF.
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    if (InRange(lead, 0xC2, 0xDF)) {
        continuations = 1;
        value = lead & 0x1Fu;
    } else if (InRange(lead, 0xE0, 0xEF)) {
        continuations = 2;
        value = lead & 0x0Fu;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (InRange(lead, 0xF0, 0xF4)) {
        continuations = 3;
        value = lead & 0x07u;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return kReplacement;
    }
    for (int i = 0; i < continuations; ++i) {
        if (position >= text.size() || !InRange(byte(position), low, high))
            return kReplacement;  // what was read so far is the invalid sequence
        value = (value << 6) | (byte(position++) & 0x3Fu);
        low = 0x80;
        high = 0xBF;
    }
    return value;
}

void TextConversion::AppendUtf8(std::string& out, char32_t c)
{
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        c = kReplacement;
    const auto put = [&](std::uint32_t bits) { out.push_back(static_cast<char>(bits)); };
    if (c < 0x80) {
        put(c);
    } else if (c < 0x800) {
        put(0xC0 | (c >> 6));
        put(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        put(0xE0 | (c >> 12));
        put(0x80 | ((c >> 6) & 0x3F));
        put(0x80 | (c & 0x3F));
    } else {
        put(0xF0 | (c >> 18));
        put(0x80 | ((c >> 12) & 0x3F));
        put(0x80 | ((c >> 6) & 0x3F));
        put(0x80 | (c & 0x3F));
    }
}

bool TextConversion::IsControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

std::string TextConversion::FromWindows1252(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) AppendUtf8(text, FromWindows1252Byte(static_cast<std::uint8_t>(c)));
    return text;
}

std::string TextConversion::FromCamera(std::string_view bytes)
{
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<std::uint8_t>(c) < 0x80; });
    if (ascii)
        return std::string(bytes);
    return ValidUtf8(bytes) == bytes ? std::string(bytes) : FromWindows1252(bytes);
}

std::string TextConversion::ToWindows1252(std::string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t position = 0; position < text.size();) {
        const std::size_t start = position;
        const char32_t c = NextUtf8(text, position);
        const std::string_view read = text.substr(start, position - start);
        if (c == kReplacement && read != kReplacementUtf8) {
            // Not UTF-8: most likely Windows-1252 already (a preferences file written on
            // Windows), so the bytes go as they are.
            bytes.append(read);
        } else {
            bytes.push_back(ToWindows1252Char(c));
        }
    }
    return bytes;
}

std::string TextConversion::ValidUtf8(std::string_view text)
{
    std::string valid;
    valid.reserve(text.size());
    for (std::size_t position = 0; position < text.size();)
        AppendUtf8(valid, NextUtf8(text, position));
    return valid;
}

std::string TextConversion::ForTerminal(std::string_view text, bool keepLineFeeds)
{
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t position = 0; position < text.size();) {
        const char32_t c = NextUtf8(text, position);
        const bool kept = !IsControl(c) || (keepLineFeeds && c == U'\n');
        AppendUtf8(shown, kept ? c : char32_t{kStandIn});
    }
    return shown;
}

std::size_t TextConversion::CharacterCount(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t position = 0; position < text.size(); ++count)
        static_cast<void>(NextUtf8(text, position));
    return count;
}

}  // namespace scanora
