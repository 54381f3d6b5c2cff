#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace scanora {

// The 24 line times the camera offers, index 0 the longest (1/8 s) and 23 the shortest
// (1/3000 s), in units of 1/3000 s. Three tables differ in the longer times: table 0 is exact,
// table 1 ("60Hz") favours whole multiples of 25 (1/120 s) and table 2 ("50Hz") multiples of 30
// (1/100 s), so that the line time stays in step with lamps flickering at 120 Hz or 100 Hz.
class LineTimeTable {
public:
    static constexpr int kCount = 24;
    static constexpr int kLongestIndex = 0;
    static constexpr int kShortestIndex = kCount - 1;
    static constexpr int kExact = 0;
    static constexpr int k60Hz = 1;
    static constexpr int k50Hz = 2;
    static constexpr int kTableCount = 3;

    // Table 1 unless `number` is one of 0..2.
    explicit LineTimeTable(int number = k60Hz);

    [[nodiscard]] int Number() const { return number_; }
    // The value at `index`; 1 for an index outside 0..23.
    [[nodiscard]] int Value(int index) const;
    // The first index whose value is at or below `value`; kCount when there is none.
    [[nodiscard]] int FirstIndexAtOrBelow(int value) const;
    // Whether a line time keeps in step with the flicker this table is made for.
    [[nodiscard]] bool IsInStep(int value) const;

    // "  1/8 s" ... "1/3000s"; empty for an index outside 0..23.
    [[nodiscard]] static std::string_view Label(int index);
    [[nodiscard]] static bool IsValidNumber(int number)
    {
        return number >= 0 && number < kTableCount;
    }

private:
    int number_;
};

}  // namespace scanora
