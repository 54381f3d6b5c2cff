#pragma once

#include <cstdint>

namespace scanora {

// Error codes reported by the camera transports. The camera layer shows them in decimal, so they
// keep the numbers the camera program has always used for these conditions.
namespace LinkError {
inline constexpr std::uint16_t kSuccess = 0;
inline constexpr std::uint16_t kAccessDenied = 5;
inline constexpr std::uint16_t kGeneralFailure = 31;
inline constexpr std::uint16_t kBusy = 170;
inline constexpr std::uint16_t kIoDevice = 1117;
inline constexpr std::uint16_t kDeviceNotConnected = 1167;
inline constexpr std::uint16_t kTimeout = 1460;
}  // namespace LinkError

}  // namespace scanora
