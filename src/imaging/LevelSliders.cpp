#include "imaging/LevelSliders.h"

#include <algorithm>

namespace scanora {

void LevelSliders::Assign(std::span<const Slider> sliders)
{
    const std::size_t count = std::min(sliders.size(), HistogramSetting::kMaxSliders);
    sliders_.assign(sliders.begin(), sliders.begin() + static_cast<std::ptrdiff_t>(count));
    for (Slider& slider : sliders_)
        slider.value = std::clamp<std::int16_t>(slider.value, 0, HistogramSetting::kMaxLevel);
    std::stable_sort(sliders_.begin(), sliders_.end(),
                     [](const Slider& a, const Slider& b) { return a.value < b.value; });
}

std::optional<int> LevelSliders::FindSliderBand(int level) const
{
    if (sliders_.empty())
        return std::nullopt;
    level = std::clamp(level, 0, 255);
    for (std::size_t i = 0; i < sliders_.size(); ++i) {
        if (sliders_[i].value >= level)
            return static_cast<int>(i);
    }
    // Above the last slider (only in lists that do not end at 255): the top band goes on.
    return Count() - 1;
}

std::optional<std::uint32_t> LevelSliders::FalseColor(int level) const
{
    const std::optional<int> band = FindSliderBand(level);
    if (!band || !At(*band).falseColor)
        return std::nullopt;
    return At(*band).color;
}

std::array<std::int32_t, 256> LevelSliders::FalseColorTable() const
{
    std::array<std::int32_t, 256> table{};
    for (int level = 0; level < 256; ++level) {
        const std::optional<std::uint32_t> color = FalseColor(level);
        table[static_cast<std::size_t>(level)] =
            color ? static_cast<std::int32_t>(*color & 0xFFFFFFu) : -1;
    }
    return table;
}

std::optional<LevelSliders::Hit> LevelSliders::HitTest(int level) const
{
    const std::optional<int> band = FindSliderBand(level - kGrabBelow);
    if (!band)
        return std::nullopt;
    if (At(*band).value < level + kGrabAbove)
        return Hit{Hit::Kind::Boundary, *band};
    return Hit{Hit::Kind::Band, *band};
}

bool LevelSliders::IsMovable(int index) const
{
    return index >= 0 && index + 1 < Count();
}

LevelSliders::Range LevelSliders::DragRange(int index) const
{
    Range range;
    range.lowest = index > 0 ? At(index - 1).value + 2 : 0;
    range.highest = index + 2 < Count() ? At(index + 1).value - 2 : 255;
    return range;
}

bool LevelSliders::MoveSlider(int index, int level)
{
    if (!IsMovable(index))
        return false;
    const Range range = DragRange(index);
    if (level < range.lowest || level > range.highest)
        return false;
    sliders_[static_cast<std::size_t>(index)].value = static_cast<std::int16_t>(level);
    return true;
}

bool LevelSliders::InsertBefore(int before, int level)
{
    if (before < 0 || before >= Count() || sliders_.size() >= HistogramSetting::kMaxSliders)
        return false;
    const Slider slider{static_cast<std::int16_t>(std::clamp(level, 0, 255)), kInsertedColor, true};
    sliders_.insert(sliders_.begin() + before, slider);
    return true;
}

bool LevelSliders::Remove(int index)
{
    if (!IsMovable(index))
        return false;
    sliders_.erase(sliders_.begin() + index);
    return true;
}

bool LevelSliders::ToggleFalseColor(int index)
{
    if (index < 0 || index >= Count())
        return false;
    Slider& slider = sliders_[static_cast<std::size_t>(index)];
    slider.falseColor = !slider.falseColor;
    return true;
}

bool LevelSliders::SetColor(int index, std::uint32_t color)
{
    if (index < 0 || index >= Count())
        return false;
    sliders_[static_cast<std::size_t>(index)].color = color & 0xFFFFFFu;
    return true;
}

}  // namespace scanora
