#pragma once

#include "imaging/QVToneCurve.h"

#include <algorithm>
#include <cstdint>
#include <span>

namespace scanora {

// A tone curve with the colour balance: three channel gains that scale each raw sample before
// the table look-up. The per-sample work is one multiply, one clamp and one table read. The
// Map operations read the raw table in byte mode.
class ColorCorrectingToneCurve : public QVToneCurve {
public:
    // Stores the three gains and turns them on.
    void SetChannelGains(double red, double green, double blue);
    // All gains back to 1.0 and off.
    void ResetChannelGains();

    [[nodiscard]] double GainRed() const { return gainRed_; }
    [[nodiscard]] double GainGreen() const { return gainGreen_; }
    [[nodiscard]] double GainBlue() const { return gainBlue_; }
    [[nodiscard]] bool GainsEnabled() const { return gainsEnabled_; }

    // Display byte of a raw sample: gained (when the gains are on), clamped, looked up.
    [[nodiscard]] std::uint8_t MapRed(std::uint16_t sample) const { return Map(sample, gainRed_); }
    [[nodiscard]] std::uint8_t MapGreen(std::uint16_t sample) const
    {
        return Map(sample, gainGreen_);
    }
    [[nodiscard]] std::uint8_t MapBlue(std::uint16_t sample) const
    {
        return Map(sample, gainBlue_);
    }
    // Display byte of a raw sample without the gains.
    [[nodiscard]] std::uint8_t MapUngained(std::uint16_t sample) const
    {
        return static_cast<std::uint8_t>(RawEntry(sample));
    }

    // The gained sample itself (when the gains are on), limited to 0..65535; no table.
    [[nodiscard]] std::uint16_t ScaleRed(std::uint16_t sample) const
    {
        return Scale(sample, gainRed_);
    }
    [[nodiscard]] std::uint16_t ScaleGreen(std::uint16_t sample) const
    {
        return Scale(sample, gainGreen_);
    }
    [[nodiscard]] std::uint16_t ScaleBlue(std::uint16_t sample) const
    {
        return Scale(sample, gainBlue_);
    }
    // The sample times the mean of the three gains, rounded; not limited (used for monochrome
    // data and the editor's histogram).
    [[nodiscard]] std::int32_t ScaleMean(std::uint16_t sample) const;

    // Maps interleaved red, green, blue samples to display bytes as MapRed, MapGreen and
    // MapBlue do, for as many whole pixels as both spans hold.
    void MapPixels(std::span<const std::uint16_t> rgb, std::span<std::uint8_t> out) const;

private:
    // trunc(sample * gain + 0.5) limited to 0..65535 (0 for a gain that is not a number).
    // Branch-free: this runs for every sample of the preview.
    [[nodiscard]] static std::uint16_t Gained(std::uint16_t sample, double gain)
    {
        const double scaled = std::max(0.0, sample * gain + 0.5);
        return static_cast<std::uint16_t>(std::min(65535.0, scaled));
    }
    [[nodiscard]] std::uint16_t Scale(std::uint16_t sample, double gain) const
    {
        return gainsEnabled_ ? Gained(sample, gain) : sample;
    }
    [[nodiscard]] std::uint8_t Map(std::uint16_t sample, double gain) const
    {
        return static_cast<std::uint8_t>(RawEntry(Scale(sample, gain)));
    }

    double gainRed_ = 1.0;
    double gainGreen_ = 1.0;
    double gainBlue_ = 1.0;
    bool gainsEnabled_ = false;
};

}  // namespace scanora
