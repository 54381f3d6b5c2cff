#include "cameradisk/DiskDirectory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "camera/QVCamera.h"
#include "cameradisk/SimDiskImages.h"
#include "context/AppContext.h"
#include "support/RecordingUiPort.h"
#include "support/ScriptedTransport.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

using ::testing::ElementsAre;
using namespace std::chrono_literals;

const DiskDirectory::Pause kNoPause = [](std::chrono::milliseconds) {};

// A reply as the camera words it; `time` is split into its two halves, the high one first.
std::string SlotReply(const char* kind, unsigned size, unsigned block, unsigned width,
                      unsigned height, unsigned extra, std::uint32_t time)
{
    char text[128];
    std::snprintf(text, sizeof text, "DR %s 0000 %04X   %02X %04X %04X %04X %04X %04X", kind, size,
                  block, width, height, extra, time >> 16, time & 0xFFFF);
    return text;
}

TEST(DiskSlotReply, ReadsBothGroupsAtTheirPositions)
{
    DiskEntry entry;
    ASSERT_TRUE(DiskDirectory::ParseSlotReply(
        SlotReply("6C", 0x2A, 0x07, 1200, 900, 0xFFFE, 0xC2D4'1234) + "\r", entry));
    EXPECT_EQ(entry.kind, 0x6C);
    EXPECT_EQ(entry.StoredBytesPerPixel(), 6);
    EXPECT_EQ(entry.size, 0x2A);
    EXPECT_EQ(entry.block, 7);
    EXPECT_EQ(entry.width, 1200);
    EXPECT_EQ(entry.height, 900);
    EXPECT_EQ(entry.extra, 0xFFFE);
    EXPECT_EQ(entry.time, 0xC2D4'1234u);
}

TEST(DiskSlotReply, FreeSpaceKeepsOnlyTheFirstGroup)
{
    DiskEntry entry;
    ASSERT_TRUE(
        DiskDirectory::ParseSlotReply("DR FF 0003 9000   05 0010 0010 0000 0001 0002", entry));
    EXPECT_TRUE(entry.IsFree());
    EXPECT_EQ(entry.reserved, 3);
    EXPECT_EQ(entry.size, 0x9000);
    EXPECT_EQ(entry.block, 0);
    EXPECT_EQ(entry.time, 0u);
}

TEST(DiskSlotReply, UnreadableRepliesLeaveTheFieldsZero)
{
    for (const std::string& reply :
         {std::string(), std::string("DR"), std::string("DR "), std::string("#OK"),
          std::string("DR zz 0000 0001"), std::string("DR 6C 0000"),
          std::string("DR \r6C 0000 0001   01 0010 0010 0000 0000 0001"),
          std::string("DR \0 6C 0000 0001", 17)}) {
        DiskEntry entry;
        EXPECT_FALSE(DiskDirectory::ParseSlotReply(reply, entry)) << reply;
        EXPECT_EQ(entry.kind, 0);
        EXPECT_EQ(entry.size, 0);
        EXPECT_EQ(entry.block, 0);
    }
    // An image whose second group is cut short keeps its kind and size, but no block.
    DiskEntry cut;
    EXPECT_TRUE(DiskDirectory::ParseSlotReply("DR 6C 0000 0004   01 0010\r0010 0 0 0", cut));
    EXPECT_EQ(cut.kind, 0x6C);
    EXPECT_EQ(cut.size, 4);
    EXPECT_EQ(cut.block, 0);
    EXPECT_EQ(cut.width, 0);
    EXPECT_FALSE(DiskDirectory::HasHeaderBlock(cut));
}

TEST(DiskSlotReply, OversizedNumbersKeepTheirLow16Bits)
{
    DiskEntry entry;
    ASSERT_TRUE(DiskDirectory::ParseSlotReply("DR 1006C 0 FFFFFF 101 1 1 1 12345 6789A", entry));
    EXPECT_EQ(entry.kind, 0x006C);
    EXPECT_EQ(entry.size, 0xFFFF);
    EXPECT_EQ(entry.block, 0x101);
    EXPECT_FALSE(DiskDirectory::HasHeaderBlock(entry));  // beyond what a block read addresses
    EXPECT_EQ(entry.time, 0x2345'789Au);
}

TEST(DiskHeaderName, TrimmedCutAtNulAndAtMost63Characters)
{
    std::array<std::uint8_t, DiskEntry::kHeaderBytes> header{};
    auto put = [&](const std::string& text) {
        std::fill(header.begin() + 192, header.begin() + 256, ' ');
        std::copy(text.begin(), text.end(), header.begin() + 192);
    };
    put("  Harbour at dusk  ");
    EXPECT_EQ(DiskDirectory::ParseName(header), "Harbour at dusk");
    put(std::string(64, 'x'));
    EXPECT_EQ(DiskDirectory::ParseName(header), std::string(63, 'x'));
    put(std::string("Chart\0trailing", 14));
    EXPECT_EQ(DiskDirectory::ParseName(header), "Chart");
    header.fill(0);
    EXPECT_EQ(DiskDirectory::ParseName(header), "");
}

TEST(DiskHeaderName, ReadInTheCamerasCharacterSet)
{
    std::array<std::uint8_t, DiskEntry::kHeaderBytes> header{};
    auto put = [&](const std::string& text) {
        std::fill(header.begin() + 192, header.begin() + 256, ' ');
        std::copy(text.begin(), text.end(), header.begin() + 192);
    };
    put("Caf\xE9 \x80 \x81");
    EXPECT_EQ(DiskDirectory::ParseName(header), "Caf\u00E9 \u20AC \uFFFD");
    // 63 characters are kept, not 63 bytes of their UTF-8.
    put(std::string(64, '\xE9'));
    std::string expected;
    for (int i = 0; i < 63; ++i) expected += "\u00E9";
    EXPECT_EQ(DiskDirectory::ParseName(header), expected);
}

TEST(DiskHeaderName, StoredNameIsWhatTheCameraListsForAScanName)
{
    EXPECT_EQ(DiskDirectory::StoredName(""), "Untitled");
    EXPECT_EQ(DiskDirectory::StoredName(std::string(300, 'x')), std::string(63, 'x'));
    EXPECT_EQ(DiskDirectory::StoredName("Caf\u00E9 \u20AC"), "Caf\u00E9 \u20AC");
    EXPECT_EQ(DiskDirectory::StoredName("\u65E5\u672C"), "??");
    // Controls are sent as blanks, and blanks at the ends are not kept.
    EXPECT_EQ(DiskDirectory::StoredName("\x1B[31mRed\x07\r"), "[31mRed");
    EXPECT_EQ(DiskDirectory::StoredName("  Harbour  "), "Harbour");
}

// Reading the directory through a camera whose replies come from a script.
class DiskDirectoryScriptTest : public ::testing::Test {
protected:
    QVCamera& Make()
    {
        auto transport = std::make_unique<test::ScriptedTransport>();
        transport->Answer("MM", "MM6");
        transport->Answer("MV", "MV019E");
        script_ = transport.get();
        Configure(*script_);
        camera_ = std::make_unique<QVCamera>(std::move(transport), ui_, CameraOptions{0ms});
        return *camera_;
    }
    std::vector<std::string> DiskCommands() const
    {
        std::vector<std::string> sent;
        for (const std::string& command : script_->Sent()) {
            if (command.starts_with("CD"))
                sent.push_back(command);
        }
        return sent;
    }
    std::function<void(test::ScriptedTransport&)> Configure = [](test::ScriptedTransport&) {};
    test::RecordingUiPort ui_;
    test::ScriptedTransport* script_ = nullptr;
    std::unique_ptr<QVCamera> camera_;
};

TEST_F(DiskDirectoryScriptTest, CountZeroMeans256SlotsEachQueriedAndPausedFor)
{
    Configure = [](test::ScriptedTransport& t) {
        t.Answer("CDQ", "DQ00");
        t.Answer("CDR00", "DR FF 0000 0010   00 0000 0000 0000 0000 0000");
    };
    int pauses = 0;
    DiskDirectory directory(Make(), [&](std::chrono::milliseconds time) {
        EXPECT_EQ(time, 10ms);
        ++pauses;
    });
    const std::vector<DiskEntry> entries = directory.Read();
    ASSERT_EQ(entries.size(), 256u);
    EXPECT_EQ(pauses, 256);
    EXPECT_EQ(entries.front().slot, 1);
    EXPECT_TRUE(entries.front().IsFree());
    EXPECT_EQ(entries.front().size, 0x10);
    EXPECT_EQ(entries.back().slot, 256);
    EXPECT_FALSE(entries.front().unread);
    // Every other slot answered "#OK", which holds nothing: its fields stay zero, and it is
    // known not to have been read.
    EXPECT_EQ(entries.back().kind, 0);
    EXPECT_EQ(entries[1].size, 0);
    EXPECT_TRUE(entries[1].unread);
    EXPECT_TRUE(entries.back().unread);
    const std::vector<std::string> sent = DiskCommands();
    ASSERT_EQ(sent.size(), 257u);
    EXPECT_EQ(sent[1], "CDR00");
    EXPECT_EQ(sent[0x0B], "CDR0A");
    EXPECT_EQ(sent.back(), "CDRFF");
}

TEST_F(DiskDirectoryScriptTest, NoSlotsWhenTheCountReplyIsShort)
{
    Configure = [](test::ScriptedTransport& t) { t.Answer("CDQ", "DQ"); };
    EXPECT_TRUE(DiskDirectory(Make(), kNoPause).Read().empty());
    EXPECT_THAT(DiskCommands(), ElementsAre("CDQ"));
}

TEST_F(DiskDirectoryScriptTest, AnErrorReplyConcernsOneSlotAnUnreadableHeaderLeavesItZero)
{
    Configure = [](test::ScriptedTransport& t) {
        t.Answer("CDQ", "DQ6");
        t.Answer("CDR00", "#E02");
        t.Answer("CDR01", "DR 3C 0000 0002   04 0020 0010 0000 0001 0002");
        t.Answer("CDR02", "DR FF 0000 0008");
        t.Answer("CDR03", "DR zz");
        t.Answer("CDR04", "DR 3C 0000 0002   04 0020");
        t.Answer("CDR05", "#E22");
    };
    const std::vector<DiskEntry> entries = DiskDirectory(Make(), kNoPause).Read();
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[0].kind, 0);
    EXPECT_EQ(entries[0].slot, 1);
    EXPECT_TRUE(entries[0].unread);
    // The script's transport fails every block read: the image is known by its slot reply but
    // has no name, so it counts as unread too.
    EXPECT_EQ(entries[1].kind, 0x3C);
    EXPECT_EQ(entries[1].block, 4);
    EXPECT_EQ(entries[1].time, 0x10002u);
    EXPECT_EQ(entries[1].name, "");
    EXPECT_EQ(entries[1].header, decltype(entries[1].header){});
    EXPECT_TRUE(entries[1].unread);
    EXPECT_TRUE(entries[2].IsFree());
    EXPECT_FALSE(entries[2].unread);
    // A reply that cannot be read, and an image whose header block the reply does not give.
    EXPECT_TRUE(entries[3].unread);
    EXPECT_EQ(entries[3].kind, 0);
    EXPECT_TRUE(entries[4].unread);
    EXPECT_TRUE(entries[5].unread);
    EXPECT_EQ(DiskDirectory::UnreadCount(entries), 5u);
    // Each slot was asked for: an error reply is no reason to stop. The camera's message comes
    // with the first failure only, not once a slot.
    EXPECT_EQ(DiskCommands().size(), 7u);
    ASSERT_EQ(ui_.Messages().size(), 1u);
    EXPECT_EQ(ui_.Messages()[0].text, "Camera Reported Error: Value Error");
    EXPECT_EQ(camera_->Errors().Kind(), CameraErrorKind::CameraError) << "the last one, recorded";
}

TEST_F(DiskDirectoryScriptTest, StopsAskingOnceTheCameraStopsAnswering)
{
    Configure = [](test::ScriptedTransport& t) {
        t.Answer("CDQ", "DQ4");
        t.NeverAnswer("CDR00");
    };
    const std::vector<DiskEntry> entries = DiskDirectory(Make(), kNoPause).Read();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[3].slot, 4);
    EXPECT_EQ(entries[3].kind, 0);
    EXPECT_EQ(DiskDirectory::UnreadCount(entries), 4u);
    EXPECT_THAT(DiskCommands(), ElementsAre("CDQ", "CDR00"));
}

// The directory of the simulated camera's disk, over both links.
class DiskDirectorySimTest : public ::testing::TestWithParam<const char*> {
protected:
    QVCamera& Open()
    {
        std::string error;
        context_ = AppContext::Create(std::string("sim:speed=0,model=6,link=") + GetParam() +
                                          ",disk=" + disk_.Path().string(),
                                      ui_, error, CameraOptions{1ms});
        EXPECT_TRUE(context_) << error;
        EXPECT_TRUE(context_->Camera().IsConnected());
        return context_->Camera();
    }
    test::TempDir disk_;
    test::RecordingUiPort ui_;
    std::unique_ptr<AppContext> context_;
};

TEST_P(DiskDirectorySimTest, ListsImagesWithHeadersNamesAndTheFreeRest)
{
    const test::SimImage first{"Harbour", "Harbour, 8/12/2026\rfirst", 3'850'000'000u};
    const test::SimImage second{"  Chart 2 ", "Chart\r", 3'850'000'123u,
                                100,          20,        camsim::CaptureRecipe::kColour8};
    test::RecordSimImages(disk_.Path(), {first, second});

    const std::vector<DiskEntry> entries = DiskDirectory(Open(), kNoPause).Read();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].slot, 1);
    EXPECT_EQ(entries[0].name, "Harbour");
    EXPECT_EQ(entries[0].kind, 0x6C);
    EXPECT_EQ(entries[0].width, 64);
    EXPECT_EQ(entries[0].height, 48);
    EXPECT_EQ(entries[0].extra, 11);
    EXPECT_EQ(entries[0].time, 3'850'000'000u);
    EXPECT_EQ(entries[0].size, 1);
    EXPECT_EQ(entries[0].header, test::SimHeader(first));
    EXPECT_EQ(entries[1].name, "Chart 2");
    EXPECT_EQ(entries[1].kind, 0x3C);
    EXPECT_NE(entries[1].block, entries[0].block);
    EXPECT_EQ(entries[1].header, test::SimHeader(second));
    EXPECT_TRUE(entries[2].IsFree());
    EXPECT_EQ(entries[2].size, 18432 * 2 - 2);
    EXPECT_EQ(DiskDirectory::UnreadCount(entries), 0u);
    EXPECT_TRUE(ui_.Messages().empty());
}

TEST_P(DiskDirectorySimTest, AHeaderWrittenBackIsReadBack)
{
    test::RecordSimImages(disk_.Path(), {{"Harbour", "capture\r"}});
    DiskDirectory directory(Open(), kNoPause);
    std::vector<DiskEntry> entries = directory.Read();
    ASSERT_FALSE(entries.empty());
    DiskEntry& image = entries[0];
    image.header[300] = 'Q';
    ASSERT_TRUE(directory.WriteHeader(image));
    DiskEntry again = image;
    again.header.fill(0);
    ASSERT_TRUE(directory.ReadHeader(again));
    EXPECT_EQ(again.header, image.header);

    DiskEntry nothing;
    nothing.kind = 0x6C;
    EXPECT_FALSE(directory.WriteHeader(nothing));  // block 0 is never an image's
}

INSTANTIATE_TEST_SUITE_P(Links, DiskDirectorySimTest, ::testing::Values("usb", "scsi"));

}  // namespace
}  // namespace scanora
