#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace scanora {

// A borrowed view of an image of interleaved red, green, blue samples: the 16-bit preview or its
// 8-bit display copy. Rows are `rowStride` samples apart (at least three per pixel of a row).
// The view does not own the samples; whoever hands it out keeps them alive while it is used.
// The samples may be stored turned: `turn` (0, 90, 180 or 270) takes a pixel (u, v) of the
// width x height image the view is read in to where the stored rows hold it, as the preview is
// kept in display orientation while its points are in preview coordinates.
template <typename Sample>
struct RgbImageView {
    std::span<const Sample> samples;
    int width = 0;
    int height = 0;
    std::size_t rowStride = 0;
    int turn = 0;

    // Rows packed without padding.
    static RgbImageView Packed(std::span<const Sample> samples, int width, int height)
    {
        const std::size_t stride = width > 0 ? 3 * static_cast<std::size_t>(width) : 0;
        return RgbImageView{samples, width, height, stride};
    }

    [[nodiscard]] bool Turned() const { return turn == 90 || turn == 270; }
    [[nodiscard]] int StoredWidth() const { return Turned() ? height : width; }
    [[nodiscard]] int StoredHeight() const { return Turned() ? width : height; }

    // True when the samples hold every pixel the dimensions name.
    [[nodiscard]] bool IsValid() const
    {
        if (width <= 0 || height <= 0)
            return false;
        if (turn != 0 && turn != 90 && turn != 180 && turn != 270)
            return false;
        const std::size_t rowSamples = 3 * static_cast<std::size_t>(StoredWidth());
        if (rowStride < rowSamples)
            return false;
        if (samples.size() < rowSamples)
            return false;
        const std::size_t lastRow = static_cast<std::size_t>(StoredHeight()) - 1;
        return lastRow <= (samples.size() - rowSamples) / rowStride;
    }
    [[nodiscard]] bool Contains(int u, int v) const
    {
        return u >= 0 && u < width && v >= 0 && v < height;
    }
    // The three samples of pixel (u, v); the view must be valid and contain the pixel.
    [[nodiscard]] const Sample* Pixel(int u, int v) const
    {
        int column = u;
        int row = v;
        switch (turn) {
        case 90:
            column = height - 1 - v;
            row = u;
            break;
        case 180:
            column = width - 1 - u;
            row = height - 1 - v;
            break;
        case 270:
            column = v;
            row = width - 1 - u;
            break;
        default: break;
        }
        return samples.data() + static_cast<std::size_t>(row) * rowStride +
               3 * static_cast<std::size_t>(column);
    }
};

using PreviewView = RgbImageView<std::uint16_t>;
using DisplayView = RgbImageView<std::uint8_t>;

}  // namespace scanora
