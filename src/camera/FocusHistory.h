#pragma once

#include <array>
#include <cstddef>
#include <deque>

#include "camera/FocusDisplays.h"

namespace scanora {

// The scores of the readings since the focus aid started: the recent ones for the history graph
// and, per channel, the best score and the reading it came at, so the photographer sees where
// the peak was while turning the lens. Readings are numbered from 1.
class FocusHistory {
public:
    static constexpr std::size_t kDefaultDepth = 200;

    struct Best {
        int score = 0;
        int reading = 0;  // 0: no reading of this channel yet
    };
    using Scores = std::array<int, FocusReading::kChannels>;

    explicit FocusHistory(std::size_t depth = kDefaultDepth);

    void Clear();
    // Adds a reading; only its enabled channels can set a new best.
    void Add(const FocusReading& reading);

    [[nodiscard]] int Count() const { return count_; }
    [[nodiscard]] Best BestOf(int channel) const;
    // The scores of the last readings, oldest first (at most the depth).
    [[nodiscard]] const std::deque<Scores>& Recent() const { return recent_; }
    // The number of the oldest reading Recent() still holds.
    [[nodiscard]] int FirstRecent() const { return count_ - static_cast<int>(recent_.size()) + 1; }

private:
    std::size_t depth_;
    int count_ = 0;
    std::array<Best, FocusReading::kChannels> best_{};
    std::deque<Scores> recent_;
};

}  // namespace scanora
