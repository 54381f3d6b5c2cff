#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "cameradisk/DiskEntry.h"

namespace scanora {

// The texts of the camera disk list: each row's cells and the lines under the list. They read the
// same whatever the user's locale (English day and month names, "." as the decimal point).
class DiskListText {
public:
    static constexpr std::string_view kAvailableText = "*** Available ***";
    // The name cell of a slot the camera did not let us read.
    static constexpr std::string_view kUnreadText = "(could not be read)";
    // Seconds from 1904-01-01 to 1970-01-01, both 00:00.
    static constexpr std::int64_t kSeconds1904To1970 = 2082844800;

    // Name cell: the image's name, "*** Available ***" for free space, or "(could not be read)".
    [[nodiscard]] static std::string Name(const DiskEntry& entry);
    // The entry's size in megabytes: 0.5 MB units, 4 MB units on the type-2 camera family.
    [[nodiscard]] static double Megabytes(const DiskEntry& entry, bool fourMegabyteUnits);
    // Size cell: "%5.1f MB"; empty for a slot that could not be read.
    [[nodiscard]] static std::string Size(const DiskEntry& entry, bool fourMegabyteUnits);
    // Time and Date cells of a capture time; " " when it is 0.
    [[nodiscard]] static std::string TimeCell(std::uint32_t diskTime);
    [[nodiscard]] static std::string DateCell(std::uint32_t diskTime);

    // A capture time (seconds since 1904) as local time; nothing for 0 or a failed conversion.
    [[nodiscard]] static std::optional<std::tm> LocalTime(std::uint32_t diskTime);
    // "%2d:%2.2d:%2.2d %s" on a 12-hour clock with "AM" (hours 0..11) or "PM".
    [[nodiscard]] static std::string Time(const std::tm& time);
    // "%3s %3s %2s, %4s": weekday, month, day and year, e.g. "Tue Dec  8, 2026".
    [[nodiscard]] static std::string Date(const std::tm& time);

    // "%.2d   Items".
    [[nodiscard]] static std::string Items(std::size_t count);
    // "Total Avaliable MB: %5.1f" and "Largest Avaliable MB: %5.1f", spelled as the program
    // always has.
    [[nodiscard]] static std::string TotalAvailable(double megabytes);
    [[nodiscard]] static std::string LargestAvailable(double megabytes);
    // "%5.1f" without regard to the locale.
    [[nodiscard]] static std::string Fixed1(double value, int width = 5);
};

}  // namespace scanora
