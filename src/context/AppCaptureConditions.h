#pragma once

#include "camera/CaptureConditions.h"

namespace scanora {

class QVCamera;
class QVPanoControl;
class QVSize;
struct CameraPreferences;

// The state of the next capture as the program's tools hold it: the output geometry's step and
// lines, the preview's lines, the stage's motion and the fast prescan preference.
class AppCaptureConditions final : public CaptureConditions {
public:
    AppCaptureConditions(const QVCamera& camera, QVSize& size, const QVPanoControl& pano,
                         const CameraPreferences& prefs)
        : camera_(camera), size_(size), pano_(pano), prefs_(prefs)
    {
    }

    [[nodiscard]] int ScanSizeStep() const override;
    [[nodiscard]] int ScanLines() const override;
    [[nodiscard]] int PrescanLines() const override;
    [[nodiscard]] std::optional<StageMotion> RotatingStage() const override;
    [[nodiscard]] bool FastPrescan() const override;

private:
    const QVCamera& camera_;
    QVSize& size_;
    const QVPanoControl& pano_;
    const CameraPreferences& prefs_;
};

}  // namespace scanora
