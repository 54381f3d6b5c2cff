#include "camera/FocusScore.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace scanora {

namespace {

// The plain sum starts here, so a flat window divides by one and not by zero.
constexpr std::int64_t kPlainSumStart = 8;

}  // namespace

void FocusScore::ResetRemainders()
{
    remainders_.fill(0);
}

void FocusScore::Reset()
{
    ResetRemainders();
    scores_.fill(0);
}

std::int64_t FocusScore::Ratio(Samples samples, int channel)
{
    std::int64_t plain = kPlainSumStart;
    std::int64_t squared = 0;
    int previous = samples[static_cast<std::size_t>(channel)];
    for (int pixel = 0; pixel < FocusReading::kPixels; ++pixel) {
        const int value =
            samples[static_cast<std::size_t>(pixel * FocusReading::kChannels + channel)];
        const int d = std::abs(value - previous);
        plain += d;
        squared += static_cast<std::int64_t>(d) * d;
        previous = value;
    }
    return squared / (plain / 8);
}

void FocusScore::Update(Samples samples, const std::array<bool, FocusReading::kChannels>& enabled)
{
    for (int c = 0; c < FocusReading::kChannels; ++c) {
        const auto i = static_cast<std::size_t>(c);
        if (!enabled[i])
            continue;
        const std::int64_t m = Ratio(samples, c) + remainders_[i];
        scores_[i] =
            static_cast<int>(std::min<std::int64_t>(m / 4, std::numeric_limits<int>::max()));
        remainders_[i] = m - m / 4;
    }
}

}  // namespace scanora
