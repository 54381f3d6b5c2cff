#pragma once

#include <cstdint>
#include <span>

namespace scanora {

// The two passes that soften the steps of a raw lookup table where a flat stretch meets a jump
// of more than one level: ... 10 10 10 13 ... becomes ... 10 10 11 13 ..., and ... 10 13 13 13 ...
// becomes ... 10 12 13 13 ....
// An entry moves by one level at a time, never outside 0..maxLevel. Once a pass has moved an
// entry it waits for the next flat step before it moves another.

// Walks up from entry 1: a jump of more than one level within 5 entries after a flat stretch
// lifts the last entry of the stretch by one.
void SmoothRisingSteps(std::span<std::uint16_t> table, std::uint16_t maxLevel);

// Walks down from the last entry to entry 1: a jump of more than one level within 5 entries
// before a flat stretch lowers the first entry of the stretch by one.
void SmoothFallingSteps(std::span<std::uint16_t> table);

}  // namespace scanora
