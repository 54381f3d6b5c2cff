#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "CamsimTestHelpers.h"
#include "camsim/SimCamera.h"

namespace camsim::test {
namespace {

const Bytes kStatus{0x0D, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 'C', 'S', '\r'};
const Bytes kModel{0x0D, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 'M', 'M', '\r'};
const Bytes kCdbStatus{0x0D, 0x00, 0x00, 0x00, 0x03, 0x00};
const Bytes kCdbReplyReady{0x0E, 0x01, 0x00, 0x00, 0x06, 0x00};
const Bytes kCdbReplyRead{0x0E, 0x00, 0x00, 0x04, 0x00, 0x00};

SimConfig WithFaults(std::string faults, SimLink link = SimLink::Usb)
{
    SimConfig config;
    config.speed = 0.0;
    config.link = link;
    config.sampleImages = false;
    std::string error;
    EXPECT_TRUE(ParseSimFaults(faults, config.faults, error)) << error;
    return config;
}

int Scsi(SimCamera& camera, const Bytes& cdb, bool dataIn, Bytes& data)
{
    std::size_t transferred = 0;
    return camera.ScsiCommand(cdb.data(), cdb.size(), dataIn, data.data(), data.size(),
                              transferred);
}

TEST(Faults, NoReplyLeavesTheReadyBitDownForThatCommandOnly)
{
    SimCamera camera(WithFaults("noreply:CS"));
    ASSERT_EQ(BulkOut(camera, kStatus), 11);
    EXPECT_FALSE(ReplyWaiting(camera));
    EXPECT_EQ(Exchange(camera, kModel), "MM6");
    EXPECT_EQ(camera.ReceivedCommands(), (std::vector<std::string>{"CS", "MM"}));
}

TEST(Faults, ErrorAnswersTheCodeInHexadecimal)
{
    SimCamera camera(WithFaults("error:CS:33+error:MM:2"));
    EXPECT_EQ(Exchange(camera, kStatus), "#E33");
    EXPECT_EQ(Exchange(camera, kModel), "#E02");
}

TEST(Faults, ErrorRefusesTheCommandInsteadOfRunningIt)
{
    SimCamera camera(WithFaults("error:CMV:11"));
    EXPECT_EQ(Exchange(camera, {0x0D, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0x00, 'M', 'D', '1', '0',
                                '0', '0', '\r'}),
              "MD1000");
    EXPECT_EQ(
        Exchange(camera, {0x0D, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 'C', 'M', 'V', '\r'}),
        "#E11");
    EXPECT_EQ(Exchange(camera, kStatus), "#S0000 0000 0000 0333 4800") << "carriage still home";
}

TEST(Faults, TransferFaultFailsTheReplyReadOverUsb)
{
    SimCamera camera(WithFaults("xfer:CS"));
    ASSERT_EQ(BulkOut(camera, kStatus), 11);
    EXPECT_TRUE(ReplyWaiting(camera));
    ASSERT_EQ(BulkOut(camera, kReplyReadBlock), 8);
    int result = 0;
    BulkIn(camera, 1024, &result);
    EXPECT_EQ(result, -1);
    EXPECT_FALSE(ReplyWaiting(camera)) << "the lost reply is gone";
    EXPECT_EQ(Exchange(camera, kModel), "MM6") << "other replies travel";
}

TEST(Faults, TransferFaultFailsTheReplyReadOverScsi)
{
    SimCamera camera(WithFaults("xfer:CS", SimLink::Scsi));
    Bytes text{'C', 'S', '\r'};
    Bytes ready(6);
    Bytes reply(1024);
    ASSERT_EQ(Scsi(camera, kCdbStatus, false, text), 0);
    ASSERT_EQ(Scsi(camera, kCdbReplyReady, true, ready), 0);
    EXPECT_EQ(ready[0] & 0x10, 0x10);
    EXPECT_NE(Scsi(camera, kCdbReplyRead, true, reply), 0);
}

TEST(Faults, DropKillsTheLinkAfterNCommands)
{
    SimCamera camera(WithFaults("drop:2"));
    EXPECT_EQ(Exchange(camera, kModel), "MM6");
    EXPECT_EQ(Exchange(camera, kStatus).substr(0, 2), "#S");
    EXPECT_EQ(BulkOut(camera, kModel), -1);
    EXPECT_EQ(BulkOut(camera, kReplyReadyBlock), -1);
    int result = 0;
    BulkIn(camera, 6, &result);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(camera.ReceivedCommands(), (std::vector<std::string>{"MM", "CS"}));

    SimCamera scsi(WithFaults("drop:0", SimLink::Scsi));
    Bytes text{'C', 'S', '\r'};
    Bytes answer(36);
    EXPECT_NE(Scsi(scsi, kCdbStatus, false, text), 0);
    EXPECT_NE(Scsi(scsi, {0x12, 0x00, 0x00, 0x00, 0x24, 0x00}, true, answer), 0)
        << "even identification fails on a dead link";
}

TEST(Faults, UnplugTakesTheCableOutForAWhileAndTheCameraComesBackAsItWas)
{
    ManualTime time;
    SimCamera camera(WithFaults("unplug:2:1500"), time.Source());
    EXPECT_EQ(Exchange(camera, kModel), "MM6");
    ASSERT_EQ(BulkOut(camera, kStatus), 11);
    EXPECT_FALSE(camera.Unplugged());

    // Pulled out as the third command arrives: it is lost, and the reply owed to the second
    // is gone with the link.
    EXPECT_EQ(BulkOut(camera, kModel), -1);
    EXPECT_TRUE(camera.Unplugged());
    EXPECT_EQ(BulkOut(camera, kReplyReadyBlock), -1);
    time.Advance(std::chrono::milliseconds(1499));
    EXPECT_TRUE(camera.Unplugged());
    EXPECT_EQ(BulkOut(camera, kModel), -1);

    // Back in: a fresh link with nothing waiting, and the fault does not strike again.
    time.Advance(std::chrono::milliseconds(1));
    EXPECT_FALSE(camera.Unplugged());
    EXPECT_FALSE(camera.LinkDead());
    EXPECT_FALSE(ReplyWaiting(camera));
    EXPECT_EQ(Exchange(camera, kModel), "MM6");
    EXPECT_EQ(Exchange(camera, kModel), "MM6");
    EXPECT_EQ(camera.ReceivedCommands(), (std::vector<std::string>{"MM", "CS", "MM", "MM"}));
}

TEST(Faults, ACablePulledByHandStaysOutUntilPluggedBackIn)
{
    for (const SimLink link : {SimLink::Usb, SimLink::Scsi}) {
        SimConfig config;
        config.speed = 0.0;
        config.link = link;
        SimCamera camera(config);
        const auto image = camera.DiskImage(1);
        ASSERT_TRUE(image.has_value());
        camera.Unplug();
        Bytes text{'C', 'S', '\r'};
        if (link == SimLink::Usb)
            EXPECT_EQ(BulkOut(camera, kStatus), -1);
        else
            EXPECT_NE(Scsi(camera, kCdbStatus, false, text), 0);
        EXPECT_TRUE(camera.Unplugged());
        camera.Plug();
        EXPECT_FALSE(camera.Unplugged());
        if (link == SimLink::Usb) {
            EXPECT_EQ(Exchange(camera, kStatus).substr(0, 2), "#S");
        } else {
            EXPECT_EQ(Scsi(camera, kCdbStatus, false, text), 0);
        }
        // The disk is as it was.
        const auto after = camera.DiskImage(1);
        ASSERT_TRUE(after.has_value());
        EXPECT_EQ(after->header, image->header);
    }
}

TEST(Faults, SlowRaisesTheReadyBitLate)
{
    ManualTime time;
    SimConfig config = WithFaults("slow:250");
    config.speed = 1.0;
    SimCamera camera(config, time.Source());
    ASSERT_EQ(BulkOut(camera, kModel), 11);
    EXPECT_FALSE(ReplyWaiting(camera));
    EXPECT_EQ(ReadReply(camera), "") << "reading early delivers nothing";
    time.Advance(std::chrono::milliseconds(249));
    EXPECT_FALSE(ReplyWaiting(camera));
    time.Advance(std::chrono::milliseconds(1));
    EXPECT_TRUE(ReplyWaiting(camera));
    EXPECT_EQ(ReadReply(camera), "MM6");
}

TEST(Faults, SlowIsRealTimeEvenAtSpeedZero)
{
    ManualTime time;
    SimCamera camera(WithFaults("slow:40"), time.Source());
    ASSERT_EQ(BulkOut(camera, kModel), 11);
    EXPECT_FALSE(ReplyWaiting(camera));
    time.Advance(std::chrono::milliseconds(40));
    EXPECT_TRUE(ReplyWaiting(camera));
}

}  // namespace
}  // namespace camsim::test
