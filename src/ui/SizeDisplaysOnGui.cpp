#include "ui/SizeDisplaysOnGui.h"

#include "ui/GuiThread.h"

namespace scanora::ui {

void SizeDisplaysOnGui::ShowOutputSize(const QVSize& size)
{
    gui_.Run(
        [&target = target_, readout = SizeReadout::Of(size)] { target.ShowOutputSize(readout); });
}

void SizeDisplaysOnGui::Refresh(const QVSize& size)
{
    gui_.Run([&target = target_, readout = SizeReadout::Of(size)] { target.Refresh(readout); });
}

void SizeDisplaysOnGui::EnableControls(const SizeControlStates& states)
{
    gui_.Run([&target = target_, states] { target.EnableControls(states); });
}

void SizeDisplaysOnGui::ShowInsertRotation(std::int32_t code)
{
    gui_.Run([&target = target_, code] { target.ShowInsertRotation(code); });
}

void SizeDisplaysOnGui::RedrawPreview()
{
    gui_.Run([&target = target_] { target.RedrawPreview(); });
}

}  // namespace scanora::ui
