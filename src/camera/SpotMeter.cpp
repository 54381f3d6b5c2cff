#include "camera/SpotMeter.h"

#include <array>

namespace scanora {

namespace {

// The three channel means of the spot.
template <typename Sample>
std::array<std::uint64_t, 3> ChannelMeans(const RgbImageView<Sample>& image, int x, int y,
                                          int width)
{
    std::array<std::uint64_t, 3> sums{};
    std::uint64_t taken = 0;
    if (image.IsValid()) {
        const long long half = width / 2;
        for (long long v = y - half; v <= y + half; ++v) {
            for (long long u = x - half; u <= x + half; ++u) {
                if (u < 0 || v < 0 || u >= image.width || v >= image.height)
                    continue;
                const Sample* pixel = image.Pixel(static_cast<int>(u), static_cast<int>(v));
                for (std::size_t c = 0; c < 3; ++c) sums[c] += pixel[c];
                ++taken;
            }
        }
    }
    const std::uint64_t divisor = taken == 0 ? 1 : taken;
    for (auto& sum : sums) sum /= divisor;
    return sums;
}

}  // namespace

SpotMean16 SpotMeter::Measure(const PreviewView& preview, int x, int y, int width)
{
    const auto means = ChannelMeans(preview, x, y, width);
    return SpotMean16{static_cast<std::uint16_t>(means[0]), static_cast<std::uint16_t>(means[1]),
                      static_cast<std::uint16_t>(means[2]),
                      static_cast<std::uint16_t>((means[0] + means[1] + means[2]) / 3)};
}

SpotMean8 SpotMeter::Measure(const DisplayView& display, int x, int y, int width)
{
    const auto means = ChannelMeans(display, x, y, width);
    return SpotMean8{static_cast<std::uint32_t>(means[0] + 256 * means[1] + 65536 * means[2]),
                     static_cast<std::uint8_t>((means[0] + means[1] + means[2]) / 3)};
}

}  // namespace scanora
