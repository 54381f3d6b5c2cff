#include "context/HeldSettingTools.h"

#include <algorithm>

#include "settings/BuiltInSettings.h"
#include "settings/QVSize.h"

namespace scanora {

HeldSettingTools::HeldSettingTools(QVSize& size)
    : size_(size), sliders_(BuiltInSettings::DefaultHistogramSliders())
{
}

void HeldSettingTools::Capture(SizeSetting& record) const
{
    record.SetValues(size_.CurrentValues());
}

void HeldSettingTools::Capture(ExposureSetting& record) const
{
    record.SetValues(gains_, filters_, lineTimeIndex_);
}

void HeldSettingTools::Capture(CurveSetting& record) const
{
    curveEditor_.Capture(record);
}

void HeldSettingTools::Capture(HistogramSetting& record) const
{
    record.SetSliders(sliders_);
}

void HeldSettingTools::Apply(SizeSetting& record)
{
    record.SetValues(size_.Apply(record.GetValues()));
}

void HeldSettingTools::Apply(const ExposureSetting& record)
{
    const std::array neutral{record.GetNeutralRed(), record.GetNeutralGreen(),
                             record.GetNeutralBlue()};
    const std::array filter{record.GetFilterRed(), record.GetFilterGreen(), record.GetFilterBlue()};
    for (std::size_t channel = 0; channel < gains_.size(); ++channel) {
        gains_[channel] = neutral[channel] < 0.0 ? 0.0 : std::min(neutral[channel], kMaxGain);
        const bool inRange = filter[channel] >= -kMaxFilter && filter[channel] <= kMaxFilter;
        filters_[channel] = inRange ? filter[channel] : 0.0;
    }
}

void HeldSettingTools::Apply(const CurveSetting& record)
{
    curveEditor_.Apply(record);
}

void HeldSettingTools::Apply(const HistogramSetting& record)
{
    sliders_.assign(record.GetSliders().begin(), record.GetSliders().end());
}

void HeldSettingTools::SelectLineTimeTable(int table)
{
    if (table >= kExactTable && table <= k50HzTable)
        lineTimeTable_ = table;
}

void HeldSettingTools::SetLineTimeIndex(std::int16_t index)
{
    lineTimeIndex_ = std::clamp(index, kLongestLineTime, kShortestLineTime);
}

void HeldSettingTools::SetSpotWidth(std::int16_t width)
{
    if (width == 1 || width == 3 || width == 5)
        spotWidth_ = width;
}

}  // namespace scanora
