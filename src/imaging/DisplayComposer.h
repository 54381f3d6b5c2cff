#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "imaging/PreviewRotation.h"

namespace scanora {

// How the display copy is shown: the colour mode, the histogram's false colours inside the crop
// and the dimming of everything outside it.
struct DisplayEffects {
    // 0 colour, 1 red as grey, 2 green as grey, 3 blue as grey, 4 the average, 5 luminance; any
    // other value shows colour.
    int colorMode = 0;
    bool falseColor = false;
    bool maskCrop = false;
    // The pixels that count as inside, in window coordinates (right and bottom exclusive).
    ImageRect inside;
    // Every pixel counts as inside (while the super preview is shown).
    bool everythingInside = false;
    // The false colour of each display grey (R + G + B) / 3, -1 for none; colours are
    // red + 256 * green + 65536 * blue.
    std::array<std::int32_t, 256> falseColors{};
    std::uint32_t maskColor = 0;
    // 1..256: how much of the mask colour replaces the image; below 1 counts as 1.
    int maskTransparency = 128;
};

// Builds the pixels the image display paints: a rectangle of the display window, sampled nearest
// neighbour from the 8-bit display copy at the window's size (the zoom), with the display effects
// applied. The result is R, G, B bytes per pixel.
class DisplayComposer {
public:
    // The display copy: R, G, B bytes, `width` x `height` pixels without row padding.
    struct Source {
        std::span<const std::uint8_t> pixels;
        int width = 0;
        int height = 0;
    };

    // The display bytes of a pixel in colour mode `mode`.
    [[nodiscard]] static std::array<std::uint8_t, 3> ApplyColorMode(int mode, std::uint8_t red,
                                                                    std::uint8_t green,
                                                                    std::uint8_t blue);
    // One channel dimmed by the mask: truncate(c * (256 - t) / 256 + truncate(m * t / 256)).
    [[nodiscard]] static std::uint8_t Mask(std::uint8_t channel, std::uint8_t maskChannel,
                                           int transparency);

    // Fills `out` (rows of `stride` bytes) with the window pixels of `area` for a window of
    // `windowWidth` x `windowHeight` showing `source`. Source column = x * source width / window
    // width, row likewise. False, with nothing written, when the area lies outside the window,
    // the source is too small for its size or `out` is too small.
    static bool Compose(const Source& source, int windowWidth, int windowHeight,
                        const ImageRect& area, const DisplayEffects& effects,
                        std::span<std::uint8_t> out, std::size_t stride);
};

}  // namespace scanora
