#include "ui/FocusDisplaysOnGui.h"

#include "ui/GuiThread.h"

namespace scanora::ui {

void FocusDisplaysOnGui::ShowFocusReading(const FocusReading& reading)
{
    const auto taken = std::chrono::steady_clock::now();
    gui_.Run([&target = target_, &shown = shown_, copy = reading, taken] {
        target.ShowFocusReading(copy);
        if (shown)
            shown(std::chrono::steady_clock::now() - taken);
    });
}

void FocusDisplaysOnGui::ClearFocusDisplay()
{
    gui_.Run([&target = target_] { target.ClearFocusDisplay(); });
}

void FocusDisplaysOnGui::ShowWindowWidth(const FocusWindowWidth& width)
{
    gui_.Run([&target = target_, copy = width] { target.ShowWindowWidth(copy); });
}

void FocusDisplaysOnGui::ShowBusy(bool busy)
{
    gui_.Run([&target = target_, busy] { target.ShowBusy(busy); });
}

}  // namespace scanora::ui
