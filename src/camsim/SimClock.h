#pragma once

#include <chrono>
#include <functional>

namespace camsim {

using SimTimePoint = std::chrono::steady_clock::time_point;
using SimDuration = std::chrono::steady_clock::duration;
// Where the simulator reads the time: the steady clock, or a hand-driven clock in tests.
using SimTimeSource = std::function<SimTimePoint()>;

// The simulator's time: real (steady) time, and the real time that a simulated camera action
// takes at the configured `speed` (1 = real time, 0 = done at once).
class SimClock {
public:
    explicit SimClock(double speed, SimTimeSource source = &std::chrono::steady_clock::now);

    [[nodiscard]] SimTimePoint Now() const;
    [[nodiscard]] double Speed() const { return speed_; }
    // The real time a camera action of `simulated` seconds takes at this speed.
    [[nodiscard]] SimDuration Scaled(std::chrono::duration<double> simulated) const;
    // The moment a camera action of `simulated` seconds, starting now, is over.
    [[nodiscard]] SimTimePoint After(std::chrono::duration<double> simulated) const;

private:
    double speed_;
    SimTimeSource source_;
};

}  // namespace camsim
