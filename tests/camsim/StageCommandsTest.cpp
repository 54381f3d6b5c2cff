#include <gtest/gtest.h>

#include <chrono>
#include <string_view>

#include "CamsimTestHelpers.h"
#include "camsim/SimCamera.h"
#include "camsim/SimConfig.h"
#include "camsim/SimMotor.h"

namespace camsim::test {
namespace {

using std::chrono::milliseconds;

SimConfig Config(double speed)
{
    SimConfig config;
    config.speed = speed;
    config.sampleImages = false;  // an empty disk: 18432 MB free
    return config;
}

// One text command as the USB host sends it: the command block, then the text.
std::string Send(SimCamera& camera, std::string_view text)
{
    Bytes transfer{0x0D, 0x00, 0x00, static_cast<std::uint8_t>(text.size() + 1), 0, 0, 0, 0};
    transfer.insert(transfer.end(), text.begin(), text.end());
    transfer.push_back('\r');
    return Exchange(camera, transfer);
}

// The status reply's flags and motor position words ("0010 0100").
std::string FlagsAndPosition(SimCamera& camera)
{
    const std::string status = Send(camera, "CS");
    return status.substr(2, 4) + " " + status.substr(12, 4);
}

TEST(StageCommands, ParametersAreKeptAndEchoed)
{
    SimCamera camera(Config(0.0));
    EXPECT_EQ(Send(camera, "Ma0A3A"), "Ma0A3A");
    EXPECT_EQ(Send(camera, "Mfabcd"), "MfABCD");
    EXPECT_EQ(Send(camera, "MA2000"), "MA2000");
    EXPECT_EQ(Send(camera, "MR0800"), "MR0800");
    EXPECT_EQ(Send(camera, "MS0008"), "MS0008");
    EXPECT_EQ(Send(camera, "Mb12"), "#E02") << "two digits";
    EXPECT_EQ(Send(camera, "MR08G0"), "#E02");
    EXPECT_EQ(Send(camera, "CMGX"), "#E02");
    EXPECT_EQ(Send(camera, "MM"), "MM6") << "the model query is not taken for a motor value";
}

TEST(StageCommands, StageCoastsPastTheDestinationByItsSpeedsOvershoot)
{
    SimCamera camera(Config(0.0));
    Send(camera, "CMX01");
    Send(camera, "MD1000");
    Send(camera, "CMP");
    EXPECT_EQ(FlagsAndPosition(camera), "0000 1000") << "preset moves nothing";

    Send(camera, "MS0001");
    Send(camera, "MD1200");
    EXPECT_EQ(Send(camera, "CMG"), "#OK");
    EXPECT_EQ(FlagsAndPosition(camera), "0000 1243") << "coarse, upwards: 0x1200 + 67";

    Send(camera, "MS0008");
    Send(camera, "MD1100");
    Send(camera, "CMG");
    EXPECT_EQ(FlagsAndPosition(camera), "0000 10FF") << "fine, downwards: 0x1100 - 1";

    Send(camera, "CMX00");
    EXPECT_EQ(FlagsAndPosition(camera), "0000 0000") << "the carriage stayed home";
    Send(camera, "CMX01");
    EXPECT_EQ(Send(camera, "MT"), "MT10FF");
}

TEST(StageCommands, OvershootKeyAndTheEndsOfTheCount)
{
    SimConfig config = Config(0.0);
    std::string error;
    ASSERT_TRUE(SetSimConfigKey("overshoot", "120/3", config, error)) << error;
    EXPECT_FALSE(SetSimConfigKey("overshoot", "120", config, error));
    EXPECT_FALSE(SetSimConfigKey("overshoot", "1001/1", config, error));
    EXPECT_FALSE(SetSimConfigKey("overshoot", "-1/1", config, error));
    EXPECT_EQ(config.stageCoarseOvershoot, 120);

    SimCamera camera(config);
    Send(camera, "CMX01");
    Send(camera, "MDFFC0");
    Send(camera, "CMG");  // coarse by default
    EXPECT_EQ(FlagsAndPosition(camera), "0000 FFFF") << "0xFFC0 + 120 stops at the end";
    Send(camera, "MS0008");
    Send(camera, "MD0010");
    Send(camera, "CMG");
    EXPECT_EQ(FlagsAndPosition(camera), "0000 000D") << "fine, downwards: 3 past";
}

TEST(StageCommands, StageTurnsAtTheCruiseRateAndStopsOnCommand)
{
    ManualTime time;
    SimCamera camera(Config(1.0), time.Source());
    Send(camera, "CMX01");
    Send(camera, "MR0400");  // 1024 steps a second at coarse speed
    Send(camera, "MD07BD");  // 1981 + 67 = 2048 steps
    Send(camera, "CMG");
    EXPECT_EQ(FlagsAndPosition(camera), "0010 0000");
    time.Advance(milliseconds(1000));
    EXPECT_EQ(FlagsAndPosition(camera), "0010 0400");
    time.Advance(milliseconds(1000));
    EXPECT_EQ(FlagsAndPosition(camera), "0000 0800");

    Send(camera, "MS0008");  // an eighth: 128 steps a second
    Send(camera, "MD0000");
    Send(camera, "CMG");
    time.Advance(milliseconds(1000));
    EXPECT_EQ(FlagsAndPosition(camera), "0010 0780");
    EXPECT_EQ(Send(camera, "CMS"), "#OK");
    EXPECT_EQ(FlagsAndPosition(camera), "0000 0780");
    time.Advance(milliseconds(1000));
    EXPECT_EQ(FlagsAndPosition(camera), "0000 0780") << "stopped where it was";
}

TEST(SimMotorTest, RunsUpToItsCruiseRateAndDownOntoTheTarget)
{
    ManualTime time;
    const SimClock clock(1.0, time.Source());
    // The small stage's rate and acceleration: a quarter second up to 2048 steps a second over
    // 256 steps, the same down.
    SimMotor motor(2048.0, 10000, 8192.0);
    EXPECT_DOUBLE_EQ(motor.SecondsFor(2048), 1.25);
    motor.MoveTo(12048, clock);
    time.Advance(milliseconds(125));
    EXPECT_NEAR(motor.Position(time.Now()), 10000 + 64, 1);  // 8192 x 0.125^2 / 2
    time.Advance(milliseconds(125));
    EXPECT_NEAR(motor.Position(time.Now()), 10000 + 256, 1);
    time.Advance(milliseconds(500));
    EXPECT_NEAR(motor.Position(time.Now()), 10000 + 256 + 1024, 1);
    time.Advance(milliseconds(375));
    EXPECT_NEAR(motor.Position(time.Now()), 12048 - 64, 1);
    EXPECT_TRUE(motor.IsMoving(time.Now()));
    time.Advance(milliseconds(125));
    EXPECT_EQ(motor.Position(time.Now()), 12048);
    EXPECT_FALSE(motor.IsMoving(time.Now()));

    // A move too short for the cruise rate turns to slowing down half way, going down as up.
    EXPECT_DOUBLE_EQ(motor.SecondsFor(128), 0.25);
    motor.MoveTo(12048 - 128, clock);
    time.Advance(milliseconds(125));
    EXPECT_NEAR(motor.Position(time.Now()), 12048 - 64, 1);
    time.Advance(milliseconds(125));
    EXPECT_EQ(motor.Position(time.Now()), 12048 - 128);

    // Without an acceleration the motor runs at its rate from the start.
    SimMotor plain(1000.0, 0);
    EXPECT_DOUBLE_EQ(plain.SecondsFor(500), 0.5);
    plain.MoveTo(500, clock);
    time.Advance(milliseconds(100));
    EXPECT_NEAR(plain.Position(time.Now()), 100, 1);
}

}  // namespace
}  // namespace camsim::test
