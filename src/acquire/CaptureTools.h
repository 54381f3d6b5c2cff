#pragma once

namespace scanora {

class CurveSource;
class QVCamera;
class QVCameraSetting;
class QVExposure;
class QVSize;
class SettingLists;
class UiPort;

// The program's tools a capture reads and drives, borrowed from their owner (which outlives
// every capture): the camera, the exposure, the output geometry, the preferences record, the
// setting lists, the current tone curve and the user interface.
class CaptureTools {
public:
    CaptureTools(QVCamera& camera, QVExposure& exposure, QVSize& size,
                 QVCameraSetting& cameraSetting, SettingLists& lists, const CurveSource& curve,
                 UiPort& ui)
        : camera_(camera),
          exposure_(exposure),
          size_(size),
          cameraSetting_(cameraSetting),
          lists_(lists),
          curve_(curve),
          ui_(ui)
    {
    }

    [[nodiscard]] QVCamera& Camera() const { return camera_; }
    [[nodiscard]] QVExposure& Exposure() const { return exposure_; }
    [[nodiscard]] QVSize& Size() const { return size_; }
    [[nodiscard]] QVCameraSetting& CameraSetting() const { return cameraSetting_; }
    [[nodiscard]] SettingLists& Lists() const { return lists_; }
    [[nodiscard]] const CurveSource& Curve() const { return curve_; }
    [[nodiscard]] UiPort& Ui() const { return ui_; }

private:
    QVCamera& camera_;
    QVExposure& exposure_;
    QVSize& size_;
    QVCameraSetting& cameraSetting_;
    SettingLists& lists_;
    const CurveSource& curve_;
    UiPort& ui_;
};

}  // namespace scanora
