#include "cameradisk/DiskListText.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace scanora {

namespace {

constexpr std::array<std::string_view, 7> kWeekdays{"Sun", "Mon", "Tue", "Wed",
                                                    "Thu", "Fri", "Sat"};
constexpr std::array<std::string_view, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// `text` right-aligned in `width` characters.
std::string PadLeft(std::string_view text, std::size_t width)
{
    std::string padded(text.size() < width ? width - text.size() : 0, ' ');
    padded += text;
    return padded;
}

}  // namespace

std::string DiskListText::Name(const DiskEntry& entry)
{
    if (entry.unread)
        return std::string(kUnreadText);
    return entry.IsFree() ? std::string(kAvailableText) : entry.name;
}

double DiskListText::Megabytes(const DiskEntry& entry, bool fourMegabyteUnits)
{
    return entry.size * (fourMegabyteUnits ? 4.0 : 0.5);
}

std::string DiskListText::Size(const DiskEntry& entry, bool fourMegabyteUnits)
{
    return entry.unread ? std::string() : Fixed1(Megabytes(entry, fourMegabyteUnits)) + " MB";
}

std::string DiskListText::Fixed1(double value, int width)
{
    std::array<char, 64> digits{};
    const auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), value,
                                            std::chars_format::fixed, 1);
    if (error != std::errc())
        return PadLeft("?", static_cast<std::size_t>(width));
    return PadLeft(std::string_view(digits.data(), static_cast<std::size_t>(end - digits.data())),
                   static_cast<std::size_t>(width));
}

std::optional<std::tm> DiskListText::LocalTime(std::uint32_t diskTime)
{
    if (diskTime == 0)
        return std::nullopt;
    const auto unixTime = static_cast<std::time_t>(std::int64_t{diskTime} - kSeconds1904To1970);
    std::tm local{};
    if (localtime_r(&unixTime, &local) == nullptr)
        return std::nullopt;
    return local;
}

std::string DiskListText::Time(const std::tm& time)
{
    const int hour = time.tm_hour > 12 ? time.tm_hour - 12 : time.tm_hour;
    char text[32];
    std::snprintf(text, sizeof text, "%2d:%2.2d:%2.2d %s", hour, time.tm_min, time.tm_sec,
                  time.tm_hour < 12 ? "AM" : "PM");
    return text;
}

std::string DiskListText::Date(const std::tm& time)
{
    const std::string_view weekday = time.tm_wday >= 0 && time.tm_wday < 7
                                         ? kWeekdays[static_cast<std::size_t>(time.tm_wday)]
                                         : "";
    const std::string_view month =
        time.tm_mon >= 0 && time.tm_mon < 12 ? kMonths[static_cast<std::size_t>(time.tm_mon)] : "";
    return PadLeft(weekday, 3) + " " + PadLeft(month, 3) + " " +
           PadLeft(std::to_string(time.tm_mday), 2) + ", " +
           PadLeft(std::to_string(time.tm_year + 1900), 4);
}

std::string DiskListText::TimeCell(std::uint32_t diskTime)
{
    const std::optional<std::tm> local = LocalTime(diskTime);
    return local ? Time(*local) : " ";
}

std::string DiskListText::DateCell(std::uint32_t diskTime)
{
    const std::optional<std::tm> local = LocalTime(diskTime);
    return local ? Date(*local) : " ";
}

std::string DiskListText::Items(std::size_t count)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2zu   Items", count);
    return text;
}

std::string DiskListText::TotalAvailable(double megabytes)
{
    return "Total Avaliable MB: " + Fixed1(megabytes);
}

std::string DiskListText::LargestAvailable(double megabytes)
{
    return "Largest Avaliable MB: " + Fixed1(megabytes);
}

}  // namespace scanora
