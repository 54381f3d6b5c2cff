#pragma once

#include <string_view>
#include <vector>

#include "platform/OutputStream.h"
#include "settings/CameraPreferences.h"
#include "settings/HistogramSetting.h"

namespace scanora {

// The preferences file the program ships with: one size, five exposures, thirteen tone curves,
// three histogram slider sets, the preferences and the state of the tools as a photographer
// starts with them.
class BuiltInSettings {
public:
    // The folder the shipped file gives for automatic saving, on the system it was made for.
    static constexpr std::string_view kWindowsFolder = "C:\\";

    // Writes the built-in text, with `folder` as the scan and prescan folder.
    static void Write(OutputStream& out, std::string_view folder);
    // The preferences of the built-in text.
    [[nodiscard]] static CameraPreferences Preferences(std::string_view folder);
    // The sliders of the built-in histogram setting "Default Setting".
    [[nodiscard]] static std::vector<HistogramSetting::Slider> DefaultHistogramSliders();
};

}  // namespace scanora
