#include "acquire/CaptureCommandQueue.h"

#include <optional>

#include "acquire/CaptureSequence.h"

namespace scanora {

void CaptureCommandQueue::Post(WindowCommand command)
{
    if (command != WindowCommand::CaptureEnded && command != WindowCommand::NextImage)
        return;
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(command);
    }
    posted_.notify_all();
}

void CaptureCommandQueue::RunUntilIdle(CaptureSequence& sequence,
                                       const std::atomic<bool>& interrupt,
                                       std::chrono::milliseconds poll)
{
    bool interrupted = false;
    for (;;) {
        if (!interrupted && interrupt.load()) {
            interrupted = true;
            sequence.AbortKey();
        }
        // Idle first, then the queue: whatever a finished thread posted is already queued.
        const bool idle = sequence.IsIdle();
        std::optional<WindowCommand> next;
        {
            std::unique_lock lock(mutex_);
            if (queue_.empty() && idle)
                return;
            if (queue_.empty())
                posted_.wait_for(lock, poll);
            if (!queue_.empty()) {
                next = queue_.front();
                queue_.pop_front();
            }
        }
        if (next == WindowCommand::CaptureEnded)
            sequence.CaptureEnded();
        else if (next == WindowCommand::NextImage)
            sequence.NextImage();
    }
}

}  // namespace scanora
