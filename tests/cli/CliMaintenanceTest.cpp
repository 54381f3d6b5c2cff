// scanora-cli's clean and diag commands against the simulated camera, as a user runs them.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "CliProcess.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

using test::ProcessResult;
using test::RunCli;
using ::testing::HasSubstr;
using ::testing::Not;

// The commands of a trace file in the order sent, one " >> " line each.
std::string SentCommands(const std::filesystem::path& trace)
{
    std::ifstream file(trace);
    std::string sent;
    for (std::string line; std::getline(file, line);) {
        const auto at = line.find(" >> ");
        if (at != std::string::npos && line.substr(at + 4) != "CS\\r")
            sent += line.substr(at + 4) + " ";
    }
    return sent;
}

TEST(CliClean, MovesTheCarriageToTheCleaningPositionAndBack)
{
    test::TempDir dir;
    const auto trace = dir.Path() / "trace.txt";
    for (const char* link : {"usb", "scsi"}) {
        const std::string camera = std::string("sim:speed=0,link=") + link;
        const ProcessResult clean =
            RunCli({"--camera", camera, "--trace", trace.string(), "clean"});
        ASSERT_EQ(clean.exitCode, 0) << clean.err;
        EXPECT_THAT(clean.out, HasSubstr("cleaning position (4992)"));
        EXPECT_THAT(SentCommands(trace), HasSubstr("MD1380\\r CMV\\r "));
        EXPECT_THAT(SentCommands(trace), Not(HasSubstr("CMH")));

        const ProcessResult done =
            RunCli({"--camera", camera, "--trace", trace.string(), "clean", "--done", "--json"});
        ASSERT_EQ(done.exitCode, 0) << done.err;
        EXPECT_EQ(done.out, "{\"returned\": true}\n");
        EXPECT_THAT(SentCommands(trace), HasSubstr("MD1000\\r CMV\\r CMH\\r "));
    }
}

TEST(CliClean, AFailedMoveFailsTheCommand)
{
    const ProcessResult clean = RunCli({"--camera", "sim:speed=0,fault=error:CMV:3", "clean"});
    EXPECT_EQ(clean.exitCode, 1);
    EXPECT_EQ(test::Shown(clean), "Camera Reported Error: Math Error\n");
    EXPECT_EQ(clean.out, "");
}

TEST(CliDiag, ShowsTheVersionAsTheDiagnosticsWindowDoes)
{
    const ProcessResult plain = RunCli({"--camera", "sim:speed=0", "diag"});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(plain.out, "4.14\n");
    EXPECT_EQ(plain.err, "");

    const ProcessResult json =
        RunCli({"--camera", "sim:speed=0,firmware=4.2,link=scsi", "diag", "version", "--json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(json.out, "{\"version\": \"4.20\"}\n");

    const ProcessResult refused = RunCli({"--camera", "sim:speed=0,fault=error:MV:3", "diag"});
    EXPECT_EQ(refused.exitCode, 1);
    // (The firmware query of the start-up says so too.)
    EXPECT_TRUE(test::Shown(refused).ends_with("Camera Reported Error: Math Error\n"))
        << test::Shown(refused);
    EXPECT_EQ(refused.out, "");
}

TEST(CliDiag, MovesToTestPositionsAndSendsTypedCommands)
{
    test::TempDir dir;
    const auto trace = dir.Path() / "trace.txt";
    const ProcessResult move =
        RunCli({"--camera", "sim:speed=0", "--trace", trace.string(), "diag", "position", "6144"});
    ASSERT_EQ(move.exitCode, 0) << move.err;
    EXPECT_EQ(move.out, "The carriage is at 6144.\n");
    EXPECT_THAT(SentCommands(trace), HasSubstr("MD1800\\r CMV\\r "));

    const ProcessResult home =
        RunCli({"--camera", "sim:speed=0", "--trace", trace.string(), "diag", "position", "home"});
    ASSERT_EQ(home.exitCode, 0) << home.err;
    EXPECT_THAT(SentCommands(trace), HasSubstr("CMH\\r "));

    const ProcessResult send = RunCli({"--camera", "sim:speed=0", "--json", "diag", "send", "CS"});
    ASSERT_EQ(send.exitCode, 0) << send.err;
    EXPECT_THAT(send.out, HasSubstr("\"command\": \"CS\", \"reply\": \"#S"));
}

TEST(CliDiag, RefusesWhatItDoesNotOffer)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"diag", "position", "5000"},
          std::vector<std::string>{"diag", "position"}, std::vector<std::string>{"diag", "send"},
          std::vector<std::string>{"diag", "erase"}, std::vector<std::string>{"clean", "now"},
          std::vector<std::string>{"status", "--done"}}) {
        std::vector<std::string> full = {"--camera", "sim:speed=0"};
        full.insert(full.end(), args.begin(), args.end());
        const ProcessResult result = RunCli(full);
        EXPECT_EQ(result.exitCode, 2) << args[0] << " " << (args.size() > 1 ? args[1] : "");
        EXPECT_EQ(result.out, "");
    }
}

}  // namespace
}  // namespace scanora
