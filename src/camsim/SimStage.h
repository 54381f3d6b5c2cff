#pragma once

#include <array>
#include <cstdint>

#include "camsim/SimClock.h"
#include "camsim/SimMotor.h"

namespace camsim {

// The turntable stage on the camera's auxiliary motor output. It keeps the motor parameters the
// host uploads, runs up at the acceleration ("MA", steps per second per second; 0 none) to the
// cruise rate ("MR") divided by the speed setting ("MS": 1 coarse, 8 fine) and down again, and
// coasts past the destination of a move by its coarse or fine overshoot, as a real stage's
// inertia carries it on after the motor is switched off.
class SimStage {
public:
    static constexpr std::uint16_t kCoarseSpeed = 1;
    static constexpr std::uint16_t kDefaultCruiseRate = 2048;

    SimStage(int coarseOvershoot, int fineOvershoot, std::uint16_t position);

    // "Ma".."Mf": index 0..5.
    void SetParameter(std::size_t index, std::uint16_t value) { parameters_.at(index) = value; }
    [[nodiscard]] std::uint16_t Parameter(std::size_t index) const { return parameters_.at(index); }
    void SetAcceleration(std::uint16_t value) { acceleration_ = value; }
    void SetCruiseRate(std::uint16_t value) { cruiseRate_ = value; }
    void SetSpeed(std::uint16_t divider) { speed_ = divider; }

    // Starts a move towards `destination`; the stage comes to rest past it by the overshoot of
    // the current speed, in the direction it turns.
    void Go(std::uint16_t destination, const SimClock& clock);
    // Stops where the stage is now.
    void Stop(const SimClock& clock);
    // Counts the stage's present place as `position`; it stops there.
    void Preset(std::uint16_t position) { RestAt(position); }

    [[nodiscard]] std::uint16_t Position(SimTimePoint now) const { return motor_.Position(now); }
    [[nodiscard]] bool IsMoving(SimTimePoint now) const { return motor_.IsMoving(now); }
    // The motor itself, for the plain moves ("CMV", "CMH") the carriage shares.
    [[nodiscard]] SimMotor& Motor() { return motor_; }
    [[nodiscard]] const SimMotor& Motor() const { return motor_; }

private:
    [[nodiscard]] double StepsPerSecond() const;
    void RestAt(std::uint16_t position);

    int coarseOvershoot_;
    int fineOvershoot_;
    std::array<std::uint16_t, 6> parameters_{};
    std::uint16_t acceleration_ = 0;
    std::uint16_t cruiseRate_ = kDefaultCruiseRate;
    std::uint16_t speed_ = kCoarseSpeed;
    SimMotor motor_;
};

}  // namespace camsim
