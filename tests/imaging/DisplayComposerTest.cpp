#include "imaging/DisplayComposer.h"

#include <gtest/gtest.h>

#include <vector>

namespace scanora {
namespace {

using Rgb = std::array<std::uint8_t, 3>;

// A display copy of `width` x `height` pixels all of one colour.
std::vector<std::uint8_t> Filled(int width, int height, Rgb color)
{
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < width * height; ++i)
        pixels.insert(pixels.end(), color.begin(), color.end());
    return pixels;
}

Rgb PixelAt(const std::vector<std::uint8_t>& out, std::size_t stride, int x, int y)
{
    const std::size_t i = static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 3;
    return {out[i], out[i + 1], out[i + 2]};
}

TEST(DisplayComposer, ColourModesTurnPixelsGrey)
{
    EXPECT_EQ(DisplayComposer::ApplyColorMode(0, 10, 20, 30), (Rgb{10, 20, 30}));
    EXPECT_EQ(DisplayComposer::ApplyColorMode(1, 10, 20, 30), (Rgb{10, 10, 10}));
    EXPECT_EQ(DisplayComposer::ApplyColorMode(2, 10, 20, 30), (Rgb{20, 20, 20}));
    EXPECT_EQ(DisplayComposer::ApplyColorMode(3, 10, 20, 30), (Rgb{30, 30, 30}));
    EXPECT_EQ(DisplayComposer::ApplyColorMode(4, 10, 20, 31), (Rgb{20, 20, 20}));
    // Luminance of pure red is 76.
    EXPECT_EQ(DisplayComposer::ApplyColorMode(5, 255, 0, 0), (Rgb{76, 76, 76}));
    EXPECT_EQ(DisplayComposer::ApplyColorMode(9, 10, 20, 30), (Rgb{10, 20, 30}));
}

TEST(DisplayComposer, MaskTransparencyLimits)
{
    // 0 behaves as 1; 256 shows the mask colour only.
    EXPECT_EQ(DisplayComposer::Mask(200, 100, 0), DisplayComposer::Mask(200, 100, 1));
    EXPECT_EQ(DisplayComposer::Mask(200, 100, 1), 199);
    EXPECT_EQ(DisplayComposer::Mask(200, 100, 256), 100);
    EXPECT_EQ(DisplayComposer::Mask(200, 0, 128), 100);
}

TEST(DisplayComposer, ZoomSamplesNearestNeighbour)
{
    // Two pixels side by side, shown at 200 %: each becomes two window columns.
    const std::vector<std::uint8_t> source{10, 10, 10, 90, 90, 90};
    std::vector<std::uint8_t> out(4 * 3 * 2);
    ASSERT_TRUE(DisplayComposer::Compose({source, 2, 1}, 4, 2, {0, 0, 4, 2}, {}, out, 12));
    EXPECT_EQ(PixelAt(out, 12, 1, 0), (Rgb{10, 10, 10}));
    EXPECT_EQ(PixelAt(out, 12, 2, 1), (Rgb{90, 90, 90}));

    // Only part of the window: the columns keep their place in the image.
    std::vector<std::uint8_t> part(3);
    ASSERT_TRUE(DisplayComposer::Compose({source, 2, 1}, 4, 2, {3, 1, 4, 2}, {}, part, 3));
    EXPECT_EQ(part[0], 90);
}

TEST(DisplayComposer, FalseColourInsideAndMaskOutsideTheCrop)
{
    const auto source = Filled(4, 4, {120, 120, 120});
    DisplayEffects effects;
    effects.falseColor = true;
    effects.maskCrop = true;
    effects.inside = {1, 1, 3, 3};
    effects.falseColors.fill(-1);
    effects.falseColors[120] = 255;  // pure red
    effects.maskColor = 0;
    effects.maskTransparency = 256;
    std::vector<std::uint8_t> out(4 * 4 * 3);
    ASSERT_TRUE(DisplayComposer::Compose({source, 4, 4}, 4, 4, {0, 0, 4, 4}, effects, out, 12));
    EXPECT_EQ(PixelAt(out, 12, 1, 1), (Rgb{255, 0, 0}));
    EXPECT_EQ(PixelAt(out, 12, 2, 2), (Rgb{255, 0, 0}));
    EXPECT_EQ(PixelAt(out, 12, 3, 3), (Rgb{0, 0, 0}));
    EXPECT_EQ(PixelAt(out, 12, 0, 2), (Rgb{0, 0, 0}));

    // Showing the super preview, every pixel counts as inside.
    effects.everythingInside = true;
    ASSERT_TRUE(DisplayComposer::Compose({source, 4, 4}, 4, 4, {0, 0, 4, 4}, effects, out, 12));
    EXPECT_EQ(PixelAt(out, 12, 0, 0), (Rgb{255, 0, 0}));
}

TEST(DisplayComposer, FalseColourFollowsTheColourModeGrey)
{
    // Blue as grey: a pixel (0, 0, 90) is grey 90 and takes band 90's colour.
    const auto source = Filled(1, 1, {0, 0, 90});
    DisplayEffects effects;
    effects.colorMode = 3;
    effects.falseColor = true;
    effects.inside = {0, 0, 1, 1};
    effects.falseColors.fill(-1);
    effects.falseColors[90] = 0x00FF00;  // green: red + 256 * green + 65536 * blue
    std::vector<std::uint8_t> out(3);
    ASSERT_TRUE(DisplayComposer::Compose({source, 1, 1}, 1, 1, {0, 0, 1, 1}, effects, out, 3));
    EXPECT_EQ(PixelAt(out, 3, 0, 0), (Rgb{0, 255, 0}));
}

TEST(DisplayComposer, RefusesAreasAndBuffersThatDoNotFit)
{
    const auto source = Filled(2, 2, {1, 2, 3});
    std::vector<std::uint8_t> out(2 * 2 * 3);
    EXPECT_FALSE(DisplayComposer::Compose({source, 2, 2}, 2, 2, {0, 0, 3, 2}, {}, out, 6));
    EXPECT_FALSE(DisplayComposer::Compose({source, 2, 2}, 2, 2, {-1, 0, 2, 2}, {}, out, 6));
    EXPECT_FALSE(DisplayComposer::Compose({source, 3, 2}, 2, 2, {0, 0, 2, 2}, {}, out, 6));
    std::vector<std::uint8_t> small(5);
    EXPECT_FALSE(DisplayComposer::Compose({source, 2, 2}, 2, 2, {0, 0, 2, 2}, {}, small, 6));
}

}  // namespace
}  // namespace scanora
