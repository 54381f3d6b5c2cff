#pragma once

#include <cstdint>

namespace scanora {

// How the camera insert is mounted, which decides which image axis is the scan travel. The codes
// are those of the setting files.
class InsertRotation {
public:
    static constexpr std::int32_t kFromLeft = 1;
    static constexpr std::int32_t kFromTop = 2;
    static constexpr std::int32_t kFromRight = 3;
    static constexpr std::int32_t kFromBottom = 4;

    // The code itself when it is one of the four, otherwise From Top (as for a file's unknown
    // text).
    [[nodiscard]] static std::int32_t Normalise(std::int32_t code);
    // True for From Left and From Right, where the travel runs across the image.
    [[nodiscard]] static bool TravelIsAcross(std::int32_t code);
};

}  // namespace scanora
