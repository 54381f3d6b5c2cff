#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace camsim {

// The fixed-width hexadecimal fields of the camera's command texts and replies.
class HexText {
public:
    enum class Case { Either, Upper };

    // `text` as exactly `digits` hexadecimal digits; nothing when it is anything else.
    [[nodiscard]] static std::optional<unsigned> Parse(std::string_view text, std::size_t digits,
                                                       Case letters = Case::Either);
    // The low 4 × `digits` bits of `value` as `digits` upper-case digits.
    [[nodiscard]] static std::string Format(unsigned value, std::size_t digits);
};

}  // namespace camsim
