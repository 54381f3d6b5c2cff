#pragma once

#include <cstdint>

namespace scanora {
class QVSize;
}

namespace scanora::ui {

// A copy of what the windows show of the output geometry, taken where the geometry changed and
// shown on the GUI thread.
struct SizeReadout {
    std::int32_t units = 0;
    double outputWidth = 0.0;
    double outputHeight = 0.0;
    double resolution = 0.0;
    std::int32_t resolutionUnits = 0;
    double pixelsAcross = 0.0;
    double pixelsDown = 0.0;
    double cropWidthPercent = 0.0;
    double cropHeightPercent = 0.0;
    double resolutionPercent = 0.0;
    std::uint64_t fileSizeBytes = 0;
    std::int32_t insertRotation = 0;
    bool cropRatioLocked = false;
    bool fileSizeLocked = false;
    bool cropPrescan = false;

    [[nodiscard]] static SizeReadout Of(const QVSize& size);
};

}  // namespace scanora::ui
