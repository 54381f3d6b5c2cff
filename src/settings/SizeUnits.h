#pragma once

#include <cstdint>

namespace scanora {

// The unit codes of output sizes and resolutions as setting files store them, with their conversion
// factors. Code 2 is not used; codes that no list names behave like furlongs (factor 1), as a
// file brings them back.
class SizeUnits {
public:
    static constexpr std::int32_t kPixels = 1;
    static constexpr std::int32_t kInches = 3;
    static constexpr std::int32_t kMillimeters = 4;
    static constexpr std::int32_t kCentimeters = 5;
    static constexpr std::int32_t kMeters = 6;
    static constexpr std::int32_t kFeet = 7;
    static constexpr std::int32_t kFurlongs = 8;

    // How many of the unit make one inch. Pixels have no physical size; they count as 1 here so
    // that a resolution given "per pixel" (only a hand-edited file can say so) stays finite.
    [[nodiscard]] static double PerInch(std::int32_t code);
    // The unit is one of millimeters, centimeters or meters.
    [[nodiscard]] static bool IsMetric(std::int32_t code);
};

}  // namespace scanora
