#include "camera/LineTimeTable.h"

namespace scanora {

namespace {

using Row = std::array<std::int16_t, LineTimeTable::kCount>;

// One row per table, as the values are listed.
// clang-format off
constexpr std::array<Row, LineTimeTable::kTableCount> kValues{{
  {375, 300, 250, 200, 150, 120, 100, 75, 60, 50, 37, 30, 25, 19, 15, 13, 10, 8, 6, 5, 4, 3, 2, 1},
  {375, 300, 250, 200, 150, 125, 100, 75, 60, 50, 37, 30, 25, 19, 15, 13, 10, 8, 6, 5, 4, 3, 2, 1},
  {360, 300, 240, 180, 150, 120,  90, 75, 60, 50, 37, 30, 25, 19, 15, 13, 10, 8, 6, 5, 4, 3, 2, 1},
}};
// clang-format on

constexpr std::array<std::string_view, LineTimeTable::kCount> kLabels{
    "  1/8 s", " 1/10 s", " 1/12 s", " 1/15 s", " 1/20 s", " 1/25 s", " 1/30 s", " 1/40 s",
    " 1/50 s", " 1/60 s", " 1/80 s", "1/100 s", "1/120 s", "1/160 s", "1/200 s", "1/240 s",
    "1/320 s", "1/400 s", "1/500 s", "1/600 s", "1/800 s", "1/1000s", "1/1500s", "1/3000s",
};

bool IsIndex(int index)
{
    return index >= 0 && index < LineTimeTable::kCount;
}

}  // namespace

LineTimeTable::LineTimeTable(int number) : number_(IsValidNumber(number) ? number : k60Hz)
{
}

int LineTimeTable::Value(int index) const
{
    return IsIndex(index)
               ? kValues[static_cast<std::size_t>(number_)][static_cast<std::size_t>(index)]
               : 1;
}

int LineTimeTable::FirstIndexAtOrBelow(int value) const
{
    for (int index = 0; index < kCount; ++index) {
        if (Value(index) <= value)
            return index;
    }
    return kCount;
}

bool LineTimeTable::IsInStep(int value) const
{
    switch (number_) {
    case k60Hz: return value >= 50 && value % 25 == 0;
    case k50Hz: return value >= 60 && value % 30 == 0;
    default: return true;
    }
}

std::string_view LineTimeTable::Label(int index)
{
    return IsIndex(index) ? kLabels[static_cast<std::size_t>(index)] : std::string_view{};
}

}  // namespace scanora
