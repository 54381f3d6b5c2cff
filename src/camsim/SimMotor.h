#pragma once

#include <cstdint>

#include "camsim/SimClock.h"

namespace camsim {

// One stepper motor behind the camera's motor output (the sensor carriage or the turntable): its
// position in motor steps on the way to the last target it was given. It runs up to its cruise
// rate at its acceleration, cruises, and slows down the same way onto the target; a move too
// short to reach the cruise rate turns back to slowing down half way. Without an acceleration it
// runs at the cruise rate from start to end.
class SimMotor {
public:
    // `stepsPerSecond` the cruise rate, `acceleration` in steps per second per second (0: none).
    SimMotor(double stepsPerSecond, std::uint16_t position, double acceleration = 0.0);

    // Starts a move from wherever the motor is now; a move under way is replaced.
    void MoveTo(std::uint16_t target, const SimClock& clock);
    [[nodiscard]] std::uint16_t Position(SimTimePoint now) const;
    [[nodiscard]] bool IsMoving(SimTimePoint now) const;
    // The simulated seconds a move of `steps` takes.
    [[nodiscard]] double SecondsFor(double steps) const;

private:
    // The steps covered `seconds` (simulated) into a move of `steps`.
    [[nodiscard]] double StepsAfter(double seconds, double steps) const;

    double stepsPerSecond_;
    double acceleration_;
    std::uint16_t from_;
    std::uint16_t to_;
    double seconds_ = 0.0;  // the move's simulated length
    SimTimePoint start_{};
    SimTimePoint arrival_{};
};

}  // namespace camsim
