#include "acquire/PreviewImage.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "acquire/LinePlacement.h"
#include "imaging/ColorCorrectingToneCurve.h"
#include "imaging/PreviewRotation.h"

namespace scanora {
namespace {

using Pixel = std::array<std::uint16_t, 3>;

// An image of pixels in memory order, written out naively for comparisons.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Pixel> pixels;

    friend bool operator==(const Picture&, const Picture&) = default;
};

// Preview pixel (x, y) of colour c holds y * 1000 + x * 10 + c.
Picture Unrotated(int width, int height)
{
    Picture picture{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto base = static_cast<std::uint16_t>(y * 1000 + x * 10);
            picture.pixels.push_back(
                {base, static_cast<std::uint16_t>(base + 1), static_cast<std::uint16_t>(base + 2)});
        }
    }
    return picture;
}

// Turns a picture a quarter clockwise, out of place: (x, y) goes to (height - 1 - y, x).
Picture TurnClockwise(const Picture& in)
{
    Picture out{in.height, in.width, std::vector<Pixel>(in.pixels.size())};
    for (int y = 0; y < in.height; ++y) {
        for (int x = 0; x < in.width; ++x)
            out.pixels[static_cast<std::size_t>(x * out.width + (in.height - 1 - y))] =
                in.pixels[static_cast<std::size_t>(y * in.width + x)];
    }
    return out;
}

Picture Turned(Picture picture, int degrees)
{
    for (int turn = 0; turn < degrees / 90; ++turn) picture = TurnClockwise(picture);
    return picture;
}

Picture Read(const PreviewImage& image, bool second)
{
    const auto samples = image.Samples(second);
    Picture picture{image.DisplayWidth(), image.DisplayHeight(), {}};
    for (std::size_t at = 0; at + 2 < samples.size(); at += 3)
        picture.pixels.push_back({samples[at], samples[at + 1], samples[at + 2]});
    return picture;
}

void Write(PreviewImage& image, bool second, const Picture& picture)
{
    const auto samples = image.Samples(second);
    ASSERT_EQ(samples.size(), picture.pixels.size() * 3);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        for (std::size_t c = 0; c < 3; ++c) samples[3 * i + c] = picture.pixels[i][c];
    }
}

constexpr PreviewGeometry kSmall{5, 3, 2};

// The two buffers' contents for a small image at rotation 0: the super preview's red differs.
std::pair<Picture, Picture> NormalAndSuper()
{
    const Picture normal = Unrotated(kSmall.width, kSmall.height);
    Picture super = normal;
    for (Pixel& pixel : super.pixels) pixel[0] = static_cast<std::uint16_t>(pixel[0] + 30000);
    return {normal, super};
}

TEST(PreviewGeometryTest, FollowsTheCameraModel)
{
    // Model Dogwood Plus: 10200 pixels, 13600 lines, size steps 0 .. 11.
    EXPECT_EQ(PreviewGeometry::ForCamera(10200, 13600, 11, 0), (PreviewGeometry{927, 1236, 22}));
    // Model Birch Plus: 6000, 8000, -4 .. 8.
    EXPECT_EQ(PreviewGeometry::ForCamera(6000, 8000, 8, -4), (PreviewGeometry{750, 1000, 24}));
    // The extra rows are 16-bit arithmetic: 2 * 40000 wraps to 14464.
    EXPECT_EQ(PreviewGeometry::ForCamera(6000, 8000, 20000, -20000).extraRows, 14464);
    EXPECT_EQ(PreviewGeometry::ForCamera(6000, 8000, 0, -4), PreviewGeometry{});
}

TEST(PreviewImageTest, BufferSizesRoundToBlocks)
{
    const PreviewImage image;
    // 8 rows of 60 bytes = 480, rounded to 512.
    EXPECT_EQ(image.BufferBytes({10, 6, 2}), 512U);
    // 7 rows (odd) = 420 -> 512, plus one row of 60 -> 512.
    EXPECT_EQ(image.BufferBytes({10, 5, 2}), 1024U);
    // An exact multiple stays: 2 rows of 1536 bytes.
    EXPECT_EQ(image.BufferBytes({256, 2, 0}), 3072U);
    // 3 rows of 1536 = 4608 (a multiple of 512), odd, plus 1536.
    EXPECT_EQ(image.BufferBytes({256, 3, 0}), 6144U);
    // Negative extra rows count as none: the image itself always fits.
    EXPECT_EQ(image.BufferBytes({256, 2, -2}), 3072U);
    EXPECT_FALSE(image.BufferBytes({0, 5, 2}));
    EXPECT_FALSE(image.BufferBytes({5, 0, 2}));
    EXPECT_FALSE(image.BufferBytes({2'000'000'000, 2'000'000'000, 30000})) << "no wrap-around";

    const PreviewImage limited(1024);
    EXPECT_EQ(limited.BufferBytes({10, 5, 2}), 1024U);
    EXPECT_FALSE(limited.BufferBytes({10, 9, 2}));
}

