#pragma once

#include <chrono>
#include <functional>

namespace camsim {

using SimTimePoint = std::chrono::steady_clock::time_point;
using SimDuration = std::chrono::steady_clock::duration;
// Where the simulator reads the time: the steady clock, or a hand-driven clock in tests.
using SimTimeSource = std::function<SimTimePoint()>;
// How the simulator waits until a moment of that time (a hand-driven clock moves to it).
using SimWaiter = std::function<void(SimTimePoint)>;

// The simulator's time: real (steady) time, and the real time that a simulated camera action
// takes at the configured `speed` (1 = real time, 0 = done at once).
class SimClock {
public:
    // Without a waiter the clock sleeps for the time between now and the moment.
    explicit SimClock(double speed, SimTimeSource source = &std::chrono::steady_clock::now,
                      SimWaiter waiter = {});

    [[nodiscard]] SimTimePoint Now() const;
    [[nodiscard]] double Speed() const { return speed_; }
    // The real time a camera action of `simulated` seconds takes at this speed.
    [[nodiscard]] SimDuration Scaled(std::chrono::duration<double> simulated) const;
    // The moment a camera action of `simulated` seconds, starting now, is over.
    [[nodiscard]] SimTimePoint After(std::chrono::duration<double> simulated) const;
    // Returns once `moment` has come (at once when it has).
    void WaitUntil(SimTimePoint moment) const;

private:
    double speed_;
    SimTimeSource source_;
    SimWaiter waiter_;
};

}  // namespace camsim
