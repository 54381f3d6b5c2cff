#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "camera/CaptureExposureValues.h"
#include "camera/ExposureTestSupport.h"
#include "camera/ParameterBlocks.h"

namespace scanora {
namespace {

using Row = std::array<int, 24>;

// What a fast prescan sends, index by index: H00's line period, the "EE" value (0: none) and
// the red gain code (every channel alike here).
struct Expected {
    const char* what;
    LineTimeLimits limits;
    double stops;  // gain of every channel, no filters
    Row period;
    Row electronic;
    Row gainCode;
};

// Worked by hand from the rules: the minimum line for the minimum size step m (2 on the
// 6000-pixel models and the 8000-pixel model without its finer steps, 1 with them), the loop
// from the requested line towards the first line at or below m while the added gain keeps
// every channel within 13.0 dB, the requested line itself where the loop cannot start.
const std::array<Expected, 6> kCases{{
    {"model 5, 1 stop",
     LineTimeLimits{12, true, 8, 1200, false, 0},
     1.0,
     {50, 37, 30, 25, 19, 13, 13, 8, 8, 6, 4, 4, 3, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
     {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
     {3259, 3345, 3375, 3330, 3315, 3534, 3287, 3506, 3259, 3375, 3491, 3259,
      3375, 3520, 3259, 3100, 2810, 2562, 2244, 2042, 1795, 1476, 1027, 1027}},
    {"model 5, 3 stops",
     LineTimeLimits{12, true, 8, 1200, false, 0},
     3.0,
     {200, 125, 125, 100, 75, 60, 50, 37, 25, 25, 15, 13, 13, 8, 8, 6, 5, 4, 3, 3, 2, 2, 2, 2},
     {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
     {3259, 3532, 3330, 3330, 3330, 3375, 3330, 3345, 3532, 3330, 3562, 3488,
      3287, 3520, 3259, 3419, 3330, 3330, 3330, 3128, 3330, 3011, 2562, 2562}},
    {"model 6, 1 stop",
     LineTimeLimits{13, true, 12, 900, false, 0},
     1.0,
     {50, 37, 30, 25, 19, 13, 13, 8, 8, 6, 4, 4, 3, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
     {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
     {3259, 3345, 3375, 3330, 3315, 3534, 3287, 3506, 3259, 3375, 3491, 3259,
      3375, 3520, 3259, 3100, 2810, 2562, 2244, 2042, 1795, 1476, 1027, 1027}},
    {"model 6, 3 stops",
     LineTimeLimits{13, true, 12, 900, false, 0},
     3.0,
     {200, 125, 125, 100, 75, 60, 50, 37, 25, 25, 15, 13, 13, 8, 8, 6, 5, 4, 3, 3, 2, 2, 2, 2},
     {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
     {3259, 3532, 3330, 3330, 3330, 3375, 3330, 3345, 3532, 3330, 3562, 3488,
      3287, 3520, 3259, 3419, 3330, 3330, 3330, 3128, 3330, 3011, 2562, 2562}},
    {"model 7, 1 stop",
     LineTimeLimits{13, true, 12, 900, false, -6},
     1.0,
     {50, 37, 30, 25, 19, 13, 13, 8, 8, 6, 4, 4, 3, 2, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1},
     {},
     {3259, 3345, 3375, 3330, 3315, 3534, 3287, 3506, 3259, 3375, 3491, 3259,
      3375, 3520, 3259, 3100, 2810, 3330, 3011, 2810, 2562, 2244, 1795, 1027}},
    {"model 7, 3 stops",
     LineTimeLimits{13, true, 12, 900, false, -6},
     3.0,
     {200, 125, 125, 100, 75, 60, 50, 37, 25, 25, 15, 13, 13, 8, 8, 6, 5, 4, 3, 3, 2, 2, 1, 1},
     {},
     {3259, 3532, 3330, 3330, 3330, 3375, 3330, 3345, 3532, 3330, 3562, 3488,
      3287, 3520, 3259, 3419, 3330, 3330, 3330, 3128, 3330, 3011, 3330, 2562}},
}};

class FastPrescanTest : public ::testing::Test, protected test::ExposureFixture {
protected:
    // The values a prescan at `index` sends, fast or not, with the scan itself at step 3.
    CaptureExposureValues Prescan(const LineTimeLimits& limits, int index, bool fast)
    {
        exposure_.SetLineTimeLimits(limits);
        exposure_.SetLineTimeIndex(index);
        conditions_.fastPrescan = fast;
        return CaptureExposureValues::For(exposure_, CaptureKind::Prescan, fast, 3,
                                          limits.minSizeStep);
    }
    static int LinePeriod(const CaptureExposureValues& v)
    {
        return std::max(v.requestedLineTime, v.minLineTime);
    }
    static int Electronic(const CaptureExposureValues& v)
    {
        return v.minLineTime > v.requestedLineTime ? v.requestedLineTime : 0;
    }
};

TEST_F(FastPrescanTest, LinePeriodGainsAndElectronicExposureOverEveryIndex)
{
    for (const Expected& c : kCases) {
        for (const Channel channel : kChannels) exposure_.SetGain(channel, c.stops * kStop);
        for (int index = 0; index < 24; ++index) {
            const auto i = static_cast<std::size_t>(index);
            const std::string where = std::string(c.what) + ", index " + std::to_string(index);
            const CaptureExposureValues fast = Prescan(c.limits, index, true);
            EXPECT_EQ(LinePeriod(fast), c.period[i]) << where;
            EXPECT_EQ(Electronic(fast), c.electronic[i]) << where;
            for (const double total : fast.totalTenths)
                EXPECT_EQ(ParameterBlocks::GainCode(total), c.gainCode[i]) << where;
            // The description names the setting: its own totals, whatever the fast gains.
            for (const double total : fast.settingTenths)
                EXPECT_NEAR(total, c.stops * kStop, 1e-9) << where;
            // The set-up time-out and the time estimate follow the line actually run.
            EXPECT_EQ(fast.effectiveLineTime, c.period[i]) << where;

            // Never slower than the prescan without the fast mode.
            EXPECT_LE(LinePeriod(fast), LinePeriod(Prescan(c.limits, index, false))) << where;
        }
    }
}

TEST_F(FastPrescanTest, TheOldFirmwaresShortestIndexEndsTheSearch)
{
    // A 6000-pixel camera on SCSI before firmware 4.14 stops at index 12 (25): the search does
    // not pass it, though 25 is still above the minimum of 2.
    const LineTimeLimits oldFirmware{12, false, 8, 1200, false, 0};
    const CaptureExposureValues fast = Prescan(oldFirmware, 10, true);  // 37, 1 stop
    EXPECT_EQ(LinePeriod(fast), 25);
    EXPECT_EQ(Electronic(fast), 0);
    EXPECT_NEAR(fast.totalTenths[1], kStop + 100.0 * std::log10(37.0 / 25.0), 1e-9);
}

}  // namespace
}  // namespace scanora
