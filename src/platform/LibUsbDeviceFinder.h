#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/BulkDevice.h"
#include "platform/LibUsbDevice.h"
#include "platform/UsbId.h"

namespace scanora {

// Finds the USB camera through libusb: the first device with a still-image interface (class 6),
// or the one device the user names by vendor and product id. Claims the interface (detaching a
// kernel driver that holds it) and uses its first bulk OUT and bulk IN endpoints. Every Open
// searches the bus again, so a camera plugged in after start-up is found on the next attempt.
class LibUsbDeviceFinder final : public BulkDeviceFinder {
public:
    // `vidPid` empty: the first still-image device; otherwise "VID:PID" in hexadecimal.
    explicit LibUsbDeviceFinder(std::string_view vidPid = {}, LibUsbTimeouts timeouts = {});

    std::unique_ptr<BulkDevice> Open(DeviceError& why) override;
    // libusb's hot-plug events for the wanted device (any device when none is named), where
    // this system's libusb has them.
    std::unique_ptr<LinkWatch> WatchLink(LinkChanged changed) override;

    // "1d6b:0104" -> {0x1d6b, 0x0104}; nothing for anything else.
    static std::optional<UsbId> ParseUsbId(std::string_view text);

private:
    std::string vidPid_;
    std::optional<UsbId> wanted_;
    LibUsbTimeouts timeouts_;
};

}  // namespace scanora
