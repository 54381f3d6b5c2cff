#pragma once

#include <cstdint>
#include <vector>

namespace scanora::mockkernel {

// The USB identity of the mocked camera back, as a real one presents itself: one configuration
// with one still-image interface (class 6) carrying a bulk OUT, a bulk IN and an interrupt IN
// endpoint.
struct UsbCameraDescriptors {
    static constexpr std::uint16_t kVendor = 0x2e7c;
    static constexpr std::uint16_t kProduct = 0x0601;
    static constexpr std::uint8_t kBulkOut = 0x01;
    static constexpr std::uint8_t kBulkIn = 0x82;
    static constexpr std::uint8_t kInterruptIn = 0x83;
    static constexpr std::uint8_t kConfigurationValue = 1;

    // The bytes of sysfs's "descriptors" attribute: the device descriptor followed by the
    // configuration with its interface and endpoints, multi-byte fields little-endian.
    static std::vector<std::uint8_t> SysfsDescriptors();
};

}  // namespace scanora::mockkernel
