#pragma once

#include "camera/CaptureConditions.h"
#include "camera/ExposureUnits.h"

namespace scanora {

class QVExposure;

// The exposure values a capture's parameter blocks and set-up use, taken from the exposure.
struct CaptureExposureValues {
    int requestedLineTime = 0;      // 1/3000 s; sent with "EE" when shorter than the minimum
    int minLineTime = 0;            // the carriage's shortest line at the capture's step
    int effectiveLineTime = 0;      // what bounds the camera's set-up time
    ChannelValues totalTenths{};    // what the gain codes carry
    ChannelValues settingTenths{};  // gain + filter of the exposure setting, for the description

    // A scan runs at the scan's size step; a prescan checks its line time against the camera's
    // minimum size step and, when prescans are fast, uses the fast prescan's line time and
    // totals (the description keeps the setting's).
    [[nodiscard]] static CaptureExposureValues For(const QVExposure& exposure, CaptureKind kind,
                                                   bool fastPrescan, int scanSizeStep,
                                                   int minSizeStep);
};

}  // namespace scanora
