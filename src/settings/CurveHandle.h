#pragma once

#include <cstdint>

namespace scanora {

// One handle of a tone curve on the 256 by 256 grid: x is the curve index 0..255 (25 steps per
// stop of raw value), y the output level 0..255.
struct CurveHandle {
    std::int16_t x = 0;
    std::int16_t y = 0;

    friend bool operator==(const CurveHandle&, const CurveHandle&) = default;
};

}  // namespace scanora
