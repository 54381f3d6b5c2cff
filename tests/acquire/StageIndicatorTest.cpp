#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "acquire/CaptureStage.h"
#include "acquire/CaptureView.h"
#include "acquire/StageIndicator.h"

namespace scanora {
namespace {

using namespace std::chrono_literals;

// Hands out the readings it was given, then repeats the last one.
class ScriptedStage final : public CaptureStage {
public:
    explicit ScriptedStage(std::deque<std::optional<StageReading>> readings)
        : readings_(std::move(readings))
    {
    }
    std::optional<StageReading> ReadStage() override
    {
        const std::lock_guard lock(mutex_);
        const std::optional<StageReading> reading = readings_.front();
        if (readings_.size() > 1)
            readings_.pop_front();
        return reading;
    }

private:
    std::mutex mutex_;
    std::deque<std::optional<StageReading>> readings_;
};

class RowView final : public CaptureView {
public:
    void ShowStageRow(int row) override
    {
        const std::lock_guard lock(mutex_);
        rows.push_back(row);
    }
    void RefreshAll() override { ++refreshes; }
    std::vector<int> Rows()
    {
        const std::lock_guard lock(mutex_);
        return rows;
    }

    std::mutex mutex_;
    std::vector<int> rows;
    std::atomic<int> refreshes{0};
};

const StageIndicator::Timing kFast{1ms, 1ms, 0ms};

bool WaitUntilOff(const StageIndicator& indicator)
{
    for (int i = 0; i < 2000 && indicator.IsOn(); ++i) std::this_thread::sleep_for(1ms);
    return !indicator.IsOn();
}

TEST(StageIndicator, FollowsTheTurningStageThenHidesItself)
{
    const StageReading still{false, 0};
    ScriptedStage stage({still, still, StageReading{true, 10}, StageReading{true, 20},
                         StageReading{true, 30}, still});
    RowView view;
    StageIndicator indicator(stage, view, kFast);
    indicator.TurnOn();
    ASSERT_TRUE(WaitUntilOff(indicator));
    indicator.TurnOff();
    EXPECT_EQ(view.Rows(), (std::vector<int>{10, 20, 30, -1}));
    EXPECT_EQ(view.refreshes, 1) << "the whole preview is drawn again without the indicator";
}

TEST(StageIndicator, EndsWhenTurnedOffOrWhenTheStatusCannotBeRead)
{
    {
        ScriptedStage neverMoves({StageReading{false, 0}});
        RowView view;
        StageIndicator indicator(neverMoves, view, kFast);
        indicator.TurnOn();
        indicator.TurnOn();  // a second start while it runs changes nothing
        std::this_thread::sleep_for(20ms);
        EXPECT_TRUE(indicator.IsOn()) << "still waiting for the motor";
        indicator.TurnOff();
        EXPECT_FALSE(indicator.IsOn());
        EXPECT_EQ(view.Rows(), std::vector<int>{-1});
    }
    {
        ScriptedStage lost({StageReading{true, 5}, std::nullopt});
        RowView view;
        StageIndicator indicator(lost, view, kFast);
        indicator.TurnOn();
        ASSERT_TRUE(WaitUntilOff(indicator));
        EXPECT_EQ(view.Rows(), (std::vector<int>{5, -1}));
        // It can be turned on again for the next capture.
        indicator.TurnOn();
        ASSERT_TRUE(WaitUntilOff(indicator));
    }
}

}  // namespace
}  // namespace scanora
