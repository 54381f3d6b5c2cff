#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "platform/UiPort.h"

namespace scanora {

class CaptureSequence;

// The window commands of a capture (36867 capture ended, 36872 next image) on their way from
// the capture threads to the thread that owns the sequence. A program without a window system
// posts them here from its UiPort and runs the loop on its main thread, as the desktop
// program's main window handles them from its message queue.
class CaptureCommandQueue {
public:
    // Queues the commands the sequence answers; others are ignored. Any thread.
    void Post(WindowCommand command);

    // Hands the queued commands to `sequence` on the calling thread until the sequence is idle
    // and nothing is queued. The first time `interrupt` is seen set the abort key is pressed.
    void RunUntilIdle(CaptureSequence& sequence, const std::atomic<bool>& interrupt,
                      std::chrono::milliseconds poll = std::chrono::milliseconds(20));

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<WindowCommand> queue_;
};

}  // namespace scanora
