#include "imaging/LevelHistogram.h"

#include <gtest/gtest.h>

#include <vector>

namespace scanora {
namespace {

TEST(LevelHistogram, LevelByChannelMode)
{
    EXPECT_EQ(LevelHistogram::Level(1, 10, 20, 30), 10);
    EXPECT_EQ(LevelHistogram::Level(2, 10, 20, 30), 20);
    EXPECT_EQ(LevelHistogram::Level(3, 10, 20, 30), 30);
    EXPECT_EQ(LevelHistogram::Level(4, 10, 20, 31), 20);
    EXPECT_EQ(LevelHistogram::Level(0, 10, 20, 31), 20);
    EXPECT_EQ(LevelHistogram::Level(5, 255, 0, 0), 76);
}

TEST(LevelHistogram, CountsOnlyStrictlyInsideTheCrop)
{
    // 4 x 4 pixels of level 50; the crop frame (0, 0)-(3, 3) leaves its border lines out.
    const std::vector<std::uint8_t> display(4 * 4 * 3, 50);
    LevelHistogram histogram;
    histogram.Accumulate(display, 4, 4, {0, 0, 4, 4}, {0, 0, 3, 3}, 4);
    EXPECT_EQ(histogram.Levels()[50], 4);  // (1..2) x (1..2)

    // Tiles add up; a region outside the image adds nothing.
    histogram.Accumulate(display, 4, 4, {0, 0, 4, 4}, {0, 0, 3, 3}, 4);
    histogram.Accumulate(display, 4, 4, {10, 10, 20, 20}, {0, 0, 4, 4}, 4);
    EXPECT_EQ(histogram.Levels()[50], 8);
    EXPECT_EQ(histogram.Largest(), 8);
}

TEST(LevelHistogram, RawCountsEveryPixelAtItsMean)
{
    const std::vector<std::uint16_t> samples{300, 600, 900, 65535, 65535, 65535};
    LevelHistogram histogram;
    histogram.AccumulateRaw(samples, 2, 1, {0, 0, 2, 1});
    EXPECT_EQ(histogram.Raw()[600], 1);
    EXPECT_EQ(histogram.Raw()[65535], 1);
    histogram.Clear();
    EXPECT_EQ(histogram.Raw()[600], 0);
}

TEST(LevelHistogram, BarHeights)
{
    // The largest count fills the plot; half of it half the plot.
    EXPECT_EQ(LevelHistogram::BarHeight(1000, 1000, 100, 1.0), 100);
    EXPECT_EQ(LevelHistogram::BarHeight(500, 1000, 100, 1.0), 50);
    // Zoomed, small counts grow and large ones stop at the top.
    EXPECT_EQ(LevelHistogram::BarHeight(100, 1000, 100, 2.0), 20);
    EXPECT_EQ(LevelHistogram::BarHeight(900, 1000, 100, 2.0), 100);
    // An empty histogram draws no bars.
    EXPECT_EQ(LevelHistogram::BarHeight(0, 0, 100, 1.0), 0);
    EXPECT_EQ(LevelHistogram::BarHeight(1, 100000, 100, 1.0), 0);
}

}  // namespace
}  // namespace scanora
