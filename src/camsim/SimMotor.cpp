#include "camsim/SimMotor.h"

#include <chrono>
#include <cstdlib>

namespace camsim {

SimMotor::SimMotor(double stepsPerSecond, std::uint16_t position)
    : stepsPerSecond_(stepsPerSecond), from_(position), to_(position)
{
}

void SimMotor::MoveTo(std::uint16_t target, const SimClock& clock)
{
    const SimTimePoint now = clock.Now();
    from_ = Position(now);
    to_ = target;
    const int steps = std::abs(static_cast<int>(to_) - static_cast<int>(from_));
    start_ = now;
    arrival_ = now + clock.Scaled(std::chrono::duration<double>(steps / stepsPerSecond_));
}

std::uint16_t SimMotor::Position(SimTimePoint now) const
{
    if (now >= arrival_)
        return to_;
    if (now <= start_)
        return from_;
    const double done = std::chrono::duration<double>(now - start_) /
                        std::chrono::duration<double>(arrival_ - start_);
    const double travelled = (static_cast<double>(to_) - static_cast<double>(from_)) * done;
    // Whole steps only: the motor has not reached a step it is still on the way to.
    return static_cast<std::uint16_t>(static_cast<int>(from_) + static_cast<int>(travelled));
}

bool SimMotor::IsMoving(SimTimePoint now) const
{
    return now < arrival_ && from_ != to_;
}

}  // namespace camsim
