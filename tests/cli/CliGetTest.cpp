// scanora-cli get: images from the simulated camera's disk into files, as a user runs it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "CliDiskImages.h"
#include "camsim/SimDisk.h"
#include "cli/CliReport.h"
#include "output/TIFFFile.h"
#include "platform/Logger.h"
#include "platform/UserFolders.h"
#include "support/ProcessRunner.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using namespace std::chrono_literals;

class CliGetTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        camsim::SimDisk disk(disk_.Path().string());
        for (const char* name : {"Harbour", "Tower"})
            ASSERT_TRUE(disk.Record(test::NamedImage(name, 200, 150)));
    }

    test::ProcessResult Get(std::vector<std::string> args)
    {
        args.insert(args.begin(), {SCANORA_CLI_PATH, "--no-prefs", "--camera",
                                   std::string("sim:speed=0,link=") + GetParam() +
                                       ",disk=" + disk_.Path().string(),
                                   "get"});
        return test::RunProcess(args, 20s);
    }

    test::TempDir disk_;
    test::TempDir out_;
};

TEST_P(CliGetTest, WritesTheImagesIntoTheFolder)
{
    const test::ProcessResult result = Get({"1", "2", "-o", out_.Path().string(), "--mode", "dng"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, (out_.Path() / "Harbour.dng").string() + "\n" +
                              (out_.Path() / "Tower.dng").string() + "\n");
    EXPECT_THAT(result.err, HasSubstr("Retrieving \"Tower\"."));
    EXPECT_THAT(result.err, HasSubstr("100% (1 of 1 blocks)  Time Remaining:  0:00"));
    TIFFFile file(out_.Path() / "Tower.dng");
    ASSERT_TRUE(file.ReadDescription());
    EXPECT_TRUE(file.Description().width == 200 && file.Description().height == 150);

    // A TIFF this time, reported as JSON.
    const test::ProcessResult again = Get({"1", "-o", out_.Path().string(), "--json"});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_THAT(again.out, HasSubstr("\"name\": \"Harbour\", \"status\": \"written\""));
}

TEST_P(CliGetTest, RefusesWhatItCannotDo)
{
    EXPECT_EQ(Get({}).exitCode, 2);
    EXPECT_EQ(Get({"x"}).exitCode, 2);
    EXPECT_EQ(Get({"1", "--mode", "raw"}).exitCode, 2);
    EXPECT_EQ(Get({"1", "--depth", "12"}).exitCode, 2);
    EXPECT_EQ(Get({"1", "2", "-o", (out_.Path() / "gone" / "x.tif").string()}).exitCode, 0)
        << "a missing folder is made";
    std::filesystem::remove_all(out_.Path() / "gone");
    const test::ProcessResult free = Get({"3", "-o", out_.Path().string()});
    EXPECT_EQ(free.exitCode, 1);
    EXPECT_THAT(free.err, HasSubstr("slot 3 holds no image"));
    EXPECT_TRUE(std::filesystem::is_empty(out_.Path()));

    // An existing file is replaced only when the user agrees; nobody answers here.
    std::ofstream(out_.Path() / "Tower.tif") << "kept";
    const test::ProcessResult refused = Get({"2", "-o", out_.Path().string()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.err, HasSubstr("Tower.tif already exists."));
    EXPECT_THAT(refused.err, HasSubstr("Retrieval cancelled."));
    EXPECT_EQ(std::filesystem::file_size(out_.Path() / "Tower.tif"), 4u);
}

// The lines of the CLI's log (where the tests' environment puts it) that name `text`.
std::vector<std::string> LogLinesNaming(const std::string& text)
{
    std::ifstream in(Logger::Folder(UserFolders()) / "scanora-cli.log");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (line.find(text) != std::string::npos)
            lines.push_back(line);
    return lines;
}

TEST_P(CliGetTest, AFailedRetrievalLeavesItsPathAndErrnoInTheLog)
{
    // The image's file name leads to a device with no room (the program writes into devices
    // it is pointed at): whoever runs the test, the write fails.
    const std::filesystem::path target = out_.Path() / "Harbour.tif";
    std::filesystem::create_symlink("/dev/full", target);
    const test::ProcessResult result = Get({"1", "-o", out_.Path().string(), "--yes"});
    EXPECT_EQ(result.exitCode, 1);
    const std::string logFile = (Logger::Folder(UserFolders()) / "scanora-cli.log").string();
    EXPECT_THAT(result.err, HasSubstr("scanora-cli: the log is in " + logFile + "\n"));
    const std::vector<std::string> lines = LogLinesNaming(target.string());
    ASSERT_FALSE(lines.empty()) << logFile;
    EXPECT_THAT(lines.back(), HasSubstr(" error cameradisk ["));
    EXPECT_THAT(lines.back(), HasSubstr("No space left on device (errno 28 ENOSPC)"));
    EXPECT_TRUE(std::filesystem::is_symlink(target));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));

    // A command that worked does not point at the log.
    std::filesystem::remove(target);
    const test::ProcessResult worked = Get({"1", "-o", out_.Path().string()});
    ASSERT_EQ(worked.exitCode, 0) << worked.err;
    EXPECT_THAT(worked.err, Not(HasSubstr("the log is in")));
}

