// scanora-cli's camera disk commands (ls, rm, notes, export-notes, init-disk) driven as a user
// drives them, against the simulated camera's disk over both links.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "CliProcess.h"
#include "cameradisk/ImageNotes.h"
#include "cameradisk/SimDiskImages.h"
#include "camsim/SimDisk.h"
#include "support/ProcessRunner.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

using test::ProcessResult;
using ::testing::HasSubstr;
using ::testing::Not;
using namespace std::chrono_literals;

// 2026-12-08 13:04:05 and 09:30:00 UTC, as seconds since 1904.
constexpr std::uint32_t kAfternoon = 1'796'735'045u + 2'082'844'800u;
constexpr std::uint32_t kMorning = 1'796'722'200u + 2'082'844'800u;

class CliDiskTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        // The list shows local time: the same everywhere.
        setenv("TZ", "UTC", 1);
        test::RecordSimImages(
            disk_.Path(),
            {{"Harbour", "Harbour, Dec 8, 2026, 1:04:05 PM, 16C, 1/30 s\rwindy", kAfternoon},
             {"Chart", "Chart, 12/8/2026, 9:30:00 AM,  8C\r", kMorning, 64, 48,
              camsim::CaptureRecipe::kColour8},
             {"Undated", "Undated\r", 0}});
    }
    ProcessResult Cli(std::vector<std::string> args)
    {
        const std::vector<std::string> common{SCANORA_CLI_PATH, "--no-prefs", "--camera",
                                              std::string("sim:speed=0,model=6,link=") +
                                                  GetParam() + ",disk=" + disk_.Path().string() +
                                                  (fault_.empty() ? "" : ",fault=" + fault_)};
        args.insert(args.begin(), common.begin(), common.end());
        return test::RunProcess(args, 20s);
    }
    // The slots of the disk as the camera keeps them.
    std::vector<camsim::SimDiskEntry> StoredSlots()
    {
        return camsim::SimDisk(disk_.Path().string()).Entries();
    }
    // The header block the camera keeps for the image at `block`.
    std::array<std::uint8_t, 512> StoredHeader(std::uint8_t block)
    {
        std::array<std::uint8_t, 512> header{};
        camsim::SimDisk(disk_.Path().string()).ReadHeaderBlock(block, header);
        return header;
    }

    test::TempDir disk_;
    std::string fault_;  // the camera's faults, "" for none
};

TEST_P(CliDiskTest, ListsImagesFreeSpaceAndTotals)
{
    const ProcessResult ls = Cli({"ls"});
    ASSERT_EQ(ls.exitCode, 0) << ls.err;
    EXPECT_EQ(ls.out,
              "04   Items\n"
              "  Slot  Name                     Size         Time              Date  Notes\n"
              "*    1  Harbour                0.5 MB   1:04:05 PM  Tue Dec  8, 2026  windy\n"
              "     2  Chart                  0.5 MB   9:30:00 AM  Tue Dec  8, 2026\n"
              "     3  Undated                0.5 MB\n"
              "     4  *** Available ***  18430.5 MB\n"
              "Total Avaliable MB: 18430.5\n"
              "Largest Avaliable MB: 18430.5\n");
    EXPECT_EQ(ls.err, "");

    const ProcessResult sorted = Cli({"ls", "--sort", "time", "--reverse", "--json"});
    ASSERT_EQ(sorted.exitCode, 0) << sorted.err;
    const std::size_t harbour = sorted.out.find("\"Harbour\"");
    const std::size_t chart = sorted.out.find("\"Chart\"");
    const std::size_t undated = sorted.out.find("\"Undated\"");
    EXPECT_LT(harbour, chart);
    EXPECT_LT(chart, undated);
    EXPECT_THAT(sorted.out, HasSubstr("\"sort\": \"time\", \"ascending\": false"));
    EXPECT_THAT(sorted.out, HasSubstr("\"totalAvailableMB\": 18430.5"));
    EXPECT_THAT(sorted.out, HasSubstr("\"newestSlot\": 1}"));
}

