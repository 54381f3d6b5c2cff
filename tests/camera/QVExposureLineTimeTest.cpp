#include "camera/QVExposure.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "camera/ExposureTestSupport.h"
#include "camera/QVCamera.h"
#include "support/ScriptedTransport.h"

namespace scanora {
namespace {

using test::ScriptedTransport;
using ::testing::ElementsAre;

class LineTimeTest : public test::ExposureFixture, public ::testing::Test {};

TEST(LineTimeTableTest, TablesDifferOnlyInTheLongerTimes)
{
    const LineTimeTable exact(0), sixty(1), fifty(2);
    EXPECT_EQ(exact.Value(0), 375);
    EXPECT_EQ(fifty.Value(0), 360);
    EXPECT_EQ(exact.Value(5), 120);
    EXPECT_EQ(sixty.Value(5), 125);
    EXPECT_EQ(fifty.Value(6), 90);
    EXPECT_EQ(sixty.Value(6), 100);
    EXPECT_EQ(fifty.Value(3), 180);
    for (int index = 7; index < LineTimeTable::kCount; ++index) {
        EXPECT_EQ(exact.Value(index), sixty.Value(index));
        EXPECT_EQ(fifty.Value(index), sixty.Value(index));
    }
    EXPECT_EQ(sixty.Value(23), 1);
    // Outside the list a line time reads as 1.
    EXPECT_EQ(sixty.Value(-1), 1);
    EXPECT_EQ(sixty.Value(24), 1);
    // An unknown table number falls back to the 60 Hz table.
    EXPECT_EQ(LineTimeTable(7).Number(), 1);
}

TEST(LineTimeTableTest, LabelsKeepTheirLeadingBlanks)
{
    EXPECT_EQ(LineTimeTable::Label(0), "  1/8 s");
    EXPECT_EQ(LineTimeTable::Label(6), " 1/30 s");
    EXPECT_EQ(LineTimeTable::Label(11), "1/100 s");
    EXPECT_EQ(LineTimeTable::Label(21), "1/1000s");
    EXPECT_EQ(LineTimeTable::Label(23), "1/3000s");
    EXPECT_EQ(LineTimeTable::Label(24), "");
}

TEST_F(LineTimeTest, InStepFollowsTheTableOfTheMains)
{
    exposure_.SetLineTimeIndex(6);
    exposure_.SelectLineTimeTable(2);
    EXPECT_TRUE(displays_.shown.back().lineTimeInStep);  // 90 = 3 x 30
    exposure_.SelectLineTimeTable(1);
    EXPECT_TRUE(displays_.shown.back().lineTimeInStep);  // 100 = 4 x 25
    exposure_.SetLineTimeIndex(10);                      // 37
    EXPECT_FALSE(displays_.shown.back().lineTimeInStep);
    exposure_.SetLineTimeIndex(9);  // 50: in step with 120 Hz, too short for 100 Hz
    EXPECT_TRUE(exposure_.IsLineTimeInStep());
    exposure_.SelectLineTimeTable(2);
    EXPECT_FALSE(exposure_.IsLineTimeInStep());
    exposure_.SelectLineTimeTable(0);
    exposure_.SetLineTimeIndex(10);
    EXPECT_TRUE(exposure_.IsLineTimeInStep());
    // Switching tables keeps the index; an unknown table is ignored.
    exposure_.SelectLineTimeTable(3);
    EXPECT_EQ(exposure_.GetLineTimeTable(), 0);
    EXPECT_EQ(exposure_.GetLineTimeIndex(), 10);
}

TEST_F(LineTimeTest, StartsAtOneThirtiethOnTheSixtyHertzTable)
{
    EXPECT_EQ(exposure_.GetLineTimeIndex(), 6);
    EXPECT_EQ(exposure_.GetLineTimeTable(), 1);
    EXPECT_EQ(exposure_.GetRequestedLineTime(), 100);
    EXPECT_EQ(exposure_.GetLineTimeLabel(), " 1/30 s");
}

// A camera built over a scripted link: model 4 (Birch Plus) with the firmware given.
QVCamera MakeCamera(ScriptedTransport*& link, TransportKind kind, const char* firmware, UiPort& ui)
{
    auto transport = std::make_unique<ScriptedTransport>(kind);
    transport->Answer("MM", "MM4");
    transport->Answer("MV", firmware);
    link = transport.get();
    return QVCamera(std::move(transport), ui, CameraOptions{std::chrono::milliseconds(1)});
}

TEST(ShortestIndexTest, OldFirmwareOverScsiStopsFasterAtTheModelLimit)
{
    test::RecordingUiPort ui;
    ScriptedTransport* link = nullptr;
    const QVCamera camera = MakeCamera(link, TransportKind::Scsi, "MV019D", ui);  // 4.13
    QVExposure exposure(LineTimeLimits::FromCamera(camera), ui);
    EXPECT_EQ(exposure.GetShortestIndex(), 12);
    for (int i = 0; i < 30; ++i) exposure.Faster();
    EXPECT_EQ(exposure.GetLineTimeIndex(), 12);
    EXPECT_EQ(exposure.GetLineTimeLabel(), "1/120 s");
    // Setting an index past the limit clamps it as well.
    exposure.SetLineTimeIndex(20);
    EXPECT_EQ(exposure.GetLineTimeIndex(), 12);
}

TEST(ShortestIndexTest, UsbAddsThreeAndNewFirmwareOpensTheWholeList)
{
    test::RecordingUiPort ui;
    ScriptedTransport* link = nullptr;
    const QVCamera oldUsb = MakeCamera(link, TransportKind::Usb, "MV019D", ui);
    EXPECT_EQ(QVExposure(LineTimeLimits::FromCamera(oldUsb), ui).GetShortestIndex(), 15);
    const QVCamera newScsi = MakeCamera(link, TransportKind::Scsi, "MV019E", ui);  // 4.14
    QVExposure exposure(LineTimeLimits::FromCamera(newScsi), ui);
    EXPECT_EQ(exposure.GetShortestIndex(), 23);
    exposure.Shortest();
    EXPECT_EQ(exposure.GetLineTimeLabel(), "1/3000s");
    // A model with a lower limit pulls the index back.
    exposure.SetLineTimeLimits(LineTimeLimits{9, false, 11, 700, false});
    EXPECT_EQ(exposure.GetLineTimeIndex(), 9);
}

TEST_F(LineTimeTest, SlowerAndFasterStopAtTheEndsOfTheList)
{
    exposure_.Longest();
    EXPECT_EQ(exposure_.GetLineTimeIndex(), 0);
    EXPECT_FALSE(exposure_.Slower());
    EXPECT_EQ(exposure_.GetLineTimeIndex(), 0);
    exposure_.Shortest();
    EXPECT_FALSE(exposure_.Faster());
    EXPECT_EQ(exposure_.GetLineTimeIndex(), 23);
    EXPECT_TRUE(exposure_.Slower());
    EXPECT_EQ(exposure_.GetLineTimeIndex(), 22);
    exposure_.SetLineTimeIndex(-5);
    EXPECT_EQ(exposure_.GetLineTimeIndex(), 0);
}

TEST_F(LineTimeTest, MinimumLineForAStepFallsWithLargerImages)
{
    // c / ((k f b 256) / (pitch M 500)) = 2202 * 1200 * 8 * 500 / (k * 1000 * 3176 * 256)
    //                                   = 12.99983 / k
    EXPECT_EQ(exposure_.MinLineTimeForStep(7), 13);  // k = 1
    EXPECT_EQ(exposure_.MinLineTimeForStep(6), 7);   // 6.4999
    EXPECT_EQ(exposure_.MinLineTimeForStep(0), 2);   // 1.6250
    EXPECT_EQ(exposure_.MinLineTimeForStep(-4), 2);  // 1.0833
    // A step at the step count has no finite minimum; it counts as the coarsest step.
    EXPECT_EQ(exposure_.MinLineTimeForStep(8), 13);
    EXPECT_EQ(exposure_.MinLineTimeForStep(9), 13);
    // Model 6: pitch 900, 12 steps: 2202 * 900 * 12 * 500 / 813056000 = 14.62
    exposure_.SetLineTimeLimits(LineTimeLimits{10, true, 12, 900, false});
    EXPECT_EQ(exposure_.MinLineTimeForStep(11), 15);
}

TEST_F(LineTimeTest, RotatingStageSetsTheMinimumFromItsRateAndFocalLength)
{
    // 1900 * 1200 * 8 * 500 / (1 * 1500 * 1000 * 256) = 23.75
    conditions_.stage = StageMotion{1000, 1500};
    EXPECT_EQ(exposure_.MinLineTimeForStep(7), 24);
    // An exact quotient is not rounded up: 9120000000 / (1000 * 1425 * 256) = 25.
    conditions_.stage = StageMotion{1425, 1000};
    EXPECT_EQ(exposure_.MinLineTimeForStep(7), 25);
    // The panoramic camera: c = 1700, 8160000000 / 384000000 = 21.25.
    exposure_.SetLineTimeLimits(LineTimeLimits{12, true, 8, 1200, true});
    conditions_.stage = StageMotion{1000, 1500};
    EXPECT_EQ(exposure_.MinLineTimeForStep(7), 22);
    // No focal length: no line is long enough; the longest period the camera takes.
    conditions_.stage = StageMotion{1000, 0};
    EXPECT_EQ(exposure_.MinLineTimeForStep(7), 65535);
}

TEST_F(LineTimeTest, EffectiveAndPrescanLinesAreAtLeastTheCarriageMinimum)
{
    conditions_.scanSizeStep = 0;  // minimum 2
    exposure_.SetLineTimeIndex(23);
    EXPECT_EQ(exposure_.GetRequestedLineTime(), 1);
    EXPECT_EQ(exposure_.GetEffectiveLineTime(), 2);
    // A prescan's line is held to the minimum size step's (0 here), whatever step it samples.
    EXPECT_EQ(exposure_.GetPrescanLineTime(), 2);
    exposure_.SetLineTimeIndex(6);
    EXPECT_EQ(exposure_.GetEffectiveLineTime(), 100);
    EXPECT_EQ(exposure_.GetPrescanLineTime(), 100);
    EXPECT_DOUBLE_EQ(exposure_.GetSecondsPerLine(), 100.0 / 3000.0);
}

TEST_F(LineTimeTest, TimeEstimatesRoundHalfUp)
{
    conditions_.prescanLines = 1000;
    conditions_.scanLines = 8000;
    exposure_.SetLineTimeIndex(6);                 // 100
    EXPECT_EQ(exposure_.GetPrescanSeconds(), 33);  // 33.33
    EXPECT_EQ(exposure_.GetScanSeconds(), 267);    // 266.67
    exposure_.SetLineTimeIndex(23);                // both at 2
    EXPECT_EQ(exposure_.GetScanSeconds(), 5);      // 5.33
    EXPECT_EQ(exposure_.GetPrescanSeconds(), 1);   // 0.67
    exposure_.SetLineTimeIndex(15);                // 13
    conditions_.prescanLines = 1500;               // 6.5
    exposure_.Refresh();
    EXPECT_EQ(displays_.shown.back().prescanSeconds, 7);
}

TEST_F(LineTimeTest, FastPrescanTakesTheShortestLineWithinThirteenDecibels)
{
    exposure_.SetLineTimeIndex(6);  // 100; gains 1 stop = 30.103 tenths each
    // The first line at or below the minimum of 13 is index 15 (13); going there from 100
    // needs -100 log10(13 / 100) = 88.606 tenths more: 118.709 in all, within 130.
    FastPrescanExposure fast = exposure_.GetFastPrescanExposure();
    EXPECT_EQ(fast.lineTime, 13);
    for (const double total : fast.totalTenths) EXPECT_NEAR(total, 118.709, 1e-3);

    // With 2 stops the next line after 25 (four times shorter, +60.206) would need
    // 60.206 + 72.125 = 132.3: the search stops at 25 with 4 stops.
    for (const Channel channel : kChannels) exposure_.SetGain(channel, 2 * kStop);
    fast = exposure_.GetFastPrescanExposure();
    EXPECT_EQ(fast.lineTime, 25);
    for (const double total : fast.totalTenths) EXPECT_NEAR(total, 120.412, 1e-3);

    // The prescan uses it while prescans are fast.
    conditions_.fastPrescan = true;
    EXPECT_EQ(exposure_.GetPrescanLineTime(), 25);
}

}  // namespace
}  // namespace scanora
