#pragma once

#include "camera/ExposureDisplays.h"

namespace scanora::ui {

class GuiThread;

// What the exposure calls, from whichever thread changed it (a prescan ends on its own thread):
// each call copies the readout, its line-time label included, and shows it on the GUI thread.
class ExposureDisplaysOnGui final : public ExposureDisplays {
public:
    ExposureDisplaysOnGui(GuiThread& gui, ExposureDisplays& target) : gui_(gui), target_(target) {}

    void ShowExposure(const ExposureReadout& readout) override;
    void RedrawPreview() override;
    void RefreshColourPage() override;

private:
    GuiThread& gui_;
    ExposureDisplays& target_;
};

}  // namespace scanora::ui
