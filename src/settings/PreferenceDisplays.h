#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace scanora {

// How the preview draws its overlays: the mask outside the crop, the grid and the guides.
struct PreviewAppearance {
    std::uint32_t maskColor = 0;
    std::int16_t maskTransparency = 128;  // 0..256
    std::uint32_t gridColor = 0;
    std::int16_t gridWidth = 50;
    std::int16_t gridHeight = 50;
    std::uint32_t guideColor = 0;
    std::int16_t guidePattern = 0;  // 0 solid, 1 and 2 dashed, 3 dotted
};

// The windows that show what the preferences hold (the main control panel, the preview, the
// colour page), and that own some of it while the program runs: the scan name field, the
// position of the control panel, the chosen colour profile and the rulers. The desktop program
// implements it.
class PreferenceDisplays {
public:
    virtual ~PreferenceDisplays() = default;

    // Selects the camera colour mode (0 colour, 1 red, 2 green, 3 blue) in its control.
    virtual void ShowCameraColorMode(std::int16_t mode) = 0;
    // Redraws the preview's mask, grid and guides.
    virtual void ShowPreviewAppearance(const PreviewAppearance& appearance) = 0;
    // The name the next scan gets, as the name field of the control panel shows it.
    [[nodiscard]] virtual std::string ScanNameField() const = 0;
    virtual void ShowScanName(std::string_view name) = 0;
    // 0 right, 1 left, 2 top, 3 bottom.
    [[nodiscard]] virtual int ControlPosition() const = 0;
    virtual void SetControlPosition(int position) = 0;
    // The profile list of the colour page, its current entry (1-based, 0 none) and the embed
    // check box.
    [[nodiscard]] virtual std::int32_t CurrentProfileIndex() const = 0;
    virtual void ShowProfiles(const std::vector<std::string>& profiles, std::int32_t current,
                              bool embed) = 0;
    // The time lapse series the view runs.
    virtual void ShowTimeLapse(std::int16_t images, std::int16_t seconds, bool on) = 0;
    [[nodiscard]] virtual bool RulersShown() const = 0;
    virtual void ShowRulers(bool shown) = 0;
};

}  // namespace scanora
