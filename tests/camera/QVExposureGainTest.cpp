#include "camera/QVExposure.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "camera/ExposureTestSupport.h"

namespace scanora {
namespace {

constexpr double kMax = 4.318506461150052;         // 13.0 dB in stops
constexpr double kMaxFilter = 1.6609640235192504;  // 5.0 dB in stops
constexpr double kNear = 1e-9;

class GainTest : public test::ExposureFixture, public ::testing::Test {
protected:
    void SetGains(double red, double green, double blue)
    {
        exposure_.SetGain(Channel::Red, red * kStop);
        exposure_.SetGain(Channel::Green, green * kStop);
        exposure_.SetGain(Channel::Blue, blue * kStop);
    }
    void ExpectGains(double red, double green, double blue, double near = kNear)
    {
        EXPECT_NEAR(exposure_.GetGain(Channel::Red), red, near);
        EXPECT_NEAR(exposure_.GetGain(Channel::Green), green, near);
        EXPECT_NEAR(exposure_.GetGain(Channel::Blue), blue, near);
    }
};

TEST_F(GainTest, GainClampsInOrderAndBeeps)
{
    exposure_.SetGain(Channel::Red, 130.0);  // exactly the cap: no clamp
    EXPECT_NEAR(exposure_.GetGain(Channel::Red), kMax, kNear);
    EXPECT_EQ(ui_.Beeps(), 0);

    exposure_.SetGain(Channel::Red, 140.0);
    EXPECT_NEAR(exposure_.GetTotalTenths(Channel::Red), 130.0, 1e-9);
    EXPECT_EQ(ui_.Beeps(), 1);
    EXPECT_NEAR(displays_.shown.back().gainTenths[0], 130.0, 1e-9);  // the clamped value shown

    exposure_.SetGain(Channel::Green, -5.0);
    EXPECT_EQ(exposure_.GetGain(Channel::Green), 0.0);
    EXPECT_EQ(ui_.Beeps(), 2);

    // With a filter of +20 tenths the gain may reach only 110 tenths.
    exposure_.SetFilter(Channel::Blue, 20.0);
    exposure_.SetGain(Channel::Blue, 130.0);
    EXPECT_NEAR(exposure_.GetGain(Channel::Blue) * kStop, 110.0, 1e-9);
    EXPECT_EQ(ui_.Beeps(), 3);

    // With a filter of -20 tenths a gain of 10 would leave the total below 0: raised to 20.
    exposure_.SetFilter(Channel::Red, -20.0);
    exposure_.SetGain(Channel::Red, 10.0);
    EXPECT_NEAR(exposure_.GetGain(Channel::Red) * kStop, 20.0, 1e-9);
    EXPECT_EQ(ui_.Beeps(), 4);
}

TEST_F(GainTest, FilterClampsToFiveDecibelsAndToTheTotal)
{
    for (const Channel channel : kChannels) {
        exposure_.SetFilter(channel, 60.0);
        EXPECT_NEAR(exposure_.GetFilter(channel), kMaxFilter, kNear);
        EXPECT_NEAR(exposure_.GetFilter(channel) * kStop, 50.0, 1e-9);
    }
    EXPECT_EQ(ui_.Beeps(), 3);

    // Gain 1 stop: a filter of -60 tenths is first limited to -5 dB, then to -1 stop so that
    // the total stays at 0.
    exposure_.SetFilter(Channel::Green, -60.0);
    EXPECT_NEAR(exposure_.GetFilter(Channel::Green), -1.0, kNear);
    EXPECT_NEAR(exposure_.GetTotalTenths(Channel::Green), 0.0, 1e-9);

    // Gain at the cap: no positive filter fits.
    exposure_.SetFilter(Channel::Blue, 0.0);
    exposure_.SetGain(Channel::Blue, 130.0);
    exposure_.SetFilter(Channel::Blue, 10.0);
    EXPECT_NEAR(exposure_.GetFilter(Channel::Blue), 0.0, kNear);
    EXPECT_EQ(ui_.Beeps(), 5);

    exposure_.SetFilter(Channel::Red, 15.0);
    EXPECT_EQ(ui_.Beeps(), 5);
}

TEST_F(GainTest, ClearFiltersKeepsTotalsWithinTheLimits)
{
    exposure_.SetFilter(Channel::Red, -30.103);  // gain 1, filter -1: total 0
    exposure_.SetFilter(Channel::Green, 30.103);
    exposure_.SetGain(Channel::Green, 130.0 - 30.103);  // total 130
    exposure_.ClearFilters();
    ExpectGains(1.0, kMax - 1.0, 1.0);
    for (const Channel channel : kChannels) EXPECT_EQ(exposure_.GetFilter(channel), 0.0);
    EXPECT_EQ(ui_.Beeps(), 0);
}

TEST_F(GainTest, IsoFollowsTheGreenTotal)
{
    EXPECT_EQ(exposure_.GetIsoNumber(), 200);  // gains of 1 stop
    exposure_.SetFilter(Channel::Green, kStop / 2);
    EXPECT_EQ(exposure_.GetIsoNumber(), 283);  // 100 * 2^1.5 = 282.84
    EXPECT_NEAR(displays_.shown.back().levelStops, 1.5, kNear);
    SetGains(0, 0, 0);
    exposure_.SetFilter(Channel::Green, 0);
    EXPECT_EQ(displays_.shown.back().iso, 100);
}

TEST_F(GainTest, BalanceToMaximumLiftsTheHighestChannelToTheCap)
{
    SetGains(1, 2, 3);
    EXPECT_TRUE(exposure_.BalanceToMaximum());
    ExpectGains(2.3185065, 3.3185065, 4.3185065, 1e-6);

    // A positive filter counts towards the highest total, a negative one does not.
    SetGains(1, 1, 1);
    exposure_.SetFilter(Channel::Red, kStop / 2);
    exposure_.SetFilter(Channel::Blue, -kStop);
    exposure_.BalanceToMaximum();
    ExpectGains(kMax - 0.5, kMax - 0.5, kMax - 0.5);
    EXPECT_NEAR(exposure_.GetTotalTenths(Channel::Red), 130.0, 1e-9);
}

TEST_F(GainTest, BalanceToMinimumLowersTheLowestChannelToZero)
{
    SetGains(1, 2, 3);
    exposure_.SetFilter(Channel::Green, -kStop / 2);
    exposure_.SetFilter(Channel::Blue, kStop / 2);
    // Lowest of gain + negative filter: red 1, green 1.5, blue 3.
    EXPECT_TRUE(exposure_.BalanceToMinimum());
    ExpectGains(0, 1, 2);
    EXPECT_NEAR(exposure_.GetLevel(), 0.5, kNear);
}

TEST_F(GainTest, BalancingDoesNothingUnderTheBrightnessLock)
{
    SetGains(1, 2, 3);
    exposure_.SetBrightnessLock(true);
    EXPECT_FALSE(exposure_.BalanceToMaximum());
    EXPECT_FALSE(exposure_.BalanceToMinimum());
    ExpectGains(1, 2, 3);
}

TEST_F(GainTest, LevelStepsMoveEveryChannel)
{
    EXPECT_TRUE(exposure_.LevelUp());  // 3 tenths
    ExpectGains(1 + 3 / kStop, 1 + 3 / kStop, 1 + 3 / kStop);
    exposure_.SetLevelStep(10);
    EXPECT_TRUE(exposure_.LevelDown());
    ExpectGains(1 - 7 / kStop, 1 - 7 / kStop, 1 - 7 / kStop);
    exposure_.SetLevelStep(0);  // not a level step
    EXPECT_EQ(exposure_.GetLevelStep(), 10.0);
}

TEST_F(GainTest, LevelUpStopsWhereAnyChannelMeetsTheCap)
{
    exposure_.SetGain(Channel::Red, 129.0);
    // Only 1 tenth is left below the cap for red; the others move the same 1 tenth.
    EXPECT_TRUE(exposure_.LevelUp());
    EXPECT_NEAR(exposure_.GetTotalTenths(Channel::Red), 130.0, 1e-9);
    EXPECT_NEAR(exposure_.GetTotalTenths(Channel::Green), kStop + 1.0, 1e-9);
    EXPECT_FALSE(exposure_.LevelUp());
    EXPECT_FALSE(displays_.shown.back().levelUpEnabled);
    EXPECT_TRUE(displays_.shown.back().levelDownEnabled);
}

TEST_F(GainTest, LevelDownStopsAtZero)
{
    SetGains(0.05, 2, 2);  // 1.505 tenths left on red
    EXPECT_TRUE(exposure_.LevelDown());
    ExpectGains(0, 1.95, 1.95);
    EXPECT_FALSE(exposure_.LevelDown());
    EXPECT_FALSE(exposure_.CanLevelDown());
}

TEST_F(GainTest, LockedLineTimeChangesKeepTheBrightness)
{
    exposure_.SetBrightnessLock(true);
    // 100 -> 75: -100 log10(0.75) = +12.494 tenths.
    EXPECT_TRUE(exposure_.Faster());
    EXPECT_EQ(exposure_.GetLineTimeIndex(), 7);
    EXPECT_NEAR(exposure_.GetTotalTenths(Channel::Green), kStop + 12.4939, 1e-4);
    // 75 -> 100 -> 125 (60 Hz table): back to 1 stop, then -9.691 tenths.
    EXPECT_TRUE(exposure_.Slower());
    EXPECT_TRUE(exposure_.Slower());
    EXPECT_EQ(exposure_.GetLineTimeIndex(), 5);
    EXPECT_NEAR(exposure_.GetTotalTenths(Channel::Blue), kStop - 9.6910, 1e-4);
    // Longest and Shortest are ignored under the lock.
    exposure_.Longest();
    exposure_.Shortest();
    EXPECT_EQ(exposure_.GetLineTimeIndex(), 5);
}

TEST_F(GainTest, LockedMovesAreRefusedWhenTheGainsCanNotFollow)
{
    exposure_.SetGain(Channel::Red, 125.0);
    exposure_.SetBrightnessLock(true);
    EXPECT_FALSE(exposure_.Faster());  // red would need 137.5
    EXPECT_FALSE(exposure_.LevelUp());
    EXPECT_FALSE(exposure_.CanLevelUp());
    EXPECT_EQ(exposure_.GetLineTimeIndex(), 6);
    EXPECT_NEAR(exposure_.GetTotalTenths(Channel::Red), 125.0, 1e-9);

    // Longer lines need less gain: green at 5 tenths can not give up 9.691.
    SetGains(3, 5.0 / kStop, 3);
    EXPECT_FALSE(exposure_.Slower());
    EXPECT_FALSE(exposure_.LevelDown());
    EXPECT_EQ(exposure_.GetLineTimeIndex(), 6);
}

TEST_F(GainTest, LockedLevelUpShortensTheLine)
{
    exposure_.SetBrightnessLock(true);
    EXPECT_TRUE(exposure_.LevelUp());
    EXPECT_EQ(exposure_.GetLineTimeIndex(), 7);
    EXPECT_NEAR(exposure_.GetTotalTenths(Channel::Red), kStop + 12.4939, 1e-4);
    EXPECT_TRUE(exposure_.LevelDown());
    EXPECT_EQ(exposure_.GetLineTimeIndex(), 6);
    EXPECT_NEAR(exposure_.GetTotalTenths(Channel::Red), kStop, 1e-9);
}

}  // namespace
}  // namespace scanora
