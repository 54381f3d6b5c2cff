// scanora-cli focus: the focus aid in a terminal, against the simulated camera.

#include <signal.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliProcess.h"
#include "support/ProcessRunner.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

using namespace std::chrono_literals;

// One JSON line of the focus command: the reading's number and the green channel's numbers.
struct GreenReading {
    int reading = 0;
    int score = 0;
    int best = 0;
    int bestReading = 0;
};

std::vector<GreenReading> GreenReadings(const std::string& out)
{
    static const std::regex kLine(
        R"("event": "reading", "operation": "focus", "reading": (\d+), "red": \{[^}]*\}, )"
        R"("green": \{"score": (\d+), "enabled": true, )"
        R"("best": (\d+), "bestReading": (\d+)\})");
    std::vector<GreenReading> readings;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (std::regex_search(line, match, kLine))
            readings.push_back({std::stoi(match[1]), std::stoi(match[2]), std::stoi(match[3]),
                                std::stoi(match[4])});
    }
    return readings;
}

// The window on the coarse bars of the simulator's scene (model 6), at the finest zoom.
const std::vector<std::string> kOnTheBars{"--column", "3575", "--line", "746", "--zoom", "3"};

class CliFocusSweepTest : public ::testing::TestWithParam<const char*> {};

// The lens passes best focus at the 21st reading: the green score peaks there (give or take
// one reading) and the best so far points at it from then on.
TEST_P(CliFocusSweepTest, GreenPeaksWhereTheLensIsSharpest)
{
    std::vector<std::string> args{
        "--camera",   std::string("sim:speed=0,model=6,focus=sweep:20:2,link=") + GetParam(),
        "--json",     "focus",
        "--readings", "41",
        "--pause",    "0"};
    args.insert(args.end(), kOnTheBars.begin(), kOnTheBars.end());
    const test::ProcessResult result = test::RunCli(args);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::vector<GreenReading> readings = GreenReadings(result.out);
    ASSERT_EQ(readings.size(), 41u) << result.out;

    const auto peak = std::max_element(
        readings.begin(), readings.end(),
        [](const GreenReading& a, const GreenReading& b) { return a.score < b.score; });
    EXPECT_NEAR(peak->reading, 21, 1) << result.out;
    EXPECT_EQ(readings.back().bestReading, peak->reading);
    EXPECT_EQ(readings.back().best, peak->score);
    EXPECT_GT(peak->score, 2 * readings.front().score);
    EXPECT_LT(readings.back().score, peak->score / 2) << "the lens is far out of focus again";
}

INSTANTIATE_TEST_SUITE_P(Links, CliFocusSweepTest, ::testing::Values("usb", "scsi"));

TEST(CliFocusTest, CtrlCStopsAndCentresTheCarriage)
{
    test::TempDir dir;
    const std::string trace = (dir.Path() / "trace.txt").string();
    test::BackgroundProcess focus({SCANORA_CLI_PATH, "--no-prefs", "--camera",
                                   "sim:speed=0,model=6", "--trace", trace, "focus"});
    ASSERT_TRUE(focus.WaitForOutput("green", 20s));
    focus.Signal(SIGINT);
    EXPECT_EQ(focus.Wait(10s), 0);

    std::ifstream file(trace);
    std::stringstream text;
    text << file.rdbuf();
    const std::string log = text.str();
    const std::size_t lastReading = log.rfind("CLF");
    ASSERT_NE(lastReading, std::string::npos);
    // After the last reading the carriage goes back to the centre (4096).
    const std::size_t centre = log.find("MD1000", lastReading);
    EXPECT_NE(centre, std::string::npos) << log.substr(lastReading);
    EXPECT_NE(log.find("CMV", centre), std::string::npos);
}

TEST(CliFocusTest, ChannelsAndBoundsAreChecked)
{
    const test::ProcessResult red = test::RunCli(
        {"--camera", "sim:speed=0", "focus", "--channels", "r", "--readings", "2", "--pause", "0"});
    ASSERT_EQ(red.exitCode, 0) << red.err;
    EXPECT_NE(red.out.find("green      -"), std::string::npos) << red.out;

    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--zoom", "4"},
                                                {"--channels", "rx"},
                                                {"--readings", "0"},
                                                {"--seconds", "-1"},
                                                {"--line", "x"},
                                                {"extra"}}) {
        std::vector<std::string> args{"--camera", "sim:speed=0", "focus"};
        args.insert(args.end(), bad.begin(), bad.end());
        const test::ProcessResult result = test::RunCli(args);
        EXPECT_EQ(result.exitCode, 2) << bad.front() << ": " << result.err;
    }
}

TEST(CliFocusTest, FailedReadingsMakeTheExitStatusAFailure)
{
    const test::ProcessResult result = test::RunCli(
        {"--camera", "sim:speed=0,fault=error:CLF:02", "focus", "--readings", "3", "--pause", "0"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("3 of 3 focus readings failed"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace scanora
