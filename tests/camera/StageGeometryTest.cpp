#include "camera/StageGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "camera/StageScale.h"

namespace scanora {
namespace {

TEST(StageGeometryTest, DegreesBetweenImages)
{
    StageGeometry geometry;
    geometry.SetNumImages(12);
    geometry.SetNumDegrees(360);
    EXPECT_DOUBLE_EQ(geometry.DegreesBetweenImages(), 30.0);
    // Less than a full turn has an image at each end.
    geometry.SetNumImages(7);
    geometry.SetNumDegrees(180);
    EXPECT_DOUBLE_EQ(geometry.DegreesBetweenImages(), 30.0);
    // A single image over part of a turn is not a division by zero.
    geometry.SetNumImages(1);
    EXPECT_DOUBLE_EQ(geometry.DegreesBetweenImages(), 180.0);
    geometry.SetNumImages(0);
    EXPECT_EQ(geometry.NumImages(), 1);
}

TEST(StageGeometryTest, SettersKeepValuesInRange)
{
    StageGeometry geometry;
    geometry.SetFocalLength(1);
    EXPECT_EQ(geometry.FocalLength(), 2);
    geometry.SetFocalLength(601);
    EXPECT_EQ(geometry.FocalLength(), 600);
    geometry.SetScanExtent(449);
    EXPECT_EQ(geometry.ScanExtent(), 449);
    geometry.SetPageScanExtent(449);
    EXPECT_EQ(geometry.ScanExtent(), 400);
    geometry.SetScanExtent(5);
    EXPECT_EQ(geometry.ScanExtent(), 10);
    geometry.SetRolloutHeight(5000);
    EXPECT_EQ(geometry.RolloutHeight(), 3000);
    geometry.SetRolloutDiameter(2);
    EXPECT_EQ(geometry.RolloutDiameter(), 3);
    geometry.SetNumDegrees(-1);
    EXPECT_EQ(geometry.NumDegrees(), 0);
    // A value that is not a number leaves the old one.
    geometry.SetFocalLength(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(geometry.FocalLength(), 600);
    geometry.SetNumDegrees(std::numeric_limits<double>::infinity());
    EXPECT_EQ(geometry.NumDegrees(), 0);
}

TEST(StageGeometryTest, RolloutValues)
{
    StageGeometry geometry;  // 100 high, 50 across
    // 8000 pixels of 9 micrometres image the 100 mm height: 72 mm, so f = 50 x 72 / 200.
    EXPECT_NEAR(geometry.RolloutFocalLength(900, 8000), 18.0, 1e-9);
    EXPECT_EQ(geometry.RolloutFocalLength(0, 8000), 0.0);
    EXPECT_EQ(geometry.RolloutFocalLength(900, 0), 0.0);
    geometry.SetScanExtent(360);
    EXPECT_DOUBLE_EQ(geometry.RolledOutLength(), 50 * std::numbers::pi);
}

TEST(StageScaleTest, ConversionsOfTheSmallStage)
{
    // 100 mm lens, 12 micrometre pixels, a = 2618, 90 degrees.
    const StageScale scale(100, 1200, 2618, 90);
    EXPECT_NEAR(scale.PixelsPerDegree(), 145.444, 1e-3);
    EXPECT_NEAR(scale.LinesForExtent(), 13089.97, 1e-2);
    EXPECT_NEAR(scale.StepsPerDegree(), 66.6665, 1e-4);
    EXPECT_EQ(scale.ExtentSteps(), 5999);
    EXPECT_EQ(scale.HalfExtentSteps(), 2999);
    EXPECT_NEAR(scale.StepsPerLine(), 0.45837, 1e-5);
    // 30 degrees fall just short of 2000 steps.
    EXPECT_EQ(scale.StepsForDegrees(30), 1999);
    EXPECT_EQ(scale.StepsForLines(1000), 458);
}

TEST(StageScaleTest, HalvingIsSixteenBit)
{
    // a = 100 over 450 degrees is 785398 steps; the motor's positions keep the low 16 bits.
    const StageScale scale(100, 1200, 100, 450);
    EXPECT_EQ(scale.ExtentSteps(), 785398);
    EXPECT_EQ(scale.HalfExtentSteps(), (785398 & 0xFFFF) / 2);
}

TEST(StageScaleTest, ZeroParametersGiveZeroNotInfinity)
{
    const StageScale noA(100, 1200, 0, 90);
    EXPECT_EQ(noA.StepsPerDegree(), 0.0);
    EXPECT_EQ(noA.ExtentSteps(), 0);
    EXPECT_EQ(noA.StepsPerLine(), 0.0);
    const StageScale noPitch(100, 0, 2618, 90);
    EXPECT_EQ(noPitch.PixelsPerDegree(), 0.0);
    EXPECT_EQ(noPitch.LinesForExtent(), 0.0);
    EXPECT_EQ(noPitch.StepsPerLine(), 0.0);
    EXPECT_EQ(noPitch.StepsForLines(1e9), 0);
}

}  // namespace
}  // namespace scanora
