// scanora-cli prescan and scan against the simulated camera, as a user runs them.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "CliProcess.h"
#include "output/FileTiffInput.h"
#include "output/TiffReader.h"
#include "support/ProcessRunner.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

using test::ProcessResult;
using test::RunProcess;
using ::testing::HasSubstr;
using ::testing::Not;
using namespace std::chrono_literals;

ProcessResult Cli(std::vector<std::string> args)
{
    return test::RunCli(std::move(args));
}

class CliScanTest : public ::testing::Test {
protected:
    std::string Camera(const char* link = "usb") const
    {
        return std::string("sim:model=6,speed=0,link=") + link +
               ",disk=" + (dir_.Path() / "disk").string();
    }
    test::TempDir dir_;
};

class CliCaptureTest : public CliScanTest, public ::testing::WithParamInterface<const char*> {
protected:
    std::string Camera() const { return CliScanTest::Camera(GetParam()); }
};

TEST_P(CliCaptureTest, PrescanSavesThePreviewTurnedAsTheInsert)
{
    const std::filesystem::path file = dir_.Path() / "pre.tif";
    const ProcessResult result =
        Cli({"--camera", Camera(), "prescan", "--insert", "left", "-o", file.string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr("Prescan: 888 x 666 pixels"));
    EXPECT_THAT(result.err, HasSubstr("Prescan 100% (888/888 lines)"));

    // The file holds the unrotated preview: 666 pixels along the line, 888 camera lines.
    FileTiffInput input;
    ASSERT_TRUE(input.Open(file));
    TiffReader reader(input);
    ASSERT_TRUE(reader.ReadDescription()) << reader.Error();
    EXPECT_EQ(reader.Description().width, 666u);
    EXPECT_EQ(reader.Description().height, 888u);
    EXPECT_EQ(reader.Description().samplesPerPixel, 3);
    std::vector<std::uint8_t> pixels;
    ASSERT_TRUE(reader.ReadImage(pixels));
    EXPECT_TRUE(std::any_of(pixels.begin(), pixels.end(), [](std::uint8_t b) { return b != 0; }));
}

TEST_F(CliScanTest, ScanSeriesCountsItsImagesAndLandsOnTheDisk)
{
    const ProcessResult result =
        Cli({"--camera", Camera(), "scan", "--crop", "30,20,10,10", "--step", "9", "--series", "2",
             "--interval", "1", "--name", "Garden"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_THAT(result.err, HasSubstr("Scanning image 1 of 2\n"));
    EXPECT_THAT(result.err, HasSubstr("Time Lapse 2 of 2, in 1 seconds\n"));
    EXPECT_THAT(result.err, HasSubstr("Scanning image 2 of 2\n"));
    EXPECT_THAT(result.out, HasSubstr("Scanned 2 images \"Garden\""));

    // Both images are on the camera's disk under the scan's name.
    const ProcessResult list = Cli({"--camera", Camera(), "ls"});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    int gardens = 0;
    for (std::size_t at = list.out.find("Garden"); at != std::string::npos;
         at = list.out.find("Garden", at + 1))
        ++gardens;
    EXPECT_EQ(gardens, 2) << list.out;
}

TEST_F(CliScanTest, ScanWithRetrieveBringsEachImageHome)
{
    const std::filesystem::path folder = dir_.Path() / "scans";
    std::filesystem::create_directory(folder);
    const ProcessResult result =
        Cli({"--camera", Camera(), "scan", "--crop", "20,20,40,40", "--step", "10", "--series", "2",
             "--interval", "1", "--name", "Pond", "--retrieve", folder.string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(std::filesystem::exists(folder / "Pond.tif"));
    EXPECT_TRUE(std::filesystem::exists(folder / "Pond_1.tif"));
    FileTiffInput input;
    ASSERT_TRUE(input.Open(folder / "Pond_1.tif"));
    TiffReader reader(input);
    ASSERT_TRUE(reader.ReadDescription()) << reader.Error();
    EXPECT_GT(reader.Description().width, 0u);
}

// What the last capture of a trace was sent: H00's line period and red gain code, the "EE"
// value (-1: none) and the description text (H02's first part).
struct SentExposure {
    int linePeriod = -1;
    int redGainCode = -1;
    int electronic = -1;
    std::string description;
};

SentExposure LastExposure(const std::filesystem::path& trace)
{
    std::ifstream in(trace);
    SentExposure sent;
    for (std::string line; std::getline(in, line);) {
        const auto at = line.find(">> ");
        if (at == std::string::npos)
            continue;
        const std::string sentText = line.substr(at + 3);
        if (sentText.starts_with("H00")) {
            // Groups of three fields, two blanks apart: the sixth holds the line period, the
            // seventh the gain codes.
            std::vector<std::string> groups;
            for (std::size_t from = 3, to = 0; to != std::string::npos; from = to + 2) {
                to = sentText.find("  ", from);
                groups.push_back(sentText.substr(from, to == std::string::npos ? to : to - from));
            }
            if (groups.size() > 6) {
                sent.linePeriod = std::stoi(groups[5].substr(0, 4), nullptr, 16);
                sent.redGainCode = std::stoi(groups[6].substr(0, 4), nullptr, 16);
            }
            sent.electronic = -1;
        } else if (sentText.starts_with("EE")) {
            sent.electronic = std::stoi(sentText.substr(2, 4), nullptr, 16);
        } else if (sentText.starts_with("H02")) {
            sent.description = sentText.substr(4, sentText.find("\\r") - 4);
        }
    }
    return sent;
}

TEST_F(CliScanTest, AFastPrescanIsNeverSlowerThanTheNormalOne)
{
    const auto prescan = [&](const char* model, const char* index, bool fast) {
        const std::filesystem::path trace = dir_.Path() / "prescan.trace";
        std::vector<std::string> args{"--camera", std::string("sim:speed=0,model=") + model,
                                      "--trace",  trace.string(),
                                      "prescan",  "--line-time",
                                      index};
        if (fast)
            args.emplace_back("--fast");
        const ProcessResult result = Cli(args);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return LastExposure(trace);
    };
    // At 1/3000 s the requested line is shorter than the carriage allows at the finest step:
    // both prescans run at that minimum and integrate for the requested time.
    for (const bool fast : {false, true}) {
        const SentExposure sent = prescan("5", "23", fast);
        EXPECT_EQ(sent.linePeriod, 2) << fast;
        EXPECT_EQ(sent.electronic, 1) << fast;
        EXPECT_EQ(sent.redGainCode, 1027) << fast;  // 1 stop: 30.103 x 25.5 + 260
    }
    // At 1/320 s (10) the fast prescan goes on to the minimum with the gain it adds, and the
    // description still names the setting's line time and gains.
    const SentExposure normal = prescan("5", "16", false);
    const SentExposure fast = prescan("5", "16", true);
    EXPECT_EQ(normal.linePeriod, 10);
    EXPECT_EQ(fast.linePeriod, 2);
    EXPECT_EQ(fast.electronic, -1);
    EXPECT_EQ(fast.redGainCode, 2810);  // + 69.9 tenths for a line five times shorter
    EXPECT_THAT(fast.description, HasSubstr("1/320 s, R30.1, G30.1, B30.1"));
    EXPECT_EQ(prescan("7", "23", true).linePeriod, 1);
}

INSTANTIATE_TEST_SUITE_P(Links, CliCaptureTest, ::testing::Values("usb", "scsi"));

TEST(CliCaptureOptions, BadCaptureOptionsAreUsageErrors)
{
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"scan", "--fast"},
                                               {"prescan", "--series", "3"},
                                               {"scan", "--series", "0"},
                                               {"scan", "--interval", "x"},
                                               {"prescan", "-o", "preview.png"},
                                               {"prescan", "--insert", "sideways"},
                                               {"prescan", "--crop", "10,10,10"},
                                               {"prescan", "--crop", "nan,50,0,0"},
                                               {"scan", "--crop", "50,50,NAN,0"},
                                               {"prescan", "--crop", "50,inf,0,0"},
                                               {"scan", "-o", "scan.tif"},
                                               {"prescan", "extra"}}) {
        std::vector<std::string> full{"--camera", "sim:speed=0"};
        full.insert(full.end(), args.begin(), args.end());
        const ProcessResult result = Cli(full);
        EXPECT_EQ(result.exitCode, 2) << args[0] << " " << args[1] << ": " << result.err;
        EXPECT_THAT(result.err, HasSubstr("scanora-cli: "));
    }
    // A step outside the camera's range is found once the camera is known.
    const ProcessResult step = Cli({"--camera", "sim:speed=0", "scan", "--step", "40"});
    EXPECT_EQ(step.exitCode, 2);
    EXPECT_THAT(step.err, HasSubstr("--step must lie between"));
}

}  // namespace
}  // namespace scanora
