#include "ui/SizeReadout.h"

#include "settings/QVSize.h"

namespace scanora::ui {

SizeReadout SizeReadout::Of(const QVSize& size)
{
    SizeReadout readout;
    readout.units = size.GetUnits();
    readout.outputWidth = size.GetOutputWidth();
    readout.outputHeight = size.GetOutputHeight();
    readout.resolution = size.GetResolution();
    readout.resolutionUnits = size.GetResolutionUnits();
    readout.pixelsAcross = size.GetPixelsAcross();
    readout.pixelsDown = size.GetPixelsDown();
    readout.cropWidthPercent = size.GetCropWidth();
    readout.cropHeightPercent = size.GetCropHeight();
    readout.resolutionPercent = size.GetResolutionPercent();
    readout.fileSizeBytes = size.FileSizeBytes();
    readout.insertRotation = size.GetInsertRotation();
    readout.cropRatioLocked = size.IsCropRatioLocked();
    readout.fileSizeLocked = size.IsFileSizeLocked();
    readout.cropPrescan = size.IsCropPrescan();
    return readout;
}

}  // namespace scanora::ui
