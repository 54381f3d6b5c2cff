#include "platform/LibUsbDevice.h"

#include <libusb.h>

#include <algorithm>
#include <limits>

namespace scanora {

void LibUsbContextDeleter::operator()(libusb_context* context) const
{
    libusb_exit(context);
}

void LibUsbHandleDeleter::operator()(libusb_device_handle* handle) const
{
    libusb_close(handle);
}

LibUsbDevice::LibUsbDevice(LibUsbContextPtr context, LibUsbHandlePtr handle, LibUsbPipes pipes,
                           LibUsbTimeouts timeouts)
    : context_(std::move(context)), handle_(std::move(handle)), pipes_(pipes), timeouts_(timeouts)
{
    if (handle_) {
        libusb_device* device = libusb_get_device(handle_.get());
        bus_ = libusb_get_bus_number(device);
        address_ = libusb_get_device_address(device);
    }
}

LibUsbDevice::~LibUsbDevice()
{
    if (handle_) {
        libusb_release_interface(handle_.get(), pipes_.interfaceNumber);
    }
}

int LibUsbDevice::BulkWrite(std::span<const std::uint8_t> data)
{
    if (data.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return LIBUSB_ERROR_INVALID_PARAM;  // libusb counts in int; never send half of it
    }
    // libusb takes a non-const buffer for both directions; an OUT transfer only reads it.
    return Transfer(pipes_.out, const_cast<std::uint8_t*>(data.data()),
                    static_cast<int>(data.size()), timeouts_.write);
}

int LibUsbDevice::BulkRead(std::span<std::uint8_t> buffer)
{
    const auto length =
        std::min(buffer.size(), static_cast<std::size_t>(std::numeric_limits<int>::max()));
    return Transfer(pipes_.in, buffer.data(), static_cast<int>(length), timeouts_.read);
}

int LibUsbDevice::Transfer(std::uint8_t endpoint, std::uint8_t* data, int length,
                           std::chrono::milliseconds timeout)
{
    if (gone_ || !handle_) {
        return LIBUSB_ERROR_NO_DEVICE;
    }
    const auto ms = static_cast<unsigned>(std::clamp<std::chrono::milliseconds::rep>(
        timeout.count(), 1, std::numeric_limits<unsigned>::max()));
    int transferred = 0;
    const int result =
        libusb_bulk_transfer(handle_.get(), endpoint, data, length, &transferred, ms);
    if (result == LIBUSB_SUCCESS) {
        return transferred;
    }
    if (result == LIBUSB_ERROR_TIMEOUT && transferred > 0) {
        return transferred;  // bytes that moved before the time-out are real data
    }
    if (result == LIBUSB_ERROR_NO_DEVICE) {
        gone_ = true;
    } else if (result == LIBUSB_ERROR_PIPE &&
               libusb_clear_halt(handle_.get(), endpoint) == LIBUSB_ERROR_NO_DEVICE) {
        gone_ = true;  // the endpoint stalled and the camera went with it
    }
    return result;
}

}  // namespace scanora
