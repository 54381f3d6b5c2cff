#include "platform/LibUsbDeviceFinder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace scanora {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

TEST(LibUsbDeviceFinder, ParsesVendorAndProductInHex)
{
    EXPECT_EQ(LibUsbDeviceFinder::ParseUsbId("1d6b:0104"), (UsbId{0x1d6b, 0x0104}));
    EXPECT_EQ(LibUsbDeviceFinder::ParseUsbId("ABCD:ef"), (UsbId{0xabcd, 0x00ef}));
    for (const char* bad : {"", "1d6b", "1d6b:", ":0104", "1d6b0:0104", "1d6b:0104:1", " 1d6b:0104",
                            "0x1d:0104", "-1:0104", "xyz:0104"}) {
        EXPECT_EQ(LibUsbDeviceFinder::ParseUsbId(bad), std::nullopt) << bad;
    }
}

TEST(LibUsbDeviceFinder, AMalformedIdIsRefusedWithTheExpectedForm)
{
    LibUsbDeviceFinder finder("camera");
    DeviceError why;
    EXPECT_EQ(finder.Open(why), nullptr);
    EXPECT_EQ(why.kind, DeviceError::Kind::Failed);
    EXPECT_THAT(why.message, HasSubstr("expected VID:PID in hexadecimal"));
}

// These machines have no camera attached; where a still-image device does turn up, there is
// nothing to assert about it.
TEST(LibUsbDeviceFinder, WithoutACameraOpenSaysNoneIsPresent)
{
    LibUsbDeviceFinder finder;
    DeviceError why;
    if (const auto device = finder.Open(why)) {
        GTEST_SKIP() << "a still-image USB device is attached";
    }
    if (why.kind == DeviceError::Kind::NoPermission || why.kind == DeviceError::Kind::Busy) {
        GTEST_SKIP() << "a still-image USB device is attached: " << why.message;
    }
    EXPECT_EQ(why.kind, DeviceError::Kind::NotPresent);
    EXPECT_THAT(why.message, StartsWith("No camera found on USB"));
}

TEST(LibUsbDeviceFinder, AnAbsentNamedDeviceIsNotPresent)
{
    LibUsbDeviceFinder finder("fffe:fffd");
    DeviceError why;
    EXPECT_EQ(finder.Open(why), nullptr);
    EXPECT_EQ(why.kind, DeviceError::Kind::NotPresent);
    EXPECT_THAT(why.message, StartsWith("No camera found on USB at fffe:fffd"));
    // A second attempt searches again and says the same.
    EXPECT_EQ(finder.Open(why), nullptr);
    EXPECT_EQ(why.kind, DeviceError::Kind::NotPresent);
}

}  // namespace
}  // namespace scanora
