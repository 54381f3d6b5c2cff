#include "camsim/SceneRendering.h"

#include <algorithm>

#include "camsim/CaptureRenderer.h"

namespace camsim {

SceneImage RenderCapture(const CaptureRecipe& recipe)
{
    CaptureRenderer renderer(recipe);
    SceneImage image;
    image.width = recipe.geometry.pixelsPerLine;
    image.height = recipe.geometry.lines;
    image.samplesPerPixel = recipe.IsColour() ? 3 : 1;
    const std::size_t rowSamples = image.width * image.samplesPerPixel;
    image.samples.resize(rowSamples * image.height);
    for (std::size_t line = 0; line < image.height; ++line) {
        renderer.AlignedLine(static_cast<std::int64_t>(line),
                             std::span(image.samples).subspan(line * rowSamples, rowSamples));
    }
    return image;
}

SceneImage RenderPreview(const CaptureRecipe& recipe)
{
    const SceneImage lines = RenderCapture(recipe);
    const int code = recipe.geometry.insertCode;
    const bool across = code == 1 || code == 3;
    const std::size_t w = lines.width;
    const std::size_t l = lines.height;
    SceneImage preview;
    preview.width = across ? l : w;
    preview.height = across ? w : l;
    preview.samplesPerPixel = lines.samplesPerPixel;
    preview.samples.resize(lines.samples.size());
    for (std::size_t a = 0; a < l; ++a) {
        for (std::size_t i = 0; i < w; ++i) {
            std::size_t x = i;
            std::size_t y = a;
            switch (code) {
            case 1:
                x = a;
                y = w - 1 - i;
                break;
            case 3:
                x = l - 1 - a;
                y = i;
                break;
            case 4:
                x = w - 1 - i;
                y = l - 1 - a;
                break;
            default: break;
            }
            const std::uint16_t* from = lines.Pixel(i, a);
            std::copy_n(
                from, lines.samplesPerPixel,
                preview.samples.begin() +
                    static_cast<std::ptrdiff_t>((y * preview.width + x) * preview.samplesPerPixel));
        }
    }
    return preview;
}

}  // namespace camsim
