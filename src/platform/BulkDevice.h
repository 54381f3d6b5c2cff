#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "platform/DeviceError.h"

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
};

// Finds and opens the USB camera. Called at start-up and again by every reconnection attempt,
// so a camera plugged in after start-up is found without a restart.
class BulkDeviceFinder {
public:
    virtual ~BulkDeviceFinder() = default;

    // The opened device, or null with `why` saying what stood in the way.
    virtual std::unique_ptr<BulkDevice> Open(DeviceError& why) = 0;
};

}  // namespace scanora
