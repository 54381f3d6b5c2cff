#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace camsim {

// Error codes the camera answers after "#E".
namespace CameraErrorCode {
inline constexpr unsigned kConversionError = 0x01;  // the text is no command the camera knows
inline constexpr unsigned kValueError = 0x02;       // a known command with a bad parameter
inline constexpr unsigned kBusy = 0x11;
inline constexpr unsigned kNotReady = 0x22;
inline constexpr unsigned kDiskFull = 0x33;
}  // namespace CameraErrorCode

// What a command handler makes of one command: the reply text (without its carriage return), or
// none when the camera stays silent, and how long the camera works before the reply is ready.
struct CommandOutcome {
    std::optional<std::string> reply;
    std::chrono::duration<double> workSeconds{0.0};  // simulated time until the reply is ready

    static CommandOutcome Reply(std::string text) { return {std::move(text)}; }
    static CommandOutcome Ok() { return Reply("#OK"); }
    static CommandOutcome Silent() { return {}; }
    // "#E" with the code as (at least) two upper-case hexadecimal digits.
    static CommandOutcome Error(unsigned code);
};

}  // namespace camsim
