#include "imaging/PreviewGrid.h"

#include <gtest/gtest.h>

#include "imaging/RulerScale.h"

namespace scanora {
namespace {

TEST(PreviewGrid, SpacingStaysWithinItsLimits)
{
    PreviewGrid grid(0, -4);
    EXPECT_EQ(grid.SpacingX(), 50);
    EXPECT_EQ(grid.SpacingY(), 50);
    grid.Resize(-100, 1000);
    EXPECT_EQ(grid.SpacingX(), 3);
    EXPECT_EQ(grid.SpacingY(), 500);
}

TEST(PreviewGrid, OffsetsWrapWithinASpacing)
{
    PreviewGrid grid(50, 40);
    grid.Move(70, -10);
    EXPECT_EQ(grid.OffsetX(), 20);
    EXPECT_EQ(grid.OffsetY(), 30);
    // A smaller spacing takes the offsets modulo the new spacing.
    grid.SetSpacing(15, 40);
    EXPECT_EQ(grid.OffsetX(), 5);
}

TEST(PreviewGrid, LinesStartAtTheOffset)
{
    EXPECT_EQ(PreviewGrid::Lines(0, 120, 10, 50), (std::vector<int>{10, 60, 110}));
    // Inside a crop the edge and offset are the crop's.
    EXPECT_EQ(PreviewGrid::Lines(30, 80, 0, 25), (std::vector<int>{30, 55}));
}

TEST(RulerScale, LabelStepsGrowUntilLabelsFit)
{
    // Ten pixels per unit: labels of up to three digits need 30 pixels, so every 5 units.
    EXPECT_EQ(RulerScale::LabelStep(10.0, 300), 5);
    EXPECT_EQ(RulerScale::LabelStep(100.0, 9), 1);
    // One digit still needs 15 pixels.
    EXPECT_EQ(RulerScale::LabelStep(10.0, 9), 2);
    EXPECT_EQ(RulerScale::LabelStep(0.5, 4000), 100);
}

TEST(RulerScale, MinorTicksKeepFourPixels)
{
    // An inch of 100 pixels: 64 ticks would be too dense, 16 are 6.25 pixels apart.
    EXPECT_EQ(RulerScale::MinorTicks(100.0, 1, true), 16);
    EXPECT_EQ(RulerScale::MinorTicks(50.0, 1, false), 10);
    EXPECT_EQ(RulerScale::MinorTicks(10.0, 2, false), 5);
    EXPECT_EQ(RulerScale::MinorTicks(3.0, 1, false), 1);
}

}  // namespace
}  // namespace scanora
