// What the real transports make of a camera that misbehaves, with the kernel mocked by umockdev:
// the simulator's faults travel through libusb and the sg driver's interface, and the mocked
// kernel adds its own (an interface another program holds, a node this user may not open, a
// stalled endpoint, a device that goes away).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "MockedKernel.h"
#include "camsim/SimDisk.h"
#include "cli/CliDiskImages.h"
#include "cli/CliProcess.h"
#include "support/ProcessRunner.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using namespace std::chrono_literals;

constexpr std::string_view kUdevAdvice =
    "Install the udev rule: sudo cp packaging/udev/70-scanora-camera.rules /etc/udev/rules.d/ && "
    "sudo udevadm control --reload && replug the camera.";

class MockedFaultTest : public ::testing::TestWithParam<const char*> {
protected:
    test::MockedRun Run(const std::string& keys, std::vector<std::string> mockOptions = {}) const
    {
        return {
            GetParam(), keys.empty() ? "speed=0" : "speed=0," + keys, std::move(mockOptions), {}};
    }
    [[nodiscard]] bool Usb() const { return GetParam() == std::string("usb"); }
};

TEST_P(MockedFaultTest, CameraFaultsReadAsTheyDoAgainstTheSimulator)
{
    SCANORA_REQUIRE_MOCKED_KERNEL();
    // No reply, an error reply and a reply whose transfer fails: one message each, exit 1.
    for (const std::string fault : {"noreply:CS", "error:CS:33", "xfer:CS"}) {
        SCOPED_TRACE(fault);
        const auto run = Run("fault=" + fault);
        const test::ProcessResult mocked = test::RunMockedCli(run, {"status"});
        const test::ProcessResult simulated = test::RunSimulatedCli(run, {"status"});
        EXPECT_EQ(mocked.exitCode, 1);
        EXPECT_EQ(test::Shown(mocked), test::Shown(simulated));
        EXPECT_THAT(test::Shown(mocked), StartsWith("Camera Reported Error: "));
    }
}

TEST_P(MockedFaultTest, ACameraGoneDuringARetrievalLeavesNoFile)
{
    SCANORA_REQUIRE_MOCKED_KERNEL();
    test::TempDir disk;
    test::TempDir out;
    {
        camsim::SimDisk images(disk.Path().string());
        ASSERT_TRUE(images.Record(test::NamedImage("Harbour", 2000, 1500)));
    }
    // The link dies once a third of the image has come over: the camera is gone from the bus.
    const auto run = Run("samples=off,disk=" + disk.Path().string() + ",fault=dropdata:6000000");
    const test::ProcessResult result =
        test::RunMockedCli(run, {"get", "1", "-o", out.Path().string() + "/"});
    EXPECT_EQ(result.exitCode, 1);
    // libusb reports the transfer that the unplugging cut short as an I/O error; the sg driver
    // answers with ENODEV, a camera no longer connected.
    EXPECT_THAT(test::Shown(result), HasSubstr(Usb() ? "Camera Reported Error: 1117\n"
                                                     : "Camera Reported Error: 1167\n"));
    EXPECT_LT(result.elapsed, 10s) << "a camera that went away is not waited on";
    EXPECT_TRUE(std::filesystem::is_empty(out.Path())) << "a part of the image was left behind";
}

TEST_P(MockedFaultTest, ANodeThisUserMayNotOpenSaysHowToAllowIt)
{
    SCANORA_REQUIRE_MOCKED_KERNEL();
    const test::ProcessResult result = test::RunMockedCli(Run("", {"--no-permission"}), {"info"});
    EXPECT_EQ(result.exitCode, 1);
    const std::string opening = Usb() ? "The camera is connected but this user may not open it. "
                                      : "This user may not open /dev/sg0. If it is the camera: ";
    EXPECT_EQ(test::Shown(result), opening + std::string(kUdevAdvice) + "\n");
}

INSTANTIATE_TEST_SUITE_P(Links, MockedFaultTest, ::testing::Values("usb", "scsi"));

TEST(MockedUsbFault, TheCameraNamedByItsIdIsFoundAndAnotherIdFindsNothing)
{
    SCANORA_REQUIRE_MOCKED_KERNEL();
    const test::ProcessResult named =
        test::RunMockedCli({"usb", "speed=0", {}, "usb:2e7c:0601"}, {"info"});
    EXPECT_EQ(named.exitCode, 0) << named.err;
    EXPECT_THAT(named.out, HasSubstr("Model:                    Model Cedar\n"));

    const test::ProcessResult other =
        test::RunMockedCli({"usb", "speed=0", {}, "usb:2e7c:0602"}, {"info"});
    EXPECT_EQ(other.exitCode, 1);
    EXPECT_EQ(test::Shown(other),
              "No camera found on USB at 2e7c:0602. Check that the camera is "
              "switched on and its cable is plugged in.\n");
}

TEST(MockedUsbFault, AnInterfaceHeldByAnotherProgramIsSaidToBe)
{
    SCANORA_REQUIRE_MOCKED_KERNEL();
    const test::ProcessResult result =
        test::RunMockedCli({"usb", "speed=0", {"--claimed"}, {}}, {"info"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(test::Shown(result),
              "The camera is in use by another program. Close any other "
              "camera or photo program and try again.\n");
}

TEST(MockedUsbFault, AStallOnTheReplyFailsTheCommandAndOneOnTheReadyPollIsPolledPast)
{
    SCANORA_REQUIRE_MOCKED_KERNEL();
    // A command is three exchanges: its text out, the reply-ready poll (a block out, the answer
    // in) and the reply (a block out, the reply in). Identification sends three commands, so
    // the status query's poll is transfers 17 and 18 and its reply 19 and 20.
    const test::ProcessResult poll =
        test::RunMockedCli({"usb", "speed=0", {"--stall", "17"}, {}}, {"status"});
    EXPECT_EQ(poll.exitCode, 0) << poll.err;
    EXPECT_THAT(poll.out, HasSubstr("Flags:                0x0000 (idle)\n"));

    // The halt is cleared and the command fails as a failed transfer, said once.
    const test::ProcessResult reply =
        test::RunMockedCli({"usb", "speed=0", {"--stall", "19"}, {}}, {"status"});
    EXPECT_EQ(reply.exitCode, 1);
    EXPECT_EQ(test::Shown(reply), "Camera Reported Error: 1117\n");
}

TEST(MockedUsbFault, ACameraPulledOutWhileAReplyIsAwaitedEndsTheWaitAtOnce)
{
    SCANORA_REQUIRE_MOCKED_KERNEL();
    // The status query goes unanswered (its wait would last 3.3 s); the camera is pulled out a
    // second into it.
    test::BackgroundProcess cli(
        {SCANORA_MOCKKERNEL_PATH, "--link", "usb", "--sim", "speed=0,fault=noreply:CS", "--control",
         "--", SCANORA_CLI_PATH, "--no-prefs", "--camera", "usb", "status"},
        {.errors = true, .input = true});
    const auto started = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(1s);
    ASSERT_TRUE(cli.Send("unplug\n"));
    EXPECT_EQ(cli.Wait(10s), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2500ms)
        << "the wait ran to its time-out after the camera had gone";
    EXPECT_TRUE(cli.WaitForOutput("Camera Reported Error: 1167\n", 1s));
}

}  // namespace
}  // namespace scanora
