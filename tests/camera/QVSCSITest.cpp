#include "camera/QVSCSI.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/FakeDevices.h"

namespace scanora {
namespace {

using test::Bytes;
using test::FakeScsiDevice;
using test::FakeScsiFinder;
using test::InquiryAnswer;

// A device that identifies itself with `revision` and answers every other request in full.
std::shared_ptr<FakeScsiDevice::Shared> CameraDevice(const std::string& vendor = "Qorvanix",
                                                     const std::string& revision = "4.14")
{
    auto device = std::make_shared<FakeScsiDevice::Shared>();
    device->handler = [answer = InquiryAnswer(vendor, revision)](const ScsiRequest& request) {
        if (request.cdb[0] == 0x12) {
            std::memcpy(request.data, answer.data(), std::min<std::size_t>(36, request.length));
            return ScsiResult{0, 36};
        }
        if (request.dataIn && request.data)
            std::memset(request.data, 0, request.length);
        return ScsiResult{0, request.length};
    };
    return device;
}

std::unique_ptr<QVSCSI> OpenWith(std::shared_ptr<FakeScsiDevice::Shared> device)
{
    auto finder = std::make_unique<FakeScsiFinder>();
    finder->Add("/dev/sg0", std::move(device));
    auto scsi = std::make_unique<QVSCSI>(std::move(finder));
    scsi->Open();
    return scsi;
}

TEST(QVSCSIIdentify, VendorAndMajorVersionDecide)
{
    EXPECT_TRUE(OpenWith(CameraDevice("Qorvanix", "4.0 "))->IsConnected());
    EXPECT_TRUE(OpenWith(CameraDevice("Qorvanix", "4.14"))->IsConnected());
    EXPECT_FALSE(OpenWith(CameraDevice("Qorvanix", "3.9 "))->IsConnected());
    EXPECT_FALSE(OpenWith(CameraDevice("QORVANIX", "4.14"))->IsConnected());
    EXPECT_FALSE(OpenWith(CameraDevice("Qorvanix", "abcd"))->IsConnected());

    auto device = CameraDevice();
    auto scsi = OpenWith(device);
    ASSERT_EQ(device->requests.size(), 1u);
    EXPECT_EQ(device->requests[0].cdb, (Bytes{0x12, 0, 0, 0, 0x24, 0}));
    EXPECT_TRUE(device->requests[0].dataIn);
    EXPECT_EQ(device->requests[0].length, 36u);
    EXPECT_EQ(device->requests[0].timeoutSeconds, 1u) << "500 ms is passed as 1 s";
}

TEST(QVSCSIIdentify, FirstIdentifyingCandidateIsKept)
{
    auto disk = CameraDevice("ATA     ", "1.00");
    auto camera = CameraDevice();
    auto finder = std::make_unique<FakeScsiFinder>();
    finder->Add("/dev/sg0", disk);
    finder->Add("/dev/sg1", camera);
    finder->Add("/dev/sg2", CameraDevice());
    QVSCSI scsi(std::move(finder));
    scsi.Open();
    EXPECT_TRUE(scsi.IsConnected());
    EXPECT_EQ(scsi.DevicePath(), "/dev/sg1");
    scsi.SendCommand("CS\r");
    EXPECT_EQ(camera->requests.size(), 2u);
}

TEST(QVSCSITimeout, MillisecondsToWholeSecondsAtLeastOne)
{
    EXPECT_EQ(QVSCSI::TimeoutSeconds(0), 0u);
    EXPECT_EQ(QVSCSI::TimeoutSeconds(1), 1u);
    EXPECT_EQ(QVSCSI::TimeoutSeconds(500), 1u);
    EXPECT_EQ(QVSCSI::TimeoutSeconds(1999), 1u);
    EXPECT_EQ(QVSCSI::TimeoutSeconds(2000), 2u);
}

class QVSCSITest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scsi = OpenWith(device);
        ASSERT_TRUE(scsi->IsConnected());
        device->requests.clear();
    }
    std::shared_ptr<FakeScsiDevice::Shared> device = CameraDevice();
    std::unique_ptr<QVSCSI> scsi;
};

TEST_F(QVSCSITest, CommandReplyAndReadyCdbs)
{
    EXPECT_EQ(scsi->SendCommand("MV\r"), 0);
    EXPECT_EQ(device->requests[0].cdb, (Bytes{0x0D, 0, 0, 0, 3, 0}));
    EXPECT_FALSE(device->requests[0].dataIn);
    EXPECT_EQ(device->requests[0].dataOut, (Bytes{'M', 'V', '\r'}));

    std::array<std::uint8_t, QVCamComm::kReplySize> buffer{};
    std::uint16_t length = 1024;
    device->handler = [](const ScsiRequest& request) {
        std::memcpy(request.data, "MV019E\r", 7);
        return ScsiResult{0, 7};
    };
    EXPECT_EQ(scsi->ReadReply(buffer, length), 0);
    EXPECT_EQ(device->requests[1].cdb, (Bytes{0x0E, 0, 0, 0x04, 0x00, 0}));
    EXPECT_EQ(device->requests[1].length, 1024u);
    EXPECT_EQ(length, 7) << "the length becomes the bytes received";

    device->handler = [](const ScsiRequest& request) {
        request.data[0] = 0x10;
        return ScsiResult{0, 6};
    };
    EXPECT_TRUE(scsi->IsReplyReady());
    EXPECT_EQ(device->requests[2].cdb, (Bytes{0x0E, 0x01, 0, 0, 0x06, 0}));
    device->handler = [](const ScsiRequest&) { return ScsiResult{1117, 0}; };
    EXPECT_FALSE(scsi->IsReplyReady());
    EXPECT_EQ(scsi->SendCommand("CS\r"), 1117);
}