TEST(PreviewImageTest, AllocationGivesZeroedBuffersAndKeepsTheRotation)
{
    PreviewImage image;
    EXPECT_FALSE(image.HasImage());
    EXPECT_EQ(image.Rotation(), 270);
    ASSERT_TRUE(image.AllocatePreview(kSmall));
    EXPECT_EQ(image.Width(), 5);
    EXPECT_EQ(image.Height(), 3);
    EXPECT_EQ(image.BitsPerSample(), 16);
    EXPECT_EQ(image.AllocationSize(), 1024U);  // 5 rows (odd) of 30 bytes, plus a row
    EXPECT_EQ(image.Rotation(), 270);
    EXPECT_EQ(image.DisplayWidth(), 3);
    EXPECT_EQ(image.DisplayHeight(), 5);
    EXPECT_FALSE(image.ShowingSuper());
    EXPECT_EQ(image.CurrentSamples().size(), 45U);
    EXPECT_EQ(image.CurrentAllocation().size(), 1024U);
    EXPECT_EQ(image.DisplayCopy().size(), 5U * 5 * 3) << "(L + E) * P * 3";
    for (const bool second : {false, true}) {
        for (const std::uint16_t sample : image.Samples(second)) ASSERT_EQ(sample, 0);
    }
}

TEST(PreviewImageTest, UnchangedGeometryKeepsTheImageAndNewGeometryReplacesIt)
{
    PreviewImage image;
    ASSERT_TRUE(image.AllocatePreview(kSmall));
    image.Samples(false)[7] = 77;
    image.Samples(true)[8] = 88;
    ASSERT_TRUE(image.AllocatePreview({5, 3, 9})) << "only P and L decide";
    EXPECT_EQ(image.Samples(false)[7], 77);
    EXPECT_EQ(image.Samples(true)[8], 88);

    ASSERT_TRUE(image.SelectPreviewBuffer(true));
    ASSERT_TRUE(image.AllocatePreview({4, 3, 2}));
    EXPECT_EQ(image.Width(), 4);
    EXPECT_FALSE(image.ShowingSuper()) << "the normal preview is current after a resize";
    for (const std::uint16_t sample : image.Samples(false)) ASSERT_EQ(sample, 0);
}

TEST(PreviewImageTest, FailedAllocationLeavesTheImageAsItWas)
{
    PreviewImage image(1024);
    EXPECT_FALSE(image.AllocatePreview({10, 9, 2}));
    EXPECT_FALSE(image.HasImage());

    ASSERT_TRUE(image.AllocatePreview(kSmall));
    image.Samples(false)[3] = 33;
    EXPECT_FALSE(image.AllocatePreview({10, 9, 2}));
    EXPECT_TRUE(image.HasImage());
    EXPECT_EQ(image.Width(), 5);
    EXPECT_EQ(image.Height(), 3);
    EXPECT_EQ(image.Samples(false)[3], 33);
    EXPECT_FALSE(image.AllocatePreview({}));
}

TEST(PreviewImageTest, RotationMatchesANaiveTurnOfBothBuffers)
{
    PreviewImage image;
    ASSERT_TRUE(image.AllocatePreview(kSmall));
    ASSERT_TRUE(image.SetRotation(0));
    const auto [normal, super] = NormalAndSuper();
    Write(image, false, normal);
    Write(image, true, super);

    for (const int degrees : {90, 180, 270, 0, 270, 90, 0, 180, 0}) {
        ASSERT_TRUE(image.SetRotation(degrees));
        EXPECT_EQ(image.Rotation(), degrees);
        EXPECT_EQ(Read(image, false), Turned(normal, degrees)) << "to " << degrees;
        EXPECT_EQ(Read(image, true), Turned(super, degrees)) << "to " << degrees;
    }
    EXPECT_FALSE(image.SetRotation(45));
    EXPECT_EQ(image.Rotation(), 0);
}

