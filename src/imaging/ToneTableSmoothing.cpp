#include "imaging/ToneTableSmoothing.h"

#include <cstddef>

namespace scanora {

namespace {

// A jump this many entries or more after the last flat step is left alone.
constexpr int kWindow = 5;
// Run length that blocks further moves until the next flat step.
constexpr int kBlocked = 100;

}  // namespace

void SmoothRisingSteps(std::span<std::uint16_t> table, std::uint16_t maxLevel)
{
    if (table.size() < 2)
        return;
    int previous = table[0];
    int run = kBlocked;
    for (std::size_t v = 1; v < table.size(); ++v) {
        if (table[v] == previous) {
            run = 0;
        } else {
            ++run;
            // run < kWindow means an equal step was seen at v - run >= 1.
            if (table[v] > previous + 1 && run < kWindow && table[v - run] < maxLevel) {
                const std::size_t lifted = v - static_cast<std::size_t>(run);
                ++table[lifted];
                previous = table[lifted];
                run = kBlocked;
                v = lifted;  // resume just after the lifted entry
                continue;
            }
        }
        previous = table[v];
    }
}

void SmoothFallingSteps(std::span<std::uint16_t> table)
{
    if (table.size() < 2)
        return;
    const std::size_t last = table.size() - 1;
    int previous = table[last];
    int run = kBlocked;
    for (std::size_t v = last; v >= 1; --v) {
        if (table[v] == previous) {
            run = 0;
        } else {
            ++run;
            // run < kWindow means an equal step was seen at v + run <= last.
            if (table[v] < previous - 1 && run < kWindow && table[v + run] > 0) {
                const std::size_t lowered = v + static_cast<std::size_t>(run);
                --table[lowered];
                previous = table[lowered];
                run = kBlocked;
                v = lowered;  // resume just below the lowered entry
                continue;
            }
        }
        previous = table[v];
    }
}

}  // namespace scanora
