#include "ui/ExposureDisplaysOnGui.h"

#include <string>

#include "ui/GuiThread.h"

namespace scanora::ui {

void ExposureDisplaysOnGui::ShowExposure(const ExposureReadout& readout)
{
    gui_.Run([&target = target_, copy = readout, label = std::string(readout.lineTimeLabel)] {
        ExposureReadout shown = copy;
        shown.lineTimeLabel = label;
        target.ShowExposure(shown);
    });
}

void ExposureDisplaysOnGui::RedrawPreview()
{
    gui_.Run([&target = target_] { target.RedrawPreview(); });
}

void ExposureDisplaysOnGui::RefreshColourPage()
{
    gui_.Run([&target = target_] { target.RefreshColourPage(); });
}

}  // namespace scanora::ui
