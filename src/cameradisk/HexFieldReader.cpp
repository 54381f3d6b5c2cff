#include "cameradisk/HexFieldReader.h"

namespace scanora {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<std::uint32_t> HexFieldReader::Next()
{
    std::size_t at = position_;
    while (at < text_.size() && IsBlank(text_[at])) ++at;
    bool negative = false;
    if (at < text_.size() && (text_[at] == '+' || text_[at] == '-')) {
        negative = text_[at] == '-';
        ++at;
    }
    // "0x" is a prefix only when a digit follows it; otherwise the "0" is the number.
    if (at + 2 < text_.size() && text_[at] == '0' &&
        (text_[at + 1] == 'x' || text_[at + 1] == 'X') && DigitValue(text_[at + 2]) >= 0)
        at += 2;
    const std::size_t digitsStart = at;
    std::uint64_t value = 0;
    while (at < text_.size() && DigitValue(text_[at]) >= 0) {
        value = value * 16 + static_cast<std::uint64_t>(DigitValue(text_[at]));
        if (value > 0xFFFFFFFFu)
            value = 0x1'0000'0000u;  // stays saturated, whatever digits follow
        ++at;
    }
    if (at == digitsStart)
        return std::nullopt;
    position_ = at;
    const auto result =
        value > 0xFFFFFFFFu ? std::uint32_t{0xFFFFFFFFu} : static_cast<std::uint32_t>(value);
    return negative ? static_cast<std::uint32_t>(0u - result) : result;
}

}  // namespace scanora
