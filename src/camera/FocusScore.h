#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "camera/FocusDisplays.h"

namespace scanora {

// The sharpness score of the focus window, one per colour channel. Along the 100 pixels of a
// channel it sums the plain and the squared differences between neighbours; their ratio is
// large when the contrast sits in a few sharp edges. Each new ratio counts for a quarter of
// the score, the rest is carried over in a remainder, so the numbers do not jump about.
class FocusScore {
public:
    using Samples = std::span<const std::uint8_t, FocusReading::kSampleBytes>;

    // Clears the remainders (the scores stay until the next update).
    void ResetRemainders();
    // Clears scores and remainders.
    void Reset();
    // Adds a reading of interleaved red, green, blue samples to the enabled channels; a
    // disabled channel keeps its score and remainder.
    void Update(Samples samples, const std::array<bool, FocusReading::kChannels>& enabled);

    [[nodiscard]] const std::array<int, FocusReading::kChannels>& Scores() const { return scores_; }
    // The unsmoothed ratio of one channel of a reading: squared sum / (plain sum / 8).
    [[nodiscard]] static std::int64_t Ratio(Samples samples, int channel);

private:
    std::array<int, FocusReading::kChannels> scores_{};
    std::array<std::int64_t, FocusReading::kChannels> remainders_{};
};

}  // namespace scanora
