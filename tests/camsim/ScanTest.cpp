#include <gtest/gtest.h>

#include <chrono>

#include "CaptureTestHelpers.h"
#include "camsim/SimCamera.h"

namespace camsim::test {
namespace {

using std::chrono::milliseconds;

// A scan of 64 pixels × 20 lines at size step 0 (its colour rows 12 lines apart, so the camera
// exposes 20 + 4 × 12 = 68 lines), a line every 1/100 s.
CaptureFields SmallScan()
{
    CaptureFields fields;
    fields.kind = '0';
    fields.step = fields.stepAgain = 0;
    fields.width = 64;
    fields.lines = 20;
    fields.period = 30;
    return fields;
}

struct TimedCamera {
    TimedCamera() : camera(Config(), time.Source(), time.Waiter()), host(camera, &time) {}
    static SimConfig Config()
    {
        SimConfig config;
        config.speed = 1.0;
        config.sampleImages = false;
        return config;
    }

    ManualTime time;
    SimCamera camera;
    UsbHost host;
};

TEST(Scan, CountsLinesAtTheLineTimeAndClosesOnceTheLastCountIsSeen)
{
    TimedCamera t;
    t.host.Start(SmallScan());
    EXPECT_FALSE(t.host.Waiting()) << "CLT is not answered while the scan runs";

    t.time.Advance(milliseconds(55));
    EXPECT_EQ(t.host.Send("CS"), "#S0010 0005 0000 0333 4800");
    t.time.Advance(milliseconds(145));
    EXPECT_EQ(t.host.Send("CS"), "#S0010 0014 0000 0333 4800")
        << "all 20 image lines, while the trailing colour rows still travel";
    EXPECT_FALSE(t.host.Waiting());
    t.time.Advance(milliseconds(479));
    EXPECT_FALSE(t.host.Waiting());
    t.time.Advance(milliseconds(1));
    ASSERT_TRUE(t.host.Waiting()) << "the 68th line is done";
    EXPECT_EQ(t.host.Reply(), "#OK");
    EXPECT_FALSE(t.host.Waiting());
    // Recorded: half a megabyte less free space, one more directory slot.
    EXPECT_EQ(t.host.Send("CS"), "#S0000 0014 0000 0333 47FF");
    EXPECT_EQ(t.host.Send("CDQ"), "DQ02");
}

TEST(Scan, AStatusReplyThatCameLateCannotLetTheClosingReplyRaceTheNextQuery)
{
    TimedCamera t;
    t.host.Start(SmallScan());
    t.time.Advance(milliseconds(100));
    t.host.Post("CS");  // counted 10 lines; the host reads it only after the scan is over
    t.time.Advance(milliseconds(1000));
    ASSERT_TRUE(t.host.Waiting());
    EXPECT_EQ(t.host.Reply(), "#S0010 000A 0000 0333 4800");
    EXPECT_FALSE(t.host.Waiting())
        << "a closing reply now would be wiped out by the host's next status query";
    EXPECT_EQ(t.host.Send("CS"), "#S0000 0014 0000 0333 47FF");
    ASSERT_TRUE(t.host.Waiting());
    EXPECT_EQ(t.host.Reply(), "#OK");
}

TEST(Scan, AtSpeedZeroTheScanIsDoneAtOnce)
{
    SimCamera camera(SpeedZero());
    UsbHost host(camera);
    host.Start(SmallScan());
    EXPECT_FALSE(host.Waiting());
    EXPECT_EQ(host.Send("CS"), "#S0000 0014 0000 0333 47FF");
    EXPECT_EQ(host.Reply(), "#OK");
}

TEST(Scan, ClaStopsTheScanWithoutAClosingReplyOrAnImage)
{
    TimedCamera t;
    t.host.Start(SmallScan());
    t.time.Advance(milliseconds(50));
    EXPECT_EQ(t.host.Send("CS"), "#S0010 0005 0000 0333 4800");
    EXPECT_EQ(t.host.Send("CLA"), "#OK");
    t.time.Advance(milliseconds(2000));
    EXPECT_FALSE(t.host.Waiting());
    EXPECT_EQ(t.host.Send("CS"), "#S0000 0005 0000 0333 4800") << "the count stops";
    EXPECT_FALSE(t.host.Waiting());
    EXPECT_EQ(t.host.Send("CDQ"), "DQ01");
    EXPECT_EQ(t.host.Send("CLA"), "#OK") << "with nothing running too";
    EXPECT_EQ(t.host.Send(Blocks(SmallScan())[0]), "#OK") << "the camera is free again";
}

TEST(Scan, ClaEndsAPrescanWithItsClosingReply)
{
    TimedCamera t;
    CaptureFields fields;  // 40 lines of 288 bytes, 1/30 s each
    t.host.Start(fields);
    EXPECT_EQ(t.host.ReadUnits(4).size(), 2048u);  // waits for 8 lines
    EXPECT_EQ(t.host.Send("CLA"), "#OK");
    ASSERT_TRUE(t.host.Waiting()) << "the host's readout awaits it even after an abort";
    EXPECT_EQ(t.host.Reply(), "#OK");
    const auto before = t.time.Now();
    const Bytes rest = t.host.ReadUnits(4);
    EXPECT_EQ(t.time.Now(), before) << "no waiting for lines that never come";
    // The stream goes on with the rest of line 7, the last one exposed, then zeros from line 8.
    const auto line8 = rest.begin() + (8 * 288 - 2048);
    EXPECT_FALSE(std::all_of(rest.begin(), line8, [](auto b) { return b == 0; }));
    EXPECT_TRUE(std::all_of(line8, rest.end(), [](auto b) { return b == 0; }));
}

TEST(Scan, WhileACaptureRunsTheCameraRefusesWhatWouldDisturbIt)
{
    TimedCamera t;
    const CaptureFields fields = SmallScan();
    t.host.Start(fields);
    t.time.Advance(milliseconds(10));
    for (const std::string& command :
         {Blocks(fields)[0], std::string("CFR00"), std::string("CLD"), std::string("CLL00"),
          std::string("CLB"), std::string("EE0010"), std::string("CLP"), std::string("CLT"),
          std::string("CMX00"), std::string("MD1000"), std::string("CMV"), std::string("CMH"),
          std::string("CDI"), std::string("CDD01")}) {
        EXPECT_EQ(t.host.Send(command), "#E11") << command.substr(0, 5);
    }
    EXPECT_FALSE(t.host.WritePlane(Bytes(8192, 0)));
    EXPECT_EQ(t.host.Send("MM"), "MM6");
    EXPECT_EQ(t.host.Send("CDQ"), "DQ01");
}

TEST(Scan, AScanThatDoesNotFitOnTheDiskIsRefusedAtClp)
{
    SimConfig config = SpeedZero();
    config.model = 7;
    SimCamera camera(config);
    UsbHost host(camera);
    // The largest scan of the Cedar Plus: 12000 pixels × 15990 lines at size step -6, 1103 MB
    // with its trailing lines; 16 of them fit on the 18432 MB disk.
    CaptureFields fields = SmallScan();
    fields.model = 7;
    fields.step = fields.stepAgain = -6;
    fields.width = 12000;
    fields.lines = 15990;
    fields.firstPixel = fields.firstLine = 0;
    for (int scan = 0; scan < 16; ++scan) {
        host.Start(fields);
        ASSERT_EQ(host.Send("CS").substr(7, 4), "3E76") << scan;
        ASSERT_EQ(host.Reply(), "#OK") << scan;
    }
    EXPECT_EQ(host.Send("CS"), "#S0000 3E76 0000 0333 0310") << "784 MB left";
    for (const std::string& block : Blocks(fields)) EXPECT_EQ(host.Send(block), "#OK");
    EXPECT_EQ(host.Send("CLB"), "#OK");
    EXPECT_EQ(host.Send("CLP"), "#E33");
    EXPECT_EQ(host.Send("CLT"), "#E22") << "a refused CLP leaves nothing to start";
    fields.kind = 'D';  // a prescan needs no room
    fields.step = fields.stepAgain = 11;
    fields.width = 666;
    fields.lines = 888;
    for (const std::string& block : Blocks(fields)) EXPECT_EQ(host.Send(block), "#OK");
    EXPECT_EQ(host.Send("CLB"), "#OK");
    EXPECT_EQ(host.Send("CLP"), "#OK");
}

}  // namespace
}  // namespace camsim::test
