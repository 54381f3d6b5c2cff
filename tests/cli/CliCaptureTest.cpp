// scanora-cli prescan and scan against the simulated camera, as a user runs them.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

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
