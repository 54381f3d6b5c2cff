#pragma once

#include <chrono>
#include <cstdint>

namespace scanora {

// Camera time-outs count ticks of 1/60 second on a monotonic clock.
inline constexpr int kTicksPerSecond = 60;

// The current tick: milliseconds on the monotonic clock × 60 / 1000.
inline std::int64_t CurrentTick()
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return ms.count() * kTicksPerSecond / 1000;
}

inline constexpr std::chrono::milliseconds TicksToDuration(int ticks)
{
    return std::chrono::milliseconds(std::int64_t{ticks} * 1000 / kTicksPerSecond);
}

}  // namespace scanora
