#include "acquire/PanoCaptureStage.h"

#include <cmath>

#include "camera/QVPanoControl.h"
#include "settings/QVSize.h"

namespace scanora {

std::optional<RotatingCapture> PanoCaptureStage::Rotating() const
{
    if (!pano_.IsRotatingCapture())
        return std::nullopt;
    RotatingCapture rotating;
    rotating.focalLengthTenths = static_cast<int>(std::lround(pano_.FocalLength() * 10.0));
    rotating.lines = pano_.RotatingCaptureLines();
    const auto [a, b] = pano_.DescriptionValues();
    rotating.valueA = a;
    rotating.valueB = b;
    return rotating;
}

bool PanoCaptureStage::IsObjectMode() const
{
    return pano_.IsObjectMode();
}

int PanoCaptureStage::ObjectSeriesRemaining()
{
    // A series over part of the range begins with the object turned to the range's first view.
    pano_.AdvanceToRangeStart();
    return pano_.ObjectImageCount();
}

int PanoCaptureStage::CropOffsetAlongTravel() const
{
    return size_.NativeWindow().firstLine;
}

void PanoCaptureStage::PrepareStage()
{
    pano_.PrepareStage();
}

void PanoCaptureStage::FinishPrescan()
{
    pano_.FinishPrescan();
}

void PanoCaptureStage::AfterRotatingScan()
{
    pano_.AfterRotatingScan(CropOffsetAlongTravel());
}

void PanoCaptureStage::NextObjectView()
{
    pano_.NextObjectView();
}

std::optional<StageReading> PanoCaptureStage::ReadStage()
{
    const std::optional<QVPanoControl::StageStatus> status = pano_.ReadStageStatus();
    if (!status)
        return std::nullopt;
    return StageReading{status->moving, pano_.PreviewLineAt(status->position)};
}

}  // namespace scanora
