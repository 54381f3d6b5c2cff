#include "camera/QVUSB.h"

#include <gtest/gtest.h>

#include "support/FakeDevices.h"

namespace scanora {
namespace {

using test::Bytes;
using test::FakeBulkDevice;
using test::FakeBulkFinder;

class QVUSBTest : public ::testing::Test {
protected:
    std::shared_ptr<FakeBulkDevice::Shared> device = std::make_shared<FakeBulkDevice::Shared>();
    int searches = 0;
    QVUSB usb{std::make_unique<FakeBulkFinder>(device, true, &searches),
              std::chrono::microseconds(0)};
};

TEST_F(QVUSBTest, TheCameraSeenLeavingIsGoneUntilADeviceIsFoundAgain)
{
    ASSERT_TRUE(usb.IsConnected());
    std::vector<LinkEvent::Kind> heard;
    const auto watch = usb.WatchLink([&](const LinkEvent& event) { heard.push_back(event.kind); });
    ASSERT_NE(watch, nullptr);
    ASSERT_TRUE(device->watcher);

    // Another device leaving (a different address on the same bus) is not the camera.
    device->watcher({LinkEvent::Kind::Left, 1, 9});
    EXPECT_FALSE(usb.LinkGone());
    device->watcher({LinkEvent::Kind::Left, 1, 2});
    EXPECT_TRUE(usb.LinkGone()) << "the camera left: no exchange has to fail to know it";

    // Plugged back in: the device found again is here, whatever address it left from.
    device->watcher({LinkEvent::Kind::Arrived, 1, 3});
    usb.SetConnected(false);
    usb.Open();
    EXPECT_TRUE(usb.IsConnected());
    EXPECT_FALSE(usb.LinkGone());
    EXPECT_EQ(heard,
              (std::vector{LinkEvent::Kind::Left, LinkEvent::Kind::Left, LinkEvent::Kind::Arrived}))
        << "every event still reaches the caller";
    EXPECT_EQ(searches, 2);
}

TEST_F(QVUSBTest, TextCommandIsOneWriteOfBlockAndText)
{
    ASSERT_TRUE(usb.IsConnected());
    EXPECT_EQ(usb.SendCommand("CDR0A\r"), 0);
    ASSERT_EQ(device->writes.size(), 1u);
    const Bytes expected{0x0D, 0, 0, 6, 0, 0, 0, 0, 'C', 'D', 'R', '0', 'A', '\r'};
    EXPECT_EQ(device->writes[0], expected);
    EXPECT_TRUE(device->readSizes.empty());
}

TEST_F(QVUSBTest, ReplyReadTransfersAllBytesAndKeepsCallerLength)
{
    device->reads.push_back(Bytes{'#', 'O', 'K', '\r'});
    std::array<std::uint8_t, QVCamComm::kReplySize> buffer;
    buffer.fill(0xEE);
    std::uint16_t length = 77;
    EXPECT_EQ(usb.ReadReply(buffer, length), 0);
    EXPECT_EQ(length, 77);
    EXPECT_EQ(device->writes.at(0), (Bytes{0x0E, 0x01, 0x04, 0x00, 0, 0, 0, 0}));
    EXPECT_EQ(device->readSizes.at(0), 1024u);
    EXPECT_EQ(buffer[0], '#');
    EXPECT_EQ(buffer[3], '\r');
    EXPECT_EQ(buffer[4], 0) << "the part the camera did not send reads as zeros";
    EXPECT_EQ(buffer[1023], 0);
}

TEST_F(QVUSBTest, ReplyReadyTestsBit4OfFirstByte)
{
    device->reads.push_back(Bytes{0x10, 0, 0, 0, 0, 0});
    device->reads.push_back(Bytes{0xEF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_TRUE(usb.IsReplyReady());
    EXPECT_FALSE(usb.IsReplyReady());
    EXPECT_EQ(device->writes.at(0), (Bytes{0x0E, 0x00, 0x00, 0x06, 0, 0, 0, 0}));
    EXPECT_EQ(device->readSizes.at(0), 6u);
}

TEST_F(QVUSBTest, ReadUnitsBlockAndFailure)
{
    std::vector<std::uint8_t> buffer(0x0123 * 512);
    std::uint32_t bytesRead = 1;
    EXPECT_EQ(usb.ReadUnits(0x0123, buffer, &bytesRead), 0);
    EXPECT_EQ(device->writes.at(0), (Bytes{0x28, 0x80, 0x01, 0x23, 0, 0, 0, 0}));
    EXPECT_EQ(device->readSizes.at(0), 0x0123u * 512);
    EXPECT_EQ(bytesRead, 0x0123u * 512);

    device->failReadsFrom = 1;
    bytesRead = 1;
    EXPECT_EQ(usb.ReadUnits(0x0123, buffer, &bytesRead), -1);
    EXPECT_EQ(bytesRead, 0u);
}

TEST_F(QVUSBTest, ReadUnitsShortTransferIsAFailure)
{
    device->reads.push_back(Bytes(1000, 7));
    std::vector<std::uint8_t> buffer(4 * 512);
    std::uint32_t bytesRead = 1;
    EXPECT_EQ(usb.ReadBlocks(4, buffer, 0), -1);
    EXPECT_EQ(usb.ReadUnits(4, buffer, &bytesRead), 0) << "a full read after the short one";
    EXPECT_EQ(bytesRead, 4u * 512);
}

TEST_F(QVUSBTest, ReadDataBlockCarriesCountSelectorAndChunk)
{
    std::vector<std::uint8_t> buffer(6144 * 512);
    EXPECT_EQ(usb.ReadData(5, buffer, 6144, 2), 6144 * 512);
    EXPECT_EQ(device->writes.at(0), (Bytes{0x28, 0x80, 0x18, 0x00, 0x05, 0x00, 0x00, 0x02}));
    EXPECT_EQ(device->readSizes.at(0), 6144u * 512);
}

TEST_F(QVUSBTest, ReadDataReportsShortCountAndFailure)
{
    device->reads.push_back(Bytes(512, 1));
    std::vector<std::uint8_t> buffer(4 * 512);
    EXPECT_EQ(usb.ReadData(0, buffer, 4, 0), 512);
    device->failReadsFrom = 1;
    EXPECT_LT(usb.ReadData(0, buffer, 4, 0), 0);
    EXPECT_LT(usb.ReadData(0, std::span(buffer).first(100), 4, 0), 0)
        << "a buffer too small is refused before any transfer";
}

TEST_F(QVUSBTest, TableAndStorageBlocks)
{
    std::array<std::uint8_t, QVCamComm::kTableSize> table{};
    table[8191] = 0x5A;
    EXPECT_EQ(usb.WriteTable(table), 0);
    EXPECT_EQ(device->writes.at(0), (Bytes{0x2A, 0xA0, 0x00, 0x10, 0xFF, 0, 0, 0}));
    ASSERT_EQ(device->writes.at(1).size(), 8192u);
    EXPECT_EQ(device->writes.at(1)[8191], 0x5A);

    std::array<std::uint8_t, QVCamComm::kBlockSize> block{};
    EXPECT_EQ(usb.TransferBlock(0x21, block, true), 0);
    EXPECT_EQ(device->writes.at(2), (Bytes{0x2A, 0x83, 0x00, 0x01, 0x21, 0, 0, 0}));
    EXPECT_EQ(device->writes.at(3).size(), 512u);
    EXPECT_EQ(usb.TransferBlock(0x22, block, false), 0);
    EXPECT_EQ(device->writes.at(4), (Bytes{0x28, 0x83, 0x00, 0x01, 0x22, 0, 0, 0}));
    EXPECT_EQ(device->readSizes.back(), 512u);

    device->failReadsFrom = 0;
    EXPECT_EQ(usb.TransferBlock(0x22, block, false), -1);
}

TEST_F(QVUSBTest, FailedTransfersAreReportedNotSwallowed)
{
    device->gone = true;
    EXPECT_NE(usb.SendCommand("CS\r"), 0);
    std::array<std::uint8_t, QVCamComm::kReplySize> buffer{};
    std::uint16_t length = 1024;
    EXPECT_NE(usb.ReadReply(buffer, length), 0);
    EXPECT_FALSE(usb.IsReplyReady());
    std::array<std::uint8_t, QVCamComm::kTableSize> table{};
    EXPECT_NE(usb.WriteTable(table), 0);
}

TEST(QVUSBOpen, SearchesAgainUntilTheCameraAppears)
{
    auto device = std::make_shared<FakeBulkDevice::Shared>();
    int searches = 0;
    auto finder = std::make_unique<FakeBulkFinder>(device, false, &searches);
    bool* present = finder->PresentFlag();
    QVUSB usb(std::move(finder), std::chrono::microseconds(0));
    EXPECT_FALSE(usb.IsConnected());
    EXPECT_EQ(usb.OpenError().kind, DeviceError::Kind::NotPresent);
    EXPECT_EQ(usb.SendCommand("CS\r"), static_cast<std::int16_t>(1167));

    usb.Open();
    EXPECT_FALSE(usb.IsConnected());
    *present = true;
    usb.Open();
    EXPECT_TRUE(usb.IsConnected());
    EXPECT_FALSE(usb.OpenError().IsError());
    const int afterConnect = searches;
    usb.Open();
    EXPECT_EQ(searches, afterConnect) << "an open camera is not searched for again";
}

}  // namespace
}  // namespace scanora
