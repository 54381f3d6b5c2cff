#include "MockDevice.h"

#include <glib/gstdio.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <utility>

namespace scanora::mockkernel {

MockDevice::MockDevice(UMockdevTestbed* testbed) : testbed_(testbed)
{
}

MockDevice::~MockDevice()
{
    const std::lock_guard lock(mutex_);
    if (vanishSource_ != 0)
        g_source_remove(vanishSource_);
    for (const auto& handler : handlers_) g_signal_handlers_disconnect_by_data(handler.get(), this);
}

bool MockDevice::Plug(std::string& error)
{
    if (Plugged())  // only this thread changes it
        return true;
    std::string node;
    std::string path = AddSysfsEntry(testbed_, ++pluggings_, node);
    if (path.empty()) {
        error = "the testbed did not take the device";
        return false;
    }
    // The node of an earlier plugging keeps its handler: a program that still holds it open
    // gets ENODEV from it.
    GObjectPtr<UMockdevIoctlBase> handler(umockdev_ioctl_base_new());
    g_signal_connect(handler.get(), "handle-ioctl", G_CALLBACK(&MockDevice::Dispatch), this);
    GError* failure = nullptr;
    if (!umockdev_testbed_attach_ioctl(testbed_, node.c_str(), handler.get(), &failure)) {
        error = std::string("cannot attach the ioctl handler to ") + node + ": " +
                (failure != nullptr ? failure->message : "no reason given");
        g_clear_error(&failure);
        umockdev_testbed_remove_device(testbed_, path.c_str());
        return false;
    }
    // The node itself: umockdev makes it only for devices read from a recorded description.
    const std::filesystem::path file = RootDir() + node;
    std::error_code made;
    std::filesystem::create_directories(file.parent_path(), made);
    if (made || !std::ofstream(file)) {
        error = "cannot make the node " + file.string();
        umockdev_testbed_remove_device(testbed_, path.c_str());
        return false;
    }
    handlers_.push_back(std::move(handler));
    {
        const std::lock_guard lock(mutex_);
        Reset();
        sysfsPath_ = std::move(path);
        devNode_ = std::move(node);
    }
    umockdev_testbed_uevent(testbed_, sysfsPath_.c_str(), "add");
    return true;
}

void MockDevice::Unplug()
{
    if (!Plugged())
        return;
    // Gone first, as in the kernel: by the time the program hears of it, its node fails.
    std::string path;
    {
        const std::lock_guard lock(mutex_);
        path = std::exchange(sysfsPath_, {});
    }
    umockdev_testbed_uevent(testbed_, path.c_str(), "remove");
    umockdev_testbed_remove_device(testbed_, path.c_str());
    g_unlink((RootDir() + devNode_).c_str());
}

std::string MockDevice::RootDir() const
{
    gchar* root = umockdev_testbed_get_root_dir(testbed_);
    std::string text = root;
    g_free(root);
    return text;
}

void MockDevice::VanishAfterThisCall()
{
    if (vanishSource_ != 0)
        return;
    vanishSource_ = g_idle_add(
        [](gpointer self) -> gboolean {
            auto& device = *static_cast<MockDevice*>(self);
            {
                const std::lock_guard lock(device.mutex_);
                device.vanishSource_ = 0;
            }
            device.Unplug();
            return G_SOURCE_REMOVE;
        },
        this);
}

UMockdevIoctlData* MockDevice::Resolve(UMockdevIoctlData* data, std::size_t offset,
                                       std::size_t size)
{
    GError* error = nullptr;
    UMockdevIoctlData* resolved = umockdev_ioctl_data_resolve(data, offset, size, &error);
    g_clear_error(&error);
    return resolved;
}

void MockDevice::Complete(UMockdevIoctlClient* client, long result)
{
    umockdev_ioctl_client_complete(client, result, 0);
}

void MockDevice::Fail(UMockdevIoctlClient* client, int error)
{
    umockdev_ioctl_client_complete(client, -1, error);
}

void MockDevice::HandleIoctlWhenGone(UMockdevIoctlClient* client)
{
    Fail(client, ENODEV);
}

gboolean MockDevice::Dispatch(UMockdevIoctlBase* /*base*/, UMockdevIoctlClient* client,
                              gpointer self)
{
    auto& device = *static_cast<MockDevice*>(self);
    const std::lock_guard lock(device.mutex_);
    // Only the node of the current plugging reaches a device; any other is one that was pulled.
    if (!device.Plugged() || device.devNode_ != umockdev_ioctl_client_get_devnode(client))
        device.HandleIoctlWhenGone(client);
    else
        device.HandleIoctl(client);
    return TRUE;
}

}  // namespace scanora::mockkernel
