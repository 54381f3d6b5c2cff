#include "UsbCameraDescriptors.h"

#include <initializer_list>

namespace scanora::mockkernel {

namespace {

void Append(std::vector<std::uint8_t>& bytes, std::initializer_list<int> values)
{
    for (const int value : values) bytes.push_back(static_cast<std::uint8_t>(value));
}

int Low(int word)
{
    return word & 0xFF;
}

int High(int word)
{
    return (word >> 8) & 0xFF;
}

}  // namespace

std::vector<std::uint8_t> UsbCameraDescriptors::SysfsDescriptors()
{
    constexpr int kDeviceLength = 18;
    constexpr int kConfigLength = 9;
    constexpr int kInterfaceLength = 9;
    constexpr int kEndpointLength = 7;
    constexpr int kEndpoints = 3;
    constexpr int kTotal = kConfigLength + kInterfaceLength + kEndpoints * kEndpointLength;
    constexpr int kStillImageClass = 6;
    constexpr int kBulk = 2;
    constexpr int kInterrupt = 3;
    constexpr int kHighSpeedBulkPacket = 512;

    std::vector<std::uint8_t> bytes;
    // Device: USB 2.0, class defined by the interface, 64-byte control packets, release 4.14,
    // manufacturer, product and serial strings 1 to 3, one configuration.
    Append(bytes, {kDeviceLength, 1, 0x00, 0x02, 0, 0, 0, 64, Low(kVendor), High(kVendor),
                   Low(kProduct), High(kProduct), 0x14, 0x04, 1, 2, 3, 1});
    // Configuration 1: one interface, self-powered, 2 mA from the bus.
    Append(bytes,
           {kConfigLength, 2, Low(kTotal), High(kTotal), 1, kConfigurationValue, 0, 0xC0, 1});
    // Interface 0: still image capture (class 6, subclass 1, protocol 1), three endpoints.
    Append(bytes, {kInterfaceLength, 4, 0, 0, kEndpoints, kStillImageClass, 1, 1, 0});
    Append(bytes, {kEndpointLength, 5, kBulkOut, kBulk, Low(kHighSpeedBulkPacket),
                   High(kHighSpeedBulkPacket), 0});
    Append(bytes, {kEndpointLength, 5, kBulkIn, kBulk, Low(kHighSpeedBulkPacket),
                   High(kHighSpeedBulkPacket), 0});
    Append(bytes, {kEndpointLength, 5, kInterruptIn, kInterrupt, 8, 0, 9});
    return bytes;
}

}  // namespace scanora::mockkernel
