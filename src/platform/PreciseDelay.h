#pragma once

#include <chrono>

namespace scanora {

// Waits `duration` with sub-millisecond accuracy: sleeps for most of it and spins the last
// fraction, so a 2 ms pause costs 2 ms and not a scheduler tick more.
void PreciseDelay(std::chrono::microseconds duration);

}  // namespace scanora
