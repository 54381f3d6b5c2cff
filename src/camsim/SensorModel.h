#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "camsim/CaptureRecipe.h"
#include "camsim/Scene.h"

namespace camsim {

// The sensor's response: linear in the light, the integration time and the gain, clipped at the
// 14-bit full scale. The lamp is warm, so a neutral surface gives less green and even less blue
// than red (kSensitivity) until the gains balance it. A reflectance of 1 integrated for
// kReferenceIntegration at unity gain reaches kReferenceLevel of the full scale.
class SensorModel {
public:
    static constexpr std::uint16_t kFullScale = 16383;
    static constexpr double kReferenceIntegration = 100.0;  // 1/3000 s: 1/30 s
    static constexpr double kReferenceLevel = 0.4;
    static constexpr Reflectance kSensitivity{1.0, 0.9, 0.75};
    // Without the column calibration each column's gain is off by up to this share.
    static constexpr double kColumnError = 0.03;

    SensorModel(const SensorExposure& exposure, bool calibrated);

    // The power gain of a gain code: 10^((code − 260) / 2550), so 260 is unity gain and every
    // 25.5 codes add a tenth of a decibel.
    [[nodiscard]] static double GainFactor(std::uint16_t code);

    // The 14-bit value of `colour` for a surface of `reflectance` seen by sensor column `column`.
    [[nodiscard]] std::uint16_t Value(std::size_t colour, double reflectance,
                                      std::int64_t column) const
    {
        double signal = reflectance * scale_[colour % scale_.size()];
        if (!calibrated_)
            signal *= ColumnGain(column);
        return Quantise(signal);
    }

    // The parts of Value, for callers that work through whole lines: the signal per unit of
    // reflectance, the gain error of a column while the calibration is off, and the rounding
    // of a signal into a value.
    [[nodiscard]] double Scale(std::size_t colour) const { return scale_[colour % scale_.size()]; }
    [[nodiscard]] bool IsCalibrated() const { return calibrated_; }
    [[nodiscard]] static double ColumnGain(std::int64_t column);
    // Rounded as the camera rounds: truncate(x + 0.5), clipped to [0, kFullScale].
    [[nodiscard]] static std::uint16_t Quantise(double signal)
    {
        const double half = (signal > 0.0 ? signal : 0.0) + 0.5;
        return half >= kFullScale ? kFullScale : static_cast<std::uint16_t>(half);
    }

private:
    std::array<double, 3> scale_{};
    bool calibrated_;
};

}  // namespace camsim
