#include "camera/QVPanoControl.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "camera/FakeStageTransport.h"
#include "camera/QVCamera.h"
#include "support/RecordingUiPort.h"

namespace scanora {
namespace {

using test::FakeStageTransport;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The small stage's start of a 90 degree extent: centre 26624 plus half of 5999 steps.
constexpr std::uint16_t kSmallStageStart = 26624 + 2999;

// A stage control over a camera whose turntable coasts like the real one. Pauses cost nothing:
// the clock advances by what the control asks to sleep.
class QVPanoControlTest : public ::testing::Test {
protected:
    QVPanoControl& Make(int modelCode = 6)
    {
        auto transport = std::make_unique<FakeStageTransport>(modelCode);
        stage_ = transport.get();
        camera_ = std::make_unique<QVCamera>(std::move(transport), ui_,
                                             CameraOptions{std::chrono::milliseconds(0)});
        StageTiming timing;
        timing.sleep = [this](std::chrono::milliseconds duration) {
            slept_.push_back(duration);
            now_ += duration;
        };
        timing.now = [this] { return now_; };
        pano_ = std::make_unique<QVPanoControl>(*camera_, ui_, timing);
        stage_->TakeSent();
        ui_.Clear();
        return *pano_;
    }
    void SetMode(std::int16_t mode)
    {
        StageValues values = pano_->CurrentStageValues();
        values.panoMode = mode;
        pano_->ApplyStageValues(values);
    }
    std::vector<std::string> StatusTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& posted : ui_.PostedCommands())
            if (posted.command == WindowCommand::ShowStatus)
                texts.push_back(posted.text);
        return texts;
    }

    test::RecordingUiPort ui_;
    FakeStageTransport* stage_ = nullptr;
    std::unique_ptr<QVCamera> camera_;
    std::unique_ptr<QVPanoControl> pano_;
    std::vector<std::chrono::milliseconds> slept_;
    std::chrono::steady_clock::time_point now_{};
};

TEST_F(QVPanoControlTest, StageTypeFollowsTheCamera)
{
    QVPanoControl& pano = Make(6);
    StageValues values;
    values.stageType = StageValues::kOrbiscanCamera;
    pano.ApplyStageValues(values);
    EXPECT_EQ(pano.StageType(), StageValues::kSmallStage);
    EXPECT_EQ(pano.MotorParams(), StageValues::DefaultMotorParams(StageValues::kSmallStage));
    EXPECT_EQ(pano.CoarseOvershoot(), 67);
    EXPECT_EQ(pano.FineOvershoot(), 1);

    values.stageType = StageValues::kLargeStage;
    pano.ApplyStageValues(values);
    EXPECT_EQ(pano.MotorParams()[0], 1745);

    // A type the stage does not know keeps the one it has.
    values.stageType = 9;
    pano.ApplyStageValues(values);
    EXPECT_EQ(pano.StageType(), StageValues::kLargeStage);
}

TEST_F(QVPanoControlTest, PanoramicCameraAlwaysTurnsItself)
{
    QVPanoControl& pano = Make(2);
    EXPECT_EQ(pano.StageType(), StageValues::kOrbiscanCamera);
    StageValues values;
    values.stageType = StageValues::kSmallStage;
    pano.ApplyStageValues(values);
    EXPECT_EQ(pano.StageType(), StageValues::kOrbiscanCamera);
    EXPECT_EQ(pano.MotorParams()[0], 7855);
    EXPECT_EQ(pano.MotorParams()[6], 10384);
    EXPECT_EQ(pano.CoarseOvershoot(), 136);
    EXPECT_EQ(pano.FineOvershoot(), 2);
}

TEST_F(QVPanoControlTest, CustomStageIsCentredAndValuesAreKeptInRange)
{
    QVPanoControl& pano = Make();
    StageValues values;
    values.stageType = StageValues::kCustomStage;
    values.motorParams = {3000, 1, 2, 3, 4, 5, 6, 7, 1000, 3001, 9};
    values.focalLength = 1000;
    values.scanExtent = 500;
    values.rolloutHeight = 1;
    values.rolloutDiameter = 5000;
    values.numImages = -3;
    values.numDegrees = -10;
    values.panoMode = 7;
    pano.ApplyStageValues(values);

    const StageValues current = pano.CurrentStageValues();
    EXPECT_EQ(current.stageType, StageValues::kCustomStage);
    EXPECT_EQ(current.motorParams,
              (StageValues::MotorParams{3000, 1, 2, 3, 4, 5, 6, 7, 1000, 3001, 2000}));
    EXPECT_EQ(current.focalLength, 600);
    EXPECT_EQ(current.scanExtent, 450);
    EXPECT_EQ(current.rolloutHeight, 10);
    EXPECT_EQ(current.rolloutDiameter, 1000);
    EXPECT_EQ(current.numImages, 1);
    EXPECT_EQ(current.numDegrees, 0);
    EXPECT_EQ(current.panoMode, StageValues::kPanoOff);
    EXPECT_EQ(pano.ObjectImageCount(), 0);
}

