#include "cameradisk/RetrievalProgress.h"

#include <algorithm>
#include <cstdio>

namespace scanora {

std::uint32_t RetrievalTimer::RemainingSeconds(std::uint32_t blocksDone, std::uint32_t blockCount,
                                               Clock::time_point now) const
{
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - start_);
    const std::uint64_t ticks =
        static_cast<std::uint64_t>(std::max<std::int64_t>(elapsed.count(), 0)) * 60 / 1000;
    const std::uint64_t before = std::max<std::uint32_t>(blocksDone, 2) - 1;
    const std::uint64_t total = std::uint64_t{blockCount} * ticks / before;
    return static_cast<std::uint32_t>((total > ticks ? total - ticks : 0) / 60);
}

std::string RetrievalTimer::Format(std::uint32_t seconds)
{
    char text[48];
    std::snprintf(text, sizeof text, "Time Remaining:  %u:%2.2u", seconds / 60, seconds % 60);
    return text;
}

}  // namespace scanora
