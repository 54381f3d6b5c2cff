#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <span>

#include "platform/BulkDevice.h"

struct libusb_context;
struct libusb_device_handle;

namespace scanora {

struct LibUsbContextDeleter {
    void operator()(libusb_context* context) const;
};
struct LibUsbHandleDeleter {
    void operator()(libusb_device_handle* handle) const;
};
using LibUsbContextPtr = std::unique_ptr<libusb_context, LibUsbContextDeleter>;
using LibUsbHandlePtr = std::unique_ptr<libusb_device_handle, LibUsbHandleDeleter>;

// How long one bulk transfer may take before it is given up. Reads are generous: a line read
// moves many kilobytes while the camera is still exposing them.
struct LibUsbTimeouts {
    std::chrono::milliseconds write{10000};
    std::chrono::milliseconds read{30000};
};

// The interface of the camera that carries its bulk pipes, and their endpoint addresses.
struct LibUsbPipes {
    int interfaceNumber = 0;
    std::uint8_t out = 0;
    std::uint8_t in = 0;
};

// An opened USB camera: one claimed interface with one bulk OUT and one bulk IN endpoint, each
// transfer one libusb_bulk_transfer. Owns its libusb context and handle; releases the interface
// (which gives it back to any kernel driver detached for it) when destroyed.
class LibUsbDevice final : public BulkDevice {
public:
    // Takes over an open handle whose interface `pipes.interfaceNumber` is already claimed.
    LibUsbDevice(LibUsbContextPtr context, LibUsbHandlePtr handle, LibUsbPipes pipes,
                 LibUsbTimeouts timeouts);
    ~LibUsbDevice() override;
    LibUsbDevice(const LibUsbDevice&) = delete;
    LibUsbDevice& operator=(const LibUsbDevice&) = delete;

    // The bytes taken, or a negative libusb error code.
    int BulkWrite(std::span<const std::uint8_t> data) override;
    // The bytes read (at most the buffer's size), or a negative libusb error code.
    int BulkRead(std::span<std::uint8_t> buffer) override;
    [[nodiscard]] bool IsGone() const override { return gone_; }
    [[nodiscard]] bool IsAt(std::uint8_t bus, std::uint8_t address) const override
    {
        return bus == bus_ && address == address_;
    }

private:
    int Transfer(std::uint8_t endpoint, std::uint8_t* data, int length,
                 std::chrono::milliseconds timeout);

    LibUsbContextPtr context_;  // declared first: outlives the handle
    LibUsbHandlePtr handle_;
    LibUsbPipes pipes_;
    LibUsbTimeouts timeouts_;
    std::atomic<bool> gone_ = false;
    std::uint8_t bus_ = 0;
    std::uint8_t address_ = 0;
};

}  // namespace scanora
