#include "camera/NeutralBalance.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace scanora {

namespace {

double Spread(const ChannelValues& values, Channel channel)
{
    const double mean = (values[0] + values[1] + values[2]) / 3.0;
    return values[ChannelIndex(channel)] - mean;
}

}  // namespace

void NeutralBalance::AddPoint(const SpotMean16& mean, const ChannelValues& prescanFilters)
{
    const std::array<std::uint16_t, 3> measured{mean.red, mean.green, mean.blue};
    std::array<long long, 3> values{};
    for (const Channel channel : kChannels) {
        const std::size_t c = ChannelIndex(channel);
        const double filterFactor =
            ExposureUnits::FactorOfTenths(ExposureUnits::ToTenths(prescanFilters[c]));
        values[c] = static_cast<long long>(std::trunc(measured[c] / filterFactor));
        if (values[c] <= 0)
            return;
    }
    const long long grey = (values[0] + values[1] + values[2]) / 3;
    for (std::size_t c = 0; c < 3; ++c)
        sums_[c] += 100.0 * std::log10(static_cast<double>(grey) / static_cast<double>(values[c]));
    ++points_;
}

ChannelValues NeutralBalance::Corrections(const ChannelValues& prescanGains,
                                          const ChannelValues& gains) const
{
    ChannelValues corrections{};
    if (points_ == 0)
        return corrections;
    for (const Channel channel : kChannels) {
        const std::size_t c = ChannelIndex(channel);
        corrections[c] =
            sums_[c] / points_ +
            ExposureUnits::ToTenths(Spread(prescanGains, channel) - Spread(gains, channel));
    }
    return corrections;
}

ChannelValues NeutralBalance::Limit(ChannelValues corrections, const ChannelValues& gains,
                                    const ChannelValues& filters)
{
    double excess = 0.0;
    for (std::size_t c = 0; c < 3; ++c) {
        const double total = ExposureUnits::ToTenths(gains[c] + filters[c]) + corrections[c];
        excess = std::max(excess, total - ExposureUnits::kMaxTotalTenths);
    }
    for (std::size_t c = 0; c < 3; ++c) {
        corrections[c] -= excess;
        const double total = ExposureUnits::ToTenths(gains[c] + filters[c]) + corrections[c];
        if (total < 0.0)
            corrections[c] -= total;
    }
    return corrections;
}

}  // namespace scanora