TEST_P(CliDiskTest, DeletesAnImageWithYesAndTheFreeSpaceGrows)
{
    const ProcessResult refused = Cli({"rm", "2"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_THAT(refused.err, HasSubstr("confirm with --yes"));

    const ProcessResult rm = Cli({"rm", "2", "--yes"});
    ASSERT_EQ(rm.exitCode, 0) << rm.err;
    EXPECT_EQ(rm.err, "Delete Chart?\n");
    EXPECT_EQ(rm.out, "Deleted 1 image.\nTotal Avaliable MB: 18431.0\n");

    const std::vector<camsim::SimDiskEntry> slots = StoredSlots();
    ASSERT_EQ(slots.size(), 4u);
    EXPECT_TRUE(slots[1].IsFree());
    EXPECT_FALSE(slots[0].IsFree());
    EXPECT_FALSE(slots[2].IsFree());
}

// Usage errors do not depend on the link: one is enough.
class CliDiskUsageTest : public CliDiskTest {};

TEST_P(CliDiskUsageTest, SelectionsThatNameNoImageAreUsageErrors)
{
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"rm", "4", "--yes"},
                                               {"rm", "9", "--yes"},
                                               {"rm", "0", "--yes"},
                                               {"rm", "two", "--yes"},
                                               {"rm", "--yes"},
                                               {"notes"},
                                               {"notes", "1", "2"},
                                               {"export-notes", "1"},
                                               {"ls", "--sort", "colour"},
                                               {"ls", "1"},
                                               {"rm", "1", "--sort", "name", "--yes"},
                                               {"notes", "1", "--set", "x", "--reverse"}}) {
        const ProcessResult result = Cli(args);
        EXPECT_EQ(result.exitCode, 2) << args[0] << " " << (args.size() > 1 ? args[1] : "");
        EXPECT_THAT(result.err, HasSubstr("scanora-cli: "));
    }
    EXPECT_EQ(StoredSlots().size(), 4u);
}

TEST_P(CliDiskTest, UserNotesSetThroughTheCliAreWhatTheCameraKeeps)
{
    const ProcessResult set = Cli({"notes", "1", "--set", "calm by evening"});
    ASSERT_EQ(set.exitCode, 0) << set.err;
    EXPECT_THAT(set.out,
                HasSubstr("Capture notes:    Harbour, Dec 8, 2026, 1:04:05 PM, 16C, 1/30 s\n"));
    EXPECT_THAT(set.out, HasSubstr("User notes:       calm by evening\n"));

    // The camera's copy of the header: the capture notes untouched, the new user notes, blanks
    // after them and the length byte counting both and their separator.
    const std::array<std::uint8_t, 512> header = StoredHeader(1);
    const std::string capture = "Harbour, Dec 8, 2026, 1:04:05 PM, 16C, 1/30 s";
    const std::string expected = capture + "\rcalm by evening";
    EXPECT_EQ(header[256], expected.size());
    EXPECT_EQ(std::string(header.begin() + 257, header.begin() + 257 + expected.size()), expected);
    EXPECT_EQ(std::string(header.begin() + 257 + expected.size(), header.end()),
              std::string(255 - expected.size(), ' '));
    EXPECT_EQ(std::string(header.begin() + 192, header.begin() + 199), "Harbour");

    // Longer notes than the capture notes leave room for are refused, and nothing is written.
    const std::string tooLong(254 - capture.size() + 1, 'x');
    const ProcessResult refused = Cli({"notes", "1", "--set", tooLong});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_THAT(refused.err, HasSubstr("at most 209 characters"));
    EXPECT_EQ(StoredHeader(1), header);
}

