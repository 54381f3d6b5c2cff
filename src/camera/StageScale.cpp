#include "camera/StageScale.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace scanora {

namespace {

// truncate(x), kept within what 64 bits hold (the callers wrap the result to 16 bits).
std::int64_t Truncate(double value)
{
    constexpr double kLimit = 9.0e18;
    if (!std::isfinite(value))
        return 0;
    if (value >= kLimit)
        return std::numeric_limits<std::int64_t>::max();
    if (value <= -kLimit)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(value);
}

}  // namespace

double StageScale::PixelsPerDegree() const
{
    if (pixelPitch_ <= 0)
        return 0.0;
    return focalLength_ * 2.0 * std::numbers::pi / (pixelPitch_ / 100000.0) / 360.0;
}

double StageScale::LinesForExtent() const
{
    return PixelsPerDegree() * scanExtent_;
}

double StageScale::StepsPerDegree() const
{
    if (motorA_ == 0)
        return 0.0;
    return kStepsPerDegreeAtUnitA / motorA_;
}

std::int64_t StageScale::ExtentSteps() const
{
    return StepsForDegrees(scanExtent_);
}

std::uint16_t StageScale::HalfExtentSteps() const
{
    return static_cast<std::uint16_t>(static_cast<std::uint16_t>(ExtentSteps()) / 2);
}

double StageScale::StepsPerLine() const
{
    const double pixelsPerDegree = PixelsPerDegree();
    if (pixelsPerDegree <= 0.0)
        return 0.0;
    return StepsPerDegree() / pixelsPerDegree;
}

std::int64_t StageScale::StepsForDegrees(double degrees) const
{
    return Truncate(StepsPerDegree() * degrees);
}

std::int64_t StageScale::StepsForLines(double lines) const
{
    return Truncate(StepsPerLine() * lines);
}

}  // namespace scanora
