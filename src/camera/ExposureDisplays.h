#pragma once

#include <cstdint>
#include <string_view>

#include "camera/ExposureUnits.h"

namespace scanora {

// Everything the controls show of the exposure after a change.
struct ExposureReadout {
    std::string_view lineTimeLabel;  // " 1/30 s"
    bool lineTimeInStep = true;      // in step with the flicker the line-time table is made for
    int lineTimeTable = 1;           // 0 "Exact", 1 "60Hz", 2 "50Hz"
    double levelStops = 0.0;         // the green channel's total gain
    std::uint16_t iso = 100;         // round(100 * 2^level)
    ChannelValues gainTenths{};      // tenths of a decibel
    ChannelValues filterTenths{};
    int prescanSeconds = 0;
    int scanSeconds = 0;
    bool levelUpEnabled = true;
    bool levelDownEnabled = true;
    int storedExposure = 1;  // which of the two stored exposures is current, 1 or 2
};

// The controls that show the exposure: the main control panel, the colour page and the preview.
// The exposure calls these after each change; the desktop program implements them.
class ExposureDisplays {
public:
    virtual ~ExposureDisplays() = default;

    // Line time, ISO, gains, filters, time estimates and the level buttons.
    virtual void ShowExposure(const ExposureReadout& readout) = 0;
    // The preview is drawn again (live factors or measurement overlay changed).
    virtual void RedrawPreview() = 0;
    // The colour page's readouts of the sample points and pending corrections.
    virtual void RefreshColourPage() = 0;
};

}  // namespace scanora
