#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace scanora {

// A manual-reset event between the threads that change the preview and the display that paints
// it: a writer resets it, asks for a repaint and waits; every paint sets it. Waits are bounded, so
// a display that never paints only costs the writer its limit.
class PaintEvent {
public:
    void Reset();
    void Set();
    [[nodiscard]] bool IsSet() const;
    // True when the event was set within `limit`.
    bool WaitFor(std::chrono::milliseconds limit);

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool set_ = false;
};

}  // namespace scanora
