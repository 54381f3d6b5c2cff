#include "camera/StageGeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace scanora {

namespace {

void SetClamped(double& field, double value, double low, double high)
{
    if (std::isfinite(value))
        field = std::clamp(value, low, high);
}

}  // namespace

void StageGeometry::SetFocalLength(double millimetres)
{
    SetClamped(focalLength_, millimetres, kMinFocalLength, kMaxFocalLength);
}

void StageGeometry::SetScanExtent(double degrees)
{
    SetClamped(scanExtent_, degrees, kMinScanExtent, kMaxScanExtent);
}

void StageGeometry::SetPageScanExtent(double degrees)
{
    SetClamped(scanExtent_, degrees, kMinScanExtent, kMaxPageScanExtent);
}

void StageGeometry::SetRolloutHeight(double height)
{
    SetClamped(rolloutHeight_, height, kMinRolloutHeight, kMaxRolloutHeight);
}

void StageGeometry::SetRolloutDiameter(double diameter)
{
    SetClamped(rolloutDiameter_, diameter, kMinRolloutDiameter, kMaxRolloutDiameter);
}

void StageGeometry::SetNumImages(int images)
{
    numImages_ = std::max(images, 1);
}

void StageGeometry::SetNumDegrees(double degrees)
{
    if (std::isfinite(degrees))
        numDegrees_ = std::max(degrees, 0.0);
}

double StageGeometry::DegreesBetweenImages() const
{
    if (numDegrees_ < 360.0)
        // A single image over a partial turn has no second end to reach: the whole range.
        return numDegrees_ / std::max(numImages_ - 1, 1);
    return numDegrees_ / numImages_;
}

double StageGeometry::RolloutFocalLength(int pixelPitch, int capturePixels) const
{
    if (pixelPitch <= 0 || capturePixels <= 0)
        return 0.0;
    const double imageHeight = pixelPitch / 100000.0 * capturePixels;
    return rolloutDiameter_ * imageHeight / (2.0 * rolloutHeight_);
}

double StageGeometry::RolledOutLength() const
{
    return scanExtent_ / 360.0 * std::numbers::pi * rolloutDiameter_;
}

}  // namespace scanora
