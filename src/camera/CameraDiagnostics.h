#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "camera/CameraReply.h"
#include "camera/SensorCarriage.h"

namespace scanora {

class QVCamera;

// The service operations behind the diagnostics window and `scanora-cli diag`: the firmware
// version as the window shows it, the carriage's test positions, and any command typed by hand.
class CameraDiagnostics {
public:
    // The carriage's test positions in motor steps, as the window's buttons offer them.
    static constexpr std::array<std::uint16_t, 3> kTestPositions = {7552, 6144, 4096};
    // A typed command may start something slow: its reply is awaited this long.
    static constexpr int kTypedCommandTicks = 1000;

    explicit CameraDiagnostics(QVCamera& camera);

    // Asks the camera for its version and returns the version field's text ("4.14\n"); empty
    // when the camera gave no reply.
    std::string ReadVersion();
    // The version field's text for a version reply: the four hexadecimal digits after the
    // two-character prefix, in hundredths, as "%.2f\n". Empty for an empty reply.
    [[nodiscard]] static std::string VersionField(std::string_view reply);
    // The number the four digits after the prefix stand for; a character that is not a
    // hexadecimal digit, or a digit the reply is too short to hold, counts 0.
    [[nodiscard]] static unsigned VersionDigits(std::string_view reply);

    // Moves the carriage to a position in motor steps, or home. False when a command failed (it
    // has been reported).
    bool MoveCarriage(std::uint16_t position);
    bool HomeCarriage();

    // Sends `typed` with a carriage return, accepting any reply. Nothing is sent for an empty
    // text (the returned reply is then not accepted and carries no failure).
    CameraReply SendTyped(std::string_view typed);

private:
    QVCamera& camera_;
    SensorCarriage carriage_;
};

}  // namespace scanora
