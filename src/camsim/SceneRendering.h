#pragma once

// The simulator's own rendering of its scene at a capture's geometry: what a correct host
// reconstructs from the lines the camera delivers. Host tests compare their prescan with it
// pixel for pixel.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "camsim/CaptureRecipe.h"

namespace camsim {

// An image of 16-bit samples in host order, row after row without padding; a pixel is red,
// green and blue (or one sample for a single-colour capture).
struct SceneImage {
    std::size_t width = 0;
    std::size_t height = 0;
    std::size_t samplesPerPixel = 3;
    std::vector<std::uint16_t> samples;

    [[nodiscard]] const std::uint16_t* Pixel(std::size_t x, std::size_t y) const
    {
        return samples.data() + (y * width + x) * samplesPerPixel;
    }
};

// The capture in the camera's order: row a is camera line a, column i its pixel i, with the
// colour rows realigned and the samples through the recipe's output tables.
[[nodiscard]] SceneImage RenderCapture(const CaptureRecipe& recipe);

// The same capture placed as the host's preview places camera line a, pixel i for the insert
// code (W pixels per line, L lines):
//   2 From Top: row a, column i (W wide, L high);
//   1 From Left: column a, row W − 1 − i (L wide, W high);
//   3 From Right: column L − 1 − a, row i (L wide, W high);
//   4 From Bottom: row L − 1 − a, column W − 1 − i (W wide, L high).
// Whichever way the insert is turned, the scene comes out upright.
[[nodiscard]] SceneImage RenderPreview(const CaptureRecipe& recipe);

}  // namespace camsim