TEST_F(QVPanoControlTest, CommandsCarryTheMotorParameters)
{
    QVPanoControl& pano = Make();
    ASSERT_TRUE(pano.UploadMotorParameters());
    EXPECT_THAT(stage_->TakeSent(),
                ElementsAre("CMX01", "Ma0A3A", "MbC800", "Mc0800", "Md0600", "Me0080", "Mf583B"));
    ASSERT_TRUE(pano.MoveCoarse(0x1234));
    EXPECT_THAT(stage_->TakeSent(), ElementsAre("MS0001", "MA2000", "MR0800", "MD1234", "CMG"));
    ASSERT_TRUE(pano.MoveFine(0x0042));
    EXPECT_THAT(stage_->TakeSent(), ElementsAre("MS0008", "MA2000", "MR0800", "MD0042", "CMG"));
    ASSERT_TRUE(pano.PositionStage(0xBEEF));
    EXPECT_THAT(stage_->TakeSent(), ElementsAre("MDBEEF", "CMP"));
    EXPECT_EQ(stage_->Position(), 0xBEEF);
    stage_->SetStageOffset(0x01F4);
    EXPECT_EQ(pano.ReadStageOffset(), 500);
}

TEST_F(QVPanoControlTest, FailedCommandsLeaveTheStageWhereItIs)
{
    QVPanoControl& pano = Make();
    stage_->Fail("MD");
    EXPECT_FALSE(pano.MoveCoarse(0x1000));
    EXPECT_THAT(stage_->TakeSent(), ElementsAre("CMX01", "MS0001", "MA2000", "MR0800", "MD1000"));
    EXPECT_FALSE(pano.PositionStage(0x1000));
    EXPECT_THAT(stage_->TakeSent(), ElementsAre("MD1000"));

    stage_->Fail("Mc");
    EXPECT_FALSE(pano.UploadMotorParameters());
    EXPECT_THAT(stage_->TakeSent(), ElementsAre("Ma0A3A", "MbC800", "Mc0800"));
}

TEST_F(QVPanoControlTest, RotateToStopsShortByTheOvershoot)
{
    QVPanoControl& pano = Make();
    int redraws = 0;
    int restored = 0;
    pano.SetRedraw([&] { ++redraws; });
    pano.SetViewStateChanged([&] { ++restored; });

    // 100 steps up: a fine move to one short of the target.
    stage_->SetPosition(1000);
    ASSERT_TRUE(pano.RotateTo(1100));
    EXPECT_THAT(stage_->TakeSent(), ElementsAre("CS", "CMX01", "MS0008", "MA2000", "MR0800",
                                                "MD044B", "CMG", "CS", "CS", "CS"));
    EXPECT_EQ(stage_->Position(), 1100);
    EXPECT_THAT(slept_, ElementsAre(std::chrono::milliseconds(250), std::chrono::milliseconds(50),
                                    std::chrono::milliseconds(50)));
    EXPECT_EQ(redraws, 2);
    EXPECT_EQ(restored, 1);
    EXPECT_THAT(StatusTexts(), ElementsAre("Rotating stage..."));

    // 1000 steps down: a coarse move to 67 above it.
    stage_->SetPosition(3000);
    ASSERT_TRUE(pano.RotateTo(2000));
    const auto sent = stage_->TakeSent();
    EXPECT_THAT(std::vector<std::string>(sent.begin() + 1, sent.begin() + 5),
                ElementsAre("MS0001", "MA2000", "MR0800", "MD0813"));
    EXPECT_EQ(stage_->Position(), 2000);

    // Within twice the fine overshoot it goes straight there; at the target nothing moves.
    stage_->SetPosition(2002);
    ASSERT_TRUE(pano.RotateTo(2000));
    EXPECT_THAT(stage_->TakeSent(), ::testing::Contains("MD07D0"));
    ASSERT_TRUE(pano.RotateTo(stage_->Position()));
    EXPECT_THAT(stage_->TakeSent(), ElementsAre("CS"));
    EXPECT_EQ(restored, 4);
}

