#include "MockUsbCamera.h"

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>

#include "UsbCameraDescriptors.h"
#include "camsim/SimCamera.h"

namespace scanora::mockkernel {

namespace {

constexpr int kBus = 1;
constexpr unsigned kUsbMajor = 189;

// What usbdevfs offers: transfers of any length in one URB, as current kernels do.
constexpr std::uint32_t kCapabilities = USBDEVFS_CAP_ZERO_PACKET | USBDEVFS_CAP_BULK_CONTINUATION |
                                        USBDEVFS_CAP_NO_PACKET_SIZE_LIM |
                                        USBDEVFS_CAP_REAP_AFTER_DISCONNECT;

std::string Padded(int number)
{
    char text[8];
    std::snprintf(text, sizeof text, "%03d", number);
    return text;
}

std::string Hex4(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value & 0xFFFF);
    return text;
}

// A sysfs attribute's text: the value and a line break, as the kernel writes it.
std::string Line(int value)
{
    return std::to_string(value) + "\n";
}

}  // namespace

MockUsbCamera::MockUsbCamera(UMockdevTestbed* testbed, camsim::SimCamera& camera,
                             MockUsbFaults faults)
    : MockDevice(testbed), camera_(camera), faults_(faults)
{
}

MockUsbCamera::~MockUsbCamera() = default;

std::string MockUsbCamera::AddSysfsEntry(UMockdevTestbed* testbed, int plugging,
                                         std::string& devNode)
{
    // Each plugging gets the next device number on bus 1, as the hub enumerates it.
    const int device = plugging + 1;
    devNode = "/dev/bus/usb/" + Padded(kBus) + "/" + Padded(device);
    const std::string name = std::to_string(kBus) + "-" + std::to_string(plugging);
    const std::string minor = std::to_string((kBus - 1) * 128 + device - 1);
    const std::string dev = std::to_string(kUsbMajor) + ":" + minor;
    const std::string vendor = Hex4(UsbCameraDescriptors::kVendor);
    const std::string product = Hex4(UsbCameraDescriptors::kProduct);
    gchar* path = umockdev_testbed_add_device(
        testbed, "usb", name.c_str(), nullptr,
        // attributes
        "busnum", Line(kBus).c_str(), "devnum", Line(device).c_str(), "speed", "480\n", "idVendor",
        (vendor + "\n").c_str(), "idProduct", (product + "\n").c_str(), "bConfigurationValue",
        "1\n", "bNumConfigurations", "1\n", "bDeviceClass", "00\n", "manufacturer", "Qorvanix\n",
        "product", "Camera Back\n", "serial", "1234\n", "dev", (dev + "\n").c_str(), nullptr,
        // properties
        "DEVNAME", devNode.c_str(), "DEVTYPE", "usb_device", "DRIVER", "usb", "BUSNUM",
        Padded(kBus).c_str(), "DEVNUM", Padded(device).c_str(), "MAJOR",
        std::to_string(kUsbMajor).c_str(), "MINOR", minor.c_str(), "PRODUCT",
        (vendor + "/" + product + "/414").c_str(), "ID_USB_INTERFACES", ":060101:", nullptr);
    if (path == nullptr)
        return {};
    std::string sysfs = path;
    g_free(path);
    auto descriptors = UsbCameraDescriptors::SysfsDescriptors();
    umockdev_testbed_set_attribute_binary(testbed, sysfs.c_str(), "descriptors", descriptors.data(),
                                          static_cast<gssize>(descriptors.size()));
    return sysfs;
}

void MockUsbCamera::Reset()
{
    claimed_ = false;
    transferCut_ = false;
    reapable_.clear();  // what the old device left is the old node's alone
}

void MockUsbCamera::HandleIoctl(UMockdevIoctlClient* client)
{
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    switch (umockdev_ioctl_client_get_request(client)) {
    case USBDEVFS_GET_CAPABILITIES:
        if (auto* caps = Resolve(arg, 0, sizeof(std::uint32_t))) {
            *reinterpret_cast<std::uint32_t*>(caps->data) = kCapabilities;
            Complete(client);
        } else {
            Fail(client, EFAULT);
        }
        return;
    case USBDEVFS_CLAIMINTERFACE:
        if (faults_.claimedElsewhere) {
            Fail(client, EBUSY);
        } else {
            claimed_ = true;
            Complete(client);
        }
        return;
    case USBDEVFS_RELEASEINTERFACE:
        claimed_ = false;
        Complete(client);
        return;
    case USBDEVFS_SETCONFIGURATION:
    case USBDEVFS_SETINTERFACE:
    case USBDEVFS_CLEAR_HALT:
    case USBDEVFS_RESETEP: Complete(client); return;
    case USBDEVFS_GETDRIVER:
    case USBDEVFS_IOCTL:
        // No kernel driver is bound to the still-image interface: nothing to detach.
        Fail(client, ENODATA);
        return;
    case USBDEVFS_SUBMITURB: SubmitUrb(client, arg); return;
    case USBDEVFS_REAPURB:
    case USBDEVFS_REAPURBNDELAY: ReapUrb(client, arg); return;
    case USBDEVFS_DISCARDURB:
        // Every URB is complete by the time it could be discarded.
        Fail(client, EINVAL);
        return;
    default: Fail(client, ENOTTY); return;
    }
}

