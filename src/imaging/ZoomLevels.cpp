#include "imaging/ZoomLevels.h"

#include <algorithm>
#include <array>

namespace scanora {

namespace {

constexpr std::array<double, 19> kLevels{1,    2,   3,   5,   6.25, 8.33, 16.7, 25,   33.3, 50,
                                         66.6, 100, 200, 300, 400,  600,  800,  1200, 1600};

}  // namespace

std::span<const double> ZoomLevels::Levels()
{
    return kLevels;
}

std::optional<double> ZoomLevels::In(double zoom)
{
    if (!(zoom < kLargest))
        return std::nullopt;
    // The first level at or above zoom + 1, so a zoom a little off a level still takes one step.
    const auto* next = std::lower_bound(kLevels.begin(), kLevels.end(), zoom + 1.0);
    if (next == kLevels.end())
        return kLargest;
    return *next;
}

std::optional<double> ZoomLevels::Out(double zoom)
{
    if (!(zoom > kSmallest))
        return std::nullopt;
    const auto* below = std::lower_bound(kLevels.begin(), kLevels.end(), zoom);
    if (below == kLevels.begin())
        return kSmallest;
    return *(below - 1);
}

std::optional<double> ZoomLevels::Fit(int viewWidth, int viewHeight, int imageWidth,
                                      int imageHeight)
{
    if (imageWidth <= 0 || imageHeight <= 0 || viewWidth <= 0 || viewHeight <= 0)
        return std::nullopt;
    const double across = static_cast<double>(viewWidth) / imageWidth;
    const double down = static_cast<double>(viewHeight) / imageHeight;
    return std::min(across, down) * 100.0;
}

}  // namespace scanora
