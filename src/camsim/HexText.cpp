#include "camsim/HexText.h"

namespace camsim {

std::optional<unsigned> HexText::Parse(std::string_view text, std::size_t digits, Case letters)
{
    if (text.size() != digits || digits > 2 * sizeof(unsigned))
        return std::nullopt;
    unsigned value = 0;
    for (const char c : text) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f' && letters == Case::Either)
            digit = static_cast<unsigned>(c - 'a' + 10);
        else
            return std::nullopt;
        value = value * 16 + digit;
    }
    return value;
}

std::string HexText::Format(unsigned value, std::size_t digits)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(digits, '0');
    for (std::size_t i = digits; i > 0; --i) {
        text[i - 1] = kDigits[value & 0xF];
        value >>= 4;
    }
    return text;
}

}  // namespace camsim