TEST(PreviewImageTest, FourQuarterTurnsAreTheIdentity)
{
    PreviewImage image;
    ASSERT_TRUE(image.AllocatePreview({4, 7, 0}));
    ASSERT_TRUE(image.SetRotation(90));
    const Picture start = Turned(Unrotated(4, 7), 90);
    Write(image, false, start);
    for (const int degrees : {180, 270, 0, 90}) ASSERT_TRUE(image.SetRotation(degrees));
    EXPECT_EQ(Read(image, false), start);
}

TEST(PreviewImageTest, MeasuredViewReadsPreviewCoordinatesAtEveryRotation)
{
    PreviewImage image;
    EXPECT_FALSE(image.MeasuredView().IsValid()) << "no image";
    ASSERT_TRUE(image.AllocatePreview(kSmall));
    ASSERT_TRUE(image.SetRotation(0));
    const auto [normal, super] = NormalAndSuper();
    Write(image, false, normal);
    Write(image, true, super);

    for (const int degrees : {90, 180, 270, 0}) {
        ASSERT_TRUE(image.SetRotation(degrees));
        for (const bool second : {false, true}) {
            image.SelectPreviewBuffer(second);
            const PreviewView view = image.MeasuredView();
            ASSERT_TRUE(view.IsValid()) << degrees;
            EXPECT_EQ(view.width, 5);
            EXPECT_EQ(view.height, 3);
            const Picture& expected = second ? super : normal;
            for (int y = 0; y < 3; ++y) {
                for (int x = 0; x < 5; ++x) {
                    const std::uint16_t* pixel = view.Pixel(x, y);
                    const Pixel want = expected.pixels[static_cast<std::size_t>(y * 5 + x)];
                    EXPECT_EQ((Pixel{pixel[0], pixel[1], pixel[2]}), want)
                        << "(" << x << ", " << y << ") at " << degrees;
                }
            }
        }
    }
    // A view that says it is turned by another angle reads nothing.
    PreviewView odd = image.MeasuredView();
    odd.turn = 45;
    EXPECT_FALSE(odd.IsValid());
}

TEST(PreviewImageTest, RotationWithoutAnImageOnlySetsTheAngle)
{
    PreviewImage image;
    EXPECT_TRUE(image.SetRotation(90));
    EXPECT_EQ(image.Rotation(), 90);
    ASSERT_TRUE(image.AllocatePreview(kSmall));
    EXPECT_EQ(image.Rotation(), 90);
    EXPECT_EQ(image.DisplayWidth(), 3);
}

TEST(PreviewImageTest, SelectingTheSuperPreviewSwitchesTheCurrentBuffer)
{
    PreviewImage image;
    ASSERT_TRUE(image.AllocatePreview(kSmall));
    image.Samples(true)[0] = 5;
    EXPECT_FALSE(image.SelectPreviewBuffer(false)) << "already the normal preview";
    EXPECT_TRUE(image.SelectPreviewBuffer(true));
    EXPECT_TRUE(image.ShowingSuper());
    EXPECT_EQ(image.CurrentSamples()[0], 5);
    EXPECT_FALSE(image.SelectPreviewBuffer(true));
    EXPECT_TRUE(image.SelectPreviewBuffer(false));
    EXPECT_EQ(image.CurrentSamples()[0], 0);
}

TEST(PreviewRotationTest, DisplayRegionsMapBackToThePreview)
{
    // P = 5, L = 3. At 90 the display is 3 wide and 5 high; display columns [1, 3), rows
    // [0, 2) are preview columns [0, 2) (the display rows) and rows [0, 2) (L - 3, L - 1).
    const PreviewRotation ninety(90, 5, 3);
    EXPECT_EQ(ninety.ToPreviewRect(ImageRect{1, 0, 3, 2}), (ImageRect{0, 0, 2, 2}));
    EXPECT_EQ(ninety.ToDisplay(ImagePoint{0, 0}), (ImagePoint{2, 0}));
    const PreviewRotation twoSeventy(270, 5, 3);
    EXPECT_EQ(twoSeventy.ToPreviewRect(ImageRect{1, 0, 3, 2}), (ImageRect{3, 1, 5, 3}));
    EXPECT_EQ(twoSeventy.ToDisplay(ImagePoint{0, 0}), (ImagePoint{0, 4}));
    for (const int degrees : {0, 90, 180, 270}) {
        const PreviewRotation rotation(degrees, 5, 3);
        const ImageRect region{1, 0, 4, 2};
        EXPECT_EQ(rotation.ToPreviewRect(rotation.ToDisplayRect(region)), region) << degrees;
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x) {
                const ImagePoint p{x, y};
                const ImagePoint d = rotation.ToDisplay(p);
                ASSERT_EQ(rotation.ToPreview(d), p);
                ASSERT_EQ(rotation.Indices()(x, y),
                          static_cast<std::size_t>(d.y * rotation.DisplayWidth() + d.x));
                // The pixel lies inside the rectangle the view maps the pixel's square to.
                const ImageRect square = rotation.ToDisplayRect(ImageRect{x, y, x + 1, y + 1});
                ASSERT_EQ(square, (ImageRect{d.x, d.y, d.x + 1, d.y + 1})) << degrees;
            }
        }
    }
}

