#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace scanora {

// A borrowed view of an image of interleaved red, green, blue samples: the 16-bit preview or its
// 8-bit display copy. Rows are `rowStride` samples apart (at least three per pixel of a row).
// The view does not own the samples; whoever hands it out keeps them alive while it is used.
template <typename Sample>
struct RgbImageView {
    std::span<const Sample> samples;
    int width = 0;
    int height = 0;
    std::size_t rowStride = 0;

    // Rows packed without padding.
    static RgbImageView Packed(std::span<const Sample> samples, int width, int height)
    {
        const std::size_t stride = width > 0 ? 3 * static_cast<std::size_t>(width) : 0;
        return RgbImageView{samples, width, height, stride};
    }

    // True when the samples hold every pixel the dimensions name.
    [[nodiscard]] bool IsValid() const
    {
        if (width <= 0 || height <= 0)
            return false;
        const std::size_t rowSamples = 3 * static_cast<std::size_t>(width);
        if (rowStride < rowSamples)
            return false;
        if (samples.size() < rowSamples)
            return false;
        const std::size_t lastRow = static_cast<std::size_t>(height) - 1;
        return lastRow <= (samples.size() - rowSamples) / rowStride;
    }
    [[nodiscard]] bool Contains(int u, int v) const
    {
        return u >= 0 && u < width && v >= 0 && v < height;
    }
    // The three samples of pixel (u, v); the view must be valid and contain the pixel.
    [[nodiscard]] const Sample* Pixel(int u, int v) const
    {
        return samples.data() + static_cast<std::size_t>(v) * rowStride +
               3 * static_cast<std::size_t>(u);
    }
};

using PreviewView = RgbImageView<std::uint16_t>;
using DisplayView = RgbImageView<std::uint8_t>;

}  // namespace scanora
