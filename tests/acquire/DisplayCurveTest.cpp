#include "acquire/DisplayCurve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "acquire/PreviewImage.h"
#include "imaging/ColorCorrectingToneCurve.h"

namespace scanora {
namespace {

CurveState Curve(bool none14)
{
    return {{{30, 3}, {80, 28}, {113, 56}, {142, 106}, {194, 220}}, false, none14};
}

// A preview whose every sample is `sample`, converted through `curve` by each of the paths
// that make the display copy; they must agree on every byte. Returns the first pixel's red.
int Displayed(std::uint16_t sample, const ColorCorrectingToneCurve& curve)
{
    PreviewImage image;
    EXPECT_TRUE(image.AllocatePreview({6, 4, 0}));
    const auto blank = [&] {
        std::ranges::fill(image.CurrentSamples(), std::uint16_t{0});
        image.ConvertAll(curve);
        std::ranges::fill(image.CurrentSamples(), sample);
    };
    blank();
    image.ConvertAll(curve);
    const std::vector<std::uint8_t> all(image.DisplayCopy().begin(), image.DisplayCopy().end());
    for (std::size_t i = 3; i < all.size(); ++i)
        EXPECT_EQ(all[i], all[i % 3]) << "every pixel alike, byte " << i;
    blank();
    image.ConvertRect({0, 0, image.DisplayWidth(), image.DisplayHeight()}, curve);
    EXPECT_TRUE(std::ranges::equal(image.DisplayCopy(), all)) << "rectangle";
    blank();
    image.ConvertPreviewRows(0, image.Height(), curve);
    EXPECT_TRUE(std::ranges::equal(image.DisplayCopy(), all)) << "preview rows";
    return all.front();
}

TEST(DisplayCurveTest, NoCurveWithTheProfileEmbeddedShowsTheLowByteOfTheGainedSample)
{
    ColorCorrectingToneCurve curve;
    BuildDisplayCurve(Curve(true), true, curve);
    EXPECT_EQ(Displayed(0x1234, curve), 0x34);
    EXPECT_EQ(curve.MapRed(0x1234), 0x34);
    EXPECT_EQ(curve.MapRed(0x1234), curve.ScaleRed(0x1234) & 0xFF);

    curve.SetChannelGains(2.0, 1.0, 100.0);
    EXPECT_EQ(Displayed(0x1234, curve), 0x68);
    EXPECT_EQ(curve.MapBlue(0x1234), 0xFF) << "clamped to 65535 before the low byte is taken";
    curve.SetChannelGains(1.0, 1.0, 1.0);
    EXPECT_EQ(Displayed(0x1234, curve), 0x34);
}

TEST(DisplayCurveTest, TheCurveIsUsedUnlessBothSwitchesAreOn)
{
    ColorCorrectingToneCurve reference;
    BuildDisplayCurve(Curve(false), false, reference);
    const int curved = reference.MapRed(0x1234);
    ASSERT_NE(curved, 0x34);

    for (const auto& [none14, embed] : {std::pair{true, false}, {false, true}, {false, false}}) {
        ColorCorrectingToneCurve curve;
        BuildDisplayCurve(Curve(none14), embed, curve);
        EXPECT_EQ(Displayed(0x1234, curve), curved) << none14 << embed;
    }

    // The same curve object switched out of the mode again shows the curve.
    ColorCorrectingToneCurve curve;
    BuildDisplayCurve(Curve(true), true, curve);
    BuildDisplayCurve(Curve(true), false, curve);
    EXPECT_EQ(Displayed(0x1234, curve), curved);
}

TEST(DisplayCurveTest, ACopyOfTheLiveCurveGivesTheTableBuiltFromItsState)
{
    // The live curve as the editor keeps it: a byte table over every 16-bit sample.
    for (const bool negative : {false, true}) {
        ColorCorrectingToneCurve live;
        live.SetRawBits(16);
        live.SetHandles(Curve(false).handles);
        live.SetNegative(negative);
        live.BuildRawTable();
        for (const auto& [none14, embed] :
             {std::pair{false, false}, {false, true}, {true, false}, {true, true}}) {
            CurveState state = Curve(none14);
            state.negative = negative;
            ColorCorrectingToneCurve built;
            BuildDisplayCurve(state, embed, built);
            // Copied over a curve that held the other mode, so no state of its own survives.
            ColorCorrectingToneCurve copied;
            BuildDisplayCurve(Curve(!none14), !embed, copied);
            CopyDisplayCurve(live, none14, embed, copied);
            EXPECT_TRUE(std::ranges::equal(copied.RawTable(), built.RawTable()))
                << negative << none14 << embed;
            EXPECT_EQ(Displayed(0x1234, copied), Displayed(0x1234, built));
        }
    }
}

}  // namespace
}  // namespace scanora
