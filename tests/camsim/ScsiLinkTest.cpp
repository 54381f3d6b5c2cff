#include <gtest/gtest.h>

#include <string>

#include "CamsimTestHelpers.h"
#include "camsim/SimCamera.h"

namespace camsim::test {
namespace {

SimConfig ScsiConfig()
{
    SimConfig config;
    config.link = SimLink::Scsi;
    config.speed = 0.0;
    config.sampleImages = false;
    return config;
}

// One SCSI request; the data phase is `data` (in or out).
struct Request {
    int status = -1;
    std::size_t transferred = 0;
};

Request Send(SimCamera& camera, const Bytes& cdb, bool dataIn, Bytes& data)
{
    Request result;
    result.status = camera.ScsiCommand(cdb.data(), cdb.size(), dataIn, data.data(), data.size(),
                                       result.transferred);
    return result;
}

std::string Text(const Bytes& bytes, std::size_t from, std::size_t count)
{
    return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                       bytes.begin() + static_cast<std::ptrdiff_t>(from + count));
}

TEST(ScsiLink, InquiryNamesVendorProductAndRevision)
{
    SimCamera camera(ScsiConfig());
    Bytes answer(36);
    const Request inquiry = Send(camera, {0x12, 0x00, 0x00, 0x00, 0x24, 0x00}, true, answer);
    ASSERT_EQ(inquiry.status, 0);
    EXPECT_EQ(inquiry.transferred, 36u);
    EXPECT_EQ(Text(answer, 8, 8), "Qorvanix");
    EXPECT_EQ(Text(answer, 16, 16), "Cedar           ");
    EXPECT_EQ(Text(answer, 32, 4), "4.14");

    SimConfig older = ScsiConfig();
    older.firmware = 390;
    SimCamera oldCamera(older);
    ASSERT_EQ(Send(oldCamera, {0x12, 0x00, 0x00, 0x00, 0x24, 0x00}, true, answer).status, 0);
    EXPECT_EQ(Text(answer, 32, 4), "3.90");

    SimConfig revised = ScsiConfig();
    revised.revision = "3.9";
    SimCamera revisedCamera(revised);
    ASSERT_EQ(Send(revisedCamera, {0x12, 0x00, 0x00, 0x00, 0x24, 0x00}, true, answer).status, 0);
    EXPECT_EQ(Text(answer, 32, 4), "3.9 ");
}

TEST(ScsiLink, CommandReadyBitAndReply)
{
    SimCamera camera(ScsiConfig());
    Bytes ready(6);
    ASSERT_EQ(Send(camera, {0x0E, 0x01, 0x00, 0x00, 0x06, 0x00}, true, ready).status, 0);
    EXPECT_EQ(ready[0] & 0x10, 0);

    Bytes text{'C', 'D', 'Q', '\r'};
    const Request command = Send(camera, {0x0D, 0x00, 0x00, 0x00, 0x04, 0x00}, false, text);
    ASSERT_EQ(command.status, 0);
    EXPECT_EQ(command.transferred, 4u);

    const Request poll = Send(camera, {0x0E, 0x01, 0x00, 0x00, 0x06, 0x00}, true, ready);
    ASSERT_EQ(poll.status, 0);
    EXPECT_EQ(poll.transferred, 6u);
    EXPECT_EQ(ready[0] & 0x10, 0x10);

    Bytes reply(1024, 0xEE);
    const Request read = Send(camera, {0x0E, 0x00, 0x00, 0x04, 0x00, 0x00}, true, reply);
    ASSERT_EQ(read.status, 0);
    EXPECT_EQ(Text(reply, 0, read.transferred), "DQ01\r") << "an empty disk is one free slot";

    ASSERT_EQ(Send(camera, {0x0E, 0x01, 0x00, 0x00, 0x06, 0x00}, true, ready).status, 0);
    EXPECT_EQ(ready[0] & 0x10, 0) << "reading the reply empties the slot";
    EXPECT_EQ(camera.ReceivedCommands(), std::vector<std::string>{"CDQ"});
}

TEST(ScsiLink, BulkPiecesAndStorageBlocks)
{
    SimCamera camera(ScsiConfig());
    Bytes lines(0x123 * 512);
    Request r =
        Send(camera, {0x28, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0x01, 0x23, 0x00}, true, lines);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.transferred, lines.size());

