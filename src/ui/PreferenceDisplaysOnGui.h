#pragma once

#include <chrono>

#include "settings/PreferenceDisplays.h"

namespace scanora::ui {

class GuiThread;

// What the preferences call, from whichever thread reads or saves them: what they show is
// copied and shown on the GUI thread; what they ask of the windows (the scan name field, the
// panel position, the chosen profile, the rulers) is answered there, the caller waiting at most
// kAskLimit. A question that cannot be answered in time (the program is closing) gets the
// built-in value: an empty name, the panel on the right, no profile, no rulers.
class PreferenceDisplaysOnGui final : public PreferenceDisplays {
public:
    static constexpr std::chrono::milliseconds kAskLimit{2000};

    PreferenceDisplaysOnGui(GuiThread& gui, PreferenceDisplays& target) : gui_(gui), target_(target)
    {
    }

    void ShowCameraColorMode(std::int16_t mode) override;
    void ShowPreviewAppearance(const PreviewAppearance& appearance) override;
    [[nodiscard]] std::string ScanNameField() const override;
    void ShowScanName(std::string_view name) override;
    [[nodiscard]] int ControlPosition() const override;
    void SetControlPosition(int position) override;
    [[nodiscard]] std::int32_t CurrentProfileIndex() const override;
    void ShowProfiles(const std::vector<std::string>& profiles, std::int32_t current,
                      bool embed) override;
    void ShowTimeLapse(std::int16_t images, std::int16_t seconds, bool on) override;
    [[nodiscard]] bool RulersShown() const override;
    void ShowRulers(bool shown) override;

private:
    GuiThread& gui_;
    PreferenceDisplays& target_;
};

}  // namespace scanora::ui