TEST_F(QVSCSITest, LineReadIsSplitIntoPiecesWithTheirTimeouts)
{
    std::vector<std::uint8_t> buffer(700 * 512);
    EXPECT_EQ(scsi->ReadBlocks(700, buffer, 10000), 0);
    ASSERT_EQ(device->requests.size(), 6u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(device->requests[i].cdb, (Bytes{0x28, 0, 0x80, 0, 0, 0, 0, 0x00, 0x80, 0}));
        EXPECT_EQ(device->requests[i].length, 65536u);
        EXPECT_EQ(device->requests[i].timeoutSeconds, 2u) << "hint / 5";
    }
    EXPECT_EQ(device->requests[5].cdb, (Bytes{0x28, 0, 0x80, 0, 0, 0, 0, 0x00, 60, 0}));
    EXPECT_EQ(device->requests[5].length, 60u * 512);
    EXPECT_EQ(device->requests[5].timeoutSeconds, 10u) << "the whole hint";
}

TEST_F(QVSCSITest, LineReadStopsAtTheFirstFailingPiece)
{
    int calls = 0;
    device->handler = [&calls](const ScsiRequest& request) {
        return ++calls == 2 ? ScsiResult{1460, 0} : ScsiResult{0, request.length};
    };
    std::vector<std::uint8_t> buffer(300 * 512);
    EXPECT_EQ(scsi->ReadBlocks(300, buffer, 1000), 1460);
    EXPECT_EQ(calls, 2);

    device->handler = [](const ScsiRequest& request) { return ScsiResult{0, request.length / 2}; };
    EXPECT_NE(scsi->ReadBlocks(10, buffer, 1000), 0) << "a short piece is not success";
}

TEST_F(QVSCSITest, DataReadPiecesCarryTheirByteOffset)
{
    // 300 blocks of chunk 2 start at byte 307200 = 0x0004B000.
    std::vector<std::uint8_t> buffer(300 * 512);
    EXPECT_EQ(scsi->ReadData(7, buffer, 300, 2), 300 * 512);
    ASSERT_EQ(device->requests.size(), 3u);
    EXPECT_EQ(device->requests[0].cdb, (Bytes{0x28, 0, 0x80, 0, 7, 0x00, 0x04, 0, 0x80, 0}));
    EXPECT_EQ(device->requests[1].cdb, (Bytes{0x28, 0, 0x80, 0, 7, 0x00, 0x05, 0, 0x80, 0}));
    EXPECT_EQ(device->requests[2].cdb, (Bytes{0x28, 0, 0x80, 0, 7, 0x00, 0x06, 0, 0x80, 0}))
        << "the last piece still says 0x80 blocks";
    EXPECT_EQ(device->requests[2].length, 44u * 512);

    device->handler = [](const ScsiRequest&) { return ScsiResult{1117, 0}; };
    EXPECT_LT(scsi->ReadData(7, buffer, 300, 2), 0) << "a failure never reads as a byte count";
}

TEST_F(QVSCSITest, TableAndStorageBlockCdbs)
{
    std::array<std::uint8_t, QVCamComm::kTableSize> table{};
    EXPECT_EQ(scsi->WriteTable(table), 0);
    EXPECT_EQ(device->requests[0].cdb, (Bytes{0x2A, 0, 0xA0, 0, 0xFF, 0, 0, 0, 0x10, 0}));
    EXPECT_EQ(device->requests[0].length, 8192u);
    EXPECT_FALSE(device->requests[0].dataIn);

    std::array<std::uint8_t, QVCamComm::kBlockSize> block{};
    EXPECT_EQ(scsi->TransferBlock(9, block, false), 0);
    EXPECT_EQ(device->requests[1].cdb, (Bytes{0x28, 0, 0x83, 0, 9, 0, 0, 0, 1, 0}));
    EXPECT_TRUE(device->requests[1].dataIn);
    EXPECT_EQ(scsi->TransferBlock(9, block, true), 0);
    EXPECT_EQ(device->requests[2].cdb, (Bytes{0x2A, 0, 0x83, 0, 9, 0, 0, 0, 1, 0}));
    EXPECT_FALSE(device->requests[2].dataIn);

    device->handler = [](const ScsiRequest&) { return ScsiResult{0, 100}; };
    EXPECT_NE(scsi->TransferBlock(9, block, false), 0);
}

}  // namespace
}  // namespace scanora