TEST_F(QVPanoControlTest, MotionWaitIsBounded)
{
    QVPanoControl& pano = Make();
    stage_->SetMovingPolls(-1);
    stage_->SetPosition(0);
    EXPECT_FALSE(pano.RotateTo(5000));
    // 250 ms, then 50 ms pauses until 120 s have passed.
    EXPECT_EQ(slept_.size(), 1u + (120000 - 250) / 50);
    EXPECT_LT(stage_->StatusQueries(), 2500);
}

TEST_F(QVPanoControlTest, CalibrationMeasuresBothOvershoots)
{
    QVPanoControl& pano = Make();
    stage_->SetOvershoots(60, 3);
    stage_->SetPosition(10000);
    ASSERT_TRUE(pano.Calibrate());
    EXPECT_EQ(pano.CoarseOvershoot(), 60);
    EXPECT_EQ(pano.FineOvershoot(), 3);
    EXPECT_THAT(ui_.MessageTexts(), ElementsAre("Calibration: 60, 3"));
    const auto sent = stage_->TakeSent();
    EXPECT_THAT(sent, ::testing::Contains("MD2904"));  // 10000 + 500
    EXPECT_THAT(sent, ::testing::Contains("MD2972"));  // 10560 + 50

    // The measured overshoots decide the next rotation.
    stage_->SetPosition(20000);
    ASSERT_TRUE(pano.RotateTo(20100));
    EXPECT_EQ(stage_->Position(), 20100);
}

TEST_F(QVPanoControlTest, FailedCalibrationKeepsTheOvershoots)
{
    QVPanoControl& pano = Make();
    stage_->Fail("CMG");
    EXPECT_FALSE(pano.Calibrate());
    EXPECT_EQ(pano.CoarseOvershoot(), 67);
    EXPECT_EQ(pano.FineOvershoot(), 1);
    EXPECT_THAT(ui_.MessageTexts(), ElementsAre("Camera Reported Error: Value Error"));
}

TEST_F(QVPanoControlTest, ObjectViewsTurnDownByTheDegreesBetweenImages)
{
    QVPanoControl& pano = Make();
    SetMode(StageValues::kPanoObject);
    EXPECT_TRUE(pano.IsObjectMode());
    EXPECT_FALSE(pano.IsRotatingCapture());
    StageValues values = pano.CurrentStageValues();
    values.numImages = 12;
    values.numDegrees = 360;
    pano.ApplyStageValues(values);
    EXPECT_EQ(pano.ObjectImageCount(), 11);

    stage_->SetPosition(20000);
    ASSERT_TRUE(pano.NextObjectView());
    // 30 degrees at a = 2618 come to 1999.995 steps: 1999.
    EXPECT_EQ(stage_->Position(), 20000 - 1999);
    const auto sent = stage_->TakeSent();
    EXPECT_EQ(sent.front(), "CMX01");
    EXPECT_EQ(sent.back(), "CMX00");
    EXPECT_THAT(sent, ::testing::Contains("MD4694"));  // 18001 + 67
}

TEST_F(QVPanoControlTest, PreparationTurnsToTheStartOfTheExtent)
{
    QVPanoControl& pano = Make();
    SetMode(StageValues::kPanoOn);
    stage_->SetPosition(kSmallStageStart - 3000);
    ASSERT_TRUE(pano.PrepareStage());
    EXPECT_EQ(stage_->Position(), kSmallStageStart);

    // A region 1000 lines along the travel starts 343 steps earlier (model 6, 100 mm lens).
    ASSERT_TRUE(pano.PrepareStage(1000));
    EXPECT_EQ(stage_->Position(), kSmallStageStart - 343);

    // After the user has placed the stage the next capture starts there, the one after that
    // is positioned again.
    stage_->TakeSent();
    pano.SetUserMovedStage(true);
    ASSERT_TRUE(pano.PrepareStage());
    EXPECT_THAT(stage_->TakeSent(), IsEmpty());
    EXPECT_FALSE(pano.UserMovedStage());
    ASSERT_TRUE(pano.PrepareStage());
    EXPECT_EQ(stage_->Position(), kSmallStageStart);
}

TEST_F(QVPanoControlTest, ReturnPresetsTheStageAfterAScan)
{
    QVPanoControl& pano = Make();
    SetMode(StageValues::kPanoOn);
    stage_->SetPosition(50000);
    stage_->SetStageOffset(6000);
    ASSERT_TRUE(pano.AfterRotatingScan(1000));
    EXPECT_TRUE(pano.StageReturned());
    // 50000 + 29623 - 6000 - 343, in 16-bit positions.
    EXPECT_EQ(stage_->Position(), 7744);
    EXPECT_THAT(stage_->TakeSent(), ElementsAre("CS", "CS", "MT", "CMX01", "CS", "MD1E40", "CMP"));

    // Without the offset the stage is not preset; without return-after-scan it is not returned.
    stage_->Fail("MT");
    EXPECT_FALSE(pano.ReturnStage());
    EXPECT_THAT(stage_->TakeSent(), ElementsAre("CS", "MT"));
    pano.SetReturnAfterScan(false);
    ASSERT_TRUE(pano.AfterRotatingScan());
    EXPECT_THAT(stage_->TakeSent(), ElementsAre("CS"));
}

