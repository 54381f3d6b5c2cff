#pragma once

#include <string>

namespace scanora {

// Why a camera device could not be opened, in words a user can act on.
struct DeviceError {
    enum class Kind {
        None,          // opened
        NotPresent,    // no matching device on the bus
        NoPermission,  // present, but this user may not open it (udev rule missing)
        Busy,          // present, but held by another program or driver
        Failed,        // anything else the system reported
    };

    Kind kind = Kind::None;
    std::string message;

    [[nodiscard]] bool IsError() const { return kind != Kind::None; }
};

}  // namespace scanora
