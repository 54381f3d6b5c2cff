#include "settings/SizeInputLimits.h"

#include <gtest/gtest.h>

namespace scanora {
namespace {

TEST(SizeInputLimitsTest, OutputSizeIsLimitedBeforeTheGeometrySeesIt)
{
    EXPECT_EQ(SizeInputLimits::OutputSize(40000.0, false), 32766.0);
    EXPECT_EQ(SizeInputLimits::OutputSize(-5.0, false), 0.0);
    EXPECT_EQ(SizeInputLimits::OutputSize(std::nullopt, false), 0.0);
    EXPECT_EQ(SizeInputLimits::OutputSize(12.75, false), 12.75);
}

TEST(SizeInputLimitsTest, OddWholePixelWidthsLoseOne)
{
    EXPECT_EQ(SizeInputLimits::OutputSize(1001.0, true), 1000.0);
    EXPECT_EQ(SizeInputLimits::OutputSize(3.0, true), 2.0);
    EXPECT_EQ(SizeInputLimits::OutputSize(1.0, true), 1.0) << "below 2";
    EXPECT_EQ(SizeInputLimits::OutputSize(1001.5, true), 1001.5) << "not whole";
    EXPECT_EQ(SizeInputLimits::OutputSize(1001.0, false), 1001.0) << "not in pixels";
    EXPECT_EQ(SizeInputLimits::OutputSize(99999.0, true), 32766.0);
}

TEST(SizeInputLimitsTest, ResolutionStaysWithinAHundredthAndAThousand)
{
    EXPECT_EQ(SizeInputLimits::Resolution(2000.0), 1000.0);
    EXPECT_EQ(SizeInputLimits::Resolution(0.001), 0.01);
    EXPECT_EQ(SizeInputLimits::Resolution(std::nullopt), 0.01);
    EXPECT_EQ(SizeInputLimits::Resolution(72.0), 72.0);
}

}  // namespace
}  // namespace scanora
