#include "platform/UsbHotplugWatch.h"

#include <libusb.h>
#include <sys/time.h>

namespace scanora {

namespace {

// How long one wait for events may last before the thread looks at its stop flag again; a stop
// also interrupts the wait at once.
constexpr suseconds_t kWaitMicroseconds = 250'000;

int LIBUSB_CALL OnHotplug(libusb_context* /*context*/, libusb_device* device,
                          libusb_hotplug_event event, void* changed)
{
    LinkEvent report;
    report.kind = event == LIBUSB_HOTPLUG_EVENT_DEVICE_LEFT ? LinkEvent::Kind::Left
                                                            : LinkEvent::Kind::Arrived;
    report.bus = libusb_get_bus_number(device);
    report.address = libusb_get_device_address(device);
    (*static_cast<LinkChanged*>(changed))(report);
    return 0;  // stay registered
}

}  // namespace

std::unique_ptr<UsbHotplugWatch> UsbHotplugWatch::Start(std::optional<UsbId> wanted,
                                                        LinkChanged changed)
{
    if (!changed || libusb_has_capability(LIBUSB_CAP_HAS_HOTPLUG) == 0)
        return nullptr;
    libusb_context* raw = nullptr;
    if (libusb_init(&raw) != LIBUSB_SUCCESS)
        return nullptr;
    auto watch =
        std::make_unique<UsbHotplugWatch>(Key(), LibUsbContextPtr(raw), std::move(changed));
    if (!watch->Register(wanted))
        return nullptr;
    watch->thread_ = std::thread([self = watch.get()] { self->HandleEvents(); });
    return watch;
}

UsbHotplugWatch::UsbHotplugWatch(Key, LibUsbContextPtr context, LinkChanged changed)
    : context_(std::move(context)), changed_(std::move(changed))
{
}

UsbHotplugWatch::~UsbHotplugWatch()
{
    stop_.store(true);
    if (thread_.joinable()) {
        libusb_interrupt_event_handler(context_.get());
        thread_.join();
    }
    if (registered_)
        libusb_hotplug_deregister_callback(context_.get(), handle_);
}

bool UsbHotplugWatch::Register(std::optional<UsbId> wanted)
{
    const int vendor = wanted ? wanted->vendor : LIBUSB_HOTPLUG_MATCH_ANY;
    const int product = wanted ? wanted->product : LIBUSB_HOTPLUG_MATCH_ANY;
    libusb_hotplug_callback_handle handle = 0;
    const int result = libusb_hotplug_register_callback(
        context_.get(),
        static_cast<libusb_hotplug_event>(LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED |
                                          LIBUSB_HOTPLUG_EVENT_DEVICE_LEFT),
        LIBUSB_HOTPLUG_NO_FLAGS, vendor, product, LIBUSB_HOTPLUG_MATCH_ANY, &OnHotplug, &changed_,
        &handle);
    registered_ = result == LIBUSB_SUCCESS;
    handle_ = handle;
    return registered_;
}

void UsbHotplugWatch::HandleEvents()
{
    while (!stop_.load()) {
        timeval wait{0, kWaitMicroseconds};
        libusb_handle_events_timeout_completed(context_.get(), &wait, nullptr);
    }
}

}  // namespace scanora
