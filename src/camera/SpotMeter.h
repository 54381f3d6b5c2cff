#pragma once

#include <cstdint>

#include "camera/RgbImageView.h"

namespace scanora {

// The mean 16-bit colour of a spot on the preview.
struct SpotMean16 {
    std::uint16_t red = 0;
    std::uint16_t green = 0;
    std::uint16_t blue = 0;
    std::uint16_t level = 0;  // (red + green + blue) / 3
};

// The mean 8-bit colour of a spot on the display copy.
struct SpotMean8 {
    std::uint32_t color = 0;  // red + 256 * green + 65536 * blue
    std::uint8_t level = 0;   // (red + green + blue) / 3
};

// Averages the square spot of 1, 3 or 5 pixels on a side around a point. Only pixels inside the
// image count; each sum is divided (whole numbers) by the pixels taken, or by 1 when none was.
class SpotMeter {
public:
    static constexpr int kDefaultWidth = 5;

    // 1, 3 or 5.
    [[nodiscard]] static bool IsValidWidth(int width)
    {
        return width == 1 || width == 3 || width == 5;
    }

    [[nodiscard]] static SpotMean16 Measure(const PreviewView& preview, int x, int y, int width);
    [[nodiscard]] static SpotMean8 Measure(const DisplayView& display, int x, int y, int width);
};

}  // namespace scanora
