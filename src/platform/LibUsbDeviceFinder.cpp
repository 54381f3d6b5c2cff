#include "platform/LibUsbDeviceFinder.h"

#include <libusb.h>

#include <charconv>

#include "platform/DeviceMessages.h"
#include "platform/UsbHotplugWatch.h"

namespace scanora {

namespace {

constexpr std::uint8_t kStillImageClass = LIBUSB_CLASS_IMAGE;  // 6

struct DeviceListDeleter {
    void operator()(libusb_device** list) const { libusb_free_device_list(list, 1); }
};
struct ConfigDeleter {
    void operator()(libusb_config_descriptor* config) const
    {
        libusb_free_config_descriptor(config);
    }
};
using ConfigPtr = std::unique_ptr<libusb_config_descriptor, ConfigDeleter>;

// Where the camera's pipes live within the device's configuration.
struct PipeChoice {
    LibUsbPipes pipes;
    int altSetting = 0;
    bool stillImage = false;
};

// The first interface setting with both a bulk OUT and a bulk IN endpoint, preferring a
// still-image one; with `stillImageOnly` no other kind is taken.
std::optional<PipeChoice> FindPipes(const libusb_config_descriptor& config, bool stillImageOnly)
{
    std::optional<PipeChoice> other;
    for (int i = 0; i < config.bNumInterfaces; ++i) {
        const libusb_interface& interface = config.interface[i];
        for (int a = 0; a < interface.num_altsetting; ++a) {
            const libusb_interface_descriptor& setting = interface.altsetting[a];
            const bool stillImage = setting.bInterfaceClass == kStillImageClass;
            if (stillImageOnly && !stillImage) {
                continue;
            }
            std::optional<std::uint8_t> out;
            std::optional<std::uint8_t> in;
            for (int e = 0; e < setting.bNumEndpoints; ++e) {
                const libusb_endpoint_descriptor& endpoint = setting.endpoint[e];
                if ((endpoint.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) !=
                    LIBUSB_TRANSFER_TYPE_BULK) {
                    continue;
                }
                const bool isIn =
                    (endpoint.bEndpointAddress & LIBUSB_ENDPOINT_DIR_MASK) == LIBUSB_ENDPOINT_IN;
                auto& slot = isIn ? in : out;
                if (!slot) {
                    slot = endpoint.bEndpointAddress;
                }
            }
            if (!out || !in) {
                continue;
            }
            PipeChoice choice{
                {setting.bInterfaceNumber, *out, *in}, setting.bAlternateSetting, stillImage};
            if (stillImage) {
                return choice;
            }
            if (!other) {
                other = choice;
            }
        }
    }
    return other;
}

// The device's active configuration, or its first one when the device is not configured yet.
ConfigPtr ReadConfig(libusb_device* device, bool& configured)
{
    libusb_config_descriptor* config = nullptr;
    configured = libusb_get_active_config_descriptor(device, &config) == LIBUSB_SUCCESS;
    if (!configured && libusb_get_config_descriptor(device, 0, &config) != LIBUSB_SUCCESS) {
        return nullptr;
    }
    return ConfigPtr(config);
}

std::string Hex4(std::uint16_t value)
{
    constexpr char kDigits[] = "0123456789abcdef";
    std::string text(4, '0');
    for (int i = 3; i >= 0; --i) {
        text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
        value = static_cast<std::uint16_t>(value >> 4);
    }
    return text;
}

DeviceError OpenError(int code)
{
    switch (code) {
    case LIBUSB_ERROR_ACCESS:
        return {DeviceError::Kind::NoPermission,
                "The camera is connected but this user may not open it. " +
                    std::string(kInstallUdevRuleAdvice)};
    case LIBUSB_ERROR_BUSY:
        return {DeviceError::Kind::Busy,
                "The camera is in use by another program. Close any other camera or photo "
                "program and try again."};
    case LIBUSB_ERROR_NO_DEVICE:
        return {DeviceError::Kind::NotPresent,
                "The camera was unplugged while it was being opened."};
    default:
        return {DeviceError::Kind::Failed, std::string("The camera could not be opened on USB: ") +
                                               libusb_strerror(static_cast<libusb_error>(code))};
    }
}

}  // namespace

LibUsbDeviceFinder::LibUsbDeviceFinder(std::string_view vidPid, LibUsbTimeouts timeouts)
    : vidPid_(vidPid), wanted_(ParseUsbId(vidPid)), timeouts_(timeouts)
{
}

std::optional<UsbId> LibUsbDeviceFinder::ParseUsbId(std::string_view text)
{
    const auto parseHex = [](std::string_view digits) -> std::optional<std::uint16_t> {
        std::uint16_t value = 0;
        const char* end = digits.data() + digits.size();
        if (digits.empty() || digits.size() > 4) {
            return std::nullopt;
        }
        const auto result = std::from_chars(digits.data(), end, value, 16);
        if (result.ec != std::errc{} || result.ptr != end) {
            return std::nullopt;
        }
        return value;
    };
    const auto colon = text.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const auto vendor = parseHex(text.substr(0, colon));
    const auto product = parseHex(text.substr(colon + 1));
    if (!vendor || !product) {
        return std::nullopt;
    }
    return UsbId{*vendor, *product};
}

std::unique_ptr<LinkWatch> LibUsbDeviceFinder::WatchLink(LinkChanged changed)
{
    if (!vidPid_.empty() && !wanted_)
        return nullptr;  // a mistyped id finds nothing to watch either
    return UsbHotplugWatch::Start(wanted_, std::move(changed));
}

std::unique_ptr<BulkDevice> LibUsbDeviceFinder::Open(DeviceError& why)
{
    why = {};
    if (!vidPid_.empty() && !wanted_) {
        why = {DeviceError::Kind::Failed,
               "Not a USB device id: \"" + vidPid_ +
                   "\" (expected VID:PID in hexadecimal, e.g. usb:1d6b:0104)"};
        return nullptr;
    }
    const std::string where =
        wanted_ ? " at " + Hex4(wanted_->vendor) + ":" + Hex4(wanted_->product) : std::string();
    const DeviceError notFound{DeviceError::Kind::NotPresent,
                               "No camera found on USB" + where +
                                   ". Check that the camera is switched on and its cable is "
                                   "plugged in."};

    libusb_context* rawContext = nullptr;
    if (libusb_init(&rawContext) != LIBUSB_SUCCESS) {
        why = notFound;  // no USB device access at all on this system (e.g. no usbfs)
        return nullptr;
    }
    LibUsbContextPtr context(rawContext);

    libusb_device** rawList = nullptr;
    const ssize_t count = libusb_get_device_list(context.get(), &rawList);
    if (count < 0) {
        why = notFound;
        return nullptr;
    }
    const std::unique_ptr<libusb_device*, DeviceListDeleter> list(rawList);

    for (ssize_t i = 0; i < count; ++i) {
        libusb_device* device = list.get()[i];
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(device, &descriptor) != LIBUSB_SUCCESS) {
            continue;
        }
        if (wanted_ && UsbId{descriptor.idVendor, descriptor.idProduct} != *wanted_) {
            continue;
        }
        bool configured = false;
        const ConfigPtr config = ReadConfig(device, configured);
        const auto choice = config ? FindPipes(*config, !wanted_) : std::nullopt;
        if (!choice) {
            if (wanted_) {
                why = {DeviceError::Kind::Failed,
                       "The USB device" + where +
                           " has no interface with bulk endpoints in both directions; it is "
                           "not the camera."};
                return nullptr;
            }
            continue;
        }

        // The first matching device is the camera; its failures are reported, not skipped.
        libusb_device_handle* rawHandle = nullptr;
        if (const int result = libusb_open(device, &rawHandle); result != LIBUSB_SUCCESS) {
            why = OpenError(result);
            return nullptr;
        }
        LibUsbHandlePtr handle(rawHandle);
        libusb_set_auto_detach_kernel_driver(handle.get(), 1);  // unsupported is fine
        if (!configured) {
            if (const int result =
                    libusb_set_configuration(handle.get(), config->bConfigurationValue);
                result != LIBUSB_SUCCESS) {
                why = OpenError(result);
                return nullptr;
            }
        }
        const int interfaceNumber = choice->pipes.interfaceNumber;
        if (const int result = libusb_claim_interface(handle.get(), interfaceNumber);
            result != LIBUSB_SUCCESS) {
            why = OpenError(result);
            return nullptr;
        }
        if (choice->altSetting != 0) {
            if (const int result = libusb_set_interface_alt_setting(handle.get(), interfaceNumber,
                                                                    choice->altSetting);
                result != LIBUSB_SUCCESS) {
                libusb_release_interface(handle.get(), interfaceNumber);
                why = OpenError(result);
                return nullptr;
            }
        }
        return std::make_unique<LibUsbDevice>(std::move(context), std::move(handle), choice->pipes,
                                              timeouts_);
    }
    why = notFound;
    return nullptr;
}

}  // namespace scanora
