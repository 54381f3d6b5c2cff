#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <thread>

#include "platform/LibUsbDevice.h"
#include "platform/LinkWatch.h"
#include "platform/UsbId.h"

namespace scanora {

// libusb's hot-plug events for USB devices arriving and leaving (only the one `wanted` device
// when given), handled on a thread of the watch's own with a libusb context of its own.
class UsbHotplugWatch final : public LinkWatch {
    struct Key {
        explicit Key() = default;
    };

public:
    // The running watch, or null where libusb cannot report hot-plug events (no hot-plug
    // support on this system, no USB access at all): the caller then relies on its poll.
    static std::unique_ptr<UsbHotplugWatch> Start(std::optional<UsbId> wanted, LinkChanged changed);
    UsbHotplugWatch(Key, LibUsbContextPtr context, LinkChanged changed);
    ~UsbHotplugWatch() override;
    UsbHotplugWatch(const UsbHotplugWatch&) = delete;
    UsbHotplugWatch& operator=(const UsbHotplugWatch&) = delete;

private:
    bool Register(std::optional<UsbId> wanted);
    void HandleEvents();

    LibUsbContextPtr context_;
    LinkChanged changed_;
    int handle_ = 0;
    bool registered_ = false;
    std::atomic<bool> stop_ = false;
    std::thread thread_;  // last: started once everything above is in place
};

}  // namespace scanora
