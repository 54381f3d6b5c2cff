#pragma once

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

#include "settings/QVSetting.h"

namespace scanora {

// The named records of one kind (the size list, the exposure list, ...), in the user's order,
// owned by the list. Positions count from 1; position 0 means "none", so a current position of 0
// selects nothing. The list has no current position of its own, and an entry's name is its
// record's name.
template <std::derived_from<QVSetting> Record>
class SettingsArray {
public:
    SettingsArray() = default;
    SettingsArray(const SettingsArray&) = delete;
    SettingsArray& operator=(const SettingsArray&) = delete;
    SettingsArray(SettingsArray&&) noexcept = default;
    SettingsArray& operator=(SettingsArray&&) noexcept = default;

    [[nodiscard]] std::size_t Count() const { return records_.size(); }
    [[nodiscard]] bool IsEmpty() const { return records_.empty(); }

    // The record at a position; null for 0 and for a position above the count.
    [[nodiscard]] Record* Get(std::size_t position) const
    {
        return IsValid(position) ? records_[position - 1].get() : nullptr;
    }

    // Adds a record (not null) at the end and returns its position minus one (its index from 0).
    std::size_t Append(std::unique_ptr<Record> record)
    {
        records_.push_back(std::move(record));
        return records_.size() - 1;
    }

    // Puts a record at a position (1 to Count() + 1), moving the later entries up. A record
    // offered for any other position is not taken and is destroyed.
    bool Insert(std::size_t position, std::unique_ptr<Record> record)
    {
        if (position == 0 || position > records_.size() + 1)
            return false;
        records_.insert(records_.begin() + Offset(position), std::move(record));
        return true;
    }

    // Destroys up to `count` entries from a position on, moving the later entries down. Returns
    // how many were removed (none for an invalid position).
    std::size_t Remove(std::size_t position, std::size_t count = 1)
    {
        if (!IsValid(position))
            return 0;
        const std::size_t removed = std::min(count, records_.size() - position + 1);
        const auto first = records_.begin() + Offset(position);
        records_.erase(first, first + static_cast<std::ptrdiff_t>(removed));
        return removed;
    }

    void Clear() { records_.clear(); }

    // The position of a record in the list, 0 when it is not in it.
    [[nodiscard]] std::size_t IndexOf(const QVSetting* record) const
    {
        for (std::size_t i = 0; i < records_.size(); ++i) {
            if (records_[i].get() == record)
                return i + 1;
        }
        return 0;
    }

    // The records in list order, for writing them out.
    [[nodiscard]] auto begin() const { return records_.begin(); }
    [[nodiscard]] auto end() const { return records_.end(); }

private:
    [[nodiscard]] bool IsValid(std::size_t position) const
    {
        return position >= 1 && position <= records_.size();
    }
    static std::ptrdiff_t Offset(std::size_t position)
    {
        return static_cast<std::ptrdiff_t>(position - 1);
    }

    std::vector<std::unique_ptr<Record>> records_;
};

}  // namespace scanora
