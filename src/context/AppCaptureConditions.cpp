#include "context/AppCaptureConditions.h"

#include "camera/QVCamera.h"
#include "camera/QVPanoControl.h"
#include "settings/CameraPreferences.h"
#include "settings/QVSize.h"

namespace scanora {

int AppCaptureConditions::ScanSizeStep() const
{
    return size_.GetResolutionNumber();
}

int AppCaptureConditions::ScanLines() const
{
    return size_.NumberOfLines();
}

int AppCaptureConditions::PrescanLines() const
{
    if (size_.IsCropPrescan())
        return size_.PrescanWindow().lines;
    const int maxStep = camera_.GetMaxSizeStep();
    if (maxStep < 1)
        return 0;
    const int lines =
        pano_.IsRotatingCapture() ? pano_.RotatingCaptureLines() : camera_.GetMaxLines();
    return lines / maxStep;
}

std::optional<StageMotion> AppCaptureConditions::RotatingStage() const
{
    return pano_.RotatingStageMotion();
}

bool AppCaptureConditions::FastPrescan() const
{
    return prefs_.fastPrescan;
}

}  // namespace scanora
