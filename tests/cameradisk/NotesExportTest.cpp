#include "cameradisk/NotesExport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "cameradisk/ImageNotes.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

DiskEntry ImageWith(const std::string& capture, const std::string& user,
                    const std::string& curve = {})
{
    DiskEntry entry;
    entry.kind = 0x6C;
    entry.block = 1;
    entry.header.fill(' ');
    std::copy(curve.begin(), curve.end(), entry.header.begin() + NotesExport::kCurveOffset);
    ImageNotes(capture, user).WriteTo(entry.header);
    return entry;
}

std::tm CreatedAt()
{
    std::tm time{};
    time.tm_year = 2026 - 1900;
    time.tm_mon = 11;
    time.tm_mday = 8;
    time.tm_wday = 2;
    time.tm_hour = 14;
    time.tm_min = 7;
    time.tm_sec = 3;
    return time;
}

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// Compares with tests/data/cameradisk/<fileName>. After an intended change of the export text,
// regenerate the file by running this test program with SCANORA_UPDATE_GOLDEN=1 set, and review
// the difference before committing it.
void ExpectMatchesGolden(const std::string& actual, const std::string& fileName)
{
    const std::filesystem::path path =
        std::filesystem::path(SCANORA_TEST_DATA_DIR) / "cameradisk" / fileName;
    if (std::getenv("SCANORA_UPDATE_GOLDEN") != nullptr) {
        std::ofstream(path, std::ios::binary) << actual;
        return;
    }
    ASSERT_TRUE(std::filesystem::exists(path)) << "missing golden file " << path;
    EXPECT_EQ(actual, ReadFile(path)) << "differs from " << path;
}

const DiskEntry kHarbour = ImageWith(
    "Harbour, Dec 8, 2026, 10:04:05 AM, 16C, 1200x900,  (10+20), 100%, Panel, 1/100 s, "
    "R1.5, G0.0, B-2.0",
    "Hand-held, windy", "3 0 8080 FFFF 0 0 0 0 0 1");
const DiskEntry kChart = ImageWith("Chart, 12/8/2026, 1:00:00 PM,  8C", "");

TEST(NotesExport, TextAsLaidOutLastSelectedFirst)
{
    const std::vector<DiskEntry> selected{kHarbour, kChart};
    ExpectMatchesGolden(NotesExport::Build(selected, CreatedAt(), true), "notes-export.txt");
}

TEST(NotesExport, DateFieldsAndCurvePoints)
{
    const std::vector<DiskEntry> harbour{kHarbour};
    const std::string text = NotesExport::Build(harbour, CreatedAt(), false);
    EXPECT_TRUE(text.starts_with("Scanora Image Notes Created at  2:07:03 PM on Tue Dec  8, 2026"));
    // A date written with a comma keeps its two halves; the fields after it stay in place.
    EXPECT_THAT(text, HasSubstr("\r\n\tDate Taken: Dec 8, 2026\r\n\tTime Taken: 10:04:05 AM"));
    // Every item of the capture notes sits beside its own label.
    EXPECT_THAT(text, HasSubstr("\r\n\tCapture Mode: 16C\r\n\tImage Size: 1200x900"
                                "\r\n\tCrop Offsets:  (10+20)\r\n\tResolution: 100%"
                                "\r\n\tColor Balance Setting: Panel\r\n\tLine Time: 1/100 s"
                                "\r\n\tRed GAIN: R1.5\r\n\tGreen GAIN: G0.0"
                                "\r\n\tBlue GAIN: B-2.0\r\n"));
    EXPECT_THAT(text, Not(HasSubstr("Curve Points")));
    EXPECT_TRUE(text.ends_with("\r\n\r\nUser Notes\r\n\tHand-held, windy"));

    // A date with slashes is one field; a short line leaves the later labels empty.
    const std::vector<DiskEntry> chart{kChart};
    const std::string short_ = NotesExport::Build(chart, CreatedAt(), true);
    EXPECT_THAT(short_, HasSubstr("Date Taken: 12/8/2026\r\n\tTime Taken: 1:00:00 PM\r\n"
                                  "\tCapture Mode:  8C\r\n\tImage Size: \r\n"));
    EXPECT_THAT(short_, HasSubstr("\r\n\tCurve Points: \r\n\r\nUser Notes\r\n\t"));

    // A header that claims more handles than it holds lists only those it holds.
    const std::vector<DiskEntry> claims{ImageWith("X", "", "7 0 FFFF")};
    EXPECT_THAT(NotesExport::Build(claims, CreatedAt(), true),
                HasSubstr("Curve Points: 0, 0  255, 255  \r\n"));
    EXPECT_EQ(NotesExport::Build({}, CreatedAt(), true),
              "Scanora Image Notes Created at  2:07:03 PM on Tue Dec  8, 2026");
}

TEST(NotesExport, WritesTheTextExactlyReplacingAnOldFile)
{
    test::TempDir dir;
    const std::filesystem::path path = dir.Path() / "notes.txt";
    std::ofstream(path) << std::string(5000, 'o');
    std::string error;
    const std::string text = "first\r\nsecond";
    ASSERT_TRUE(NotesExport::Write(path, text, error)) << error;
    EXPECT_EQ(ReadFile(path), text);
    // Nothing else is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);

    EXPECT_FALSE(NotesExport::Write(dir.Path() / "missing" / "notes.txt", text, error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace scanora
