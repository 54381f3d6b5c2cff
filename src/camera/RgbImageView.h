#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "imaging/PreviewRotation.h"

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

    // The turn from the coordinates the view is read in to the stored rows.
    [[nodiscard]] PreviewRotation Rotation() const { return PreviewRotation(turn, width, height); }

    // True when the samples hold every pixel the dimensions name.
    [[nodiscard]] bool IsValid() const
    {
        if (width <= 0 || height <= 0)
            return false;
        if (!PreviewRotation::IsValid(turn))
            return false;
        const PreviewRotation rotation = Rotation();
        const std::size_t rowSamples = 3 * static_cast<std::size_t>(rotation.DisplayWidth());
        if (rowStride < rowSamples)
            return false;
        if (samples.size() < rowSamples)
            return false;
        const std::size_t lastRow = static_cast<std::size_t>(rotation.DisplayHeight()) - 1;
        return lastRow <= (samples.size() - rowSamples) / rowStride;
    }
    [[nodiscard]] bool Contains(int u, int v) const
    {
        return u >= 0 && u < width && v >= 0 && v < height;
    }
    // The three samples of pixel (u, v); the view must be valid and contain the pixel.
    [[nodiscard]] const Sample* Pixel(int u, int v) const
    {
        const ImagePoint stored = turn == 0 ? ImagePoint{u, v} : Rotation().ToDisplay({u, v});
        return samples.data() + static_cast<std::size_t>(stored.y) * rowStride +
               3 * static_cast<std::size_t>(stored.x);
    }
};

using PreviewView = RgbImageView<std::uint16_t>;
using DisplayView = RgbImageView<std::uint8_t>;

}  // namespace scanora
