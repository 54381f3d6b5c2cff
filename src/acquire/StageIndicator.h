#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace scanora {

class CaptureStage;
class CaptureView;

// The panorama position indicator: while the stage turns during a rotating capture, the preview
// shows the line that is in front of the sensor. Turned on, a worker waits (polling every 10 ms)
// for the motor to start, then every 500 ms reads where the stage is and lets the view draw it,
// until the motor stops or the indicator is turned off; then the view hides it again. A status
// the camera does not answer ends the indicator quietly: the capture reports its own failures.
class StageIndicator {
public:
    struct Timing {
        std::chrono::milliseconds startPoll{10};
        std::chrono::milliseconds interval{500};
        std::chrono::milliseconds paintWait{750};
    };

    // `stage` and `view` are borrowed for the indicator's life.
    StageIndicator(CaptureStage& stage, CaptureView& view, Timing timing);
    StageIndicator(CaptureStage& stage, CaptureView& view) : StageIndicator(stage, view, Timing{})
    {
    }
    ~StageIndicator();
    StageIndicator(const StageIndicator&) = delete;
    StageIndicator& operator=(const StageIndicator&) = delete;

    // Starts the worker unless it runs already.
    void TurnOn();
    // Stops the worker and waits for it.
    void TurnOff();
    [[nodiscard]] bool IsOn() const { return on_.load(); }

private:
    void Run();
    // Sleeps `duration`, or less when the indicator is turned off meanwhile; false then.
    bool SleepWhileOn(std::chrono::milliseconds duration);

    CaptureStage& stage_;
    CaptureView& view_;
    const Timing timing_;
    std::atomic<bool> on_{false};
    std::mutex mutex_;  // guards the worker's start and end
    std::thread worker_;
};

}  // namespace scanora
