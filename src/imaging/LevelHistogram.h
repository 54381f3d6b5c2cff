#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "imaging/PreviewRotation.h"

namespace scanora {

// The histogram of the displayed image: one counter per display level 0..255, counted inside the
// crop, and one per mean raw 16-bit level, counted over every pixel. The display renderer fills it
// tile by tile; the histogram panel and the curve editor draw it.
class LevelHistogram {
public:
    using Bins = std::array<std::int32_t, 256>;
    static constexpr std::size_t kRawBins = 65536;

    // Channel modes: the colour modes of the display.
    static constexpr int kRed = 1;
    static constexpr int kGreen = 2;
    static constexpr int kBlue = 3;
    static constexpr int kAverage = 4;
    static constexpr int kLuminance = 5;

    // The level a display pixel counts at: its red, green or blue byte, the luminance
    // trunc(0.299 R + 0.587 G + 0.114 B), or (for 4 and every other mode) the mean (R + G + B) / 3.
    [[nodiscard]] static int Level(int mode, int red, int green, int blue);

    void Clear();
    // Adds the display pixels of `region` (display coordinates, clipped to the image) that lie
    // strictly inside `crop` (pixels on the crop's border lines are not counted). `display` holds
    // R, G, B bytes, `displayWidth` pixels a row.
    void Accumulate(std::span<const std::uint8_t> display, int displayWidth, int displayHeight,
                    const ImageRect& region, const ImageRect& crop, int mode);
    // Adds every pixel of `region` to the raw histogram at (R + G + B) / 3 of its 16-bit samples.
    void AccumulateRaw(std::span<const std::uint16_t> samples, int displayWidth, int displayHeight,
                       const ImageRect& region);

    [[nodiscard]] const Bins& Levels() const { return bins_; }
    [[nodiscard]] std::span<const std::int32_t> Raw() const { return raw_; }
    [[nodiscard]] std::int32_t Largest() const;

    // Height in pixels of a bar of `count` in a plot `plotHeight` high whose largest count is
    // `largest`, at `zoom` (1.0 to 20.0): the count is scaled by the zoom, then by plot height
    // over the largest count, at most the plot height. 0 means no bar.
    [[nodiscard]] static int BarHeight(std::int32_t count, std::int32_t largest, int plotHeight,
                                       double zoom);

private:
    Bins bins_{};
    std::vector<std::int32_t> raw_ = std::vector<std::int32_t>(kRawBins, 0);
};

}  // namespace scanora