TEST_P(CliDiskTest, NotesForTheNextCaptureGoWithEveryFollowingScan)
{
    // The notes live in the state folder: one of this test's own.
    test::TempDir state;
    const auto withState = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"/usr/bin/env", "XDG_STATE_HOME=" + state.Path().string()});
        const std::vector<std::string> cli{SCANORA_CLI_PATH, "--no-prefs", "--camera",
                                           std::string("sim:speed=0,model=6,link=") + GetParam() +
                                               ",disk=" + disk_.Path().string()};
        args.insert(args.begin() + 2, cli.begin(), cli.end());
        return test::RunProcess(args, 20s);
    };
    const ProcessResult shown = withState({"notes", "--next"});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_THAT(shown.out, HasSubstr("Capture notes:    Untitled, "));
    EXPECT_THAT(shown.out, HasSubstr("User notes:       \n"));

    ASSERT_EQ(withState({"notes", "--next", "Box 12, folio 3"}).exitCode, 0);
    for (int scan = 0; scan < 2; ++scan) ASSERT_EQ(withState({"scan"}).exitCode, 0);
    for (const char* slot : {"4", "5"}) {
        const ProcessResult notes = withState({"notes", slot});
        ASSERT_EQ(notes.exitCode, 0) << notes.err;
        EXPECT_THAT(notes.out, HasSubstr("User notes:       Box 12, folio 3\n")) << slot;
    }

    // Cleared, the next scan carries none; too long, nothing changes.
    ASSERT_EQ(withState({"notes", "--next", ""}).exitCode, 0);
    ASSERT_EQ(withState({"scan"}).exitCode, 0);
    EXPECT_THAT(withState({"notes", "6"}).out, HasSubstr("User notes:       \n"));
    const ProcessResult tooLong = withState({"notes", "--next", std::string(300, 'x')});
    EXPECT_EQ(tooLong.exitCode, 2);
    EXPECT_THAT(tooLong.err, HasSubstr("beside its capture notes"));
    EXPECT_EQ(withState({"notes", "--next", "a", "b"}).exitCode, 2);
}

