#include "settings/SizeInputLimits.h"

#include <algorithm>
#include <cmath>

namespace scanora {

double SizeInputLimits::OutputSize(std::optional<double> typed, bool inPixels)
{
    if (!typed || std::isnan(*typed) || *typed < 0.0)
        return 0.0;
    double value = std::min(*typed, kMaxOutputSize);
    if (inPixels && value >= 2.0 && value == std::trunc(value) && std::fmod(value, 2.0) != 0.0)
        value -= 1.0;
    return value;
}

double SizeInputLimits::Resolution(std::optional<double> typed)
{
    if (!typed || std::isnan(*typed) || *typed < kMinResolution)
        return kMinResolution;
    return std::min(*typed, kMaxResolution);
}

}  // namespace scanora