INSTANTIATE_TEST_SUITE_P(Links, CliGetTest, ::testing::Values("usb", "scsi"));

// Images of the same name: every scan without --name is "Untitled", and names that cannot name
// a file all become "NeedLegalFileName". Each image gets a file of its own.
class CliGetSameNamesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        camsim::SimDisk disk(disk_.Path().string());
        std::uint32_t width = 100;
        for (const char* name : {"Untitled", "Untitled", "Left:Right", "Why?"})
            ASSERT_TRUE(disk.Record(test::NamedImage(name, width++, 80)));  // widths tell apart
    }

    test::ProcessResult Get(std::vector<std::string> args)
    {
        args.insert(args.begin(), {SCANORA_CLI_PATH, "--no-prefs", "--camera",
                                   "sim:speed=0,disk=" + disk_.Path().string(), "get"});
        return test::RunProcess(args, 20s);
    }

    // The width of the image in the file: which image it holds.
    static std::uint32_t WidthOf(const std::filesystem::path& path)
    {
        TIFFFile file(path);
        return file.ReadDescription() ? file.Description().width : 0;
    }

    test::TempDir disk_;
    test::TempDir out_;
};

TEST_F(CliGetSameNamesTest, EveryImageGetsItsOwnFile)
{
    const std::filesystem::path& out = out_.Path();
    const test::ProcessResult result = Get({"1", "2", "3", "4", "-o", out.string(), "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    for (const char* name :
         {"Untitled.tif", "Untitled_1.tif", "NeedLegalFileName.tif", "NeedLegalFileName_1.tif"})
        EXPECT_THAT(result.out, HasSubstr(cli::CliReport::JsonString((out / name).string())))
            << name;
    EXPECT_EQ(WidthOf(out / "Untitled.tif"), 100u);
    EXPECT_EQ(WidthOf(out / "Untitled_1.tif"), 101u);
    EXPECT_EQ(WidthOf(out / "NeedLegalFileName.tif"), 102u);
    EXPECT_EQ(WidthOf(out / "NeedLegalFileName_1.tif"), 103u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), 4);

    // The same slot twice is two files as well; nothing of the first run is touched.
    const test::ProcessResult twice = Get({"2", "2", "-o", out.string(), "--yes"});
    ASSERT_EQ(twice.exitCode, 0) << twice.err;
    // Untitled.tif stood there and the user agreed to replace it; the second copy must not
    // replace the first, nor Untitled_1.tif, which stood there too.
    EXPECT_EQ(twice.out,
              (out / "Untitled.tif").string() + "\n" + (out / "Untitled_2.tif").string() + "\n");
    EXPECT_EQ(WidthOf(out / "Untitled.tif"), 101u);
    EXPECT_EQ(WidthOf(out / "Untitled_1.tif"), 101u);
    EXPECT_EQ(WidthOf(out / "Untitled_2.tif"), 101u);
    const std::string question = (out / "Untitled.tif").string() + " already exists.";
    const std::size_t first = twice.err.find(question);
    ASSERT_NE(first, std::string::npos) << twice.err;
    EXPECT_EQ(twice.err.find(question, first + 1), std::string::npos)
        << "asked once: " << twice.err;
}

}  // namespace
}  // namespace scanora
