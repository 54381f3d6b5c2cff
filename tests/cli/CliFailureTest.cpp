// scanora-cli when the camera or a file fails: every failure ends in exit status 1 with a
// message on standard error, never in a success without a word.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "CliProcess.h"
#include "support/ProcessRunner.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

using test::ProcessResult;
using ::testing::HasSubstr;
using ::testing::Not;
using namespace std::chrono_literals;

ProcessResult Cli(std::vector<std::string> args)
{
    return test::RunCli(std::move(args));
}

// The program with its standard output sent to `target` by the shell.
ProcessResult CliInto(const std::string& arguments, const std::string& target)
{
    return test::RunProcess(
        {"/bin/sh", "-c",
         std::string(SCANORA_CLI_PATH) + " --no-prefs " + arguments + " > " + target},
        30s);
}

TEST(CliFailureTest, ACameraThatDoesNotTellItsModelIsNoCamera)
{
    const ProcessResult info = Cli({"--camera", "sim:speed=0,fault=noreply:MM", "info"});
    EXPECT_EQ(info.exitCode, 1);
    EXPECT_EQ(info.out, "") << "no \"Model: No Camera\" as if it were the camera's";
    EXPECT_EQ(test::Shown(info), "Camera Reported Error: Camera timed out\n");

    const ProcessResult json =
        Cli({"--camera", "sim:speed=0,fault=noreply:MM", "--json", "status"});
    EXPECT_EQ(json.exitCode, 1);
    EXPECT_EQ(json.out, "{\"error\": \"Camera Reported Error: Camera timed out\"}\n");
}

TEST(CliFailureTest, AScanTheCameraRefusesEndsAtOnceInFailure)
{
    test::TempDir dir;
    const ProcessResult scan =
        Cli({"--camera", "sim:speed=0,fault=error:CLT:33,disk=" + dir.Path().string(), "scan"});
    EXPECT_EQ(scan.exitCode, 1);
    EXPECT_LT(scan.elapsed, 10s) << "no endless wait for lines that never come";
    EXPECT_THAT(scan.err, HasSubstr("Camera Reported Error: The camera disk is full\n"));
    EXPECT_THAT(scan.out, Not(HasSubstr("Scanned")));

    // The camera works afterwards.
    const ProcessResult status =
        Cli({"--camera", "sim:speed=0,disk=" + dir.Path().string(), "status"});
    EXPECT_EQ(status.exitCode, 0) << status.err;
}

TEST(CliFailureTest, ASimulatedDiskThatCannotBeKeptIsRefusedAtTheStart)
{
    test::TempDir dir;
    const std::filesystem::path file = dir.Path() / "disk";
    std::ofstream(file) << "a file, not a folder";
    const ProcessResult ls = Cli({"--camera", "sim:speed=0,disk=" + file.string(), "ls"});
    EXPECT_EQ(ls.exitCode, 2);
    EXPECT_THAT(ls.err, HasSubstr("the camera disk folder " + file.string() + " is not a folder"));
    EXPECT_EQ(ls.out, "");
}

TEST(CliFailureTest, OutputThatCannotBeWrittenIsAFailure)
{
    // A full disk under standard output.
    const ProcessResult full = CliInto("--camera sim:speed=0 info", "/dev/full");
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(test::Shown(full), "scanora-cli: cannot write the output: No space left on device\n");

    // A trace on a full disk: the command itself went well, but the trace is incomplete.
    const ProcessResult trace = Cli({"--camera", "sim:speed=0", "--trace", "/dev/full", "status"});
    EXPECT_EQ(trace.exitCode, 1);
    EXPECT_THAT(trace.out, HasSubstr("Supply voltage"));
    EXPECT_EQ(test::Shown(trace),
              "scanora-cli: cannot write the trace file /dev/full: No space left on device\n");
}

}  // namespace
}  // namespace scanora
