#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "settings/StageValues.h"

namespace scanora {

class QVCamera;

// How the stage waits for its motor; tests run it without real pauses.
struct StageTiming {
    using Sleeper = std::function<void(std::chrono::milliseconds)>;
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    Sleeper sleep;  // null: a real sleep
    Clock now;      // null: the steady clock
};

// The commands of the motorised stage on the camera's motor output: its motor parameters, moves
// at coarse or fine speed, stop, preset, the stage offset and the position, and the wait for the
// motor to stop. Every command that drives the stage switches the motor output to it first. A
// failed command ends the sequence it belongs to, so the stage never starts towards a stale
// destination. The wait gives up after kMotionWaitLimit, so a stage that never reports its stop
// cannot hang the program.
class StageMotor {
public:
    using MotorParams = StageValues::MotorParams;

    static constexpr int kMoveTimeoutTicks = 200;
    static constexpr int kStopTimeoutTicks = 240;
    static constexpr std::chrono::seconds kMotionWaitLimit{120};

    // The camera is borrowed and must outlive the motor.
    StageMotor(QVCamera& camera, StageTiming timing);

    // Sends a ... f.
    bool UploadParameters(const MotorParams& params);
    // Starts a move to `destination` with the acceleration and cruise rate of `params`.
    bool Move(std::uint16_t destination, const MotorParams& params);
    bool MoveCoarse(std::uint16_t destination, const MotorParams& params);
    bool MoveFine(std::uint16_t destination, const MotorParams& params);
    bool Stop();
    // Makes the motor count its present place as `position`; nothing moves.
    bool Preset(std::uint16_t position);
    // The stage offset ("MT"); nothing when it could not be read.
    std::optional<std::uint16_t> ReadOffset();
    // The motor position from a fresh status query.
    std::optional<std::uint16_t> ReadPosition();
    // Pauses `firstPause`, then polls every `interval` (calling `redraw` after each pause) until
    // the motor stops; false when the status could not be read or the motor still ran after
    // kMotionWaitLimit.
    bool WaitUntilStopped(std::chrono::milliseconds firstPause, std::chrono::milliseconds interval,
                          const std::function<void()>& redraw = {});
    void Sleep(std::chrono::milliseconds duration);

private:
    bool MoveAtSpeed(std::uint16_t speed, std::uint16_t destination, const MotorParams& params);
    bool SendHex(std::string_view name, std::uint16_t value, std::string_view expectedPrefix);

    QVCamera& camera_;
    StageTiming timing_;
};

}  // namespace scanora
