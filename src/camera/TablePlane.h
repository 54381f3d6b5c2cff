#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace scanora {

// One 8192-byte plane of the camera's lookup tables. Plane 0 is the 8-bit tone table itself;
// planes 1-4 are the byte lanes of the linear map 4 x value over 14-bit input (low bytes of the
// lower and upper halves, then their high bytes); planes 5-8 split the 16-bit tone table the
// same way.
class TablePlane {
public:
    static constexpr std::size_t kSize = 8192;
    static constexpr int kCount = 9;

    // Entries the tone table must have for `plane`: 8192 (plane 0), 16384 (5-8), none (1-4).
    [[nodiscard]] static std::size_t ToneEntriesNeeded(int plane);
    // Fills `out`; false for a plane number outside 0..8 or a tone table that is too short.
    [[nodiscard]] static bool Build(int plane, std::span<const std::uint16_t> toneTable,
                                    std::span<std::uint8_t, kSize> out);
};

}  // namespace scanora
