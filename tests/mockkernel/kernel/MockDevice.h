#pragma once

#include <umockdev.h>

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "GObjectPtr.h"

namespace scanora::mockkernel {

// One device node of the mocked kernel: its sysfs entry, its /dev node and a handler answering
// the ioctls a program sends to it. umockdev answers ioctls on a worker thread of its own while
// plugging and unplugging happen on the main loop's thread: one mutex keeps the device's state
// whole between them. Plugging it in adds the entry and sends the "add" uevent;
// pulling it out sends "remove" and takes the entry away, and from then on every ioctl on a node
// the program still holds open fails with ENODEV, as the kernel does. Each plugging is a new
// device with a new node, as on a real bus.
class MockDevice {
public:
    explicit MockDevice(UMockdevTestbed* testbed);
    virtual ~MockDevice();
    MockDevice(const MockDevice&) = delete;
    MockDevice& operator=(const MockDevice&) = delete;

    // False with the reason when the testbed refused the node.
    bool Plug(std::string& error);
    void Unplug();
    [[nodiscard]] bool Plugged() const { return !sysfsPath_.empty(); }
    // The node the program opens, e.g. "/dev/bus/usb/001/002".
    [[nodiscard]] const std::string& DevNode() const { return devNode_; }
    // The testbed's folder, which stands for "/" to the program.
    [[nodiscard]] std::string RootDir() const;

protected:
    // Adds the sysfs entry of plugging number `plugging` (1 for the first); returns its sysfs
    // path and sets `devNode`. Touches nothing that the ioctl handlers use.
    virtual std::string AddSysfsEntry(UMockdevTestbed* testbed, int plugging,
                                      std::string& devNode) = 0;
    // A new device's state, before its node answers (under the lock).
    virtual void Reset() {}
    // Answers one ioctl; the device is plugged in when it is called.
    virtual void HandleIoctl(UMockdevIoctlClient* client) = 0;
    // Answers an ioctl on the node of a device that has gone: ENODEV unless overridden.
    virtual void HandleIoctlWhenGone(UMockdevIoctlClient* client);

    // The device goes away on its own, as a camera whose cable is pulled during a transfer:
    // done on the main loop once the current ioctl has been answered (called from a handler).
    void VanishAfterThisCall();

    // `size` bytes of the caller's memory that the pointer at `offset` in `data` points to,
    // copied here and written back when the ioctl completes; null for a null pointer or a
    // caller's memory that cannot be read.
    static UMockdevIoctlData* Resolve(UMockdevIoctlData* data, std::size_t offset,
                                      std::size_t size);
    static void Complete(UMockdevIoctlClient* client, long result = 0);
    static void Fail(UMockdevIoctlClient* client, int error);

private:
    static gboolean Dispatch(UMockdevIoctlBase* base, UMockdevIoctlClient* client, gpointer self);

    UMockdevTestbed* testbed_;
    std::vector<GObjectPtr<UMockdevIoctlBase>> handlers_;  // one per plugging
    std::mutex mutex_;  // guards what follows and the derived class's state
    std::string sysfsPath_;
    std::string devNode_;
    int pluggings_ = 0;
    unsigned vanishSource_ = 0;
};

}  // namespace scanora::mockkernel
