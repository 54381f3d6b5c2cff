#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "platform/DeviceError.h"
#include "platform/LinkWatch.h"

namespace scanora {

// One USB camera seen as a pair of bulk pipes: every write is one bulk OUT transfer, every read
// one bulk IN transfer. Implemented over libusb, over the socket link to scanora-camsim and over
// the in-process simulator.
class BulkDevice {
public:
    virtual ~BulkDevice() = default;

    // One bulk OUT transfer. Returns the bytes taken, or a negative value when it failed.
    virtual int BulkWrite(std::span<const std::uint8_t> data) = 0;
    // One bulk IN transfer of at most buffer.size() bytes. Returns the bytes read, or a negative
    // value when it failed.
    virtual int BulkRead(std::span<std::uint8_t> buffer) = 0;
    // True once the device has gone away for good (unplugged, socket closed): every later
    // transfer fails at once.
    [[nodiscard]] virtual bool IsGone() const = 0;
    // True when this is the device at `address` on USB bus `bus`; false for links without one.
    [[nodiscard]] virtual bool IsAt(std::uint8_t /*bus*/, std::uint8_t /*address*/) const
    {
        return false;
    }
};

// Finds and opens the USB camera. Called at start-up and again by every reconnection attempt,
// so a camera plugged in after start-up is found without a restart.
class BulkDeviceFinder {
public:
    virtual ~BulkDeviceFinder() = default;

    // The opened device, or null with `why` saying what stood in the way.
    virtual std::unique_ptr<BulkDevice> Open(DeviceError& why) = 0;
    // A watch that calls `changed` when a camera is plugged in or pulled out, or null where the
    // link has no such events (the caller's poll finds out instead).
    virtual std::unique_ptr<LinkWatch> WatchLink(LinkChanged /*changed*/) { return nullptr; }
};

}  // namespace scanora
