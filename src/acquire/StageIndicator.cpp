#include "acquire/StageIndicator.h"

#include <optional>

#include "acquire/CaptureStage.h"
#include "acquire/CaptureView.h"

namespace scanora {

namespace {

constexpr std::chrono::milliseconds kSleepSlice{10};

}  // namespace

StageIndicator::StageIndicator(CaptureStage& stage, CaptureView& view, Timing timing)
    : stage_(stage), view_(view), timing_(timing)
{
}

StageIndicator::~StageIndicator()
{
    TurnOff();
}

void StageIndicator::TurnOn()
{
    const std::lock_guard lock(mutex_);
    if (on_.load())
        return;
    if (worker_.joinable())
        worker_.join();
    on_ = true;
    worker_ = std::thread(&StageIndicator::Run, this);
}

void StageIndicator::TurnOff()
{
    const std::lock_guard lock(mutex_);
    on_ = false;
    if (worker_.joinable())
        worker_.join();
}

bool StageIndicator::SleepWhileOn(std::chrono::milliseconds duration)
{
    const auto end = std::chrono::steady_clock::now() + duration;
    while (on_.load()) {
        const auto left = end - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero())
            return true;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(left, kSleepSlice));
    }
    return false;
}

void StageIndicator::Run()
{
    // Until the motor starts.
    std::optional<StageReading> reading;
    while (on_.load()) {
        reading = stage_.ReadStage();
        if (!reading || reading->moving)
            break;
        if (!SleepWhileOn(timing_.startPoll))
            break;
    }
    // While it turns.
    while (on_.load() && reading && reading->moving) {
        view_.RepaintAndWait(timing_.paintWait);
        view_.ShowStageRow(reading->row);
        if (!SleepWhileOn(timing_.interval))
            break;
        reading = stage_.ReadStage();
    }
    on_ = false;
    view_.ShowStageRow(-1);
    view_.RefreshAll();
}

}  // namespace scanora
