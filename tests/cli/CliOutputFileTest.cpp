// The files scanora-cli export-notes and prescan write with -o: an existing file is replaced
// only on the user's say, devices and links are written through and never replaced, and a
// failure is reported once with a non-zero exit status.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "CliProcess.h"
#include "output/TIFFFile.h"
#include "support/ProcessRunner.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;
using namespace std::chrono_literals;

std::string ReadAll(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

std::size_t Occurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class CliOutputFileTest : public ::testing::Test {
protected:
    // Runs scanora-cli on the simulated camera with its five sample images; standard input is
    // no terminal, so nobody answers a question.
    test::ProcessResult Cli(std::vector<std::string> args) const
    {
        args.insert(args.begin(),
                    {"--camera", "sim:model=6,speed=0,disk=" + disk_.Path().string()});
        return test::RunCli(std::move(args));
    }

    test::TempDir disk_;
    test::TempDir out_;
};

TEST_F(CliOutputFileTest, ExportedNotesReplaceAFileOnlyWhenTheUserAgrees)
{
    const fs::path file = out_.Path() / "notes.txt";
    std::ofstream(file) << "kept";
    const test::ProcessResult refused = Cli({"export-notes", "1", "-o", file.string()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.err,
                HasSubstr(file.string() + " already exists.\nDo you want to replace it?"));
    EXPECT_THAT(refused.err, HasSubstr(file.string() + " was not replaced"));
    EXPECT_EQ(ReadAll(file), "kept");

    const test::ProcessResult agreed = Cli({"--yes", "export-notes", "1", "-o", file.string()});
    ASSERT_EQ(agreed.exitCode, 0) << agreed.err;
    EXPECT_THAT(ReadAll(file), StartsWith("Scanora Image Notes Created at "));

    // Through a link: the file it points to is replaced, the link stays.
    const fs::path link = out_.Path() / "link.txt";
    fs::create_symlink(file, link);
    std::ofstream(file) << "kept";
    EXPECT_EQ(Cli({"export-notes", "2", "-o", link.string()}).exitCode, 1);
    EXPECT_EQ(ReadAll(file), "kept");
    ASSERT_EQ(Cli({"--yes", "export-notes", "2", "-o", link.string()}).exitCode, 0);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_THAT(ReadAll(file), StartsWith("Scanora Image Notes Created at "));
}

// The devices are reached through links of the test's own, so that a program that replaced
// its target could only replace those links.
TEST_F(CliOutputFileTest, ExportedNotesGoIntoDevicesWithoutReplacingThem)
{
    const fs::path full = out_.Path() / "full.txt";
    fs::create_symlink("/dev/full", full);
    const test::ProcessResult noRoom = Cli({"export-notes", "1", "-o", full.string()});
    EXPECT_EQ(noRoom.exitCode, 1);
    EXPECT_THAT(noRoom.err, HasSubstr("scanora-cli: cannot write " + full.string() +
                                      ": No space left on device\n"));
    EXPECT_EQ(Occurrences(noRoom.err, "cannot write"), 1u) << noRoom.err;
    EXPECT_THAT(noRoom.err, Not(HasSubstr("already exists")));
    EXPECT_TRUE(fs::is_symlink(full));
    EXPECT_TRUE(fs::is_character_file("/dev/full"));

    const fs::path out = out_.Path() / "stdout.txt";
    fs::create_symlink("/dev/stdout", out);
    const test::ProcessResult shown = Cli({"export-notes", "1", "-o", out.string()});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_THAT(shown.out, StartsWith("Scanora Image Notes Created at "));
    EXPECT_THAT(shown.out, HasSubstr("Wrote the notes of 1 image to " + out.string()));
    EXPECT_TRUE(fs::is_symlink(out));
}

TEST_F(CliOutputFileTest, PrescanFileIsSettledBeforeThePrescan)
{
    const fs::path missing = out_.Path() / "gone" / "pre.tif";
    const test::ProcessResult unwritable = Cli({"prescan", "-o", missing.string()});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_EQ(Occurrences(unwritable.err, "Could Not Open File: " + missing.string() + "\n"), 1u)
        << unwritable.err;
    EXPECT_THAT(unwritable.out, Not(HasSubstr("Prescan:"))) << "failed before the prescan";
    EXPECT_FALSE(fs::exists(out_.Path() / "gone"));

    const fs::path file = out_.Path() / "pre.tif";
    std::ofstream(file) << "kept";
    const test::ProcessResult refused = Cli({"prescan", "-o", file.string()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.err, HasSubstr(file.string() + " already exists."));
    EXPECT_THAT(refused.out, Not(HasSubstr("Prescan:")));
    EXPECT_EQ(ReadAll(file), "kept");
    EXPECT_EQ(std::distance(fs::directory_iterator(out_.Path()), {}), 1);

    const test::ProcessResult agreed = Cli({"--yes", "prescan", "-o", file.string()});
    ASSERT_EQ(agreed.exitCode, 0) << agreed.err;
    TIFFFile tiff(file);
    EXPECT_TRUE(tiff.ReadDescription()) << tiff.Error();
}

}  // namespace
}  // namespace scanora
