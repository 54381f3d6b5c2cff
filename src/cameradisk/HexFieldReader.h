#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace scanora {

// Reads blank-separated hexadecimal numbers from untrusted text, one after another, the way the
// camera's texts are meant to be read: leading white space skipped, an optional sign and "0x",
// then at least one hexadecimal digit. Values too large for 32 bits read as 0xFFFFFFFF.
class HexFieldReader {
public:
    explicit HexFieldReader(std::string_view text) : text_(text) {}

    // The next number, or nothing (and the reader stays where it is) when none follows.
    std::optional<std::uint32_t> Next();
    // Where the reader stands in the text.
    [[nodiscard]] std::size_t Position() const { return position_; }

private:
    std::string_view text_;
    std::size_t position_ = 0;
};

}  // namespace scanora
