// scanora-cli focus: the focus aid in a terminal, against the simulated camera.

#include <signal.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
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

// Each zoom level's window on a 6000-pixel sensor (model 4, eight size steps), as the start
// event gives it: 100 x 8 / (8 - step) pixels with the camera steps 7, 6, 4 and 0.
TEST_P(CliFocusSweepTest, EachZoomLevelGivesItsWindowWidth)
{
    for (const auto& [zoom, pixels] : {std::pair{"0", 800}, {"1", 400}, {"2", 200}, {"3", 100}}) {
        const test::ProcessResult result =
            test::RunCli({"--camera", std::string("sim:speed=0,model=4,link=") + GetParam(),
                          "--json", "focus", "--zoom", zoom, "--readings", "1", "--pause", "0"});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_NE(result.out.find("\"zoom\": " + std::string(zoom) +
                                  ", \"pixels\": " + std::to_string(pixels) + ","),
                  std::string::npos)
            << result.out.substr(0, result.out.find('\n'));
    }
}

INSTANTIATE_TEST_SUITE_P(Links, CliFocusSweepTest, ::testing::Values("usb", "scsi"));

// The carriage moves a focus run makes before its first reading, from the trace.
int CarriageMovesBeforeTheFirstReading(const std::string& trace)
{
    std::ifstream file(trace);
    int moves = 0;
    for (std::string line; std::getline(file, line);) {
        if (line.find(">> CLF") != std::string::npos)
            break;
        moves += line.find(">> CMV") != std::string::npos ? 1 : 0;
    }
    return moves;
}

// The carriage always comes down onto the focus line: from below it goes past and comes back
// (two moves), from above it comes straight down (one). One simulated camera for every step,
// so that the carriage stays where the last command left it.
TEST(CliFocusTest, TheCarriageComesDownOntoTheFocusLine)
{
    test::TempDir dir;
    const std::string socket = (dir.Path() / "camera").string();
    test::BackgroundProcess camera(
        {SCANORA_CAMSIM_PATH, "--listen", socket, "--model", "6", "--speed", "0"});
    ASSERT_TRUE(camera.WaitForOutput("listening"));
    const std::string spec = "socket:" + socket;
    const std::string trace = (dir.Path() / "trace.txt").string();
    const auto focusAtTheBottom = [&] {
        const test::ProcessResult result =
            test::RunCli({"--camera", spec, "--trace", trace, "focus", "--line", "888",
                          "--readings", "1", "--pause", "0"});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return CarriageMovesBeforeTheFirstReading(trace);
    };

    ASSERT_EQ(test::RunCli({"--camera", spec, "diag", "position", "4096"}).exitCode, 0);
    EXPECT_EQ(focusAtTheBottom(), 2) << "from below";
    ASSERT_EQ(test::RunCli({"--camera", spec, "diag", "position", "7552"}).exitCode, 0);
    EXPECT_EQ(focusAtTheBottom(), 1) << "from above";
}

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
