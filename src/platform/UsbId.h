#pragma once

#include <cstdint>

namespace scanora {

// A USB vendor and product id, as the user names a device ("1d6b:0104").
struct UsbId {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;

    bool operator==(const UsbId&) const = default;
};

}  // namespace scanora
