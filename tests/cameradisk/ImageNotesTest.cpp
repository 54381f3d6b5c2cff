#include "cameradisk/ImageNotes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace scanora {
namespace {

using ::testing::ElementsAre;
using Header = std::array<std::uint8_t, DiskEntry::kHeaderBytes>;

Header WithNotes(const std::string& text, std::size_t lengthByte)
{
    Header header{};
    header.fill('#');
    header[256] = static_cast<std::uint8_t>(lengthByte);
    std::copy(text.begin(), text.end(), header.begin() + 257);
    return header;
}

std::string NotesArea(const Header& header)
{
    return std::string(header.begin() + 257, header.end());
}

TEST(ImageNotes, SplitsAtTheFirstReturnUpToTheLengthByte)
{
    const ImageNotes notes =
        ImageNotes::FromHeader(WithNotes("Scan, 12/8/2026\rwindy\rcold   ", 26));
    EXPECT_EQ(notes.CaptureNotes(), "Scan, 12/8/2026");
    EXPECT_EQ(notes.UserNotes(), "windy\rcold");

    const ImageNotes onlyCapture = ImageNotes::FromHeader(WithNotes("Scan, 12/8/2026", 15));
    EXPECT_EQ(onlyCapture.CaptureNotes(), "Scan, 12/8/2026");
    EXPECT_EQ(onlyCapture.UserNotes(), "");

    // The length byte bounds both parts, whatever follows it.
    EXPECT_EQ(ImageNotes::FromHeader(WithNotes("Scan\rwindy", 7)).UserNotes(), "wi");
    EXPECT_EQ(ImageNotes::FromHeader(WithNotes("Scan\rwindy", 3)).CaptureNotes(), "Sca");
    const ImageNotes none = ImageNotes::FromHeader(WithNotes("Scan\rwindy", 0));
    EXPECT_EQ(none.CaptureNotes(), "");
    EXPECT_EQ(none.UserNotes(), "");
    // A full length byte reaches exactly to the end of the block.
    const ImageNotes full = ImageNotes::FromHeader(WithNotes(std::string(255, 'n'), 255));
    EXPECT_EQ(full.CaptureNotes().size(), 255u);
}

TEST(ImageNotes, UserNotesLimitLeavesRoomForTheSeparator)
{
    ImageNotes notes(std::string(200, 'c'), "");
    EXPECT_EQ(notes.UserNotesLimit(), 54u);
    EXPECT_TRUE(notes.SetUserNotes(std::string(54, 'u')));
    EXPECT_FALSE(notes.SetUserNotes(std::string(60, 'u')));
    EXPECT_EQ(notes.UserNotes(), std::string(54, 'u'));

    ImageNotes fullCapture(std::string(254, 'c'), "");
    EXPECT_EQ(fullCapture.UserNotesLimit(), 0u);
    EXPECT_FALSE(fullCapture.SetUserNotes("x"));
    EXPECT_EQ(fullCapture.UserNotes(), "");
    EXPECT_EQ(ImageNotes(std::string(255, 'c'), "").UserNotesLimit(), 0u);
}

TEST(ImageNotes, RebuildKeepsTheSeparatorBlanksTheRestAndTouchesNothingElse)
{
    Header header = WithNotes("Scan, 12/8/2026\rold notes that were longer", 42);
    header[255] = 'k';
    ImageNotes notes = ImageNotes::FromHeader(header);
    ASSERT_TRUE(notes.SetUserNotes("new"));
    notes.WriteTo(header);
    EXPECT_EQ(header[256], 15 + 3 + 1);
    EXPECT_EQ(NotesArea(header), "Scan, 12/8/2026\rnew" + std::string(255 - 19, ' '));
    EXPECT_EQ(header[255], 'k');
    EXPECT_EQ(header[0], '#');

    // Read back, the notes are what was written.
    const ImageNotes again = ImageNotes::FromHeader(header);
    EXPECT_EQ(again.CaptureNotes(), "Scan, 12/8/2026");
    EXPECT_EQ(again.UserNotes(), "new");

    // Longest notes: 254 characters and the separator fill the block exactly.
    ImageNotes longest(std::string(200, 'c'), "");
    longest.SetUserNotes(std::string(54, 'u'));
    longest.WriteTo(header);
    EXPECT_EQ(header[256], 255);
    EXPECT_EQ(ImageNotes::FromHeader(header).UserNotes(), std::string(54, 'u'));
    // Capture notes that leave no room never spill past the block.
    ImageNotes(std::string(300, 'c'), std::string(10, 'u')).WriteTo(header);
    EXPECT_EQ(header[256], 255);
    EXPECT_EQ(NotesArea(header), std::string(255, 'c'));
}

TEST(ImageNotes, CaptureFieldsSplitAtCommasSkippingOneBlank)
{
    EXPECT_THAT(ImageNotes("Scan 1, Dec 8, 2026,10:00:00 AM,  16C", "").CaptureFields(),
                ElementsAre("Scan 1", "Dec 8", "2026", "10:00:00 AM", " 16C"));
    EXPECT_THAT(ImageNotes("", "").CaptureFields(), ElementsAre(""));
    EXPECT_THAT(ImageNotes("a,", "").CaptureFields(), ElementsAre("a", ""));
}

}  // namespace
}  // namespace scanora
