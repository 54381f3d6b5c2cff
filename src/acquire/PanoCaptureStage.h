#pragma once

#include "acquire/CaptureStage.h"

namespace scanora {

class QVPanoControl;
class QVSize;

// The stage control seen from the capture sequence: the rotating capture's values for the
// parameter blocks and the preview, Object mode's series, and the stage moves around captures
// (the crop's offset along the travel, at the sensor's own sampling, places the stage).
class PanoCaptureStage final : public CaptureStage {
public:
    PanoCaptureStage(QVPanoControl& pano, QVSize& size) : pano_(pano), size_(size) {}

    [[nodiscard]] std::optional<RotatingCapture> Rotating() const override;
    [[nodiscard]] bool IsObjectMode() const override;
    [[nodiscard]] int ObjectSeriesRemaining() override;
    void PrepareStage() override;
    void FinishPrescan() override;
    void AfterRotatingScan() override;
    void NextObjectView() override;
    [[nodiscard]] std::optional<StageReading> ReadStage() override;

private:
    [[nodiscard]] int CropOffsetAlongTravel() const;

    QVPanoControl& pano_;
    QVSize& size_;
};

}  // namespace scanora