TEST_F(QVPanoControlTest, StartUpUploadsAndPresetsARotatingCapture)
{
    QVPanoControl& pano = Make();
    StageValues values;
    ASSERT_TRUE(pano.StartUp(values));
    EXPECT_EQ(stage_->TakeSent().size(), 7u);  // the motor output and the six parameters

    values.panoMode = StageValues::kPanoOn;
    ASSERT_TRUE(pano.StartUp(values));
    auto sent = stage_->TakeSent();
    EXPECT_THAT(std::vector<std::string>(sent.end() - 2, sent.end()), ElementsAre("MD73B7", "CMP"));

    // Capped at the maximum position.
    values.stageType = StageValues::kCustomStage;
    values.motorParams = {2618, 51200, 2048, 1536, 128, 22587, 8192, 2048, 1000, 2000, 0};
    ASSERT_TRUE(pano.StartUp(values));
    sent = stage_->TakeSent();
    EXPECT_EQ(sent.back(), "CMP");
    EXPECT_EQ(stage_->Position(), 2000);
}

TEST_F(QVPanoControlTest, RotatingCaptureGeometry)
{
    QVPanoControl& pano = Make();
    EXPECT_EQ(pano.RotatingStageMotion(), std::nullopt);
    SetMode(StageValues::kPanoOn);
    EXPECT_EQ(pano.RotatingCaptureLines(), 17453);  // 90 degrees, 100 mm, 9 micrometre pixels
    const auto motion = pano.RotatingStageMotion();
    ASSERT_TRUE(motion.has_value());
    EXPECT_EQ(motion->rate, 2618);
    EXPECT_EQ(motion->focalLengthTenths, 1000);
    EXPECT_EQ(pano.DescriptionValues(), std::make_pair(100.0, 90.0));

    // A roll-out of a 100 mm high, 50 mm wide object over the 8000 sensor pixels.
    SetMode(StageValues::kPanoRollout);
    EXPECT_NEAR(pano.FocalLength(), 18.0, 1e-9);
    EXPECT_EQ(pano.RotatingStageMotion()->focalLengthTenths, 180);
    EXPECT_EQ(pano.DescriptionValues(), std::make_pair(50.0, 100.0));

    // The prescan line in front of the sensor: line 100 at size step 12 is 1200 lines in.
    stage_->SetPosition(kSmallStageStart);
    SetMode(StageValues::kPanoOn);
    ASSERT_TRUE(pano.RotateToLine(100));
    EXPECT_EQ(stage_->Position(), kSmallStageStart - 412);
}

TEST_F(QVPanoControlTest, JogsAndStop)
{
    QVPanoControl& pano = Make();
    int restored = 0;
    pano.SetViewStateChanged([&] { ++restored; });
    ASSERT_TRUE(pano.Jog(QVPanoControl::JogEnd::Minimum, QVPanoControl::JogSpeed::Fine, 1));
    EXPECT_THAT(stage_->TakeSent(),
                ElementsAre("CMX01", "MS0008", "MA2000", "MR0800", "MD1000", "CMG"));
    EXPECT_TRUE(pano.UserMovedStage());
    ASSERT_TRUE(pano.Jog(QVPanoControl::JogEnd::Minimum, QVPanoControl::JogSpeed::Coarse, 3));
    EXPECT_THAT(stage_->TakeSent(), ElementsAre("MS0001", "MA2000", "MR0800", "MDC000", "CMG"));
    ASSERT_TRUE(pano.StopStage());
    EXPECT_THAT(stage_->TakeSent(), ElementsAre("CMS"));
    EXPECT_EQ(restored, 1);
}

TEST_F(QVPanoControlTest, DestructionHandsTheMotorBackOnlyWhenConnected)
{
    Make();
    ASSERT_TRUE(pano_->PositionStage(100));
    stage_->TakeSent();
    pano_.reset();
    EXPECT_THAT(stage_->TakeSent(), ElementsAre("CMX00"));

    Make();
    ASSERT_TRUE(pano_->PositionStage(100));
    stage_->TakeSent();
    stage_->SetConnected(false);
    pano_.reset();
    EXPECT_THAT(stage_->TakeSent(), IsEmpty());
}

}  // namespace
}  // namespace scanora
