#pragma once

#include <array>
#include <cmath>
#include <cstddef>

namespace scanora {

// The three colour channels, in the order every per-channel array of the exposure uses.
enum class Channel : int { Red = 0, Green = 1, Blue = 2 };

inline constexpr std::array<Channel, 3> kChannels{Channel::Red, Channel::Green, Channel::Blue};

// One value per colour channel, indexed by Channel.
using ChannelValues = std::array<double, 3>;

inline constexpr std::size_t ChannelIndex(Channel channel)
{
    return static_cast<std::size_t>(channel);
}

// The units of exposure. Gains and filters are held in stops (powers of two); the camera's gain
// codes, the level step and the balance corrections are in tenths of a decibel of power, which is
// stops times 30.103. Line times are in units of 1/3000 s.
struct ExposureUnits {
    static constexpr double kTenthsPerStop = 30.103;
    // The highest total gain (gain + filter) of a channel: 13.0 dB.
    static constexpr double kMaxTotalStops = 4.318506461150052;
    static constexpr double kMaxTotalTenths = 130.0;
    // The filter offset lies within +-5 dB.
    static constexpr double kMaxFilterStops = 1.6609640235192504;
    // Line-time units per second.
    static constexpr int kLineTimeUnitsPerSecond = 3000;
    // Slack for values that landed on a limit by arithmetic (130 / 30.103 and the like).
    static constexpr double kSlack = 1e-9;

    static constexpr double ToTenths(double stops) { return stops * kTenthsPerStop; }
    static constexpr double ToStops(double tenths) { return tenths / kTenthsPerStop; }
    // The gain change, in tenths of a decibel, that keeps the brightness when the line time goes
    // from `from` to `to`: a shorter line needs more gain.
    static double CompensationTenths(double from, double to)
    {
        return -100.0 * std::log10(to / from);
    }
    // The linear factor of a change in tenths of a decibel.
    static double FactorOfTenths(double tenths) { return std::pow(10.0, tenths / 100.0); }
    // Image arithmetic rounds half up: truncate(x + 0.5).
    static long long RoundHalfUp(double value)
    {
        return static_cast<long long>(std::trunc(value + 0.5));
    }
};

}  // namespace scanora
