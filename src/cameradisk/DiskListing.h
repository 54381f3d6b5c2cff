#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cameradisk/DiskEntry.h"

namespace scanora {

// The columns of the camera disk list, numbered as the sort preference keeps them.
enum class DiskColumn : int { Slot = 0, Name = 1, Size = 2, Time = 3, Date = 4, Notes = 5 };

// One row of the list as it is shown.
struct DiskListRow {
    std::uint16_t slot = 0;
    std::string name;
    std::string size;
    std::string time;
    std::string date;
    std::string notes;  // the user's notes, in UTF-8
};

// The camera disk's entries as the file manager lists them: in a chosen order, with the row
// texts, the free-space totals and the newest image.
class DiskListing {
public:
    static constexpr int kColumnCount = 6;

    // `fourMegabyteUnits`: the entries' sizes count 4 MB (the type-2 camera family).
    DiskListing(std::vector<DiskEntry> entries, bool fourMegabyteUnits);

    // The entries in the current order.
    [[nodiscard]] const std::vector<DiskEntry>& Entries() const { return entries_; }
    [[nodiscard]] DiskListRow Row(std::size_t index) const;
    // The entry with the slot number `slot`; null when there is none.
    [[nodiscard]] const DiskEntry* FindSlot(std::uint16_t slot) const;

    // Sorts by `column` (anything outside 0..5 sorts by slot) in the given direction, keeping
    // equal entries in the order they had.
    void Sort(DiskColumn column, bool ascending);
    // A click on a column header: the same column again reverses the direction, a new one
    // starts ascending.
    void ClickColumn(DiskColumn column);
    [[nodiscard]] DiskColumn SortColumn() const { return column_; }
    [[nodiscard]] bool Ascending() const { return ascending_; }
    // A column from its sort preference value or its name ("slot", "name", "size", "time",
    // "date", "notes").
    [[nodiscard]] static DiskColumn ColumnFromNumber(int number);
    [[nodiscard]] static std::optional<DiskColumn> ColumnFromName(std::string_view name);

    // Sum of the free slots' sizes and the largest of them, in megabytes (slots that could not
    // be read count for nothing).
    [[nodiscard]] double TotalAvailableMegabytes() const;
    [[nodiscard]] double LargestAvailableMegabytes() const;
    // The slot of the image with the largest capture time (the first of equals in slot order);
    // nothing when the disk holds no image. A slot that could not be read is never the newest.
    [[nodiscard]] std::optional<std::uint16_t> NewestSlot() const;

    [[nodiscard]] bool FourMegabyteUnits() const { return fourMegabyteUnits_; }

private:
    std::vector<DiskEntry> entries_;
    bool fourMegabyteUnits_ = false;
    DiskColumn column_ = DiskColumn::Slot;
    bool ascending_ = true;
};

}  // namespace scanora
