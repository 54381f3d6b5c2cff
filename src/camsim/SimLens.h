#pragma once

#include "camsim/SimConfig.h"

namespace camsim {

// The lens in front of the camera as the photographer turns it while watching the focus aid.
// Its blur is a box of the given radius (native pixels) across the scene. The lens moves in the
// camera's own time of the focus readings: each window reading takes kReadingSeconds, so a sweep
// passes best focus at the same reading whatever the simulator's speed.
class SimLens {
public:
    static constexpr double kReadingSeconds = 0.1;

    explicit SimLens(const SimFocus& focus) : focus_(focus) {}

    // The blur radius in native pixels now.
    [[nodiscard]] double BlurRadius() const { return BlurAt(focus_, readings_ * kReadingSeconds); }
    // The blur radius `seconds` into the focus readings.
    [[nodiscard]] static double BlurAt(const SimFocus& focus, double seconds);
    // One window reading is over: the lens has turned on by its share.
    void AdvanceReading() { ++readings_; }

private:
    SimFocus focus_;
    long long readings_ = 0;
};

}  // namespace camsim