    // Image data of block 5 from byte offset 0x01020000; a last piece shorter than 128 units.
    Bytes piece(60 * 512);
    r = Send(camera, {0x28, 0x00, 0x80, 0x00, 0x05, 0x01, 0x02, 0x00, 0x80, 0x00}, true, piece);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.transferred, piece.size());

    Bytes plane(8192, 0x11);
    r = Send(camera, {0x2A, 0x00, 0xA0, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x10, 0x00}, false, plane);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.transferred, 8192u);

    Bytes block(512);
    r = Send(camera, {0x28, 0x00, 0x83, 0x00, 0x07, 0x00, 0x00, 0x00, 0x01, 0x00}, true, block);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.transferred, 512u);
    r = Send(camera, {0x2A, 0x00, 0x83, 0x00, 0x07, 0x00, 0x00, 0x00, 0x01, 0x00}, false, block);
    EXPECT_NE(r.status, 0) << "block 7 holds no image";
}

TEST(ScsiLink, RefusesMalformedRequests)
{
    SimCamera camera(ScsiConfig());
    Bytes text{'C', 'S', '\r'};
    Bytes big(65536 + 512);
    Bytes odd(700);
    Bytes plane(4096);
    Bytes six(6);
    EXPECT_NE(Send(camera, {0x0D, 0x00, 0x00, 0x00, 0x04, 0x00}, false, text).status, 0)
        << "text shorter than the CDB says";
    EXPECT_NE(Send(camera, {0x0D, 0x00, 0x00, 0x00, 0x03, 0x00}, true, text).status, 0)
        << "text command as data in";
    EXPECT_NE(Send(camera, {0x0D, 0x00, 0x00, 0x00, 0x03}, false, text).status, 0)
        << "five-byte CDB";
    EXPECT_NE(Send(camera, {0x0E, 0x01, 0x00, 0x00, 0x07, 0x00}, true, six).status, 0);
    EXPECT_NE(Send(camera, {0x28, 0x00, 0x80, 0x00, 0x05, 0x00, 0x00, 0x00, 0x80, 0x00}, true, big)
                  .status,
              0)
        << "a piece over 64 KiB";
    EXPECT_NE(Send(camera, {0x28, 0x00, 0x80, 0x00, 0x05, 0x00, 0x00, 0x00, 0x80, 0x00}, true, odd)
                  .status,
              0)
        << "not whole units";
    EXPECT_NE(Send(camera, {0x28, 0x00, 0x80, 0x00, 0x00, 0x01, 0x00, 0x00, 0x80, 0x00}, true, big)
                  .status,
              0)
        << "line read with an offset";
    EXPECT_NE(
        Send(camera, {0x2A, 0x00, 0xA0, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x10, 0x00}, false, plane)
            .status,
        0)
        << "half a table plane";
    EXPECT_NE(Send(camera, {0x08, 0x00, 0x00, 0x00, 0x01, 0x00}, true, six).status, 0);
    EXPECT_TRUE(camera.ReceivedCommands().empty());

    std::size_t transferred = 0;
    const Bytes inquiry{0x12, 0x00, 0x00, 0x00, 0x24, 0x00};
    EXPECT_NE(camera.ScsiCommand(inquiry.data(), inquiry.size(), true, nullptr, 36, transferred),
              0);
}

TEST(ScsiLink, UsbCallsFailOnAScsiCamera)
{
    SimCamera camera(ScsiConfig());
    EXPECT_EQ(BulkOut(camera, {0x0D, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 'M', 'M', '\r'}),
              -1);
    EXPECT_TRUE(camera.ReceivedCommands().empty());
}

}  // namespace
}  // namespace camsim::test
