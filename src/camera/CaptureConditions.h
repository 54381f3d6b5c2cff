#pragma once

#include <optional>

namespace scanora {

// Which pass a camera exchange is for.
enum class CaptureKind { Prescan = 0, Scan = 1 };

// How the rotating stage moves while a panorama or roll-out uses it: the rate value of the stage
// control and the lens focal length in tenths of a millimetre.
struct StageMotion {
    int rate = 0;
    int focalLengthTenths = 0;
};

// The state of the next capture that the exposure's line times and time estimates depend on. The
// output geometry, the preview and the stage control answer it; the exposure asks each time it
// needs a value, so it never works from a stale copy.
class CaptureConditions {
public:
    virtual ~CaptureConditions() = default;

    // The size step a scan samples at (the geometry's resolution number).
    [[nodiscard]] virtual int ScanSizeStep() const = 0;
    // The lines a scan records, and the lines a prescan reads (the crop's lines while only the
    // crop is prescanned).
    [[nodiscard]] virtual int ScanLines() const = 0;
    [[nodiscard]] virtual int PrescanLines() const = 0;
    // The stage's motion while a rotating capture is in use; nothing otherwise.
    [[nodiscard]] virtual std::optional<StageMotion> RotatingStage() const = 0;
    // Prescans run at the fast prescan exposure.
    [[nodiscard]] virtual bool FastPrescan() const = 0;
};

}  // namespace scanora
