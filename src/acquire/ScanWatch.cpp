#include "acquire/ScanWatch.h"

#include <algorithm>
#include <cmath>

namespace scanora {

void ScanWatch::Start(std::uint32_t totalLines, Limits limits, Clock::time_point now)
{
    total_ = totalLines;
    limits_ = limits;
    lastLines_.reset();
    lastAnswer_ = now;
    lastMove_ = now;
}

ScanWatch::Verdict ScanWatch::Observe(std::optional<std::uint32_t> linesScanned,
                                      Clock::time_point now)
{
    if (!linesScanned)
        return now - lastAnswer_ > limits_.noAnswer ? Verdict::NoAnswer : Verdict::Scanning;
    lastAnswer_ = now;
    if (*linesScanned >= total_)
        return Verdict::Complete;
    if (lastLines_ != linesScanned) {
        lastLines_ = linesScanned;
        lastMove_ = now;
        return Verdict::Scanning;
    }
    return now - lastMove_ > limits_.stall ? Verdict::Stalled : Verdict::Scanning;
}

std::chrono::milliseconds ScanWatch::StallLimit(std::chrono::milliseconds smallest,
                                                double secondsPerLine)
{
    constexpr double kLinePeriods = 20.0;
    const double periods = std::isfinite(secondsPerLine) && secondsPerLine > 0.0
                               ? kLinePeriods * secondsPerLine * 1000.0
                               : 0.0;
    const double capped = std::min(periods, 24.0 * 3600.0 * 1000.0);
    return std::max(smallest, std::chrono::milliseconds(static_cast<std::int64_t>(capped)));
}

}  // namespace scanora
