#include "platform/PreciseDelay.h"

#include <thread>

namespace scanora {

void PreciseDelay(std::chrono::microseconds duration)
{
    using Clock = std::chrono::steady_clock;
    constexpr auto kSpinPart = std::chrono::microseconds(200);
    if (duration <= std::chrono::microseconds::zero())
        return;
    const auto deadline = Clock::now() + duration;
    if (duration > kSpinPart)
        std::this_thread::sleep_until(deadline - kSpinPart);
    while (Clock::now() < deadline) std::this_thread::yield();
}

}  // namespace scanora
