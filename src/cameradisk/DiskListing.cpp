#include "cameradisk/DiskListing.h"

#include <algorithm>
#include <array>
#include <functional>

#include "cameradisk/DiskListText.h"
#include "cameradisk/ImageNotes.h"
#include "platform/TextConversion.h"

namespace scanora {

namespace {

constexpr std::array<std::string_view, DiskListing::kColumnCount> kColumnNames{
    "slot", "name", "size", "time", "date", "notes"};

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Case-insensitive order of two names.
int CompareNames(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto ca = static_cast<unsigned char>(Lower(a[i]));
        const auto cb = static_cast<unsigned char>(Lower(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The user's notes as the camera keeps them (Windows-1252 bytes).
std::string UserNotes(const DiskEntry& entry)
{
    return entry.IsFree() || entry.unread ? std::string()
                                          : ImageNotes::FromHeader(entry.header).UserNotes();
}

// Free space that counts: a slot that could not be read may hold anything.
bool CountsAsFree(const DiskEntry& entry)
{
    return entry.IsFree() && !entry.unread;
}

// Negative, zero or positive as `a` comes before, with or after `b` in `column`.
int Compare(const DiskEntry& a, const DiskEntry& b, DiskColumn column)
{
    auto order = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    switch (column) {
    case DiskColumn::Name: return CompareNames(DiskListText::Name(a), DiskListText::Name(b));
    case DiskColumn::Size: return order(a.size, b.size);
    case DiskColumn::Time:
    case DiskColumn::Date: return order(a.time, b.time);
    case DiskColumn::Notes: {
        // Byte by byte, as unsigned characters.
        const std::string na = UserNotes(a);
        const std::string nb = UserNotes(b);
        return std::string_view(na).compare(nb);
    }
    case DiskColumn::Slot: break;
    }
    return order(a.slot, b.slot);
}

}  // namespace

DiskListing::DiskListing(std::vector<DiskEntry> entries, bool fourMegabyteUnits)
    : entries_(std::move(entries)), fourMegabyteUnits_(fourMegabyteUnits)
{
}

DiskListRow DiskListing::Row(std::size_t index) const
{
    const DiskEntry& entry = entries_.at(index);
    DiskListRow row;
    row.slot = entry.slot;
    row.name = DiskListText::Name(entry);
    row.size = DiskListText::Size(entry, fourMegabyteUnits_);
    // What an unread slot's fields hold is no capture time.
    const std::uint32_t time = entry.unread ? 0 : entry.time;
    row.time = DiskListText::TimeCell(time);
    row.date = DiskListText::DateCell(time);
    row.notes = TextConversion::FromCamera(UserNotes(entry));
    return row;
}

const DiskEntry* DiskListing::FindSlot(std::uint16_t slot) const
{
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [slot](const DiskEntry& entry) { return entry.slot == slot; });
    return found == entries_.end() ? nullptr : &*found;
}

DiskColumn DiskListing::ColumnFromNumber(int number)
{
    return number >= 0 && number < kColumnCount ? static_cast<DiskColumn>(number)
                                                : DiskColumn::Slot;
}

std::optional<DiskColumn> DiskListing::ColumnFromName(std::string_view name)
{
    for (std::size_t i = 0; i < kColumnNames.size(); ++i) {
        if (kColumnNames[i] == name)
            return static_cast<DiskColumn>(i);
    }
    return std::nullopt;
}

void DiskListing::Sort(DiskColumn column, bool ascending)
{
    column_ = ColumnFromNumber(static_cast<int>(column));
    ascending_ = ascending;
    std::stable_sort(entries_.begin(), entries_.end(),
                     [this](const DiskEntry& a, const DiskEntry& b) {
                         const int order = Compare(a, b, column_);
                         return ascending_ ? order < 0 : order > 0;
                     });
}

void DiskListing::ClickColumn(DiskColumn column)
{
    Sort(column, column == column_ ? !ascending_ : true);
}

double DiskListing::TotalAvailableMegabytes() const
{
    double total = 0.0;
    for (const DiskEntry& entry : entries_) {
        if (CountsAsFree(entry))
            total += DiskListText::Megabytes(entry, fourMegabyteUnits_);
    }
    return total;
}

double DiskListing::LargestAvailableMegabytes() const
{
    double largest = 0.0;
    for (const DiskEntry& entry : entries_) {
        if (CountsAsFree(entry))
            largest = std::max(largest, DiskListText::Megabytes(entry, fourMegabyteUnits_));
    }
    return largest;
}

std::optional<std::uint16_t> DiskListing::NewestSlot() const
{
    const DiskEntry* newest = nullptr;
    for (const DiskEntry& entry : entries_) {
        if (entry.IsFree() || entry.unread)
            continue;
        const bool newer = !newest || entry.time > newest->time ||
                           (entry.time == newest->time && entry.slot < newest->slot);
        if (newer)
            newest = &entry;
    }
    return newest ? std::optional<std::uint16_t>(newest->slot) : std::nullopt;
}

}  // namespace scanora
