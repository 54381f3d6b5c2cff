#include "imaging/ColorCorrectingToneCurve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace scanora {
namespace {

// The display curve as the editor keeps it: bytes for every 16-bit raw value.
ColorCorrectingToneCurve DisplayCurve()
{
    ColorCorrectingToneCurve curve;
    curve.SetRawBits(16);
    curve.BuildRawTable();
    return curve;
}

TEST(ColorCorrectingToneCurveTest, ScaleRoundsLimitsAndFollowsTheSwitch)
{
    ColorCorrectingToneCurve curve;
    curve.SetChannelGains(1.25, 0.5, 3.0);
    EXPECT_TRUE(curve.GainsEnabled());
    EXPECT_EQ(curve.ScaleRed(1), 1);    // 1.25
    EXPECT_EQ(curve.ScaleRed(2), 3);    // 2.5 rounds up
    EXPECT_EQ(curve.ScaleGreen(1), 1);  // 0.5 rounds up
    EXPECT_EQ(curve.ScaleGreen(65535), 32768);
    EXPECT_EQ(curve.ScaleBlue(21844), 65532);
    EXPECT_EQ(curve.ScaleBlue(21845), 65535);
    EXPECT_EQ(curve.ScaleBlue(30000), 65535) << "limited to 16 bits";

    // The mean gain for monochrome data is not limited.
    curve.SetChannelGains(1.0, 1.5, 2.0);
    EXPECT_EQ(curve.ScaleMean(3), 5);  // 4.5 rounds up
    EXPECT_EQ(curve.ScaleMean(65535), 98303);

    curve.SetChannelGains(-1.0, 1.0, 1.0);
    EXPECT_EQ(curve.ScaleRed(100), 0) << "a negative gain gives black, not a wrapped value";

    curve.ResetChannelGains();
    EXPECT_FALSE(curve.GainsEnabled());
    EXPECT_EQ(curve.GainRed(), 1.0);
    EXPECT_EQ(curve.ScaleRed(65535), 65535);
    EXPECT_EQ(curve.ScaleMean(777), 777);
}

TEST(ColorCorrectingToneCurveTest, MapLooksUpTheGainedSample)
{
    ColorCorrectingToneCurve curve = DisplayCurve();
    for (int sample = 0; sample <= 65535; ++sample) {
        const auto raw = static_cast<std::uint16_t>(sample);
        ASSERT_EQ(curve.MapRed(raw), curve.RawEntry(raw)) << "gains off";
    }
    curve.SetChannelGains(1.25, 0.5, 3.0);
    const auto entry = [&](int sample, double gain) {
        return curve.RawEntry(static_cast<std::uint16_t>(std::min(65535.0, sample * gain + 0.5)));
    };
    for (int sample = 0; sample <= 65535; ++sample) {
        const auto raw = static_cast<std::uint16_t>(sample);
        ASSERT_EQ(curve.MapRed(raw), entry(sample, 1.25)) << sample;
        ASSERT_EQ(curve.MapGreen(raw), entry(sample, 0.5)) << sample;
        ASSERT_EQ(curve.MapBlue(raw), entry(sample, 3.0)) << sample;
        ASSERT_EQ(curve.MapUngained(raw), curve.RawEntry(raw)) << sample;
    }
}

TEST(ColorCorrectingToneCurveTest, MapPixelsMatchesTheSingleSampleMaps)
{
    ColorCorrectingToneCurve curve = DisplayCurve();
    const std::vector<std::uint16_t> rgb{900, 20000, 65535, 4000, 15000, 30000, 777};
    for (const bool gained : {false, true}) {
        if (gained)
            curve.SetChannelGains(1.7, 0.9, 1.3);
        std::array<std::uint8_t, 9> out{};
        out.fill(0xAA);
        curve.MapPixels(rgb, out);
        for (std::size_t pixel = 0; pixel < 2; ++pixel) {
            EXPECT_EQ(out[3 * pixel], curve.MapRed(rgb[3 * pixel]));
            EXPECT_EQ(out[3 * pixel + 1], curve.MapGreen(rgb[3 * pixel + 1]));
            EXPECT_EQ(out[3 * pixel + 2], curve.MapBlue(rgb[3 * pixel + 2]));
        }
        EXPECT_EQ(out[6], 0xAA) << "only whole pixels are converted";
    }
}

}  // namespace
}  // namespace scanora