TEST_P(CliDiskTest, ExportsNotesLastNamedFirst)
{
    test::TempDir out;
    const std::filesystem::path file = out.Path() / "notes.txt";
    const ProcessResult result = Cli({"export-notes", "1", "2", "-o", file.string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Wrote the notes of 2 images to " + file.string() + "\n");
    std::ifstream in(file, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    EXPECT_TRUE(text.starts_with("Scanora Image Notes Created at ")) << text;
    const std::size_t chart = text.find("\r\nFilename: Chart\r\n");
    const std::size_t harbour = text.find("\r\nFilename: Harbour\r\n");
    ASSERT_NE(chart, std::string::npos);
    ASSERT_NE(harbour, std::string::npos);
    EXPECT_LT(chart, harbour);
    EXPECT_THAT(text, HasSubstr("\tDate Taken: Dec 8, 2026\r\n\tTime Taken: 1:04:05 PM\r\n"));
    EXPECT_TRUE(text.ends_with("User Notes\r\n\twindy"));
}

TEST_P(CliDiskTest, InitDiskEmptiesTheDiskOnlyWhenConfirmed)
{
    const ProcessResult refused = Cli({"init-disk"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_THAT(refused.err, HasSubstr("confirm with --yes"));
    EXPECT_EQ(StoredSlots().size(), 4u);

    const ProcessResult erased = Cli({"init-disk", "--yes"});
    ASSERT_EQ(erased.exitCode, 0) << erased.err;
    EXPECT_EQ(erased.err, "WARNING, all data on camera hard drive will be lost !!\n");
    EXPECT_EQ(erased.out, "The camera disk is empty.\n");
    const ProcessResult ls = Cli({"ls"});
    EXPECT_EQ(ls.out,
              "01   Items\n"
              "  Slot  Name                     Size         Time              Date  Notes\n"
              "     1  *** Available ***  18432.0 MB\n"
              "Total Avaliable MB: 18432.0\n"
              "Largest Avaliable MB: 18432.0\n");
}

// A camera that fails to describe its slots: what it could not say is not shown as data.
class CliDiskUnreadTest : public CliDiskTest {};

TEST_P(CliDiskUnreadTest, SlotsTheCameraDidNotDescribeAreListedAsSuchAndFailTheListing)
{
    // A camera whose every reply comes too late does not even tell its model: nothing is
    // listed at all.
    fault_ = "slow:1500";
    const ProcessResult late = Cli({"ls"});
    EXPECT_EQ(late.exitCode, 1);
    EXPECT_EQ(late.out, "");
    EXPECT_EQ(test::Shown(late), "Camera Reported Error: Camera timed out\n");

    for (const char* fault : {"noreply:CDR", "xfer:CDR"}) {
        fault_ = fault;
        const ProcessResult ls = Cli({"ls"});
        EXPECT_EQ(ls.exitCode, 1) << fault;
        EXPECT_EQ(ls.out,
                  "04   Items\n"
                  "  Slot  Name                 Size         Time              Date  Notes\n"
                  "     1  (could not be read)\n"
                  "     2  (could not be read)\n"
                  "     3  (could not be read)\n"
                  "     4  (could not be read)\n"
                  "Total Avaliable MB:   0.0\n"
                  "Largest Avaliable MB:   0.0\n")
            << fault;
        // The camera's own message once, then what it means for the list.
        const std::string counted = "scanora-cli: 4 of 4 slots could not be read from the camera\n";
        EXPECT_THAT(ls.err, ::testing::StartsWith("Camera Reported Error: ")) << fault;
        EXPECT_THAT(test::Shown(ls), ::testing::EndsWith(counted)) << fault;
        EXPECT_EQ(std::ranges::count(test::Shown(ls), '\n'), 2) << fault << ": " << ls.err;

        const ProcessResult json = Cli({"--json", "ls"});
        EXPECT_EQ(json.exitCode, 1) << fault;
        EXPECT_THAT(json.out, HasSubstr("\"items\": 4, \"unreadable\": 4"));
        EXPECT_THAT(json.out, HasSubstr("{\"slot\": 1, \"readable\": false, \"free\": null, "
                                        "\"name\": null, \"sizeMB\": null"));
        EXPECT_THAT(json.out, Not(HasSubstr("\"newest\": true")));
        EXPECT_THAT(json.out, HasSubstr("\"totalAvailableMB\": 0.0, \"largestAvailableMB\": 0.0, "
                                        "\"newestSlot\": null}"));
    }
}

TEST_P(CliDiskUnreadTest, CommandsOnASlotThatCouldNotBeReadSaySo)
{
    fault_ = "noreply:CDR";
    test::TempDir out;
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"get", "1", "-o", out.Path().string()},
             {"rm", "1", "--yes"},
             {"notes", "1"},
             {"notes", "1", "--set", "x"},
             {"export-notes", "1", "-o", (out.Path() / "notes.txt").string()}}) {
        const ProcessResult result = Cli(args);
        EXPECT_EQ(result.exitCode, 1) << args[0];
        EXPECT_THAT(result.err,
                    HasSubstr("scanora-cli: slot 1 could not be read from the camera\n"))
            << args[0];
        EXPECT_THAT(result.err, Not(HasSubstr("illegal characters"))) << args[0];
    }
    EXPECT_TRUE(std::filesystem::is_empty(out.Path())) << "nothing written for an unread slot";
    EXPECT_EQ(StoredSlots().size(), 4u);
    EXPECT_FALSE(StoredSlots()[0].IsFree());
}

INSTANTIATE_TEST_SUITE_P(Links, CliDiskTest, ::testing::Values("usb", "scsi"));
INSTANTIATE_TEST_SUITE_P(Usb, CliDiskUsageTest, ::testing::Values("usb"));
INSTANTIATE_TEST_SUITE_P(Usb, CliDiskUnreadTest, ::testing::Values("usb"));

}  // namespace
}  // namespace scanora
