#include "platform/SgScsiDevice.h"

#include <fcntl.h>

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <fstream>
#include <vector>

#include "platform/SgScsiDeviceFinder.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

SgOutcome Completed(std::uint32_t requested, std::int32_t resid = 0)
{
    SgOutcome outcome;
    outcome.requested = requested;
    outcome.resid = resid;
    return outcome;
}

TEST(SgScsiDeviceMapping, SuccessReportsWhatMovedWithinWhatWasAsked)
{
    EXPECT_EQ(SgScsiDevice::MapOutcome(Completed(1024)).transferred, 1024u);
    EXPECT_EQ(SgScsiDevice::MapOutcome(Completed(1024, 1000)).transferred, 24u);
    // A driver's resid outside 0..requested never turns into a wild byte count.
    EXPECT_EQ(SgScsiDevice::MapOutcome(Completed(1024, -5)).transferred, 1024u);
    EXPECT_EQ(SgScsiDevice::MapOutcome(Completed(1024, 4096)).transferred, 0u);
    EXPECT_EQ(SgScsiDevice::MapOutcome(Completed(0)).error, LinkError::kSuccess);
}

TEST(SgScsiDeviceMapping, FailedCallsMapTheirErrno)
{
    const std::vector<std::pair<int, std::uint16_t>> cases{
        {ETIMEDOUT, LinkError::kTimeout},
        {ENODEV, LinkError::kDeviceNotConnected},
        {ENXIO, LinkError::kDeviceNotConnected},
        {EACCES, LinkError::kAccessDenied},
        {EPERM, LinkError::kAccessDenied},
        {EBUSY, LinkError::kBusy},
        {EIO, LinkError::kIoDevice},
        {ENOMEM, LinkError::kGeneralFailure},
    };
    for (const auto& [error, expected] : cases) {
        SgOutcome outcome = Completed(512);
        outcome.callErrno = error;
        const ScsiResult result = SgScsiDevice::MapOutcome(outcome);
        EXPECT_EQ(result.error, expected) << "errno " << error;
        EXPECT_EQ(result.transferred, 0u) << "errno " << error;
    }
}

TEST(SgScsiDeviceMapping, HostAndDriverFailuresComeBeforeTheDeviceStatus)
{
    const std::vector<std::pair<std::uint16_t, std::uint16_t>> hostCases{
        {SgOutcome::kHostTimeOut, LinkError::kTimeout},
        {SgOutcome::kHostNoConnect, LinkError::kDeviceNotConnected},
        {SgOutcome::kHostBadTarget, LinkError::kDeviceNotConnected},
        {SgOutcome::kHostBusBusy, LinkError::kBusy},
        {0x07, LinkError::kIoDevice},  // DID_ERROR
    };
    for (const auto& [host, expected] : hostCases) {
        SgOutcome outcome = Completed(512);
        outcome.hostStatus = host;
        EXPECT_EQ(SgScsiDevice::MapOutcome(outcome).error, expected) << "host " << host;
    }

    SgOutcome outcome = Completed(512);
    outcome.driverStatus = SgOutcome::kDriverTimeout;
    EXPECT_EQ(SgScsiDevice::MapOutcome(outcome).error, LinkError::kTimeout);
    outcome.driverStatus = 0x04;  // DRIVER_ERROR with a good status
    EXPECT_EQ(SgScsiDevice::MapOutcome(outcome).error, LinkError::kIoDevice);
}

TEST(SgScsiDeviceMapping, DeviceStatusDecidesTheRest)
{
    SgOutcome outcome = Completed(512);
    outcome.driverStatus = SgOutcome::kDriverSense;
    outcome.scsiStatus = SgOutcome::kStatusCheckCondition;
    outcome.senseKey = 0x05;  // illegal request
    EXPECT_EQ(SgScsiDevice::MapOutcome(outcome).error, LinkError::kIoDevice);

    outcome.senseKey = SgOutcome::kSenseRecoveredError;
    EXPECT_EQ(SgScsiDevice::MapOutcome(outcome).error, LinkError::kSuccess);
    EXPECT_EQ(SgScsiDevice::MapOutcome(outcome).transferred, 512u);

    outcome = Completed(512);
    outcome.scsiStatus = SgOutcome::kStatusBusy;
    EXPECT_EQ(SgScsiDevice::MapOutcome(outcome).error, LinkError::kBusy);
    outcome.scsiStatus = 0x40;  // task aborted
    EXPECT_EQ(SgScsiDevice::MapOutcome(outcome).error, LinkError::kGeneralFailure);
}

