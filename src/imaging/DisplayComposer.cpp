#include "imaging/DisplayComposer.h"

#include <algorithm>
#include <vector>

namespace scanora {

namespace {

std::uint8_t Channel(std::uint32_t color, int shift)
{
    return static_cast<std::uint8_t>((color >> shift) & 0xFFu);
}

bool Contains(const ImageRect& rect, int x, int y)
{
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

}  // namespace

std::array<std::uint8_t, 3> DisplayComposer::ApplyColorMode(int mode, std::uint8_t red,
                                                            std::uint8_t green, std::uint8_t blue)
{
    std::uint8_t grey = 0;
    switch (mode) {
    case 1: grey = red; break;
    case 2: grey = green; break;
    case 3: grey = blue; break;
    case 4: grey = static_cast<std::uint8_t>((red + green + blue) / 3); break;
    case 5: grey = static_cast<std::uint8_t>(0.299 * red + 0.587 * green + 0.114 * blue); break;
    default: return {red, green, blue};
    }
    return {grey, grey, grey};
}

std::uint8_t DisplayComposer::Mask(std::uint8_t channel, std::uint8_t maskChannel, int transparency)
{
    const int t = std::max(transparency, 1);
    const int tint = maskChannel * t / 256;
    return static_cast<std::uint8_t>(std::clamp(channel * (256 - t) / 256 + tint, 0, 255));
}

bool DisplayComposer::Compose(const Source& source, int windowWidth, int windowHeight,
                              const ImageRect& area, const DisplayEffects& effects,
                              std::span<std::uint8_t> out, std::size_t stride)
{
    if (windowWidth <= 0 || windowHeight <= 0 || source.width <= 0 || source.height <= 0 ||
        area.IsEmpty() || area.left < 0 || area.top < 0 || area.right > windowWidth ||
        area.bottom > windowHeight)
        return false;
    if (source.pixels.size() < static_cast<std::size_t>(source.width) * source.height * 3)
        return false;
    const auto width = static_cast<std::size_t>(area.Width());
    if (stride < width * 3 ||
        out.size() < stride * static_cast<std::size_t>(area.Height() - 1) + width * 3)
        return false;

    // The source column of each window column, worked out once for the rectangle.
    std::vector<std::size_t> columns(width);
    for (std::size_t i = 0; i < width; ++i) {
        const std::int64_t x = area.left + static_cast<std::int64_t>(i);
        columns[i] = static_cast<std::size_t>(x * source.width / windowWidth) * 3;
    }
    const bool effectsOn = effects.falseColor || effects.maskCrop;
    const std::array<std::uint8_t, 3> mask{Channel(effects.maskColor, 0),
                                           Channel(effects.maskColor, 8),
                                           Channel(effects.maskColor, 16)};

    for (int y = area.top; y < area.bottom; ++y) {
        const std::int64_t row = static_cast<std::int64_t>(y) * source.height / windowHeight;
        const std::uint8_t* sourceRow =
            source.pixels.data() + static_cast<std::size_t>(row) * source.width * 3;
        std::uint8_t* target = out.data() + static_cast<std::size_t>(y - area.top) * stride;
        for (std::size_t i = 0; i < width; ++i, target += 3) {
            const std::uint8_t* pixel = sourceRow + columns[i];
            std::array<std::uint8_t, 3> rgb =
                ApplyColorMode(effects.colorMode, pixel[0], pixel[1], pixel[2]);
            if (effectsOn) {
                const int x = area.left + static_cast<int>(i);
                const bool inside = effects.everythingInside || Contains(effects.inside, x, y);
                if (inside && effects.falseColor) {
                    const int grey = (rgb[0] + rgb[1] + rgb[2]) / 3;
                    const std::int32_t color = effects.falseColors[static_cast<std::size_t>(grey)];
                    if (color >= 0) {
                        const auto packed = static_cast<std::uint32_t>(color);
                        rgb = {Channel(packed, 0), Channel(packed, 8), Channel(packed, 16)};
                    }
                }
                if (!inside && effects.maskCrop) {
                    for (std::size_t c = 0; c < 3; ++c)
                        rgb[c] = Mask(rgb[c], mask[c], effects.maskTransparency);
                }
            }
            target[0] = rgb[0];
            target[1] = rgb[1];
            target[2] = rgb[2];
        }
    }
    return true;
}

}  // namespace scanora
