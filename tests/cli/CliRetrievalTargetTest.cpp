// Where get -o and scan --retrieve put the images: a folder made when missing, or for a single
// image a file name; against the simulated camera, as a user runs them.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "CliDiskImages.h"
#include "camsim/SimDisk.h"
#include "output/TIFFFile.h"
#include "support/ProcessRunner.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

using test::ProcessResult;
using ::testing::HasSubstr;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

class CliRetrievalTargetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        camsim::SimDisk disk(disk_.Path().string());
        for (const char* name : {"Harbour", "Tower"})
            ASSERT_TRUE(disk.Record(test::NamedImage(name, 120, 90)));
    }

    ProcessResult Cli(std::vector<std::string> args) const
    {
        args.insert(args.begin(), {SCANORA_CLI_PATH, "--no-prefs", "--camera", camera_});
        return test::RunProcess(args, 30s);
    }

    ProcessResult Get(const std::vector<std::string>& slots, const fs::path& target,
                      std::vector<std::string> more = {}) const
    {
        std::vector<std::string> args{"get"};
        args.insert(args.end(), slots.begin(), slots.end());
        args.insert(args.end(), {"-o", target.string()});
        args.insert(args.end(), more.begin(), more.end());
        return Cli(args);
    }

    static bool IsImage(const fs::path& path, std::uint32_t width)
    {
        TIFFFile file(path);
        return file.ReadDescription() && file.Description().width == width;
    }

    test::TempDir disk_;
    test::TempDir out_;
    std::string camera_ = "sim:model=6,speed=0,disk=" + disk_.Path().string();
};

TEST_F(CliRetrievalTargetTest, AMissingFolderIsMadeWithItsParents)
{
    // Several images: the path is a folder whatever it looks like.
    const fs::path nested = out_.Path() / "2026" / "harbour.shots";
    const ProcessResult several = Get({"1", "2"}, nested);
    ASSERT_EQ(several.exitCode, 0) << several.err;
    EXPECT_TRUE(IsImage(nested / "Harbour.tif", 120));
    EXPECT_TRUE(IsImage(nested / "Tower.tif", 120));

    // One image and a trailing slash: a folder too, and the image keeps its name.
    const ProcessResult slash = Get({"2"}, out_.Path().string() + "/one/", {"--mode", "dng"});
    ASSERT_EQ(slash.exitCode, 0) << slash.err;
    EXPECT_EQ(slash.out, (out_.Path() / "one" / "Tower.dng").string() + "\n");
}

TEST_F(CliRetrievalTargetTest, OneImageTakesTheFileNameWithTheModesExtension)
{
    const ProcessResult plain = Get({"1"}, out_.Path() / "new" / "harbour-final");
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(plain.out, (out_.Path() / "new" / "harbour-final.tif").string() + "\n");
    EXPECT_TRUE(IsImage(out_.Path() / "new" / "harbour-final.tif", 120));

    const ProcessResult dng = Get({"2"}, out_.Path() / "tower", {"--mode", "dng"});
    ASSERT_EQ(dng.exitCode, 0) << dng.err;
    EXPECT_TRUE(IsImage(out_.Path() / "tower.dng", 120));

    // An extension of the kind is kept as written; another one is no extension.
    ASSERT_EQ(Get({"2"}, out_.Path() / "Tower.TIFF").exitCode, 0);
    ASSERT_EQ(Get({"2"}, out_.Path() / "tower.v2").exitCode, 0);
    EXPECT_TRUE(fs::exists(out_.Path() / "Tower.TIFF"));
    EXPECT_TRUE(fs::exists(out_.Path() / "tower.v2.tif"));
}

TEST_F(CliRetrievalTargetTest, AnExistingFileIsReplacedOnlyWhenTheUserAgrees)
{
    const fs::path file = out_.Path() / "keep.tif";
    std::ofstream(file) << "kept";
    // Nobody is there to answer: the file stays as it was.
    const ProcessResult refused = Get({"1"}, file);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.err, HasSubstr("keep.tif already exists."));
    EXPECT_EQ(fs::file_size(file), 4u);

    const ProcessResult agreed = Cli({"--yes", "get", "1", "-o", file.string()});
    ASSERT_EQ(agreed.exitCode, 0) << agreed.err;
    EXPECT_TRUE(IsImage(file, 120));
    EXPECT_EQ(std::distance(fs::directory_iterator(out_.Path()), fs::directory_iterator()), 1);
}

TEST_F(CliRetrievalTargetTest, PathsThatCannotTakeTheImagesFailAndLeaveNothing)
{
    const fs::path file = out_.Path() / "notes.txt";
    std::ofstream(file) << "x";

    // A file where a folder is needed.
    const ProcessResult notFolder = Get({"1", "2"}, file);
    EXPECT_EQ(notFolder.exitCode, 2);
    EXPECT_THAT(notFolder.err, HasSubstr(file.string() + " is not a folder"));
    const ProcessResult under = Get({"1", "2"}, file / "sub");
    EXPECT_EQ(under.exitCode, 1);
    EXPECT_THAT(under.err, HasSubstr("cannot create the folder " + (file / "sub").string()));
    EXPECT_EQ(Get({"1"}, file / "sub" / "one.tif").exitCode, 1);

    // A name of the other kind.
    const ProcessResult kind = Get({"1"}, out_.Path() / "harbour.dng");
    EXPECT_EQ(kind.exitCode, 2);
    EXPECT_THAT(kind.err, HasSubstr("names a DNG file, but the image is retrieved as TIFF"));
    EXPECT_EQ(Get({"1"}, out_.Path() / "harbour.tif", {"--mode", "dng"}).exitCode, 2);

    // No folder is made for images that are not there.
    const ProcessResult free = Get({"3"}, out_.Path() / "never");
    EXPECT_EQ(free.exitCode, 1);
    EXPECT_THAT(free.err, HasSubstr("slot 3 holds no image"));

    std::vector<fs::path> left(fs::directory_iterator(out_.Path()), fs::directory_iterator());
    EXPECT_EQ(left, std::vector<fs::path>{file});
    EXPECT_EQ(fs::file_size(file), 1u);
}

TEST_F(CliRetrievalTargetTest, ScanRetrieveTakesAFileNameAndNeverReplacesAFile)
{
    // A new camera disk: the images recorded above carry a later time than any new scan.
    camera_ = "sim:model=6,speed=0,samples=off,disk=" + (out_.Path() / "disk").string();
    const std::vector<std::string> scan{"scan", "--crop", "20,20,40,40", "--step",
                                        "10",   "--name", "Pond",        "--retrieve"};
    const fs::path file = out_.Path() / "made" / "pond-morning";
    std::vector<std::string> args = scan;
    args.push_back(file.string());
    const ProcessResult first = Cli(args);
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_THAT(first.out, HasSubstr("Retrieved " + file.string() + ".tif"));
    const ProcessResult second = Cli(args);
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_THAT(second.out, HasSubstr("Retrieved " + file.string() + "_1.tif"));

    // A series goes into a folder, made when missing.
    args = scan;
    args.insert(args.end(),
                {(out_.Path() / "series").string(), "--series", "2", "--interval", "1"});
    const ProcessResult series = Cli(args);
    ASSERT_EQ(series.exitCode, 0) << series.err;
    EXPECT_TRUE(fs::exists(out_.Path() / "series" / "Pond.tif"));
    EXPECT_TRUE(fs::exists(out_.Path() / "series" / "Pond_1.tif"));

    args = scan;
    args.push_back((out_.Path() / "pond.dng").string());
    EXPECT_EQ(Cli(args).exitCode, 2);
}

}  // namespace
}  // namespace scanora
