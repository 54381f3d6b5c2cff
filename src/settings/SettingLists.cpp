#include "settings/SettingLists.h"

namespace scanora {

void SettingLists::SelectCurrentEntries(SettingTools& tools)
{
    Select<SizeSetting>(CurrentIndex<SizeSetting>(), tools);
    Select<ExposureSetting>(CurrentIndex<ExposureSetting>(), tools);
    Select<CurveSetting>(CurrentIndex<CurveSetting>(), tools);
    Select<HistogramSetting>(CurrentIndex<HistogramSetting>(), tools);
}

template <typename Record>
void SettingLists::ClearList()
{
    Slot<Record>& slot = SlotOf<Record>();
    slot.records.Clear();
    slot.current = 0;
    if (displays_)
        displays_->RemoveAll(KindOf<Record>());
}

void SettingLists::Clear()
{
    ClearList<SizeSetting>();
    ClearList<ExposureSetting>();
    ClearList<CurveSetting>();
    ClearList<HistogramSetting>();
}

}  // namespace scanora
