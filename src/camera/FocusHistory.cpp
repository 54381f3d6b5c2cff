#include "camera/FocusHistory.h"

#include <algorithm>

namespace scanora {

FocusHistory::FocusHistory(std::size_t depth) : depth_(std::max<std::size_t>(depth, 1))
{
}

void FocusHistory::Clear()
{
    count_ = 0;
    best_ = {};
    recent_.clear();
}

void FocusHistory::Add(const FocusReading& reading)
{
    ++count_;
    for (std::size_t c = 0; c < best_.size(); ++c) {
        if (reading.enabled[c] && (best_[c].reading == 0 || reading.scores[c] > best_[c].score))
            best_[c] = {reading.scores[c], count_};
    }
    recent_.push_back(reading.scores);
    if (recent_.size() > depth_)
        recent_.pop_front();
}

FocusHistory::Best FocusHistory::BestOf(int channel) const
{
    if (channel < 0 || channel >= FocusReading::kChannels)
        return {};
    return best_[static_cast<std::size_t>(channel)];
}

}  // namespace scanora
