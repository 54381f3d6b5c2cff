#include "imaging/LevelHistogram.h"

#include <algorithm>
#include <cmath>

namespace scanora {

namespace {

ImageRect Clip(const ImageRect& region, int width, int height)
{
    return {std::max(region.left, 0), std::max(region.top, 0), std::min(region.right, width),
            std::min(region.bottom, height)};
}

}  // namespace

int LevelHistogram::Level(int mode, int red, int green, int blue)
{
    switch (mode) {
    case kRed: return red;
    case kGreen: return green;
    case kBlue: return blue;
    case kLuminance: return static_cast<int>(0.299 * red + 0.587 * green + 0.114 * blue);
    default: return (red + green + blue) / 3;
    }
}

void LevelHistogram::Clear()
{
    bins_.fill(0);
    std::fill(raw_.begin(), raw_.end(), 0);
}

void LevelHistogram::Accumulate(std::span<const std::uint8_t> display, int displayWidth,
                                int displayHeight, const ImageRect& region, const ImageRect& crop,
                                int mode)
{
    ImageRect area = Clip(region, displayWidth, displayHeight);
    // Strictly inside the crop: its border lines are left out.
    area.left = std::max(area.left, crop.left + 1);
    area.top = std::max(area.top, crop.top + 1);
    area.right = std::min(area.right, crop.right);
    area.bottom = std::min(area.bottom, crop.bottom);
    if (area.IsEmpty() ||
        display.size() < static_cast<std::size_t>(displayWidth) * displayHeight * 3)
        return;
    for (int y = area.top; y < area.bottom; ++y) {
        const std::uint8_t* pixel =
            display.data() + (static_cast<std::size_t>(y) * displayWidth + area.left) * 3;
        for (int x = area.left; x < area.right; ++x, pixel += 3) {
            const int level = Level(mode, pixel[0], pixel[1], pixel[2]);
            ++bins_[static_cast<std::size_t>(std::clamp(level, 0, 255))];
        }
    }
}

void LevelHistogram::AccumulateRaw(std::span<const std::uint16_t> samples, int displayWidth,
                                   int displayHeight, const ImageRect& region)
{
    const ImageRect area = Clip(region, displayWidth, displayHeight);
    if (area.IsEmpty() ||
        samples.size() < static_cast<std::size_t>(displayWidth) * displayHeight * 3)
        return;
    for (int y = area.top; y < area.bottom; ++y) {
        const std::uint16_t* pixel =
            samples.data() + (static_cast<std::size_t>(y) * displayWidth + area.left) * 3;
        for (int x = area.left; x < area.right; ++x, pixel += 3)
            ++raw_[(pixel[0] + pixel[1] + pixel[2]) / 3u];
    }
}

std::int32_t LevelHistogram::Largest() const
{
    return *std::max_element(bins_.begin(), bins_.end());
}

int LevelHistogram::BarHeight(std::int32_t count, std::int32_t largest, int plotHeight, double zoom)
{
    if (largest <= 0 || plotHeight <= 0 || count <= 0)
        return 0;
    const double scaled = std::trunc(count * zoom);
    const double perPixel = static_cast<double>(largest) / plotHeight;
    return static_cast<int>(std::min<double>(plotHeight, scaled / perPixel));
}

}  // namespace scanora
