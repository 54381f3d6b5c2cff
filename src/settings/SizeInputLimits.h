#pragma once

#include <optional>

namespace scanora {

// The first limits of a value typed on the size page, before the geometry clamps it to what the
// camera can do. An empty field is passed as no value.
class SizeInputLimits {
public:
    static constexpr double kMaxOutputSize = 32766.0;
    static constexpr double kMaxResolution = 1000.0;
    static constexpr double kMinResolution = 0.01;

    // An output width or height: at most 32766, negative or empty 0; in pixels an odd whole
    // number of 2 or more is reduced by 1.
    [[nodiscard]] static double OutputSize(std::optional<double> typed, bool inPixels);
    // A resolution: at most 1000, below 0.01 or empty 0.01.
    [[nodiscard]] static double Resolution(std::optional<double> typed);
};

}  // namespace scanora
