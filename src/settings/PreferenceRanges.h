#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace scanora {

// The ranges of the preferences dialog's number fields and what the user is told when a field
// is left with a number outside its range: the message and the value the field is set to.
class PreferenceRanges {
public:
    enum class Field {
        Increment,
        StartNumber,
        BaselineIso,
        GridWidth,
        GridHeight,
        SuffixLength,
        TimeLapseImages,
        TimeLapseSeconds,
    };

    struct Correction {
        std::string message;
        std::int16_t value = 0;
    };

    // Reads a field as the dialog does: leading blanks, an optional sign, then decimal digits up
    // to the first other character; no digits read as 0. Numbers too large for a long are held
    // at its limits, so a long row of digits is out of every range rather than wrapped into it.
    [[nodiscard]] static long ReadNumber(std::string_view text);
    // The number read from `text`, held to what a 16-bit preference can keep.
    [[nodiscard]] static std::int16_t ReadInt16(std::string_view text);

    // Nothing when the text of `field` is in range, else what to tell the user and set.
    [[nodiscard]] static std::optional<Correction> Check(Field field, std::string_view text);
};

}  // namespace scanora
