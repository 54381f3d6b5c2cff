#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace scanora {

// Decides, from the camera's status readings during a scan, how long the program keeps
// watching. A scan ends normally when the camera has counted all its lines; the watch gives up
// when the camera has not answered a status query for too long (a pulled cable, a camera
// switched off), or when it answers but its line count has not moved for too long (a carriage
// that stopped, a start the camera never carried out).
class ScanWatch {
public:
    using Clock = std::chrono::steady_clock;

    enum class Verdict {
        Scanning,  // go on watching
        Complete,  // every line is scanned
        NoAnswer,  // no status for longer than the no-answer limit
        Stalled,   // the line count stood still for longer than the stall limit
    };

    struct Limits {
        std::chrono::milliseconds noAnswer{10000};
        std::chrono::milliseconds stall{30000};
    };

    // A scan of `totalLines` lines starts watching at `now`.
    void Start(std::uint32_t totalLines, Limits limits, Clock::time_point now);

    // One status reading: the lines scanned, or nothing when the query failed.
    Verdict Observe(std::optional<std::uint32_t> linesScanned, Clock::time_point now);

    // The stall limit for a scan whose lines take `secondsPerLine` each: the longer of the
    // smallest limit and twenty line periods, so that a slow scan is never given up on while it
    // moves on at its own pace.
    [[nodiscard]] static std::chrono::milliseconds StallLimit(std::chrono::milliseconds smallest,
                                                              double secondsPerLine);

private:
    std::uint32_t total_ = 0;
    Limits limits_;
    std::optional<std::uint32_t> lastLines_;
    Clock::time_point lastAnswer_{};
    Clock::time_point lastMove_{};
};

}  // namespace scanora
