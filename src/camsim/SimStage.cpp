#include "camsim/SimStage.h"

#include <algorithm>

namespace camsim {

SimStage::SimStage(int coarseOvershoot, int fineOvershoot, std::uint16_t position)
    : coarseOvershoot_(coarseOvershoot),
      fineOvershoot_(fineOvershoot),
      motor_(StepsPerSecond(), position, acceleration_)
{
}

double SimStage::StepsPerSecond() const
{
    // A rate or speed of 0 would never arrive: the slowest the motor turns is one step a second.
    const double divider = std::max<std::uint16_t>(speed_, 1);
    return std::max(1.0, cruiseRate_ / divider);
}

void SimStage::Go(std::uint16_t destination, const SimClock& clock)
{
    const std::uint16_t from = motor_.Position(clock.Now());
    const int overshoot = speed_ > kCoarseSpeed ? fineOvershoot_ : coarseOvershoot_;
    const int direction = destination > from ? 1 : (destination < from ? -1 : 0);
    // The count ends at 0 and 65535: the stage coasts no further than its ends.
    const auto rest =
        static_cast<std::uint16_t>(std::clamp(destination + direction * overshoot, 0, 0xFFFF));
    RestAt(from);
    motor_.MoveTo(rest, clock);
}

void SimStage::Stop(const SimClock& clock)
{
    RestAt(motor_.Position(clock.Now()));
}

void SimStage::RestAt(std::uint16_t position)
{
    motor_ = SimMotor(StepsPerSecond(), position, acceleration_);
}

}  // namespace camsim