TEST(SgScsiDeviceMapping, SenseKeyReadsBothFormatsAndNeverPastTheEnd)
{
    const std::array<std::uint8_t, 18> fixed{0x70, 0x00, 0x05};
    const std::array<std::uint8_t, 8> descriptor{0x72, 0x06};
    const std::array<std::uint8_t, 2> shortFixed{0xF1, 0x00};
    const std::array<std::uint8_t, 3> vendor{0x7F, 0x00, 0x05};
    EXPECT_EQ(SgScsiDevice::SenseKey(fixed), 0x05);
    EXPECT_EQ(SgScsiDevice::SenseKey(descriptor), 0x06);
    EXPECT_EQ(SgScsiDevice::SenseKey(shortFixed), SgOutcome::kSenseNoSense);
    EXPECT_EQ(SgScsiDevice::SenseKey(vendor), SgOutcome::kSenseNoSense);
    EXPECT_EQ(SgScsiDevice::SenseKey({}), SgOutcome::kSenseNoSense);
}

TEST(SgScsiDevice, RefusesMalformedRequestsBeforeTheDevice)
{
    SgScsiDevice device(UniqueFd(::open("/dev/null", O_RDWR | O_CLOEXEC)));
    const std::array<std::uint8_t, 17> tooLong{};
    const std::array<std::uint8_t, 6> inquiry{0x12, 0, 0, 0, 0x24, 0};

    ScsiRequest request;
    request.cdb = tooLong;
    EXPECT_EQ(device.Execute(request).error, LinkError::kGeneralFailure);
    request.cdb = {};
    EXPECT_EQ(device.Execute(request).error, LinkError::kGeneralFailure);
    request.cdb = inquiry;
    request.length = 36;  // but no buffer
    EXPECT_EQ(device.Execute(request).error, LinkError::kGeneralFailure);

    // A node that is not a generic SCSI device fails the call itself.
    std::array<std::uint8_t, 36> answer{};
    request.data = answer.data();
    const ScsiResult result = device.Execute(request);
    EXPECT_NE(result.error, LinkError::kSuccess);
    EXPECT_EQ(result.transferred, 0u);

    SgScsiDevice closed{UniqueFd()};
    EXPECT_EQ(closed.Execute(request).error, LinkError::kDeviceNotConnected);
}

TEST(SgScsiDeviceFinder, ListsGenericNodesInNumericOrder)
{
    const test::TempDir dev;
    for (const char* name : {"sg10", "sg2", "sda", "sg0", "sg", "sg1x", "sgx", "sg1"}) {
        std::ofstream(dev.Path() / name).put('\0');
    }
    SgScsiDeviceFinder finder({}, dev.Path());
    const auto at = [&](const char* name) { return (dev.Path() / name).string(); };
    EXPECT_EQ(finder.Candidates(),
              (std::vector<std::string>{at("sg0"), at("sg1"), at("sg2"), at("sg10")}));

    EXPECT_EQ(SgScsiDeviceFinder("/dev/sg3", dev.Path()).Candidates(),
              std::vector<std::string>{"/dev/sg3"});
    EXPECT_TRUE(SgScsiDeviceFinder({}, dev.Path() / "missing").Candidates().empty());
}

TEST(SgScsiDeviceFinder, OpenSaysWhyANodeIsNotUsable)
{
    const test::TempDir dev;
    SgScsiDeviceFinder finder({}, dev.Path());
    DeviceError why;

    const std::string missing = (dev.Path() / "sg7").string();
    EXPECT_EQ(finder.Open(missing, why), nullptr);
    EXPECT_EQ(why.kind, DeviceError::Kind::NotPresent);
    EXPECT_EQ(why.message, "No generic SCSI device at " + missing + ".");

    const std::string plainFile = (dev.Path() / "sg0").string();
    std::ofstream(plainFile).put('\0');
    EXPECT_EQ(finder.Open(plainFile, why), nullptr);
    EXPECT_EQ(why.kind, DeviceError::Kind::Failed);
    EXPECT_EQ(why.message, plainFile + " is not a generic SCSI device.");

    EXPECT_EQ(finder.Open("/dev/null", why), nullptr);  // a character device, but not sg
    EXPECT_EQ(why.kind, DeviceError::Kind::Failed);
}

}  // namespace
}  // namespace scanora
