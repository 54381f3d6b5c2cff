#include "acquire/LinePlacement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/PreviewRotation.h"

namespace scanora {
namespace {

constexpr std::size_t kPixelBytes = 6;

// Camera lines whose pixel j of line a carries the tag 10a + j + 1 in all six bytes.
std::vector<std::uint8_t> TaggedLines(LineLayout layout)
{
    std::vector<std::uint8_t> lines;
    for (int a = 0; a < layout.lines; ++a) {
        for (int j = 0; j < layout.pixels; ++j)
            lines.insert(lines.end(), kPixelBytes, static_cast<std::uint8_t>(10 * a + j + 1));
    }
    return lines;
}

// The tag of each image pixel in memory order (0 where nothing was placed).
std::vector<int> Tags(const std::vector<std::uint8_t>& image)
{
    std::vector<int> tags;
    for (std::size_t at = 0; at < image.size(); at += kPixelBytes) tags.push_back(image[at]);
    return tags;
}

TEST(LinePlacementTest, EachOrientationPutsThePixelsWhereTheTableSays)
{
    // Three pixels per line, two lines: tags 1 2 3 (line 0) and 11 12 13 (line 1).
    const LineLayout layout{3, 2};
    const auto source = TaggedLines(layout);
    struct Case {
        int code;
        std::vector<int> tags;  // image rows top to bottom
    };
    const Case cases[] = {
        {1, {3, 13, 2, 12, 1, 11}},  // L wide, W high: row W - 1 - j, column a
        {2, {1, 2, 3, 11, 12, 13}},  // row a, column j
        {3, {11, 1, 12, 2, 13, 3}},  // row j, column L - 1 - a
        {4, {13, 12, 11, 3, 2, 1}},  // row L - 1 - a, column W - 1 - j
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> image(6 * kPixelBytes, 0);
        ASSERT_TRUE(PlaceLine(0, source, image, layout, c.code));
        ASSERT_TRUE(PlaceLine(1, source, image, layout, c.code));
        EXPECT_EQ(Tags(image), c.tags) << "code " << c.code;
        for (std::size_t at = 0; at < image.size(); ++at)
            ASSERT_EQ(image[at], image[at / kPixelBytes * kPixelBytes]) << "whole pixels copied";
    }
}

TEST(LinePlacementTest, OneLineTouchesOnlyItsOwnPixels)
{
    const LineLayout layout{3, 2};
    const auto source = TaggedLines(layout);
    std::vector<std::uint8_t> image(6 * kPixelBytes, 0);
    ASSERT_TRUE(PlaceLine(1, source, image, layout, 1));
    EXPECT_EQ(Tags(image), (std::vector<int>{0, 13, 0, 12, 0, 11}));
}

TEST(LinePlacementTest, FromTopCopiesOnlyWhenTheLinesAreElsewhere)
{
    const LineLayout layout{3, 2};
    auto image = TaggedLines(layout);
    const auto before = image;
    ASSERT_TRUE(PlaceLines(0, 2, image, image, layout, 2)) << "read straight into the image";
    EXPECT_EQ(image, before);

    std::vector<std::uint8_t> other(image.size(), 0);
    ASSERT_TRUE(PlaceLines(1, 1, image, other, layout, 2));
    EXPECT_EQ(Tags(other), (std::vector<int>{0, 0, 0, 11, 12, 13}));
}

// Groups of lines go where the view's mapping puts preview pixel (j, a) at the code's rotation,
// so the placed preview, the display and the rotation of the buffers agree.
TEST(LinePlacementTest, GroupsFollowThePreviewRotation)
{
    const LineLayout layout{5, 7};
    const auto source = TaggedLines(layout);
    for (const int code : {1, 2, 3, 4}) {
        std::vector<std::uint8_t> image(35 * kPixelBytes, 0);
        ASSERT_TRUE(PlaceLines(0, 4, source, image, layout, code));
        ASSERT_TRUE(PlaceLines(4, 3, source, image, layout, code));
        const PreviewRotation rotation(ViewRotationForInsert(code), layout.pixels, layout.lines);
        for (int a = 0; a < layout.lines; ++a) {
            for (int j = 0; j < layout.pixels; ++j) {
                const ImagePoint at = rotation.ToDisplay({j, a});
                const auto index = static_cast<std::size_t>(at.y * rotation.DisplayWidth() + at.x);
                ASSERT_EQ(image[index * kPixelBytes], 10 * a + j + 1)
                    << "code " << code << " line " << a << " pixel " << j;
            }
        }
    }
}

// Places lines [first, first + count) the slow way: each pixel through the view's mapping.
void PlacePixelByPixel(int first, int count, const std::vector<std::uint8_t>& source,
                       std::vector<std::uint8_t>& image, LineLayout layout, int code)
{
    const PreviewRotation rotation(ViewRotationForInsert(code), layout.pixels, layout.lines);
    for (int a = first; a < first + count; ++a) {
        for (int j = 0; j < layout.pixels; ++j) {
            const ImagePoint at = rotation.ToDisplay({j, a});
            const auto to = static_cast<std::size_t>(at.y * rotation.DisplayWidth() + at.x);
            const auto from = static_cast<std::size_t>(a * layout.pixels + j);
            std::memcpy(&image[to * kPixelBytes], &source[from * kPixelBytes], kPixelBytes);
        }
    }
}

// Every byte of the source differs from its neighbours, so a pixel that is shifted, cut or
// mixed with its neighbour shows.
std::vector<std::uint8_t> NumberedBytes(std::size_t count, int seed)
{
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251 + static_cast<std::size_t>(seed));
    return bytes;
}

// The group kernels against the pixel-by-pixel placement: every orientation and instruction
// set, widths around the kernels' block sizes (4 and 10 pixels, the 16-byte loads' reach),
// heights with a partial last group, and readouts that start and stop inside the preview. The
// image carries extra bytes past its pixels, as the preview's allocation does; nothing but the
// placed pixels may change.
TEST(LinePlacementTest, GroupKernelsMatchPixelByPixelPlacement)
{
    const PlacementKernels kernelSets[] = {PlacementKernels::kWidest, PlacementKernels::kSse2,
                                           PlacementKernels::kPlain};
    for (const int pixels : {1, 2, 3, 4, 5, 7, 9, 10, 11, 13, 19, 23, 37}) {
        for (const int lines : {1, 3, 4, 6, 9, 13}) {
            const LineLayout layout{pixels, lines};
            const std::size_t imageBytes = static_cast<std::size_t>(pixels * lines) * kPixelBytes;
            const auto source = NumberedBytes(imageBytes, pixels + lines);
            const auto blank = NumberedBytes(imageBytes + 64, 101);
            for (const int code : {1, 3, 4}) {
                // (first, count): the whole preview and two crops.
                const int crops[][2] = {{0, lines}, {1, lines - 1}, {lines / 3, lines / 2}};
                for (const auto& crop : crops) {
                    std::vector<std::uint8_t> expected = blank;
                    PlacePixelByPixel(crop[0], crop[1], source, expected, layout, code);
                    for (const PlacementKernels kernels : kernelSets) {
                        std::vector<std::uint8_t> image = blank;
                        for (int a = crop[0]; a < crop[0] + crop[1]; a += 4) {
                            const int count = std::min(4, crop[0] + crop[1] - a);
                            ASSERT_TRUE(PlaceLines(a, count, source, image, layout, code, kernels));
                        }
                        ASSERT_EQ(image, expected)
                            << "code " << code << ", " << pixels << " x " << lines << ", lines "
                            << crop[0] << " + " << crop[1] << ", kernels "
                            << static_cast<int>(kernels);
                    }
                }
            }
        }
    }
}

// Buffers need no alignment: the preview's allocation and the read buffer are byte spans.
TEST(LinePlacementTest, UnalignedBuffersGiveTheSamePixels)
{
    const LineLayout layout{29, 8};
    const std::size_t bytes = static_cast<std::size_t>(29 * 8) * kPixelBytes;
    const auto lines = NumberedBytes(bytes + 3, 5);
    const std::vector<std::uint8_t> aligned(lines.begin() + 3, lines.end());
    for (const int code : {1, 3, 4}) {
        std::vector<std::uint8_t> expected(bytes, 0);
        PlacePixelByPixel(0, 8, aligned, expected, layout, code);
        std::vector<std::uint8_t> image(bytes + 5, 0);
        const std::span<std::uint8_t> shifted = std::span(image).subspan(5);
        ASSERT_TRUE(PlaceLines(0, 4, std::span(lines).subspan(3), shifted, layout, code));
        ASSERT_TRUE(PlaceLines(4, 4, std::span(lines).subspan(3), shifted, layout, code));
        EXPECT_TRUE(std::equal(shifted.begin(), shifted.end(), expected.begin()))
            << "code " << code;
    }
}

TEST(LinePlacementTest, RefusesLinesOutsideThePreviewAndShortBuffers)
{
    const LineLayout layout{3, 2};
    const auto source = TaggedLines(layout);
    std::vector<std::uint8_t> image(6 * kPixelBytes, 0);
    EXPECT_FALSE(PlaceLine(2, source, image, layout, 1));
    EXPECT_FALSE(PlaceLine(-1, source, image, layout, 1));
    EXPECT_FALSE(PlaceLines(1, 2, source, image, layout, 3));
    const std::vector<std::uint8_t> oneLine(source.begin(), source.begin() + 3 * kPixelBytes);
    EXPECT_FALSE(PlaceLine(1, oneLine, image, layout, 4)) << "line 1 is not in the source";
    std::vector<std::uint8_t> small(5 * kPixelBytes, 0);
    EXPECT_FALSE(PlaceLine(0, source, small, layout, 1));
    EXPECT_EQ(Tags(image), std::vector<int>(6, 0));
    EXPECT_TRUE(PlaceLines(2, 0, source, image, layout, 1)) << "no lines is nothing to do";
}

TEST(LinePlacementTest, InsertCodesAndViewRotationsCorrespond)
{
    EXPECT_EQ(ViewRotationForInsert(1), 270);
    EXPECT_EQ(ViewRotationForInsert(2), 0);
    EXPECT_EQ(ViewRotationForInsert(3), 90);
    EXPECT_EQ(ViewRotationForInsert(4), 180);
    EXPECT_EQ(ViewRotationForInsert(9), 0) << "an unknown code is From Top";
    for (const int code : {1, 2, 3, 4})
        EXPECT_EQ(InsertCodeForRotation(ViewRotationForInsert(code)), code);
    EXPECT_EQ(InsertCodeForRotation(45), 2);
}

}  // namespace
}  // namespace scanora
