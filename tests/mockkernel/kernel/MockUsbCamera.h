#pragma once

#include <deque>
#include <optional>

#include "MockDevice.h"

namespace camsim {
class SimCamera;
}

namespace scanora::mockkernel {

// How the mocked USB camera misbehaves besides what the simulated camera itself does.
struct MockUsbFaults {
    bool claimedElsewhere = false;  // another program holds the interface: claiming is EBUSY
    std::optional<unsigned> stallTransfer;  // this bulk transfer (1 = the first) stalls
};

// The camera back on USB as the kernel's usbdevfs shows it to libusb: the device's sysfs entry
// with its descriptors, and its /dev/bus/usb node answering the usbdevfs ioctls. Every bulk URB
// goes to the simulated camera when it is submitted and is ready to reap at once; its status is
// what the kernel would report: a stall, a protocol error for a transfer the camera failed, and
// ENODEV (with the device gone) when the camera's link died.
class MockUsbCamera final : public MockDevice {
public:
    MockUsbCamera(UMockdevTestbed* testbed, camsim::SimCamera& camera, MockUsbFaults faults);
    ~MockUsbCamera() override;

private:
    std::string AddSysfsEntry(UMockdevTestbed* testbed, int plugging,
                              std::string& devNode) override;
    void Reset() override;
    void HandleIoctl(UMockdevIoctlClient* client) override;
    // URBs that ended when the device went can still be reaped (with their -ENODEV), as the
    // kernel allows; everything else is ENODEV.
    void HandleIoctlWhenGone(UMockdevIoctlClient* client) override;
    void SubmitUrb(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    void ReapUrb(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    // Runs one bulk URB against the camera; its kernel status (0 or a negative errno).
    int RunBulk(std::uint8_t endpoint, std::uint8_t* buffer, int length, int& actual);

    camsim::SimCamera& camera_;
    MockUsbFaults faults_;
    bool claimed_ = false;
    bool transferCut_ = false;  // the URBs continuing the current transfer are cancelled
    unsigned transfers_ = 0;
    std::deque<GObjectPtr<UMockdevIoctlData>> reapable_;
};

}  // namespace scanora::mockkernel
