#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <tuple>
#include <type_traits>

#include "settings/CurveSetting.h"
#include "settings/ExposureSetting.h"
#include "settings/HistogramSetting.h"
#include "settings/SettingListDisplays.h"
#include "settings/SettingTools.h"
#include "settings/SettingsArray.h"
#include "settings/SizeSetting.h"

namespace scanora {

// One list of the setting lists and its current position.
template <typename Record>
struct SettingListSlot {
    SettingsArray<Record> records;
    std::int16_t current = 0;
};

// The four lists of named settings (sizes, exposures, curves, histogram slider sets) with the
// current entry of each. Positions count from 1 and 0 means no entry is current. Every change
// is shown in the attached list controls.
class SettingLists {
public:
    // Current positions are 16-bit numbers, so a list holds at most this many entries.
    static constexpr std::size_t kMaxEntries = 32767;

    SettingLists() = default;
    SettingLists(const SettingLists&) = delete;
    SettingLists& operator=(const SettingLists&) = delete;

    // The list controls to tell (null: none); borrowed until replaced.
    void AttachDisplays(SettingListDisplays* displays) { displays_ = displays; }

    template <typename Record>
    [[nodiscard]] const SettingsArray<Record>& List() const
    {
        return SlotOf<Record>().records;
    }

    template <typename Record>
    [[nodiscard]] std::int16_t CurrentIndex() const
    {
        return SlotOf<Record>().current;
    }

    // Sets the current position without applying the entry (Select applies it).
    template <typename Record>
    void SetCurrentIndex(std::int16_t index)
    {
        SlotOf<Record>().current = index;
    }

    // The current entry; null when there is none.
    template <typename Record>
    [[nodiscard]] Record* Current() const
    {
        const Slot<Record>& slot = SlotOf<Record>();
        return slot.current > 0 ? slot.records.Get(static_cast<std::size_t>(slot.current))
                                : nullptr;
    }

    // Appends a record, moves the current position on by one and adds the name to the list
    // control. A list that is full takes no more records: false, and the record is dropped.
    template <typename Record>
    bool Append(std::unique_ptr<Record> record)
    {
        Slot<Record>& slot = SlotOf<Record>();
        if (slot.records.Count() >= kMaxEntries)
            return false;
        if (displays_)
            displays_->AddName(KindOf<Record>(), record->GetName());
        slot.records.Append(std::move(record));
        slot.current = static_cast<std::int16_t>(
            std::min<int>(slot.current + 1, static_cast<int>(kMaxEntries)));
        return true;
    }

    // Makes a position current, applies its entry to its tool and selects it in the list
    // control. A position that holds no entry selects nothing and leaves no entry current.
    template <typename Record>
    void Select(std::int16_t index, SettingTools& tools)
    {
        Slot<Record>& slot = SlotOf<Record>();
        Record* record = index > 0 ? slot.records.Get(static_cast<std::size_t>(index)) : nullptr;
        slot.current = record ? index : std::int16_t{0};
        if (record)
            tools.Apply(*record);
        if (displays_) {
            if (record)
                displays_->SelectPosition(KindOf<Record>(), static_cast<std::size_t>(index));
            displays_->ShowDeleteAllowed(KindOf<Record>(), CanDeleteCurrent<Record>());
        }
    }

    // Selects the current entry of each list, in the order size, exposure, curve, histogram.
    void SelectCurrentEntries(SettingTools& tools);

    // Whether the current entry may be deleted: not one of the program's first entries (the
    // first of each list, the first two curves), changeable, and not the only entry.
    template <typename Record>
    [[nodiscard]] bool CanDeleteCurrent() const
    {
        const Slot<Record>& slot = SlotOf<Record>();
        const Record* record = Current<Record>();
        return record != nullptr && slot.current > ProtectedEntries<Record>() &&
               record->IsChangeable() && slot.records.Count() > 1;
    }

    // Deletes the current entry when it may be deleted (CanDeleteCurrent). The entry before it
    // becomes current and is applied to its tool, and the list control is filled again. False,
    // and nothing changes, when the current entry may not be deleted.
    template <typename Record>
    bool RemoveCurrent(SettingTools& tools)
    {
        if (!CanDeleteCurrent<Record>())
            return false;
        Slot<Record>& slot = SlotOf<Record>();
        const auto removed = static_cast<std::size_t>(slot.current);
        slot.records.Remove(removed);
        if (displays_) {
            displays_->RemoveAll(KindOf<Record>());
            for (std::size_t i = 1; i <= slot.records.Count(); ++i)
                if (const Record* record = slot.records.Get(i))
                    displays_->AddName(KindOf<Record>(), record->GetName());
        }
        Select<Record>(static_cast<std::int16_t>(removed - 1), tools);
        return true;
    }

    // Removes every entry of the four lists (also from their controls); no entry is current.
    void Clear();

    template <typename Record>
    [[nodiscard]] static constexpr SettingKind KindOf()
    {
        if constexpr (std::is_same_v<Record, SizeSetting>)
            return SettingKind::Size;
        else if constexpr (std::is_same_v<Record, ExposureSetting>)
            return SettingKind::Exposure;
        else if constexpr (std::is_same_v<Record, CurveSetting>)
            return SettingKind::Curve;
        else
            return SettingKind::Histogram;
    }

private:
    template <typename Record>
    using Slot = SettingListSlot<Record>;

    // The entries at the start of a list that the program made and keeps: the first, and for
    // curves also the second (the 14-bit linear mode and the default curve).
    template <typename Record>
    static constexpr int ProtectedEntries()
    {
        return std::is_same_v<Record, CurveSetting> ? 2 : 1;
    }

    template <typename Record>
    Slot<Record>& SlotOf()
    {
        return std::get<Slot<Record>>(slots_);
    }
    template <typename Record>
    const Slot<Record>& SlotOf() const
    {
        return std::get<Slot<Record>>(slots_);
    }

    template <typename Record>
    void ClearList();

    std::tuple<Slot<SizeSetting>, Slot<ExposureSetting>, Slot<CurveSetting>, Slot<HistogramSetting>>
        slots_;
    SettingListDisplays* displays_ = nullptr;
};

}  // namespace scanora
