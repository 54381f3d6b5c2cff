#include "settings/HistogramSetting.h"

#include <algorithm>

namespace scanora {
namespace {

std::int16_t ClampLevel(std::int16_t level)
{
    return std::clamp<std::int16_t>(level, 0, HistogramSetting::kMaxLevel);
}

}  // namespace

void HistogramSetting::SetSliders(std::span<const Slider> sliders)
{
    const std::size_t count = std::min(sliders.size(), kMaxSliders);
    for (std::size_t i = 0; i < count; ++i) {
        sliders_[i] = sliders[i];
        sliders_[i].value = ClampLevel(sliders[i].value);
    }
    sliderCount_ = static_cast<std::int32_t>(count);
}

bool HistogramSetting::Read(LineReader& in)
{
    // Sliders are numbered from 0 in the order of their sub-sections; each "EndSlider" makes the
    // slider count one more than the slider it closes. Sub-sections beyond the record's capacity
    // are read into a spare slider and dropped.
    std::size_t index = 0;
    bool inSlider = false;
    Slider spare;
    return ReadSection(in, kEndKey, [&](std::string_view key, std::string_view value) {
        if (key == "BeginSlider") {
            inSlider = true;
            return true;
        }
        if (!inSlider)
            return false;
        Slider& slider = index < kMaxSliders ? sliders_[index] : spare;
        if (key == "EndSlider") {
            inSlider = false;
            if (index < kMaxSliders)
                sliderCount_ = static_cast<std::int32_t>(index + 1);
            ++index;
        } else if (key == "SliderValue") {
            if (const auto level = ParseInt16(value))
                slider.value = ClampLevel(*level);
        } else if (key == "RGBColor") {
            Assign(slider.color, ParseRGB(value));
        } else if (key == "RGBAColor16") {
            Assign(slider.color, ParseRGBA16(value));
        } else if (key == "SliderFalseColor") {
            slider.falseColor = ParseBool(value);
        }
        // Unknown keys inside a slider are skipped, and so is its End key: a section that ends
        // inside a slider ends there.
        return key != kEndKey;
    });
}

void HistogramSetting::Write(OutputStream& out) const
{
    WriteLine(out, kBeginKey);
    QVSetting::Write(out);
    for (const Slider& slider : GetSliders()) {
        WriteLine(out, "BeginSlider");
        WriteInt16(out, "SliderValue", slider.value);
        WriteRGB(out, "RGBColor", slider.color);
        WriteBool(out, "SliderFalseColor", slider.falseColor);
        WriteLine(out, "EndSlider");
    }
    WriteLine(out, kEndKey);
}

}  // namespace scanora
