#pragma once

#include <string_view>

namespace scanora {

// The refusals of a command that cannot run while the camera captures. Every layer that refuses
// one shows the same text.
inline constexpr std::string_view kCaptureRunningMessage = "Prescan/Scan in Progress";
inline constexpr std::string_view kScanInProgressMessage = "Scan in Progress";

}  // namespace scanora
