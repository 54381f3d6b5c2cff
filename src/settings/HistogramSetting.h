#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "settings/QVSetting.h"

namespace scanora {

// A named set of histogram level sliders with their warning colours, kept as a
// "BeginHistogramSetting" section with one "BeginSlider" ... "EndSlider" sub-section per slider.
class HistogramSetting final : public QVSetting {
public:
    static constexpr std::string_view kBeginKey = "BeginHistogramSetting";
    static constexpr std::string_view kEndKey = "EndHistogramSetting";
    static constexpr std::size_t kMaxSliders = 128;
    static constexpr std::int16_t kMaxLevel = 255;

    // One slider: the level where its band starts, the band's colour (red + 256 * green + 65536
    // * blue) and whether the band is painted in that warning colour.
    struct Slider {
        std::int16_t value = 0;
        std::uint32_t color = 0;
        bool falseColor = false;
        bool operator==(const Slider&) const = default;
    };

    HistogramSetting() : QVSetting(SettingKind::Histogram) {}

    bool Read(LineReader& in) override;
    void Write(OutputStream& out) const override;

    // The sliders in use, in order.
    [[nodiscard]] std::span<const Slider> GetSliders() const
    {
        return std::span(sliders_).first(static_cast<std::size_t>(sliderCount_));
    }
    [[nodiscard]] std::int32_t GetSliderCount() const { return sliderCount_; }
    // Takes the first kMaxSliders sliders; levels are held to 0..255.
    void SetSliders(std::span<const Slider> sliders);

private:
    std::array<Slider, kMaxSliders> sliders_{};
    std::int32_t sliderCount_ = 0;
};

}  // namespace scanora
