#include "cameradisk/DiskListing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "cameradisk/DiskListText.h"
#include "cameradisk/ImageNotes.h"

namespace scanora {
namespace {

using ::testing::ElementsAre;

std::tm Moment(int year, int month, int day, int hour, int minute, int second, int weekday)
{
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    time.tm_wday = weekday;
    return time;
}

DiskEntry Image(std::uint16_t slot, std::string name, std::uint16_t size, std::uint32_t time,
                std::string userNotes = {})
{
    DiskEntry entry;
    entry.slot = slot;
    entry.kind = 0x6C;
    entry.block = slot;
    entry.size = size;
    entry.time = time;
    entry.name = std::move(name);
    ImageNotes("capture", std::move(userNotes)).WriteTo(entry.header);
    return entry;
}

DiskEntry Free(std::uint16_t slot, std::uint16_t size)
{
    DiskEntry entry;
    entry.slot = slot;
    entry.kind = DiskEntry::kFreeKind;
    entry.size = size;
    return entry;
}

std::vector<std::uint16_t> Slots(const DiskListing& listing)
{
    std::vector<std::uint16_t> slots;
    for (const DiskEntry& entry : listing.Entries()) slots.push_back(entry.slot);
    return slots;
}

TEST(DiskListText, TwelveHourClock)
{
    EXPECT_EQ(DiskListText::Time(Moment(2026, 12, 8, 0, 5, 9, 2)), " 0:05:09 AM");
    EXPECT_EQ(DiskListText::Time(Moment(2026, 12, 8, 9, 30, 0, 2)), " 9:30:00 AM");
    EXPECT_EQ(DiskListText::Time(Moment(2026, 12, 8, 11, 59, 59, 2)), "11:59:59 AM");
    EXPECT_EQ(DiskListText::Time(Moment(2026, 12, 8, 12, 0, 0, 2)), "12:00:00 PM");
    EXPECT_EQ(DiskListText::Time(Moment(2026, 12, 8, 13, 4, 5, 2)), " 1:04:05 PM");
    EXPECT_EQ(DiskListText::Time(Moment(2026, 12, 8, 23, 0, 1, 2)), "11:00:01 PM");
}

TEST(DiskListText, DateAsTheCalendarWritesIt)
{
    EXPECT_EQ(DiskListText::Date(Moment(2026, 12, 8, 0, 0, 0, 2)), "Tue Dec  8, 2026");
    EXPECT_EQ(DiskListText::Date(Moment(1999, 1, 31, 0, 0, 0, 0)), "Sun Jan 31, 1999");
}

TEST(DiskListText, CaptureTimeIsLocalTimeSince1904AndZeroIsBlank)
{
    const char* saved = std::getenv("TZ");
    const std::string savedZone = saved ? saved : "";
    setenv("TZ", "UTC", 1);
    tzset();
    // 2026-12-08 13:04:05 UTC.
    const std::uint32_t time = static_cast<std::uint32_t>(1'796'735'045 + 2'082'844'800LL);
    EXPECT_EQ(DiskListText::TimeCell(time), " 1:04:05 PM");
    EXPECT_EQ(DiskListText::DateCell(time), "Tue Dec  8, 2026");
    setenv("TZ", "Asia/Tokyo", 1);  // nine hours ahead: the next day
    tzset();
    EXPECT_EQ(DiskListText::TimeCell(time), "10:04:05 PM");
    EXPECT_EQ(DiskListText::TimeCell(0), " ");
    EXPECT_EQ(DiskListText::DateCell(0), " ");
    if (saved)
        setenv("TZ", savedZone.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST(DiskListText, SizesTotalsAndCount)
{
    DiskEntry entry = Free(1, 5);
    EXPECT_EQ(DiskListText::Size(entry, false), "  2.5 MB");
    EXPECT_EQ(DiskListText::Size(entry, true), " 20.0 MB");
    entry.size = 36862;
    EXPECT_EQ(DiskListText::Size(entry, false), "18431.0 MB");
    EXPECT_EQ(DiskListText::TotalAvailable(0.5), "Total Avaliable MB:   0.5");
    EXPECT_EQ(DiskListText::LargestAvailable(1234.5), "Largest Avaliable MB: 1234.5");
    EXPECT_EQ(DiskListText::Items(3), "03   Items");
    EXPECT_EQ(DiskListText::Items(256), "256   Items");
}

TEST(DiskListing, RowsTotalsAndNewest)
{
    DiskListing listing(
        {Image(1, "Harbour", 40, 3'000'000'000u, "windy"), Free(2, 3),
         Image(3, "Chart", 2, 3'000'000'500u), Free(4, 9), Image(5, "Undated", 2, 0)},
        false);
    const DiskListRow free = listing.Row(1);
    EXPECT_EQ(free.name, "*** Available ***");
    EXPECT_EQ(free.size, "  1.5 MB");
    EXPECT_EQ(free.time, " ");
    EXPECT_EQ(free.notes, "");
    EXPECT_EQ(listing.Row(0).notes, "windy");
    EXPECT_EQ(listing.Row(0).size, " 20.0 MB");
    EXPECT_EQ(listing.Row(4).time, " ");
    EXPECT_EQ(listing.Row(4).date, " ");
    EXPECT_DOUBLE_EQ(listing.TotalAvailableMegabytes(), 6.0);
    EXPECT_DOUBLE_EQ(listing.LargestAvailableMegabytes(), 4.5);
    EXPECT_EQ(listing.NewestSlot(), 3);
    EXPECT_EQ(listing.FindSlot(4)->size, 9);
    EXPECT_EQ(listing.FindSlot(6), nullptr);

    // The type-2 family counts its sizes in 4 MB.
    DiskListing large({Free(1, 3), Free(2, 2)}, true);
    EXPECT_DOUBLE_EQ(large.TotalAvailableMegabytes(), 20.0);
    EXPECT_DOUBLE_EQ(large.LargestAvailableMegabytes(), 12.0);
    EXPECT_EQ(large.NewestSlot(), std::nullopt);
    EXPECT_EQ(DiskListing({}, false).LargestAvailableMegabytes(), 0.0);
}

TEST(DiskListing, SlotsThatCouldNotBeReadShowNothingAndCountForNothing)
{
    // What an unread slot's fields hold is whatever the failed read left there: a header read
    // that failed after the slot reply, or a reply cut off after its kind.
    DiskEntry halfRead = Image(2, "", 40, 3'100'000'000u, "stale");
    halfRead.unread = true;
    DiskEntry looksFree = Free(3, 9000);
    looksFree.unread = true;
    DiskListing listing({Image(1, "Harbour", 4, 3'000'000'000u), halfRead, looksFree, Free(4, 6)},
                        false);
    const DiskListRow row = listing.Row(1);
    EXPECT_EQ(row.name, "(could not be read)");
    EXPECT_EQ(row.size, "");
    EXPECT_EQ(row.time, " ");
    EXPECT_EQ(row.date, " ");
    EXPECT_EQ(row.notes, "");
    EXPECT_EQ(listing.Row(2).name, "(could not be read)");
    EXPECT_EQ(listing.NewestSlot(), 1) << "a later time in an unread slot is no image's";
    EXPECT_DOUBLE_EQ(listing.TotalAvailableMegabytes(), 3.0);
    EXPECT_DOUBLE_EQ(listing.LargestAvailableMegabytes(), 3.0);

    DiskListing nothingRead({halfRead}, false);
    EXPECT_EQ(nothingRead.NewestSlot(), std::nullopt);
}

TEST(DiskListing, NotesAreShownInUtf8FromTheCamerasCharacterSet)
{
    DiskListing listing({Image(1, "Caf\u00E9", 4, 0, "cr\xE8me \x80 5")}, false);
    EXPECT_EQ(listing.Row(0).notes, "cr\u00E8me \u20AC 5");
    EXPECT_EQ(listing.Row(0).name, "Caf\u00E9");
}

TEST(DiskListing, SortsByEveryColumnBothWaysKeepingEqualsInOrder)
{
    DiskListing listing({Image(1, "beta", 4, 300, "b"), Free(2, 10), Image(3, "Alpha", 4, 100, "C"),
                         Image(4, "ALPHA", 2, 200, "a"), Free(5, 1)},
                        false);
    listing.Sort(DiskColumn::Name, true);
    // "*** Available ***" sorts before letters; the two alphas keep their slot order.
    EXPECT_THAT(Slots(listing), ElementsAre(2, 5, 3, 4, 1));
    listing.Sort(DiskColumn::Name, false);
    EXPECT_THAT(Slots(listing), ElementsAre(1, 3, 4, 2, 5));
    listing.Sort(DiskColumn::Size, true);
    EXPECT_THAT(Slots(listing), ElementsAre(5, 4, 1, 3, 2));
    listing.Sort(DiskColumn::Time, true);
    EXPECT_THAT(Slots(listing), ElementsAre(5, 2, 3, 4, 1));
    listing.Sort(DiskColumn::Date, false);
    EXPECT_THAT(Slots(listing), ElementsAre(1, 4, 3, 5, 2));
    // Notes byte by byte: capitals before small letters, free space (no notes) first.
    listing.Sort(DiskColumn::Notes, true);
    EXPECT_THAT(Slots(listing), ElementsAre(5, 2, 3, 4, 1));
    listing.Sort(DiskColumn::Slot, false);
    EXPECT_THAT(Slots(listing), ElementsAre(5, 4, 3, 2, 1));
    listing.Sort(static_cast<DiskColumn>(42), true);
    EXPECT_EQ(listing.SortColumn(), DiskColumn::Slot);
    EXPECT_THAT(Slots(listing), ElementsAre(1, 2, 3, 4, 5));
}

TEST(DiskListing, ClickingAColumnAgainReversesANewOneStartsAscending)
{
    DiskListing listing({Image(1, "b", 1, 2), Image(2, "a", 2, 1)}, false);
    listing.ClickColumn(DiskColumn::Size);
    EXPECT_TRUE(listing.Ascending());
    listing.ClickColumn(DiskColumn::Size);
    EXPECT_FALSE(listing.Ascending());
    EXPECT_THAT(Slots(listing), ElementsAre(2, 1));
    listing.ClickColumn(DiskColumn::Name);
    EXPECT_TRUE(listing.Ascending());
    EXPECT_THAT(Slots(listing), ElementsAre(2, 1));
    EXPECT_EQ(DiskListing::ColumnFromName("date"), DiskColumn::Date);
    EXPECT_EQ(DiskListing::ColumnFromName("Date"), std::nullopt);
    EXPECT_EQ(DiskListing::ColumnFromNumber(5), DiskColumn::Notes);
    EXPECT_EQ(DiskListing::ColumnFromNumber(-1), DiskColumn::Slot);
}

}  // namespace
}  // namespace scanora
