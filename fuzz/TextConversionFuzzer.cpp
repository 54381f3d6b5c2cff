// Feeds arbitrary bytes to the text conversions that names and notes from the camera, and text
// from the user, pass through on their way to a terminal, a JSON document or the camera. Every
// result must be what it promises: valid UTF-8, no control character left for a terminal, and
// Windows-1252 that reads back as it was.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/TextConversion.h"

namespace {

using scanora::TextConversion;

bool IsValidUtf8(std::string_view text)
{
    return TextConversion::ValidUtf8(text) == text;
}

bool HasTerminalControl(std::string_view text)
{
    for (std::size_t position = 0; position < text.size();) {
        if (TextConversion::IsControl(TextConversion::NextUtf8(text, position)))
            return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const std::string valid = TextConversion::ValidUtf8(input);
    if (!IsValidUtf8(valid) || TextConversion::CharacterCount(valid) > input.size())
        __builtin_trap();

    const std::string shown = TextConversion::ForTerminal(input);
    if (!IsValidUtf8(shown) || HasTerminalControl(shown))
        __builtin_trap();

    // The camera's bytes: one character each, and back to the same byte unless undefined.
    const std::string decoded = TextConversion::FromWindows1252(input);
    if (!IsValidUtf8(decoded) || TextConversion::CharacterCount(decoded) != input.size())
        __builtin_trap();
    const std::string encoded = TextConversion::ToWindows1252(decoded);
    if (encoded.size() != input.size())
        __builtin_trap();
    for (std::size_t i = 0; i < input.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(input[i]);
        const bool undefined =
            byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
        if (encoded[i] != (undefined ? TextConversion::kStandIn : input[i]))
            __builtin_trap();
    }

    // What the user types goes to the camera one byte a character at most.
    if (TextConversion::ToWindows1252(input).size() > input.size())
        __builtin_trap();
    return 0;
}
