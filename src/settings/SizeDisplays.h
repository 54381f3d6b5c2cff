#pragma once

#include <cstdint>

namespace scanora {

class QVSize;

// Which of the size controls can act on the geometry as it stands.
struct SizeControlStates {
    bool lowestResolution = true;   // the resolution number is not the lowest yet
    bool highestResolution = true;  // the resolution number is not the highest yet
    bool zoomOut = true;            // the crop is not the full field
    bool zoomIn = true;             // the crop is above its minimum in some direction
    bool scan = true;               // the crop has no more lines than a scan allows
};

// The controls that show the output geometry: the size page, the main control panel and the
// preview. The geometry calls these after each change; the desktop program implements them.
class SizeDisplays {
public:
    virtual ~SizeDisplays() = default;

    // The output width and height in their units, with the resolution.
    virtual void ShowOutputSize(const QVSize& size) = 0;
    // Every value derived from the geometry: pixel counts, scan area and resolution
    // percentages, file size, lock icons.
    virtual void Refresh(const QVSize& size) = 0;
    // Enables or disables the resolution, zoom and scan controls.
    virtual void EnableControls(const SizeControlStates& states) = 0;
    // The insert rotation in the insert list (and the preview turned to match).
    virtual void ShowInsertRotation(std::int32_t code) = 0;
    // The preview's crop frame after the crop was set from a rectangle.
    virtual void RedrawPreview() = 0;
};

}  // namespace scanora
