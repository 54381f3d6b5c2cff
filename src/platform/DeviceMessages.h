#pragma once

#include <string_view>

namespace scanora {

// Advice shown when a camera device exists but this user may not open it.
inline constexpr std::string_view kInstallUdevRuleAdvice =
    "Install the udev rule: sudo cp packaging/udev/70-scanora-camera.rules /etc/udev/rules.d/ && "
    "sudo udevadm control --reload && replug the camera.";

}  // namespace scanora
