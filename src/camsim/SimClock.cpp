#include "camsim/SimClock.h"

#include <algorithm>
#include <thread>
#include <utility>

namespace camsim {

namespace {

// No simulated action waits longer than this, whatever the speed says.
constexpr std::chrono::duration<double> kLongestWait = std::chrono::hours(24);

}  // namespace

SimClock::SimClock(double speed, SimTimeSource source, SimWaiter waiter)
    : speed_(speed > 0.0 ? speed : 0.0), source_(std::move(source)), waiter_(std::move(waiter))
{
}

SimTimePoint SimClock::Now() const
{
    return source_();
}

SimDuration SimClock::Scaled(std::chrono::duration<double> simulated) const
{
    const std::chrono::duration<double> real =
        std::clamp(simulated * speed_, std::chrono::duration<double>::zero(), kLongestWait);
    return std::chrono::duration_cast<SimDuration>(real);
}

SimTimePoint SimClock::After(std::chrono::duration<double> simulated) const
{
    return Now() + Scaled(simulated);
}

void SimClock::WaitUntil(SimTimePoint moment) const
{
    const SimTimePoint now = Now();
    if (moment <= now)
        return;
    if (waiter_)
        waiter_(moment);
    else
        std::this_thread::sleep_for(std::min<SimDuration>(
            moment - now, std::chrono::duration_cast<SimDuration>(kLongestWait)));
}

}  // namespace camsim
