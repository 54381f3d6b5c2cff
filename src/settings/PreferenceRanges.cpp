#include "settings/PreferenceRanges.h"

#include <algorithm>
#include <limits>

namespace scanora {

namespace {

struct Range {
    long low;
    long high;  // no upper bound when high < low
    std::string_view message;
    std::int16_t replacement;
};

Range RangeOf(PreferenceRanges::Field field)
{
    using F = PreferenceRanges::Field;
    constexpr long kNone = std::numeric_limits<long>::min();
    switch (field) {
    case F::Increment:
        return {1, 9999, "Increment Range: 1-9999\n\nIncrement has been changed to: 1 ", 1};
    case F::StartNumber:
        return {0, 9999, "Start Number Range: 0-9999\n\nStart Number has been changed to: 1 ", 1};
    case F::BaselineIso:
        return {1, 9999, "ISO Baseline Range: 1-9999\n\nISO Baseline has been changed to: 100 ",
                100};
    case F::GridWidth:
        return {3, 500, "Grid Width Range: 3-500\n\nGrid Width has been changed to: 50 ", 50};
    case F::GridHeight:
        return {3, 500, "Grid Height Range: 3-500\n\nGrid Height has been changed to: 50 ", 50};
    case F::SuffixLength:
        return {1, 12, "Suffix length range: 1-12\n\nSuffix length has been changed to: 2 ", 2};
    case F::TimeLapseImages:
        return {0, kNone, "Time Lapse Images must be greater than 0\n\nIt has been changed to: 1",
                1};
    case F::TimeLapseSeconds:
        return {0, kNone, "Time Lapse Seconds must be greater than 0\n\nIt has been changed to: 1",
                1};
    }
    return {0, kNone, {}, 0};
}

}  // namespace

long PreferenceRanges::ReadNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    constexpr long kMax = std::numeric_limits<long>::max();
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    return negative ? -value : value;
}

std::int16_t PreferenceRanges::ReadInt16(std::string_view text)
{
    return static_cast<std::int16_t>(std::clamp<long>(ReadNumber(text),
                                                      std::numeric_limits<std::int16_t>::min(),
                                                      std::numeric_limits<std::int16_t>::max()));
}

std::optional<PreferenceRanges::Correction> PreferenceRanges::Check(Field field,
                                                                    std::string_view text)
{
    const Range range = RangeOf(field);
    const long value = ReadNumber(text);
    const bool bounded = range.high >= range.low;
    if (value >= range.low && (!bounded || value <= range.high))
        return std::nullopt;
    return Correction{std::string(range.message), range.replacement};
}

}  // namespace scanora
