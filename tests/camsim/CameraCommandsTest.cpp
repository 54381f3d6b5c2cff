#include <gtest/gtest.h>

#include <chrono>

#include "CamsimTestHelpers.h"
#include "camsim/SimCamera.h"

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

// Fixed transfers of the commands these tests send: the block, then the text.
// clang-format off
const Bytes kStatus{0x0D, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 'C', 'S', '\r'};
const Bytes kMoveTo4096{0x0D, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0x00,
                        'M', 'D', '1', '0', '0', '0', '\r'};
const Bytes kMove{0x0D, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 'C', 'M', 'V', '\r'};
const Bytes kHome{0x0D, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 'C', 'M', 'H', '\r'};
const Bytes kCarriage{0x0D, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00,
                      'C', 'M', 'X', '0', '0', '\r'};
const Bytes kStage{0x0D, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00,
                   'C', 'M', 'X', '0', '1', '\r'};
// clang-format on

TEST(CameraCommands, StatusOfACameraAtRest)
{
    SimCamera camera(Config(0.0));
    // No motor moving, no lines, carriage home, 0x0333 ≈ 12.4 V, 18432 MB free.
    EXPECT_EQ(Exchange(camera, kStatus), "#S0000 0000 0000 0333 4800");
    EXPECT_EQ(
        Exchange(camera, {0x0D, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 'C', 'D', 'Q', '\r'}),
        "DQ01");
}

TEST(CameraCommands, MotorOutputAndDestination)
{
    SimCamera camera(Config(0.0));
    EXPECT_EQ(Exchange(camera, kStage), "#OK");
    EXPECT_EQ(Exchange(camera, kCarriage), "#OK");
    EXPECT_EQ(Exchange(camera, {0x0D, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00, 'C', 'M', 'X', '0',
                                '2', '\r'}),
              "#E02");
    EXPECT_EQ(Exchange(camera, {0x0D, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0x00, 'M', 'D', 'a', 'b',
                                'c', 'd', '\r'}),
              "MDABCD");
    EXPECT_EQ(Exchange(camera, {0x0D, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00, 'M', 'D', '1', '2',
                                '3', '\r'}),
              "#E02")
        << "three digits";
    EXPECT_EQ(Exchange(camera, {0x0D, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0x00, 'M', 'D', '1', '2',
                                'G', '4', '\r'}),
              "#E02");
}

TEST(CameraCommands, UnknownAndMalformedTextsAreConversionErrors)
{
    SimCamera camera(Config(0.0));
    EXPECT_EQ(
        Exchange(camera, {0x0D, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 'Z', 'Z', 'Z', '\r'}),
        "#E01");
    EXPECT_EQ(Exchange(camera, {0x0D, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 'C', 'S'}), "#E01")
        << "no carriage return";
    EXPECT_EQ(
        Exchange(camera, {0x0D, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 'C', 'S', '\r', '\r'}),
        "#E01")
        << "bytes after the carriage return";
    EXPECT_EQ(
        Exchange(camera, {0x0D, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 'C', 'S', 'X', '\r'}),
        "#E02")
        << "a known command with a parameter it does not take";
    EXPECT_EQ(camera.ReceivedCommands(), (std::vector<std::string>{"ZZZ", "CS", "CS", "CSX"}));
}

TEST(CameraCommands, CarriageMovesAtItsRateAndSetsTheMovingFlag)
{
    ManualTime time;
    SimCamera camera(Config(1.0), time.Source());
    EXPECT_EQ(Exchange(camera, kMoveTo4096), "MD1000");
    EXPECT_EQ(Exchange(camera, kStatus), "#S0000 0000 0000 0333 4800")
        << "the destination alone does not move the carriage";
    EXPECT_EQ(Exchange(camera, kMove), "#OK");
    EXPECT_EQ(Exchange(camera, kStatus), "#S0010 0000 0000 0333 4800");

    time.Advance(milliseconds(1000));  // 2000 steps a second
    EXPECT_EQ(Exchange(camera, kStatus), "#S0010 0000 07D0 0333 4800");
    time.Advance(milliseconds(1047));
    EXPECT_EQ(Exchange(camera, kStatus).substr(0, 6), "#S0010");
    time.Advance(milliseconds(1));
    EXPECT_EQ(Exchange(camera, kStatus), "#S0000 0000 1000 0333 4800");

    EXPECT_EQ(Exchange(camera, kHome), "#OK");
    time.Advance(milliseconds(1024));
    EXPECT_EQ(Exchange(camera, kStatus), "#S0010 0000 0800 0333 4800");
    time.Advance(milliseconds(1024));
    EXPECT_EQ(Exchange(camera, kStatus), "#S0000 0000 0000 0333 4800");
}

TEST(CameraCommands, SpeedScalesTheMotionAndZeroArrivesAtOnce)
{
    ManualTime time;
    SimCamera halfTime(Config(0.5), time.Source());
    Exchange(halfTime, kMoveTo4096);
    Exchange(halfTime, kMove);
    time.Advance(milliseconds(500));
    EXPECT_EQ(Exchange(halfTime, kStatus), "#S0010 0000 07D0 0333 4800");
    time.Advance(milliseconds(524));
    EXPECT_EQ(Exchange(halfTime, kStatus), "#S0000 0000 1000 0333 4800");

    SimCamera instant(Config(0.0), time.Source());
    Exchange(instant, kMoveTo4096);
    Exchange(instant, kMove);
    EXPECT_EQ(Exchange(instant, kStatus), "#S0000 0000 1000 0333 4800");
}

TEST(CameraCommands, AuxiliaryOutputMovesTheStageAndLeavesTheCarriage)
{
    ManualTime time;
    SimCamera camera(Config(0.0), time.Source());
    Exchange(camera, kMoveTo4096);
    Exchange(camera, kMove);
    Exchange(camera, kStage);
    EXPECT_EQ(Exchange(camera, kStatus), "#S0000 0000 0000 0333 4800") << "stage at home";
    EXPECT_EQ(Exchange(camera, {0x0D, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0x00, 'M', 'D', '0', '1',
                                '0', '0', '\r'}),
              "MD0100");
    Exchange(camera, kMove);
    EXPECT_EQ(Exchange(camera, kStatus), "#S0000 0000 0100 0333 4800");
    Exchange(camera, kCarriage);
    EXPECT_EQ(Exchange(camera, kStatus), "#S0000 0000 1000 0333 4800");
}

}  // namespace
}  // namespace camsim::test
