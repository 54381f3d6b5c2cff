#include "ui/PreferenceDisplaysOnGui.h"

#include "ui/GuiThread.h"

namespace scanora::ui {

void PreferenceDisplaysOnGui::ShowCameraColorMode(std::int16_t mode)
{
    gui_.Run([&target = target_, mode] { target.ShowCameraColorMode(mode); });
}

void PreferenceDisplaysOnGui::ShowPreviewAppearance(const PreviewAppearance& appearance)
{
    gui_.Run([&target = target_, appearance] { target.ShowPreviewAppearance(appearance); });
}

std::string PreferenceDisplaysOnGui::ScanNameField() const
{
    return gui_.Ask<std::string>([this] { return target_.ScanNameField(); }, {}, kAskLimit);
}

void PreferenceDisplaysOnGui::ShowScanName(std::string_view name)
{
    gui_.Run([&target = target_, copy = std::string(name)] { target.ShowScanName(copy); });
}

int PreferenceDisplaysOnGui::ControlPosition() const
{
    return gui_.Ask<int>([this] { return target_.ControlPosition(); }, 0, kAskLimit);
}

void PreferenceDisplaysOnGui::SetControlPosition(int position)
{
    gui_.Run([&target = target_, position] { target.SetControlPosition(position); });
}

std::int32_t PreferenceDisplaysOnGui::CurrentProfileIndex() const
{
    return gui_.Ask<std::int32_t>([this] { return target_.CurrentProfileIndex(); }, 0, kAskLimit);
}

void PreferenceDisplaysOnGui::ShowProfiles(const std::vector<std::string>& profiles,
                                           std::int32_t current, bool embed)
{
    gui_.Run([&target = target_, profiles, current, embed] {
        target.ShowProfiles(profiles, current, embed);
    });
}

void PreferenceDisplaysOnGui::ShowTimeLapse(std::int16_t images, std::int16_t seconds, bool on)
{
    gui_.Run(
        [&target = target_, images, seconds, on] { target.ShowTimeLapse(images, seconds, on); });
}

bool PreferenceDisplaysOnGui::RulersShown() const
{
    return gui_.Ask<bool>([this] { return target_.RulersShown(); }, false, kAskLimit);
}

void PreferenceDisplaysOnGui::ShowRulers(bool shown)
{
    gui_.Run([&target = target_, shown] { target.ShowRulers(shown); });
}

}  // namespace scanora::ui