// A whole prescan saved at 90 or 270 degrees (the rows in preview order, as the preview file
// holds them) and loaded back (rotation 0, the rows written in, the rotation restored) must be
// the preview it was.
TEST(PreviewImageTest, SavedAndReloadedPreviewIsUnchangedAtEveryRotation)
{
    const LineLayout layout{5, 3};
    std::vector<std::uint8_t> lines;
    for (const Pixel& pixel : Unrotated(5, 3).pixels) {
        for (const std::uint16_t sample : pixel) {
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(&sample);
            lines.insert(lines.end(), bytes, bytes + 2);
        }
    }
    for (const int code : {1, 2, 3, 4}) {
        PreviewImage image;
        ASSERT_TRUE(image.AllocatePreview(kSmall));
        ASSERT_TRUE(image.SetRotation(ViewRotationForInsert(code)));
        ASSERT_TRUE(PlaceLines(0, 3, lines, image.CurrentAllocation(), layout, code));
        const Picture shown = Read(image, false);

        std::vector<std::uint16_t> file;
        std::vector<std::uint16_t> row(15);
        for (int y = 0; y < 3; ++y) {
            ASSERT_TRUE(image.ReadPreviewRow(y, row));
            file.insert(file.end(), row.begin(), row.end());
        }
        Picture saved{5, 3, {}};
        for (std::size_t at = 0; at < file.size(); at += 3)
            saved.pixels.push_back({file[at], file[at + 1], file[at + 2]});
        EXPECT_EQ(saved, Unrotated(5, 3)) << "the file holds the unrotated preview, code " << code;

        const int rotation = image.Rotation();
        Write(image, false,
              Picture{image.DisplayWidth(), image.DisplayHeight(),
                      std::vector<Pixel>(15, Pixel{9, 9, 9})});
        ASSERT_TRUE(image.SetRotation(0));
        Write(image, false, saved);
        ASSERT_TRUE(image.SetRotation(rotation));
        EXPECT_EQ(Read(image, false), shown) << "code " << code;
    }
}

TEST(PreviewImageTest, ConversionFillsTheDisplayCopyOfTheRowsAsked)
{
    ColorCorrectingToneCurve curve;
    curve.SetRawBits(16);
    curve.BuildRawTable();
    curve.SetChannelGains(2.0, 1.0, 0.5);

    PreviewImage image;
    ASSERT_TRUE(image.AllocatePreview(kSmall));  // at 270: display 3 wide, 5 high
    Write(image, false, Picture{3, 5, std::vector<Pixel>(15, Pixel{20000, 20000, 20000})});
    // Preview row 1 is display column 1 at 270.
    image.ConvertPreviewRows(1, 1, curve);
    const auto copy = image.DisplayCopy();
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 3; ++x) {
            const auto at = static_cast<std::size_t>(3 * (y * 3 + x));
            if (x == 1) {
                EXPECT_EQ(copy[at], curve.MapRed(20000));
                EXPECT_EQ(copy[at + 1], curve.MapGreen(20000));
                EXPECT_EQ(copy[at + 2], curve.MapBlue(20000));
            } else {
                EXPECT_EQ(copy[at], 0) << x << "," << y;
            }
        }
    }
    EXPECT_NE(curve.MapRed(20000), curve.MapBlue(20000)) << "the gains took effect";
    EXPECT_FALSE(image.DisplayValid());
    image.ConvertRect({-5, -5, 100, 100}, curve);  // clipped to the image
    EXPECT_EQ(copy[0], curve.MapRed(20000));
    image.ConvertAll(curve);
    EXPECT_TRUE(image.DisplayValid());
    ASSERT_TRUE(image.SetRotation(0));
    EXPECT_FALSE(image.DisplayValid()) << "a turned image needs converting again";
}

}  // namespace
}  // namespace scanora
