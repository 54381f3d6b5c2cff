// scanora-cli driven as a user drives it, against the simulated camera over both of its links
// and over the socket served by scanora-camsim.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "CliProcess.h"
#include "support/ProcessRunner.h"

namespace scanora {
namespace {

using test::ProcessResult;
using test::RunProcess;
using ::testing::HasSubstr;
using ::testing::Not;
using namespace std::chrono_literals;

ProcessResult Cli(std::vector<std::string> args)
{
    args.insert(args.begin(), SCANORA_CLI_PATH);
    return RunProcess(args, 20s);
}

// The lines of `text` that do not start with one of `skipped`.
std::string WithoutLines(const std::string& text, const std::vector<std::string>& skipped)
{
    std::istringstream lines(text);
    std::string kept;
    for (std::string line; std::getline(lines, line);) {
        bool skip = false;
        for (const std::string& prefix : skipped) skip = skip || line.starts_with(prefix);
        if (!skip)
            kept += line + "\n";
    }
    return kept;
}

TEST(CliInfo, IdentifiesTheSimulatedCameraOverUsbAndScsi)
{
    const ProcessResult usb = Cli({"--camera", "sim:model=6,speed=0", "info"});
    ASSERT_EQ(usb.exitCode, 0) << usb.err;
    EXPECT_THAT(usb.out, HasSubstr("Model:                    Model Cedar\n"));
    EXPECT_THAT(usb.out, HasSubstr("Model code:               6\n"));
    EXPECT_THAT(usb.out, HasSubstr("Firmware:                 4.14\n"));
    EXPECT_THAT(usb.out, HasSubstr("Sensor width:             8000 pixels\n"));
    EXPECT_THAT(usb.out, HasSubstr("Shortest line-time index: 13\n"));
    EXPECT_THAT(usb.out, HasSubstr("Link:                     USB\n"));
    EXPECT_EQ(usb.err, "");

    const ProcessResult scsi = Cli({"--camera", "sim:model=6,link=scsi,speed=0", "info"});
    ASSERT_EQ(scsi.exitCode, 0) << scsi.err;
    EXPECT_THAT(scsi.out, HasSubstr("Shortest line-time index: 10\n"));
    EXPECT_THAT(scsi.out, HasSubstr("Link:                     SCSI\n"));
    // Everything but the link and what depends on it is the same camera.
    const std::vector<std::string> linkLines{"Shortest line-time index", "Link"};
    EXPECT_EQ(WithoutLines(usb.out, linkLines), WithoutLines(scsi.out, linkLines));
}

TEST(CliInfo, EveryModelAndOldFirmware)
{
    const ProcessResult dogwood = Cli({"--camera", "sim:model=1,firmware=4.13,speed=0", "info"});
    ASSERT_EQ(dogwood.exitCode, 0) << dogwood.err;
    EXPECT_THAT(dogwood.out, HasSubstr("Model Dogwood Plus"));
    EXPECT_THAT(dogwood.out, HasSubstr("New firmware:             no\n"));
    EXPECT_THAT(dogwood.out, HasSubstr("Shortest line-time index: 12\n"));

    const ProcessResult orbiscan =
        Cli({"--camera", "sim:model=2,link=scsi,speed=0", "--json", "info"});
    ASSERT_EQ(orbiscan.exitCode, 0) << orbiscan.err;
    EXPECT_THAT(orbiscan.out, HasSubstr("\"modelName\": \"Orbiscan\""));
    EXPECT_THAT(orbiscan.out, HasSubstr("\"minSizeStep\": -4"));
    EXPECT_THAT(orbiscan.out, HasSubstr("\"link\": \"SCSI\""));
}

TEST(CliStatus, DecodesTheStatusWords)
{
    for (const char* link : {"usb", "scsi"}) {
        const ProcessResult status =
            Cli({"--camera", std::string("sim:speed=0,link=") + link, "status"});
        ASSERT_EQ(status.exitCode, 0) << status.err;
        EXPECT_THAT(status.out, HasSubstr("Motor moving:         no\n"));
        EXPECT_THAT(status.out, HasSubstr("Supply voltage:       "));
        EXPECT_THAT(status.out, HasSubstr(" V\n"));
        EXPECT_THAT(status.out, HasSubstr("Disk free:            "));
    }
    const ProcessResult json = Cli({"--camera", "sim:speed=0", "status", "--json"});
    ASSERT_EQ(json.exitCode, 0);
    EXPECT_THAT(json.out, HasSubstr("\"motorMoving\": false"));
    EXPECT_THAT(json.out, HasSubstr("\"voltage\": "));
}

TEST(CliSend, PrintsTheRawReply)
{
    const ProcessResult mv = Cli({"--camera", "sim:speed=0,firmware=4.14", "send", "MV"});
    ASSERT_EQ(mv.exitCode, 0) << mv.err;
    EXPECT_EQ(mv.out, "MV019E\n");

    const ProcessResult unknown = Cli({"--camera", "sim:speed=0", "send", "QQ"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_THAT(unknown.err, HasSubstr("Camera Reported Error: "));
}

TEST(CliTrace, RecordsCommandsRepliesAndTimes)
{
    const std::string trace = testing::TempDir() + "/scanora-trace.txt";
    const ProcessResult status = Cli({"--camera", "sim:speed=0", "--trace", trace, "status"});
    ASSERT_EQ(status.exitCode, 0) << status.err;
    std::ifstream file(trace);
    const std::string text((std::istreambuf_iterator<char>(file)), {});
    EXPECT_THAT(text, HasSubstr(" >> MM\\r\n"));
    EXPECT_THAT(text, HasSubstr(" >> CS\\r\n"));
    EXPECT_THAT(text, HasSubstr(" << #S"));
    EXPECT_THAT(text, testing::MatchesRegex("^[0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3} >> MM(.|\n)*"));
}

TEST(CliFaults, NoReplyTimesOutWithinTheTimeoutOnBothLinks)
{
    for (const char* link : {"usb", "scsi"}) {
        const ProcessResult status =
            Cli({"--camera", std::string("sim:speed=0,fault=noreply:CS,link=") + link, "status"});
        EXPECT_EQ(status.exitCode, 1);
        EXPECT_EQ(test::Shown(status), "Camera Reported Error: Camera timed out\n");
        // The status query waits 200 ticks (3.33 s), and not much longer.
        EXPECT_GE(status.elapsed, 3200ms);
        EXPECT_LT(status.elapsed, 5000ms);
    }
}

TEST(CliFaults, CameraErrorCodeShowsItsText)
{
    const ProcessResult full = Cli({"--camera", "sim:speed=0,fault=error:CS:33", "status"});
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(test::Shown(full), "Camera Reported Error: The camera disk is full\n");

    const ProcessResult busy =
        Cli({"--camera", "sim:speed=0,link=scsi,fault=error:MN:11", "--json", "info"});
    EXPECT_EQ(busy.exitCode, 1);
    EXPECT_EQ(test::Shown(busy), "Camera Reported Error: Busy\n");
    EXPECT_EQ(busy.out, "{\"error\": \"Camera Reported Error: Busy\"}\n");
}

TEST(CliFaults, FailedReplyTransferIsATransportError)
{
    for (const char* link : {"usb", "scsi"}) {
        const ProcessResult status =
            Cli({"--camera", std::string("sim:speed=0,fault=xfer:CS,link=") + link, "status"});
        EXPECT_EQ(status.exitCode, 1);
        EXPECT_THAT(test::Shown(status), testing::MatchesRegex("Camera Reported Error: [0-9]+\n"));
        EXPECT_LT(status.elapsed, 2000ms);
    }
}

TEST(CliFaults, DroppedLinkFailsFast)
{
    // Identification takes three commands (MM, MV, CMX00); the fourth finds the link dead.
    for (const char* link : {"usb", "scsi"}) {
        const ProcessResult status =
            Cli({"--camera", std::string("sim:speed=0,fault=drop:3,link=") + link, "status"});
        EXPECT_EQ(status.exitCode, 1);
        EXPECT_THAT(status.err, HasSubstr("Camera Reported Error: "));
        EXPECT_LT(status.elapsed, 1000ms) << "a dead link is not waited on";
    }
}

TEST(CliFaults, SlowRepliesStillArrive)
{
    const ProcessResult slow = Cli({"--camera", "sim:speed=0,fault=slow:300", "send", "CS"});
    ASSERT_EQ(slow.exitCode, 0) << slow.err;
    EXPECT_THAT(slow.out, HasSubstr("#S"));
    EXPECT_GE(slow.elapsed, 4 * 300ms) << "MM, MV, CMX00 and CS each came late";
}

TEST(CliUsage, MistakesExitWithTwo)
{
    EXPECT_EQ(Cli({"--camera", "sim", "frobnicate"}).exitCode, 2);
    EXPECT_EQ(Cli({"--camera", "sim"}).exitCode, 2);
    EXPECT_EQ(Cli({"--camera", "sim", "send"}).exitCode, 2);
    EXPECT_EQ(Cli({"--camera", "sim", "info", "extra"}).exitCode, 2);
    EXPECT_EQ(Cli({"--bogus", "info"}).exitCode, 2);
    const ProcessResult badSpec = Cli({"--camera", "sim:model=12", "info"});
    EXPECT_EQ(badSpec.exitCode, 2);
    EXPECT_THAT(badSpec.err, HasSubstr("model"));
    const ProcessResult help = Cli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_THAT(help.out, HasSubstr("Usage: scanora-cli"));
}

TEST(CliNoCamera, SaysWhyAndExitsWithOne)
{
    const ProcessResult missing =
        Cli({"--camera", "socket:" + testing::TempDir() + "/nobody-listens.sock", "info"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_THAT(missing.err, HasSubstr("scanora-camsim --listen"));
    EXPECT_LT(missing.elapsed, 2000ms);
}

TEST(CliInterrupt, SecondCtrlCExitsAtOnce)
{
    test::BackgroundProcess cli(
        {SCANORA_CLI_PATH, "--camera", "sim:speed=0,fault=noreply:CS", "status"});
    std::this_thread::sleep_for(300ms);
    cli.Signal(SIGINT);
    std::this_thread::sleep_for(100ms);
    const auto start = std::chrono::steady_clock::now();
    cli.Signal(SIGINT);
    EXPECT_EQ(cli.Wait(2s), 130);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
}

// The same camera served by scanora-camsim over a socket: the same answers as in-process USB.
class CliOverSocket : public ::testing::Test {
protected:
    void SetUp() override { Serve({}); }
    // (Re)starts scanora-camsim with the given extra options.
    void Serve(const std::vector<std::string>& extra)
    {
        server_.reset();
        socketPath_ = testing::TempDir() + "/scanora-camsim-" + std::to_string(getpid()) + ".sock";
        std::filesystem::remove(socketPath_);
        std::vector<std::string> args{SCANORA_CAMSIM_PATH, "--listen", socketPath_, "--model", "6",
                                      "--speed",           "0"};
        args.insert(args.end(), extra.begin(), extra.end());
        test::BackgroundStreams streams;
        streams.errors = true;
        streams.input = true;  // for --control
        server_ = std::make_unique<test::BackgroundProcess>(args, streams);
        ASSERT_TRUE(server_->WaitForOutput("listening")) << "scanora-camsim did not start";
    }
    std::string Spec() const { return "socket:" + socketPath_; }

    std::string socketPath_;
    std::unique_ptr<test::BackgroundProcess> server_;
};

TEST_F(CliOverSocket, SameIdentityAsTheInProcessCamera)
{
    const ProcessResult overSocket = Cli({"--camera", Spec(), "info"});
    ASSERT_EQ(overSocket.exitCode, 0) << overSocket.err;
    const ProcessResult inProcess = Cli({"--camera", "sim:model=6,speed=0", "info"});
    EXPECT_EQ(overSocket.out, inProcess.out);

    // The simulator outlives a host that went away: a second host gets the same camera.
    const ProcessResult again = Cli({"--camera", Spec(), "status"});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_THAT(again.out, HasSubstr("Supply voltage:"));
}

TEST_F(CliOverSocket, FaultsReachTheHostThroughTheSocket)
{
    Serve({"--fault", "error:CS:33+xfer:MN"});
    const ProcessResult full = Cli({"--camera", Spec(), "status"});
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(test::Shown(full), "Camera Reported Error: The camera disk is full\n");
    const ProcessResult lost = Cli({"--camera", Spec(), "info"});
    EXPECT_EQ(lost.exitCode, 1);
    EXPECT_THAT(test::Shown(lost), testing::MatchesRegex("Camera Reported Error: [0-9]+\n"));

    Serve({"--fault", "noreply:CS"});
    const ProcessResult silent = Cli({"--camera", Spec(), "status"});
    EXPECT_EQ(silent.exitCode, 1);
    EXPECT_EQ(test::Shown(silent), "Camera Reported Error: Camera timed out\n");
    EXPECT_LT(silent.elapsed, 5000ms);

    Serve({"--fault", "drop:3"});
    const ProcessResult dropped = Cli({"--camera", Spec(), "status"});
    EXPECT_EQ(dropped.exitCode, 1);
    EXPECT_THAT(dropped.err, HasSubstr("Camera Reported Error: "));
    EXPECT_LT(dropped.elapsed, 1000ms);

    Serve({"--fault", "slow:200"});
    const ProcessResult slow = Cli({"--camera", Spec(), "send", "CS"});
    EXPECT_EQ(slow.exitCode, 0) << slow.err;
    EXPECT_GE(slow.elapsed, 4 * 200ms);
}

TEST_F(CliOverSocket, ACameraUnpluggedAndPluggedBackInIsGoneAndThenTheSameAgain)
{
    Serve({"--control", "--samples", "on"});
    const ProcessResult before = Cli({"--camera", Spec(), "ls"});
    ASSERT_EQ(before.exitCode, 0) << before.err;

    ASSERT_TRUE(server_->Send("unplug\n"));
    ASSERT_TRUE(server_->WaitForNextOutput("scanora-camsim: unplugged"));
    EXPECT_FALSE(std::filesystem::exists(socketPath_)) << "gone from the system, as a device node";
    const ProcessResult gone = Cli({"--camera", Spec(), "info"});
    EXPECT_EQ(gone.exitCode, 1);
    EXPECT_THAT(gone.err, HasSubstr("No simulated camera is listening on " + socketPath_));

    ASSERT_TRUE(server_->Send("plug\n"));
    ASSERT_TRUE(server_->WaitForNextOutput("scanora-camsim: plugged in"));
    const ProcessResult after = Cli({"--camera", Spec(), "ls"});
    ASSERT_EQ(after.exitCode, 0) << after.err;
    EXPECT_EQ(after.out, before.out) << "the same disk";

    // An unknown line is refused and changes nothing.
    ASSERT_TRUE(server_->Send("wiggle\n"));
    EXPECT_TRUE(server_->WaitForNextOutput("unknown control 'wiggle'"));
    EXPECT_EQ(Cli({"--camera", Spec(), "status"}).exitCode, 0);
}

// Connects to the simulator and greets it as the camera's program does, holding it.
class HoldingHost {
public:
    explicit HoldingHost(const std::string& path)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const std::array<std::uint8_t, 5> greeting{'R', 0, 0, 0, 0};
        std::array<std::uint8_t, 4> answer{0xFF, 0xFF, 0xFF, 0xFF};
        timeval limit{2, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        held_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                ::send(fd_, greeting.data(), greeting.size(), MSG_NOSIGNAL) == 5 &&
                ::recv(fd_, answer.data(), answer.size(), MSG_WAITALL) == 4 &&
                answer == std::array<std::uint8_t, 4>{0, 0, 0, 0};
    }
    ~HoldingHost() { ::close(fd_); }
    HoldingHost(const HoldingHost&) = delete;
    HoldingHost& operator=(const HoldingHost&) = delete;
    [[nodiscard]] bool Held() const { return held_; }

private:
    int fd_ = -1;
    bool held_ = false;
};

TEST_F(CliOverSocket, ACameraInUseByAnotherProgramIsSaidToBeAtOnce)
{
    {
        const HoldingHost other(socketPath_);
        ASSERT_TRUE(other.Held());
        for (const char* command : {"status", "ls"}) {
            const ProcessResult busy = Cli({"--camera", Spec(), command});
            EXPECT_EQ(busy.exitCode, 1) << command;
            EXPECT_THAT(busy.err, ::testing::StartsWith("The camera is in use by another program"));
            EXPECT_EQ(std::ranges::count(test::Shown(busy), '\n'), 1) << busy.err;
            EXPECT_LT(busy.elapsed, 2000ms) << command;
        }
        const ProcessResult json = Cli({"--camera", Spec(), "--json", "info"});
        EXPECT_EQ(json.exitCode, 1);
        EXPECT_THAT(json.out, HasSubstr("{\"error\": \"The camera is in use by another program"));
    }
    // Once the other program has let go, the camera is ours.
    const ProcessResult free = Cli({"--camera", Spec(), "status"});
    EXPECT_EQ(free.exitCode, 0) << free.err;
}

TEST_F(CliOverSocket, AStoppedSimulatorIsFoundOutWithinSeconds)
{
    server_->Signal(SIGSTOP);
    const ProcessResult stopped = Cli({"--camera", Spec(), "info"});
    server_->Signal(SIGCONT);
    EXPECT_EQ(stopped.exitCode, 1);
    EXPECT_THAT(stopped.err, ::testing::StartsWith("The camera does not answer"));
    EXPECT_EQ(std::ranges::count(test::Shown(stopped), '\n'), 1) << stopped.err;
    EXPECT_LT(stopped.elapsed, 6000ms);

    // The connection it left behind does not stand in the way once the simulator runs again.
    const ProcessResult again = Cli({"--camera", Spec(), "status"});
    EXPECT_EQ(again.exitCode, 0) << again.err;
}

TEST_F(CliOverSocket, ServerStopsCleanlyAndTheHostNoticesFast)
{
    server_->Signal(SIGTERM);
    EXPECT_EQ(server_->Wait(3s), 0);
    EXPECT_FALSE(std::filesystem::exists(socketPath_)) << "the socket file is removed";
    const ProcessResult gone = Cli({"--camera", Spec(), "info"});
    EXPECT_EQ(gone.exitCode, 1);
    EXPECT_LT(gone.elapsed, 2000ms);
}

}  // namespace
}  // namespace scanora
