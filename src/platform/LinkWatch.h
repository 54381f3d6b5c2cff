#pragma once

#include <cstdint>
#include <functional>

namespace scanora {

// A device the system saw plugged in or pulled out, and where it was on its bus.
struct LinkEvent {
    enum class Kind { Arrived, Left };
    Kind kind = Kind::Arrived;
    std::uint8_t bus = 0;
    std::uint8_t address = 0;
};

// Called for each LinkEvent on a thread of the watch's own: the receiver only takes note (the
// camera poll looks at once) and returns.
using LinkChanged = std::function<void(const LinkEvent&)>;

// A watch on a camera link that reports plugging and unplugging the moment the system sees them,
// where the link has such events (USB through libusb's hot-plug support). Reports end when the
// watch is destroyed; no report is running once the destructor has returned.
class LinkWatch {
public:
    virtual ~LinkWatch() = default;

protected:
    LinkWatch() = default;
};

}  // namespace scanora
