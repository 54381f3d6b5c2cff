#pragma once

#include <memory>

#include "settings/PreferenceDisplays.h"

namespace scanora {
class AppContext;
}  // namespace scanora

namespace scanora::ui {

class GuiThread;
class PreferenceDisplaysOnGui;
class QVMainFrame;

// The main window's side of the preferences record: what the record shows (colour mode, mask,
// grid and guides, scan name, panel position, colour profiles, time lapse, rulers) goes to the
// control that shows it, and what the windows own is read back from them. While it exists the
// record reaches the windows through it, from any thread (by way of PreferenceDisplaysOnGui).
class MainWindowPreferences final : public PreferenceDisplays {
public:
    static constexpr std::string_view kTimeLapseStatus = "Time Lapse Mode";

    // Attaches itself to `app`; made on the GUI thread after the frame's panes.
    MainWindowPreferences(QVMainFrame& frame, AppContext& app);
    ~MainWindowPreferences() override;
    MainWindowPreferences(const MainWindowPreferences&) = delete;
    MainWindowPreferences& operator=(const MainWindowPreferences&) = delete;

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
    QVMainFrame& frame_;
    AppContext& app_;
    std::unique_ptr<GuiThread> gui_;
    std::unique_ptr<PreferenceDisplaysOnGui> seam_;  // what the record calls
};

}  // namespace scanora::ui
