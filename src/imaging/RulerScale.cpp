#include "imaging/RulerScale.h"

#include <algorithm>
#include <cstdlib>

namespace scanora {

namespace {

int Digits(int value)
{
    int digits = 1;
    for (int v = std::abs(value); v >= 10; v /= 10) ++digits;
    return value < 0 ? digits + 1 : digits;
}

}  // namespace

int RulerScale::LabelStep(double pixelsPerUnit, int largestLabel)
{
    if (!(pixelsPerUnit > 0.0))
        return 1;
    const double needed = std::max(kPixelsPerDigit * Digits(largestLabel), kMinLabelPixels);
    constexpr int kMultipliers[] = {1, 2, 5};
    for (int decade = 1; decade <= 100000000; decade *= 10) {
        for (const int m : kMultipliers) {
            const int step = m * decade;
            if (step * pixelsPerUnit >= needed)
                return step;
        }
    }
    return 1000000000;
}

int RulerScale::MinorTicks(double pixelsPerUnit, int step, bool inches)
{
    const double stepPixels = step * pixelsPerUnit;
    if (inches && step >= 1) {
        for (int ticks = 64; ticks >= 2; ticks /= 2) {
            if (stepPixels / ticks >= kMinTickPixels)
                return ticks;
        }
        return 1;
    }
    for (const int ticks : {10, 5, 4, 2}) {
        if (stepPixels / ticks >= kMinTickPixels)
            return ticks;
    }
    return 1;
}

}  // namespace scanora
