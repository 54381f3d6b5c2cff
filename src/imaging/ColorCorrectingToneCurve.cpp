#include "imaging/ColorCorrectingToneCurve.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace scanora {

void ColorCorrectingToneCurve::SetChannelGains(double red, double green, double blue)
{
    gainRed_ = red;
    gainGreen_ = green;
    gainBlue_ = blue;
    gainsEnabled_ = true;
}

void ColorCorrectingToneCurve::ResetChannelGains()
{
    gainRed_ = 1.0;
    gainGreen_ = 1.0;
    gainBlue_ = 1.0;
    gainsEnabled_ = false;
}

std::int32_t ColorCorrectingToneCurve::ScaleMean(std::uint16_t sample) const
{
    const double scaled = ((gainRed_ + gainGreen_ + gainBlue_) / 3) * sample + 0.5;
    // Absurd gains must not overflow the conversion.
    constexpr double kLow = std::numeric_limits<std::int32_t>::min();
    constexpr double kHigh = std::numeric_limits<std::int32_t>::max();
    if (std::isnan(scaled))
        return 0;
    return static_cast<std::int32_t>(std::clamp(scaled, kLow, kHigh));
}

void ColorCorrectingToneCurve::MapPixels(std::span<const std::uint16_t> rgb,
                                         std::span<std::uint8_t> out) const
{
    const std::size_t samples = std::min(rgb.size(), out.size()) / 3 * 3;
    const std::uint16_t* const table = RawTable().data();
    if (!GainsEnabled()) {
        for (std::size_t i = 0; i < samples; ++i) out[i] = static_cast<std::uint8_t>(table[rgb[i]]);
        return;
    }
    const double red = GainRed();
    const double green = GainGreen();
    const double blue = GainBlue();
    for (std::size_t i = 0; i < samples; i += 3) {
        out[i] = static_cast<std::uint8_t>(table[Gained(rgb[i], red)]);
        out[i + 1] = static_cast<std::uint8_t>(table[Gained(rgb[i + 1], green)]);
        out[i + 2] = static_cast<std::uint8_t>(table[Gained(rgb[i + 2], blue)]);
    }
}

}  // namespace scanora
