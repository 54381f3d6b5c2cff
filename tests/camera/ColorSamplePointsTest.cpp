#include "camera/ColorSamplePoints.h"

#include <gtest/gtest.h>

#include <vector>

#include "camera/ExposureTestSupport.h"

namespace scanora {
namespace {

using test::UniformPreview;

// A 4 x 3 preview whose pixel (u, v) holds red 100 (u + 4v), green twice that, blue 1000.
struct RampPreview {
    std::vector<std::uint16_t> samples;
    RampPreview()
    {
        for (int v = 0; v < 3; ++v)
            for (int u = 0; u < 4; ++u) {
                const auto red = static_cast<std::uint16_t>(100 * (u + 4 * v));
                samples.insert(samples.end(), {red, static_cast<std::uint16_t>(2 * red), 1000});
            }
    }
    [[nodiscard]] PreviewView View() const { return PreviewView::Packed(samples, 4, 3); }
};

TEST(SpotMeterTest, OnlyPixelsInsideTheImageCount)
{
    const RampPreview ramp;
    // Width 3 at the corner takes (0,0) (1,0) (0,1) (1,1): red 0, 100, 400, 500 -> 250.
    SpotMean16 mean = SpotMeter::Measure(ramp.View(), 0, 0, 3);
    EXPECT_EQ(mean.red, 250);
    EXPECT_EQ(mean.green, 500);
    EXPECT_EQ(mean.blue, 1000);
    EXPECT_EQ(mean.level, 583);  // 1750 / 3
    // Width 5 at (1, 1) takes all 12 pixels: red 100 * 66 / 12 = 550.
    mean = SpotMeter::Measure(ramp.View(), 1, 1, 5);
    EXPECT_EQ(mean.red, 550);
    // Width 1 is the pixel itself.
    EXPECT_EQ(SpotMeter::Measure(ramp.View(), 3, 2, 1).red, 1100);
    // Nothing taken: every mean is 0 (divided by 1).
    mean = SpotMeter::Measure(ramp.View(), 10, 10, 5);
    EXPECT_EQ(mean.red + mean.green + mean.blue + mean.level, 0);
}

TEST(SpotMeterTest, MeansTruncateAndRowsMayBePadded)
{
    // Two rows of two pixels, each row followed by 3 unused samples.
    const std::vector<std::uint16_t> samples{1, 2, 3, 2, 2, 3, 9, 9, 9,  //
                                             2, 2, 3, 2, 3, 4, 9, 9, 9};
    const PreviewView padded{samples, 2, 2, 9};
    const SpotMean16 mean = SpotMeter::Measure(padded, 0, 0, 3);
    EXPECT_EQ(mean.red, 1);    // 7 / 4
    EXPECT_EQ(mean.green, 2);  // 9 / 4
    EXPECT_EQ(mean.blue, 3);   // 13 / 4
    // A view whose samples are too few for its size measures nothing rather than overrun.
    const PreviewView truncated{std::span(samples).first(10), 2, 2, 9};
    EXPECT_FALSE(truncated.IsValid());
    EXPECT_EQ(SpotMeter::Measure(truncated, 0, 0, 3).red, 0);
}

TEST(SpotMeterTest, DisplayMeansArePackedAsAColourValue)
{
    const std::vector<std::uint8_t> samples{10, 20, 30, 20, 40, 61};
    const DisplayView display = DisplayView::Packed(samples, 2, 1);
    const SpotMean8 mean = SpotMeter::Measure(display, 0, 0, 3);
    EXPECT_EQ(mean.color, 15u + 256u * 30u + 65536u * 45u);  // 61 + 30 = 91 / 2 = 45
    EXPECT_EQ(mean.level, 30);                               // (15 + 30 + 45) / 3
}

TEST(ColorSamplePointsTest, UsableMeansLieWithinTheMeasuringRange)
{
    ColorSamplePoints points;
    points.SetSpotWidth(1);
    const UniformPreview low(4, 4, 319, 1000, 1000), edge(4, 4, 320, 55705, 1000),
        clipped(4, 4, 1000, 55706, 1000);
    points.Add(1, 1, low.View());
    points.Add(1, 1, edge.View());
    points.Add(1, 1, clipped.View());
    EXPECT_FALSE(points.Points()[0].usable);
    EXPECT_TRUE(points.Points()[1].usable);
    EXPECT_FALSE(points.Points()[2].usable);
    points.Move(0, 2, 2, edge.View());
    EXPECT_TRUE(points.Points()[0].usable);
    points.Remeasure(clipped.View());
    EXPECT_FALSE(points.Points()[1].usable);
}

TEST(ColorSamplePointsTest, PointsTakeTheLowestFreeCodeAndTheSelection)
{
    ColorSamplePoints points;
    const UniformPreview grey(8, 8, 1000, 1000, 1000);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(points.Add(i, i, grey.View()));
    EXPECT_EQ(points.SelectedIndex(), 2);
    // Removing the first frees code 0; the others move down with their codes and flags.
    ASSERT_TRUE(points.Remove(0));
    EXPECT_EQ(points.Count(), 2);
    EXPECT_EQ(points.Points()[0].colorCode, 1);
    EXPECT_EQ(points.Points()[0].x, 1);
    EXPECT_EQ(points.SelectedIndex(), 1);
    EXPECT_FALSE(points.IsCodeInUse(0));
    ASSERT_TRUE(points.Add(7, 7, grey.View()));
    EXPECT_EQ(points.Points()[2].colorCode, 0);
    EXPECT_EQ(points.SelectedIndex(), 2);
    EXPECT_FALSE(points.Points()[1].selected);
    // Removing the selected point leaves none selected: the index reads as the count.
    points.Remove(2);
    EXPECT_EQ(points.SelectedIndex(), points.Count());
    EXPECT_FALSE(points.Remove(5));
    EXPECT_FALSE(points.Move(-1, 0, 0, grey.View()));
}

TEST(ColorSamplePointsTest, AddIsRefusedWhenFullOrDisabled)
{
    ColorSamplePoints points;
    const UniformPreview grey(4, 4, 1000, 1000, 1000);
    for (int i = 0; i < ColorSamplePoints::kMaxPoints; ++i)
        ASSERT_TRUE(points.Add(1, 1, grey.View()));
    EXPECT_FALSE(points.Add(1, 1, grey.View()));
    EXPECT_EQ(points.Points()[11].colorCode, 11);
    points.Clear();
    EXPECT_EQ(points.Count(), 0);
    EXPECT_FALSE(points.IsCodeInUse(3));
    points.SetEnabled(false);
    EXPECT_FALSE(points.Add(1, 1, grey.View()));
}

TEST(ColorSamplePointsTest, DropOutsideRemovesPointsPastTheLastPixel)
{
    ColorSamplePoints points;
    const UniformPreview grey(20, 20, 1000, 1000, 1000);
    points.Add(9, 7, grey.View());   // last pixel of a 10 x 8 preview: kept
    points.Add(10, 3, grey.View());  // one past the last column
    points.Add(3, 8, grey.View());   // one past the last row
    points.Add(12, 1, grey.View());
    points.Add(0, 0, grey.View());
    EXPECT_EQ(points.DropOutside(10, 8), 3);
    ASSERT_EQ(points.Count(), 2);
    EXPECT_EQ(points.Points()[0].x, 9);
    EXPECT_EQ(points.Points()[1].colorCode, 4);
    EXPECT_TRUE(points.Points()[1].selected);
}

TEST(ColorSamplePointsTest, SpotWidthIsOneThreeOrFive)
{
    ColorSamplePoints points;
    EXPECT_EQ(points.SpotWidth(), 5);
    EXPECT_TRUE(points.SetSpotWidth(3));
    EXPECT_FALSE(points.SetSpotWidth(4));
    EXPECT_EQ(points.SpotWidth(), 3);
    const MarkerRect marker = ColorSamplePoints::MarkerRectangle(20, 30);
    EXPECT_EQ(marker.left, 14);
    EXPECT_EQ(marker.top, 24);
    EXPECT_EQ(marker.right, 27);
    EXPECT_EQ(marker.bottom, 37);
}

}  // namespace
}  // namespace scanora
