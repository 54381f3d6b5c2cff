#include <gtest/gtest.h>

#include <algorithm>

#include "CamsimTestHelpers.h"
#include "camsim/SimCamera.h"

namespace camsim::test {
namespace {

SimConfig UsbConfig(int model = 6)
{
    SimConfig config;
    config.model = model;
    config.link = SimLink::Usb;
    config.speed = 0.0;
    return config;
}

TEST(UsbLink, AnswersTheIdentityQueries)
{
    SimCamera camera(UsbConfig());
    EXPECT_EQ(Exchange(camera, {0x0D, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 'M', 'M', '\r'}),
              "MM6");
    EXPECT_EQ(Exchange(camera, {0x0D, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 'M', 'V', '\r'}),
              "MV019E");
    EXPECT_EQ(Exchange(camera, {0x0D, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 'M', 'N', '\r'}),
              "MN1234");
    EXPECT_EQ(camera.ReceivedCommands(), (std::vector<std::string>{"MM", "MV", "MN"}));

    SimConfig other = UsbConfig(1);
    other.firmware = 0x019D;
    other.serial = 0xBEEF;
    SimCamera dogwood(other);
    EXPECT_EQ(Exchange(dogwood, {0x0D, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 'M', 'M', '\r'}),
              "MM1");
    EXPECT_EQ(Exchange(dogwood, {0x0D, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 'M', 'V', '\r'}),
              "MV019D");
    EXPECT_EQ(Exchange(dogwood, {0x0D, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 'M', 'N', '\r'}),
              "MNBEEF");
}

TEST(UsbLink, ReplyBlockIsTextCarriageReturnAndNulsAndReadingEmptiesTheSlot)
{
    SimCamera camera(UsbConfig());
    EXPECT_FALSE(ReplyWaiting(camera));
    ASSERT_EQ(BulkOut(camera, {0x0D, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 'M', 'M', '\r'}),
              11);
    EXPECT_TRUE(ReplyWaiting(camera));
    EXPECT_TRUE(ReplyWaiting(camera)) << "polling the bit does not consume the reply";

    ASSERT_EQ(BulkOut(camera, kReplyReadBlock), 8);
    const Bytes block = BulkIn(camera, 1024);
    ASSERT_EQ(block.size(), 1024u);
    EXPECT_EQ(block[0], 'M');
    EXPECT_EQ(block[1], 'M');
    EXPECT_EQ(block[2], '6');
    EXPECT_EQ(block[3], '\r');
    EXPECT_TRUE(std::all_of(block.begin() + 4, block.end(), [](std::uint8_t b) { return b == 0; }));

    EXPECT_FALSE(ReplyWaiting(camera));
    ASSERT_EQ(BulkOut(camera, kReplyReadBlock), 8);
    const Bytes empty = BulkIn(camera, 1024);
    ASSERT_EQ(empty.size(), 1024u);
    EXPECT_TRUE(std::all_of(empty.begin(), empty.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST(UsbLink, NewCommandReplacesAnUnreadReply)
{
    SimCamera camera(UsbConfig());
    ASSERT_EQ(BulkOut(camera, {0x0D, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 'M', 'M', '\r'}),
              11);
    EXPECT_EQ(Exchange(camera, {0x0D, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 'M', 'N', '\r'}),
              "MN1234");
}

TEST(UsbLink, ReadBlocksDeliverTheLengthsTheyAskFor)
{
    SimCamera camera(UsbConfig());
    // Line read of 0x0123 units, fetched in two bulk INs.
    ASSERT_EQ(BulkOut(camera, {0x28, 0x80, 0x01, 0x23, 0x00, 0x00, 0x00, 0x00}), 8);
    EXPECT_EQ(BulkIn(camera, 1000).size(), 1000u);
    EXPECT_EQ(BulkIn(camera, 0x123 * 512).size(), 0x123u * 512 - 1000);
    int result = 0;
    BulkIn(camera, 512, &result);
    EXPECT_EQ(result, -1) << "the data phase is used up";

    // Image data of header block 5: 6144 units, chunk 2.
    ASSERT_EQ(BulkOut(camera, {0x28, 0x80, 0x18, 0x00, 0x05, 0x00, 0x00, 0x02}), 8);
    EXPECT_EQ(BulkIn(camera, 6144 * 512).size(), 6144u * 512);

    // Storage block 7.
    ASSERT_EQ(BulkOut(camera, {0x28, 0x83, 0x00, 0x01, 0x07, 0x00, 0x00, 0x00}), 8);
    EXPECT_EQ(BulkIn(camera, 4096).size(), 512u);

    // Reply-ready answer: six bytes even into a larger buffer.
    ASSERT_EQ(BulkOut(camera, kReplyReadyBlock), 8);
    EXPECT_EQ(BulkIn(camera, 64).size(), 6u);
}

TEST(UsbLink, TableWriteTakesOnePlaneOfExactly8192Bytes)
{
    SimCamera camera(UsbConfig());
    const Bytes tableBlock{0x2A, 0xA0, 0x00, 0x10, 0xFF, 0x00, 0x00, 0x00};
    ASSERT_EQ(BulkOut(camera, tableBlock), 8);
    EXPECT_EQ(BulkOut(camera, Bytes(8192, 0x5A)), 8192);

    ASSERT_EQ(BulkOut(camera, tableBlock), 8);
    EXPECT_EQ(BulkOut(camera, Bytes(4096, 0x5A)), -1) << "half a plane";
    // The failed data phase is over: the next transfer is a command block again.
    EXPECT_EQ(Exchange(camera, {0x0D, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 'M', 'M', '\r'}),
              "MM6");
}

TEST(UsbLink, BlockWriteToABlockWithoutAnImageFails)
{
    SimCamera camera(UsbConfig());
    ASSERT_EQ(BulkOut(camera, {0x2A, 0x83, 0x00, 0x01, 0x07, 0x00, 0x00, 0x00}), 8);
    EXPECT_EQ(BulkOut(camera, Bytes(512, 0x20)), -1);
}

TEST(UsbLink, RefusesMalformedBlocks)
{
    SimCamera camera(UsbConfig());
    const std::vector<Bytes> malformed = {
        {},
        {0x0E, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00},                        // seven bytes
        {0x0E, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00},            // nine bytes
        {0x0E, 0x00, 0x00, 0x06, 0x00, 0x01, 0x00, 0x00},                  // stray byte 5
        {0x0E, 0x01, 0x04, 0x01, 0x00, 0x00, 0x00, 0x00},                  // reply of 1025 bytes
        {0x0D, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 'M', 'M', '\r'},  // text shorter than said
        {0x0D, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 'M', 'M', '\r'},  // text longer than said
        {0x0D, 0x00, 0x01, 0x03, 0x00, 0x00, 0x00, 0x00, 'M', 'M', '\r'},  // length in byte 2
        {0x0D, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},                  // no text
        {0x28, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},                  // zero units
        {0x28, 0x80, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01},                  // line read with a chunk
        {0x28, 0x83, 0x00, 0x02, 0x07, 0x00, 0x00, 0x00},                  // two storage blocks
        {0x2A, 0xA0, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00},                  // table without FF
        {0x12, 0x00, 0x00, 0x00, 0x24, 0x00, 0x00, 0x00},                  // SCSI INQUIRY
    };
    for (const Bytes& transfer : malformed)
        EXPECT_EQ(BulkOut(camera, transfer), -1) << "transfer of " << transfer.size() << " bytes";
    EXPECT_TRUE(camera.ReceivedCommands().empty());
}

TEST(UsbLink, BulkInWithoutADataPhaseFails)
{
    SimCamera camera(UsbConfig());
    int result = 0;
    BulkIn(camera, 1024, &result);
    EXPECT_EQ(result, -1);

    // A text command opens no data phase either.
    ASSERT_EQ(BulkOut(camera, {0x0D, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 'M', 'M', '\r'}),
              11);
    BulkIn(camera, 1024, &result);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(camera.UsbBulkIn(nullptr, 16), -1);
}

TEST(UsbLink, ScsiCallsFailOnAUsbCamera)
{
    SimCamera camera(UsbConfig());
    const Bytes inquiry{0x12, 0x00, 0x00, 0x00, 0x24, 0x00};
    Bytes answer(36);
    std::size_t transferred = 99;
    EXPECT_NE(camera.ScsiCommand(inquiry.data(), inquiry.size(), true, answer.data(), answer.size(),
                                 transferred),
              0);
    EXPECT_EQ(transferred, 0u);
}

}  // namespace
}  // namespace camsim::test
