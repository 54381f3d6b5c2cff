#include "camsim/SimMotor.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>

namespace camsim {

SimMotor::SimMotor(double stepsPerSecond, std::uint16_t position, double acceleration)
    : stepsPerSecond_(stepsPerSecond),
      acceleration_(std::max(0.0, acceleration)),
      from_(position),
      to_(position)
{
}

double SimMotor::SecondsFor(double steps) const
{
    if (acceleration_ <= 0.0)
        return steps / stepsPerSecond_;
    const double rampSteps = stepsPerSecond_ * stepsPerSecond_ / (2.0 * acceleration_);
    if (steps < 2.0 * rampSteps)
        return 2.0 * std::sqrt(steps / acceleration_);
    return steps / stepsPerSecond_ + stepsPerSecond_ / acceleration_;
}

double SimMotor::StepsAfter(double seconds, double steps) const
{
    if (seconds >= seconds_)
        return steps;
    if (acceleration_ <= 0.0)
        return seconds * stepsPerSecond_;
    // The rate the move peaks at: the cruise rate, or what half of a short move reaches.
    const double ramp = std::min(stepsPerSecond_ / acceleration_, seconds_ / 2.0);
    const double peak = acceleration_ * ramp;
    if (seconds <= ramp)
        return acceleration_ * seconds * seconds / 2.0;
    const double left = seconds_ - seconds;
    if (left <= ramp)
        return steps - acceleration_ * left * left / 2.0;
    return acceleration_ * ramp * ramp / 2.0 + peak * (seconds - ramp);
}

void SimMotor::MoveTo(std::uint16_t target, const SimClock& clock)
{
    const SimTimePoint now = clock.Now();
    from_ = Position(now);
    to_ = target;
    const int steps = std::abs(static_cast<int>(to_) - static_cast<int>(from_));
    seconds_ = SecondsFor(steps);
    start_ = now;
    arrival_ = now + clock.Scaled(std::chrono::duration<double>(seconds_));
}

std::uint16_t SimMotor::Position(SimTimePoint now) const
{
    if (now >= arrival_)
        return to_;
    if (now <= start_)
        return from_;
    const double done = std::chrono::duration<double>(now - start_) /
                        std::chrono::duration<double>(arrival_ - start_);
    const int steps = std::abs(static_cast<int>(to_) - static_cast<int>(from_));
    const double travelled = StepsAfter(done * seconds_, steps);
    const int direction = to_ >= from_ ? 1 : -1;
    // Whole steps only: the motor has not reached a step it is still on the way to.
    return static_cast<std::uint16_t>(static_cast<int>(from_) +
                                      direction * static_cast<int>(travelled));
}

bool SimMotor::IsMoving(SimTimePoint now) const
{
    return now < arrival_ && from_ != to_;
}

}  // namespace camsim
