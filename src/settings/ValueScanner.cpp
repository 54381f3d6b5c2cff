#include "settings/ValueScanner.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace scanora {
namespace {

// White space as the "C" locale knows it.
bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

std::nullopt_t ValueScanner::Fail()
{
    failed_ = true;
    return std::nullopt;
}

bool ValueScanner::StartNumber()
{
    if (failed_)
        return false;
    while (position_ < value_.size() && IsSpace(value_[position_])) ++position_;
    // A stream accepts "+5"; from_chars does not, and must not see "+-5" as -5.
    if (position_ < value_.size() && value_[position_] == '+') {
        ++position_;
        if (position_ < value_.size() && value_[position_] == '-') {
            Fail();
            return false;
        }
    }
    if (position_ >= value_.size()) {
        Fail();
        return false;
    }
    return true;
}

template <typename Number>
std::optional<Number> ValueScanner::NextInteger()
{
    if (!StartNumber())
        return std::nullopt;
    Number number{};
    const char* const first = value_.data() + position_;
    const auto [end, error] = std::from_chars(first, value_.data() + value_.size(), number);
    if (error != std::errc())
        return Fail();
    position_ += static_cast<std::size_t>(end - first);
    return number;
}

std::optional<std::int16_t> ValueScanner::NextInt16()
{
    return NextInteger<std::int16_t>();
}

std::optional<std::uint16_t> ValueScanner::NextUInt16()
{
    return NextInteger<std::uint16_t>();
}

std::optional<std::int32_t> ValueScanner::NextInt32()
{
    return NextInteger<std::int32_t>();
}

std::optional<std::uint32_t> ValueScanner::NextUInt32()
{
    return NextInteger<std::uint32_t>();
}

std::optional<double> ValueScanner::NextReal()
{
    if (!StartNumber())
        return std::nullopt;
    double number = 0;
    const char* const first = value_.data() + position_;
    const auto [end, error] =
        std::from_chars(first, value_.data() + value_.size(), number, std::chars_format::general);
    if (error != std::errc() || !std::isfinite(number))
        return Fail();
    position_ += static_cast<std::size_t>(end - first);
    return number;
}

std::optional<std::string_view> ValueScanner::NextWord()
{
    if (failed_)
        return std::nullopt;
    while (position_ < value_.size() && IsSpace(value_[position_])) ++position_;
    const std::size_t start = position_;
    while (position_ < value_.size() && !IsSpace(value_[position_])) ++position_;
    if (position_ == start)
        return Fail();
    return value_.substr(start, position_ - start);
}

}  // namespace scanora
