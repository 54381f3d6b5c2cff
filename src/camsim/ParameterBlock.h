#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace camsim {

// The frame of a parameter block as the camera receives it: "H0n" (n = 0..3), 128 characters of
// body, two upper-case hexadecimal digits of checksum (the sum of the 131 characters before
// them, modulo 256) and the carriage return, which the link has already taken off.
class ParameterBlock {
public:
    static constexpr std::size_t kCount = 4;
    static constexpr std::size_t kNameLength = 3;
    static constexpr std::size_t kBodyLength = 128;
    static constexpr std::size_t kTextLength = kNameLength + kBodyLength;  // 131
    static constexpr std::size_t kFrameLength = kTextLength + 2;           // 133

    // The block number of a command text that starts "H00".."H03".
    [[nodiscard]] static std::optional<std::size_t> Number(std::string_view command);
    [[nodiscard]] static std::uint8_t Checksum(std::string_view text);
    // The body of `block` when its length and checksum hold.
    [[nodiscard]] static std::optional<std::string_view> Body(std::string_view block);
};

}  // namespace camsim
