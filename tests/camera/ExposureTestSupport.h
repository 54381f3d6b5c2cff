#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "camera/CaptureConditions.h"
#include "camera/ExposureDisplays.h"
#include "camera/LineTimeLimits.h"
#include "camera/QVExposure.h"
#include "camera/RgbImageView.h"
#include "support/RecordingUiPort.h"

namespace scanora::test {

// Capture conditions a test sets by hand.
struct FakeConditions final : CaptureConditions {
    int scanSizeStep = 0;
    int scanLines = 0;
    int prescanLines = 0;
    std::optional<StageMotion> stage;
    bool fastPrescan = false;

    [[nodiscard]] int ScanSizeStep() const override { return scanSizeStep; }
    [[nodiscard]] int ScanLines() const override { return scanLines; }
    [[nodiscard]] int PrescanLines() const override { return prescanLines; }
    [[nodiscard]] std::optional<StageMotion> RotatingStage() const override { return stage; }
    [[nodiscard]] bool FastPrescan() const override { return fastPrescan; }
};

// Records what the exposure shows.
struct RecordingDisplays final : ExposureDisplays {
    std::vector<ExposureReadout> shown;
    int previewRedraws = 0;
    int colourPageRefreshes = 0;

    void ShowExposure(const ExposureReadout& readout) override { shown.push_back(readout); }
    void RedrawPreview() override { ++previewRedraws; }
    void RefreshColourPage() override { ++colourPageRefreshes; }
};

// The 6000-pixel models: pitch 1200, 8 size steps, new firmware.
inline LineTimeLimits SixThousandPixelModel()
{
    return LineTimeLimits{12, true, 8, 1200, false};
}

// A preview filled with one colour, packed rows.
struct UniformPreview {
    std::vector<std::uint16_t> samples;
    int width;
    int height;

    UniformPreview(int w, int h, std::uint16_t red, std::uint16_t green, std::uint16_t blue)
        : width(w), height(h)
    {
        for (int i = 0; i < w * h; ++i) samples.insert(samples.end(), {red, green, blue});
    }
    [[nodiscard]] PreviewView View() const { return PreviewView::Packed(samples, width, height); }
};

// An exposure over the 6000-pixel model with recording displays and hand-set conditions.
class ExposureFixture {
protected:
    ExposureFixture() : exposure_(SixThousandPixelModel(), ui_)
    {
        exposure_.AttachDisplays(&displays_);
        exposure_.AttachConditions(&conditions_);
    }

    static constexpr double kStop = 30.103;  // tenths of a decibel per stop

    RecordingUiPort ui_;
    RecordingDisplays displays_;
    FakeConditions conditions_;
    QVExposure exposure_;
};

}  // namespace scanora::test
