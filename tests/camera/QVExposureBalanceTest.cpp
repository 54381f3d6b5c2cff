#include "camera/QVExposure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

#include "camera/ExposureTestSupport.h"
#include "imaging/ColorCorrectingToneCurve.h"
#include "platform/OutputStream.h"
#include "settings/LineReader.h"

namespace scanora {
namespace {

using test::UniformPreview;

constexpr double kMax = 4.318506461150052;

class BalanceTest : public test::ExposureFixture, public ::testing::Test {
protected:
    // One neutral point on a uniform preview taken with the current exposure.
    void PrescanOf(std::uint16_t red, std::uint16_t green, std::uint16_t blue)
    {
        preview_ = std::make_unique<UniformPreview>(16, 16, red, green, blue);
        exposure_.SetMeasuredPreview(preview_->View());
        exposure_.PrescanStarted();
        exposure_.PrescanFinished();
    }
    void ExpectPending(double red, double green, double blue, double near = 1e-3)
    {
        const ChannelValues& pending = exposure_.GetPendingCorrections();
        EXPECT_NEAR(pending[0], red, near);
        EXPECT_NEAR(pending[1], green, near);
        EXPECT_NEAR(pending[2], blue, near);
    }

    std::unique_ptr<UniformPreview> preview_;
};

TEST_F(BalanceTest, CorrectionsMakeTheNeutralPointGrey)
{
    PrescanOf(1000, 2000, 4000);
    ASSERT_TRUE(exposure_.AddSamplePoint(8, 8));
    // Grey level (1000 + 2000 + 4000) / 3 = 2333; 100 log10(2333 / channel).
    ExpectPending(36.7915, 6.6885, -23.4145);
    // Points that are not usable do not count.
    preview_->samples.assign(preview_->samples.size(), 60000);
    exposure_.SetMeasuredPreview(preview_->View());
    exposure_.DropSamplePointsOutside(16, 16);
    ExpectPending(0, 0, 0);
}

TEST_F(BalanceTest, PrescanFiltersAreTakenOutOfTheMeans)
{
    exposure_.SetFilter(Channel::Red, kStop);  // red doubled in the prescan
    PrescanOf(2000, 2000, 4000);
    exposure_.AddSamplePoint(8, 8);
    // 10^(30.103 / 100) is a hair above 2, so red comes back as 999, not 1000:
    // grey (999 + 2000 + 4000) / 3 = 2333, and red 100 log10(2333 / 999) = 36.8349.
    ExpectPending(36.8349, 6.6885, -23.4145);
}

TEST_F(BalanceTest, GainChangesSinceThePrescanAreAllowedFor)
{
    PrescanOf(1000, 2000, 4000);
    exposure_.SetGain(Channel::Red, 2 * kStop);
    exposure_.AddSamplePoint(8, 8);
    // Spreads: prescan 0, 0, 0; now red 2 - 4/3 = +2/3 stop, the others -1/3 stop.
    ExpectPending(36.7915 - 20.0687, 6.6885 + 10.0343, -23.4145 + 10.0343);
}

TEST_F(BalanceTest, TheCapTakesTheLargestExcessOffEveryChannel)
{
    for (const Channel channel : kChannels)
        exposure_.SetGain(channel, 4 * kStop);  // 120.412 tenths each
    PrescanOf(1000, 1000, 4000);
    exposure_.AddSamplePoint(8, 8);
    // Unlimited: red and green +30.103 (total 150.515), blue -30.103. The excess of 20.515 is
    // taken off all three, so red - blue stays 60.206.
    ExpectPending(9.588, 9.588, -50.618);
    EXPECT_NEAR(exposure_.GetTotalTenths(Channel::Red) + exposure_.GetPendingCorrections()[0],
                130.0, 1e-9);
}

TEST_F(BalanceTest, NoTotalFallsBelowZero)
{
    for (const Channel channel : kChannels) exposure_.SetGain(channel, 6.0206);  // 0.2 stop
    PrescanOf(4000, 1000, 1000);
    exposure_.AddSamplePoint(8, 8);
    ExpectPending(-6.0206, 30.103, 30.103);
}

TEST_F(BalanceTest, ApplyingTakesTheCorrectionsAndLocksThePoints)
{
    PrescanOf(1000, 2000, 4000);
    exposure_.AddSamplePoint(8, 8);
    exposure_.ApplyNeutralBalance();
    EXPECT_NEAR(exposure_.GetGain(Channel::Red), 1 + 36.7915 / kStop, 1e-4);
    EXPECT_NEAR(exposure_.GetGain(Channel::Blue), 1 - 23.4145 / kStop, 1e-4);
    ExpectPending(0, 0, 0);
    EXPECT_TRUE(exposure_.IsBalanceApplied());
    EXPECT_FALSE(exposure_.AddSamplePoint(4, 4));

    // Clear Meter: no points, adding allowed again.
    exposure_.ClearNeutralPoints();
    EXPECT_EQ(exposure_.SamplePoints().Count(), 0);
    EXPECT_TRUE(exposure_.AddSamplePoint(4, 4));

    // The next prescan clears the flag, keeps the points and measures them anew: the balanced
    // gains now see a grey preview.
    exposure_.ApplyNeutralBalance();
    PrescanOf(2000, 2000, 2000);
    EXPECT_FALSE(exposure_.IsBalanceApplied());
    EXPECT_TRUE(exposure_.SamplePoints().IsEnabled());
    EXPECT_EQ(exposure_.SamplePoints().Count(), 1);
    ExpectPending(0, 0, 0);
}

TEST_F(BalanceTest, PrescanStartDiscardsPendingCorrections)
{
    PrescanOf(1000, 2000, 4000);
    exposure_.AddSamplePoint(8, 8);
    const int redraws = displays_.previewRedraws;
    exposure_.PrescanStarted();
    ExpectPending(0, 0, 0);
    EXPECT_EQ(displays_.previewRedraws, redraws + 1);
}

TEST_F(BalanceTest, LiveFactorsShowTheChangeSinceThePrescan)
{
    exposure_.SetLineTimeIndex(6);  // 100
    PrescanOf(1000, 1000, 1000);
    exposure_.SetLineTimeIndex(9);  // 50: half the light
    exposure_.SetGain(Channel::Green, 2 * kStop);
    EXPECT_EQ(exposure_.GetLiveFactors(), (ChannelValues{1.0, 1.0, 1.0}));  // live preview off

    exposure_.SetLivePreview(true);
    const ChannelValues factors = exposure_.GetLiveFactors();
    // A stop is 30.103 tenths, a hair more than a doubling.
    EXPECT_NEAR(factors[0], 0.5, 1e-7);
    EXPECT_NEAR(factors[1], 1.0, 1e-7);
    EXPECT_NEAR(factors[2], 0.5, 1e-7);

    ColorCorrectingToneCurve curve;
    exposure_.ApplyLiveFactors(curve);
    EXPECT_TRUE(curve.GainsEnabled());
    EXPECT_NEAR(curve.GainRed(), 0.5, 1e-7);
    exposure_.SetLivePreview(false);
    exposure_.ApplyLiveFactors(curve);
    EXPECT_FALSE(curve.GainsEnabled());
    EXPECT_EQ(curve.GainRed(), 1.0);
}

TEST_F(BalanceTest, LivePreviewRedrawsAfterEachChange)
{
    exposure_.SetLivePreview(true);
    const int beforePrescan = displays_.previewRedraws;
    exposure_.Faster();  // no prescan yet: nothing to redraw with
    EXPECT_EQ(displays_.previewRedraws, beforePrescan);
    PrescanOf(1000, 1000, 1000);
    const int afterPrescan = displays_.previewRedraws;
    exposure_.Faster();
    EXPECT_EQ(displays_.previewRedraws, afterPrescan + 1);
}

TEST_F(BalanceTest, PreferencesReachTheToolThroughTheirInterface)
{
    // One lit pixel in the middle of a dark 5 x 5 preview: the 5-pixel spot averages it down to
    // 1000 / 25 = 40, too dark to use; the 1-pixel spot sees 1000.
    std::vector<std::uint16_t> samples(5 * 5 * 3, 0);
    std::fill_n(samples.begin() + 3 * 12, 3, std::uint16_t{1000});
    exposure_.SetMeasuredPreview(PreviewView::Packed(samples, 5, 5));
    exposure_.AddSamplePoint(2, 2);
    EXPECT_FALSE(exposure_.SamplePoints().Points()[0].usable);

    ExposurePreferences& preferences = exposure_;
    preferences.SetSpotWidth(1);
    EXPECT_TRUE(exposure_.SamplePoints().Points()[0].usable);
    preferences.SetSpotWidth(2);
    EXPECT_EQ(preferences.GetSpotWidth(), 1);
    preferences.SelectLineTimeTable(ExposurePreferences::k50HzTable);
    preferences.SetLineTimeIndex(30);
    EXPECT_EQ(preferences.GetLineTimeTable(), 2);
    EXPECT_EQ(preferences.GetLineTimeIndex(), 23);
    preferences.SetLevelStep(ExposurePreferences::kThirdStop);
    EXPECT_EQ(exposure_.GetLevelStep(), 10.0);
}

class SettingRecordTest : public test::ExposureFixture, public ::testing::Test {};

TEST_F(SettingRecordTest, RecordsCarryGainsFiltersLevelAndLineTime)
{
    exposure_.SetGain(Channel::Red, 60.206);
    exposure_.SetFilter(Channel::Green, -15.0515);
    exposure_.SetLineTimeIndex(11);
    ExposureSetting record;
    record.SetName("Daylight");
    exposure_.Capture(record);
    EXPECT_EQ(record.GetName(), "Daylight");
    EXPECT_NEAR(record.GetNeutralRed(), 2.0, 1e-9);
    EXPECT_NEAR(record.GetNeutralGreen(), 1.0, 1e-9);
    EXPECT_NEAR(record.GetFilterGreen(), -0.5, 1e-9);
    EXPECT_NEAR(record.GetEv(), 0.5, 1e-9);
    EXPECT_EQ(record.GetLineTimeStep(), 11);

    // Written and read back by the record's own section format, it gives the same exposure.
    MemoryOutputStream out;
    record.Write(out);
    LineReader in(out.Text());
    std::string_view begin;
    in.ReadLine(begin);
    ExposureSetting read;
    ASSERT_TRUE(read.Read(in));
    QVExposure other(test::SixThousandPixelModel(), ui_);
    other.Apply(read);
    EXPECT_NEAR(other.GetGain(Channel::Red), 2.0, 1e-5);
    EXPECT_NEAR(other.GetFilter(Channel::Green), -0.5, 1e-5);
    EXPECT_EQ(other.GetLineTimeIndex(), 6);  // the line time is not part of a setting
}

TEST_F(SettingRecordTest, ApplyKeepsValuesWithinTheLimitsWithoutBeeping)
{
    ExposureSetting record;
    record.SetNeutralRed(5.0);     // above the cap: reduced to it
    record.SetNeutralGreen(-1.0);  // below 0: 0
    record.SetNeutralBlue(4.0);
    record.SetFilterRed(-2.0);  // outside +-5 dB: 0
    record.SetFilterGreen(-1.0);
    record.SetFilterBlue(1.0);  // 4 + 1 is over the cap: the gain gives way
    record.SetEv(3.0);
    exposure_.Apply(record);
    EXPECT_NEAR(exposure_.GetGain(Channel::Red), kMax, 1e-12);
    EXPECT_EQ(exposure_.GetFilter(Channel::Red), 0.0);
    EXPECT_NEAR(exposure_.GetFilter(Channel::Green), -1.0, 1e-12);
    EXPECT_NEAR(exposure_.GetGain(Channel::Green), 1.0, 1e-12);  // total back to 0
    EXPECT_NEAR(exposure_.GetGain(Channel::Blue), kMax - 1.0, 1e-12);
    EXPECT_NEAR(displays_.shown.back().filterTenths[1], -30.103, 1e-9);
    EXPECT_EQ(ui_.Beeps(), 0);

    record.SetNeutralRed(std::numeric_limits<double>::quiet_NaN());
    record.SetFilterBlue(std::numeric_limits<double>::infinity());
    exposure_.Apply(record);
    EXPECT_EQ(exposure_.GetGain(Channel::Red), 0.0);
    EXPECT_EQ(exposure_.GetFilter(Channel::Blue), 0.0);
}

TEST_F(SettingRecordTest, StoredExposuresSwapWithTheCurrentOne)
{
    EXPECT_EQ(exposure_.SelectedStoredExposure(), 1);
    exposure_.SetGain(Channel::Blue, 90.309);  // 3 stops
    exposure_.SetLineTimeIndex(12);
    const int redraws = displays_.previewRedraws;

    // Record 2 still holds the starting exposure.
    exposure_.SelectStoredExposure(2);
    EXPECT_NEAR(exposure_.GetGain(Channel::Blue), 1.0, 1e-12);
    EXPECT_EQ(exposure_.GetLineTimeIndex(), 6);
    EXPECT_EQ(displays_.previewRedraws, redraws + 1);

    exposure_.SetGain(Channel::Red, 0.0);
    exposure_.SelectStoredExposure(1);
    EXPECT_NEAR(exposure_.GetGain(Channel::Blue), 3.0, 1e-12);
    EXPECT_EQ(exposure_.GetLineTimeIndex(), 12);
    EXPECT_EQ(exposure_.StoredExposure(2).GetNeutralRed(), 0.0);

    // Selecting the current one again keeps the exposure and does not redraw.
    exposure_.SelectStoredExposure(1);
    EXPECT_EQ(exposure_.GetLineTimeIndex(), 12);
    EXPECT_EQ(displays_.previewRedraws, redraws + 2);
    exposure_.SelectStoredExposure(3);
    EXPECT_EQ(exposure_.SelectedStoredExposure(), 1);
}

}  // namespace
}  // namespace scanora
