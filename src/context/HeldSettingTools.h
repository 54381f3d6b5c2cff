#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "camera/ExposureUnits.h"
#include "imaging/QVCurveEditor.h"
#include "settings/ExposurePreferences.h"
#include "settings/HistogramSetting.h"
#include "settings/SettingTools.h"

namespace scanora {

class QVSize;

// The setting tools of a program that has the output geometry and the tone curve editor but not
// yet the exposure and histogram tools (the command-line program, tests): the geometry and the
// curve are the real ones; for the other two the values of the last record applied are held,
// with the limits those tools put on them, so that what is read from a preferences file is
// written back unchanged.
class HeldSettingTools final : public SettingTools, public ExposurePreferences {
public:
    // The exposure limits, in stops: the total gain of a channel and the filter offset.
    static constexpr double kMaxGain = ExposureUnits::kMaxTotalStops;
    static constexpr double kMaxFilter = ExposureUnits::kMaxFilterStops;
    static constexpr std::int16_t kLongestLineTime = 0;
    static constexpr std::int16_t kShortestLineTime = 23;

    explicit HeldSettingTools(QVSize& size);

    void Capture(SizeSetting& record) const override;
    void Capture(ExposureSetting& record) const override;
    void Capture(CurveSetting& record) const override;
    void Capture(HistogramSetting& record) const override;
    [[nodiscard]] bool IsNone14Mode() const override { return curveEditor_.IsNone14(); }

    void Apply(SizeSetting& record) override;
    // The neutral values are held to 0..kMaxGain, a filter beyond +-kMaxFilter becomes 0; the
    // record's ev is not taken (it follows from the green channel).
    void Apply(const ExposureSetting& record) override;
    // With none 14 set only the 14-bit mode is switched on and the handles stay.
    void Apply(const CurveSetting& record) override;
    void Apply(const HistogramSetting& record) override;

    [[nodiscard]] int GetLineTimeTable() const override { return lineTimeTable_; }
    void SelectLineTimeTable(int table) override;
    [[nodiscard]] std::int16_t GetLineTimeIndex() const override { return lineTimeIndex_; }
    void SetLineTimeIndex(std::int16_t index) override;
    void SetLevelStep(double tenthsOfDecibel) override { levelStep_ = tenthsOfDecibel; }
    [[nodiscard]] double GetLevelStep() const { return levelStep_; }
    [[nodiscard]] std::int16_t GetSpotWidth() const override { return spotWidth_; }
    // Only 1, 3 and 5 are spot sizes; any other width is not taken.
    void SetSpotWidth(std::int16_t width) override;
    void RefreshDependentValues() override {}

    // The program's current tone curve.
    [[nodiscard]] QVCurveEditor& CurveEditor() { return curveEditor_; }
    [[nodiscard]] const QVCurveEditor& CurveEditor() const { return curveEditor_; }

private:
    QVSize& size_;
    // Red, green, blue, in stops.
    std::array<double, 3> gains_{1.0, 1.0, 1.0};
    std::array<double, 3> filters_{};
    int lineTimeTable_ = k60HzTable;
    std::int16_t lineTimeIndex_ = 6;
    double levelStep_ = kTenthStop;
    std::int16_t spotWidth_ = 5;
    QVCurveEditor curveEditor_;
    std::vector<HistogramSetting::Slider> sliders_;
};

}  // namespace scanora
