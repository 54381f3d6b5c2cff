// Stored settings chosen by name on the command line: prescan and scan options and
// "prefs select".

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "output/FileTiffInput.h"
#include "output/TiffReader.h"
#include "support/ProcessRunner.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

using test::ProcessResult;
using ::testing::AllOf;
using ::testing::HasSubstr;

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

class CliStoredSettingTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Cli({"prefs", "reset"}).exitCode, 0); }

    // scanora-cli with this test's own preferences file.
    ProcessResult Cli(std::vector<std::string> args) const
    {
        args.insert(args.begin(), {SCANORA_CLI_PATH, "--prefs", prefs_.string()});
        return test::RunProcess(args);
    }
    // A prescan with `options`, saved as `name`.tif; its pixels (the file's metadata holds the
    // time, so files are compared by their pixels).
    std::vector<std::uint8_t> Prescan(const std::string& name,
                                      std::vector<std::string> options) const
    {
        const std::filesystem::path out = dir_.Path() / (name + ".tif");
        std::vector<std::string> args{"--camera", "sim:speed=0", "prescan", "-o", out.string()};
        args.insert(args.end(), options.begin(), options.end());
        const ProcessResult result = Cli(args);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        FileTiffInput input;
        std::vector<std::uint8_t> pixels;
        if (!input.Open(out))
            return pixels;
        TiffReader reader(input);
        EXPECT_TRUE(reader.ReadImage(pixels)) << reader.Error();
        return pixels;
    }

    test::TempDir dir_;
    std::filesystem::path prefs_ = dir_.Path() / "prefs";
};

TEST_F(CliStoredSettingTest, APrescanTakesAStoredCurveByName)
{
    // "None 14 bit": the camera's samples unchanged, 16 bits wide.
    const std::vector<std::uint8_t> bytes = Prescan("raw", {"--curve", "None 14 bit"});
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.size(), Prescan("eight", {}).size() * 2) << "16-bit samples";

    // A curve by name gives what the same curve made current in the file gives.
    const auto bent = Prescan("bent", {"--curve", "bent 6 stops"});
    const auto standard = Prescan("standard", {});
    EXPECT_TRUE(bent != standard);
    const ProcessResult select = Cli({"prefs", "select", "curve", "bent 6 stops"});
    ASSERT_EQ(select.exitCode, 0) << select.err;
    EXPECT_TRUE(Prescan("selected", {}) == bent);

    // A name beats a file only when no such file exists: a path that exists is a curve file.
    std::ofstream(dir_.Path() / "bent 6 stops") << "2 0 0 255 255 ";
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
    const auto fromFile = Prescan("file", {"--curve", "bent 6 stops"});
    std::filesystem::current_path(here);
    EXPECT_TRUE(fromFile != bent);
}

TEST_F(CliStoredSettingTest, AnUnknownNameIsAUsageErrorListingTheNames)
{
    const ProcessResult curve =
        Cli({"--camera", "sim:speed=0", "prescan", "--curve", "bent 9 stops"});
    EXPECT_EQ(curve.exitCode, 2);
    EXPECT_THAT(curve.err, AllOf(HasSubstr("no curve setting called \"bent 9 stops\""),
                                 HasSubstr("\"None 14 bit\", \"Default Setting\""),
                                 HasSubstr("\"bent 6 stops\"")));
    const ProcessResult exposure =
        Cli({"--camera", "sim:speed=0", "scan", "--exposure", "Moonlight"});
    EXPECT_EQ(exposure.exitCode, 2);
    EXPECT_THAT(exposure.err, HasSubstr("\"Tungsten Old CCD\""));
    const ProcessResult size = Cli({"--camera", "sim:speed=0", "prescan", "--size", "A4"});
    EXPECT_EQ(size.exitCode, 2);
    EXPECT_THAT(size.err, HasSubstr("the size settings are: \"Default Setting\""));
    EXPECT_EQ(Cli({"--camera", "sim:speed=0", "scan", "--histogram", "Default Setting"}).exitCode,
              2)
        << "false colour belongs to a saved prescan";

    EXPECT_EQ(Cli({"prefs", "select", "curve", "bent 9 stops"}).exitCode, 2);
    EXPECT_EQ(Cli({"prefs", "select", "colour", "Default Setting"}).exitCode, 2);
    EXPECT_EQ(Cli({"--no-prefs", "prefs", "select", "curve", "bent 6 stops"}).exitCode, 2);
}

TEST_F(CliStoredSettingTest, PrefsSelectMakesTheEntryCurrentInTheFile)
{
    const ProcessResult select = Cli({"prefs", "select", "exposure", "Tungsten Old CCD"});
    ASSERT_EQ(select.exitCode, 0) << select.err;
    EXPECT_THAT(select.out, HasSubstr("The current exposure setting is now \"Tungsten Old CCD\""));
    ASSERT_EQ(Cli({"prefs", "select", "histogram", "10 Step Full Range"}).exitCode, 0);
    const ProcessResult show = Cli({"prefs", "show"});
    EXPECT_THAT(show.out,
                AllOf(HasSubstr("*  5  Tungsten Old CCD"), HasSubstr("*  3  10 Step Full Range")));
    const std::string text = ReadText(prefs_);
    EXPECT_THAT(text, AllOf(HasSubstr("CurrentExposureSettingIndex 5\r\n"),
                            HasSubstr("CurrentHistoSettingIndex 3\r\n")));
}

TEST_F(CliStoredSettingTest, StoredSizeExposureAndHistogramReachThePrescan)
{
    const auto plain = Prescan("plain", {});
    EXPECT_TRUE(Prescan("size", {"--size", "Default Setting"}) == plain);
    EXPECT_FALSE(Prescan("exposure", {"--exposure", "Tungsten Old CCD"}).empty());
    // The default slider set paints the deep shadows in their warning colours.
    EXPECT_TRUE(Prescan("false", {"--histogram", "Default Setting"}) != plain);
}

}  // namespace
}  // namespace scanora
