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
inline constexpr unsigned kMathError = 0x03;        // values that the sensor cannot work with
inline constexpr unsigned kBusy = 0x11;             // a capture is running
inline constexpr unsigned kNotReady = 0x22;         // a step of the capture set-up is missing
inline constexpr unsigned kDiskFull = 0x33;
inline constexpr unsigned kNone = 0x00;  // what a check that passed returns
}  // namespace CameraErrorCode

// What a command handler makes of one command: the reply text (without its carriage return), or
// none when the camera stays silent, and how long the camera works before the reply is ready.
struct CommandOutcome {
    std::optional<std::string> reply;
    std::chrono::duration<double> workSeconds{0.0};  // simulated time until the reply is ready
    bool reportsLastLine = false;  // a status reply that counts every line of the capture

    static CommandOutcome Reply(std::string text) { return {std::move(text)}; }
    static CommandOutcome Ok() { return Reply("#OK"); }
    static CommandOutcome Silent() { return {}; }
    // "#E" with the code as (at least) two upper-case hexadecimal digits.
    static CommandOutcome Error(unsigned code);
    // "#OK" for code kNone, otherwise the error reply.
    static CommandOutcome OkOrError(unsigned code);
};

}  // namespace camsim
