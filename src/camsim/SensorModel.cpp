#include "camsim/SensorModel.h"

#include <algorithm>
#include <cmath>

namespace camsim {

SensorModel::SensorModel(const SensorExposure& exposure, bool calibrated) : calibrated_(calibrated)
{
    const double time = exposure.integration / kReferenceIntegration;
    for (std::size_t c = 0; c < scale_.size(); ++c) {
        scale_[c] = kReferenceLevel * kFullScale * time * kSensitivity[c] *
                    GainFactor(exposure.gainCodes[c]);
    }
}

double SensorModel::GainFactor(std::uint16_t code)
{
    return std::pow(10.0, (static_cast<double>(code) - SensorExposure::kUnityGain) / 2550.0);
}

double SensorModel::ColumnGain(std::int64_t column)
{
    // A fixed pseudo-random error per column (a 64-bit mix of the column number).
    auto z = static_cast<std::uint64_t>(column) + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    const double unit = static_cast<double>(z % 2001) / 1000.0 - 1.0;  // -1 .. 1
    return 1.0 + kColumnError * unit;
}

}  // namespace camsim
