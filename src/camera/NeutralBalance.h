#pragma once

#include "camera/ExposureUnits.h"
#include "camera/SpotMeter.h"

namespace scanora {

// The colour balance that makes the picked neutral points grey: per channel, how far (in tenths
// of a decibel) its mean lies from the grey level of the point, averaged over the points.
class NeutralBalance {
public:
    // Adds a point measured on a prescan taken with these filter offsets (stops); the offsets are
    // taken out of the means first. A point with a channel at 0 after that is skipped.
    void AddPoint(const SpotMean16& mean, const ChannelValues& prescanFilters);
    [[nodiscard]] int Points() const { return points_; }

    // The corrections for the current gains (stops), in tenths of a decibel: the average over
    // the points, plus the prescan's gain spread, minus the current gain spread (a spread is each
    // gain less the mean of the three). All 0 without points.
    [[nodiscard]] ChannelValues Corrections(const ChannelValues& prescanGains,
                                            const ChannelValues& gains) const;

    // Limits corrections so that every channel's total gain (gain + filter + correction) stays
    // within 0..13.0 dB. When the cap binds, the excess of the channel that exceeds it most is
    // taken off all three corrections alike, which keeps the balance between the channels and
    // settles every other channel over the cap at once; only then is a channel that would fall
    // below 0 raised to 0 on its own.
    [[nodiscard]] static ChannelValues Limit(ChannelValues corrections, const ChannelValues& gains,
                                             const ChannelValues& filters);

private:
    ChannelValues sums_{};
    int points_ = 0;
};

}  // namespace scanora
