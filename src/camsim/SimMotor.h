#pragma once

#include <cstdint>

#include "camsim/SimClock.h"

namespace camsim {

// One stepper motor behind the camera's motor output (the sensor carriage or the turntable): its
// position in motor steps, moving at a constant rate towards the last target it was given.
class SimMotor {
public:
    SimMotor(double stepsPerSecond, std::uint16_t position);

    // Starts a move from wherever the motor is now; a move under way is replaced.
    void MoveTo(std::uint16_t target, const SimClock& clock);
    [[nodiscard]] std::uint16_t Position(SimTimePoint now) const;
    [[nodiscard]] bool IsMoving(SimTimePoint now) const;

private:
    double stepsPerSecond_;
    std::uint16_t from_;
    std::uint16_t to_;
    SimTimePoint start_{};
    SimTimePoint arrival_{};
};

}  // namespace camsim