void MockUsbCamera::HandleIoctlWhenGone(UMockdevIoctlClient* client)
{
    const auto request = umockdev_ioctl_client_get_request(client);
    if ((request == USBDEVFS_REAPURB || request == USBDEVFS_REAPURBNDELAY) && !reapable_.empty())
        ReapUrb(client, umockdev_ioctl_client_get_arg(client));
    else
        Fail(client, ENODEV);
}

void MockUsbCamera::SubmitUrb(UMockdevIoctlClient* client, UMockdevIoctlData* arg)
{
    UMockdevIoctlData* urbData = Resolve(arg, 0, sizeof(usbdevfs_urb));
    if (urbData == nullptr) {
        Fail(client, EFAULT);
        return;
    }
    auto& urb = *reinterpret_cast<usbdevfs_urb*>(urbData->data);
    const bool known = urb.endpoint == UsbCameraDescriptors::kBulkOut ||
                       urb.endpoint == UsbCameraDescriptors::kBulkIn;
    if (urb.type != USBDEVFS_URB_TYPE_BULK || !known || urb.buffer_length < 0) {
        Fail(client, EINVAL);
        return;
    }
    if (!claimed_) {
        // The kernel claims the interface on the caller's behalf; a program that relied on it
        // without claiming would still work, but ours always claims first.
        Fail(client, EINVAL);
        return;
    }
    std::uint8_t* buffer = nullptr;
    if (urb.buffer_length > 0) {
        UMockdevIoctlData* bufferData = Resolve(urbData, offsetof(usbdevfs_urb, buffer),
                                                static_cast<std::size_t>(urb.buffer_length));
        if (bufferData == nullptr) {
            Fail(client, EFAULT);
            return;
        }
        buffer = bufferData->data;
    }
    // libusb splits a long transfer into URBs that continue one another. After one of them
    // ended short (or failed), the kernel cancels the rest of that transfer instead of running
    // them: they would read data that belongs to the next transfer.
    const bool continuation = (urb.flags & USBDEVFS_URB_BULK_CONTINUATION) != 0;
    if (!continuation)
        transferCut_ = false;
    int actual = 0;
    if (transferCut_) {
        urb.status = -ECONNRESET;
    } else {
        urb.status = RunBulk(urb.endpoint, buffer, urb.buffer_length, actual);
        const bool shortRead = urb.endpoint == UsbCameraDescriptors::kBulkIn && urb.status == 0 &&
                               actual < urb.buffer_length;
        if (shortRead && (urb.flags & USBDEVFS_URB_SHORT_NOT_OK) != 0)
            urb.status = -EREMOTEIO;
        transferCut_ = urb.status != 0;
    }
    urb.actual_length = actual;
    reapable_.push_back(Ref(urbData));
    Complete(client);
}

int MockUsbCamera::RunBulk(std::uint8_t endpoint, std::uint8_t* buffer, int length, int& actual)
{
    actual = 0;
    ++transfers_;
    if (faults_.stallTransfer && *faults_.stallTransfer == transfers_)
        return -EPIPE;
    const auto size = static_cast<std::size_t>(length);
    const int moved = endpoint == UsbCameraDescriptors::kBulkIn ? camera_.UsbBulkIn(buffer, size)
                                                                : camera_.UsbBulkOut(buffer, size);
    if (moved >= 0) {
        actual = moved;
        return 0;
    }
    if (camera_.LinkDead()) {
        VanishAfterThisCall();
        return -ENODEV;
    }
    return -EPROTO;  // the transfer failed on the wire
}

void MockUsbCamera::ReapUrb(UMockdevIoctlClient* client, UMockdevIoctlData* arg)
{
    if (reapable_.empty()) {
        Fail(client, EAGAIN);
        return;
    }
    UMockdevIoctlData* slot = Resolve(arg, 0, sizeof(void*));
    if (slot == nullptr) {
        Fail(client, EFAULT);
        return;
    }
    const GObjectPtr<UMockdevIoctlData> urb = std::move(reapable_.front());
    reapable_.pop_front();
    umockdev_ioctl_data_set_ptr(slot, 0, urb.get());
    Complete(client);
}

}  // namespace scanora::mockkernel
