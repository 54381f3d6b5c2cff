#pragma once

#include <deque>
#include <functional>
#include <mutex>

#include "platform/MLooper.h"

namespace scanora {
class QVFocus;
}

namespace scanora::ui {

// The focus page's worker: every round it first runs the camera work the page handed it (start,
// stop, a new zoom or window), then, while the focus aid runs, takes one reading. The page never
// talks to the camera itself, so the window stays responsive while the carriage moves.
class FocusLoop final : public MLooper {
public:
    explicit FocusLoop(QVFocus& focus);
    ~FocusLoop() override;

    // Queues camera work for the next round.
    void Post(std::function<void()> work);
    // Queues the stop: the focus aid stops (the carriage is centred) and the loop ends.
    void PostStop();

    void Iterate() override;

private:
    QVFocus& focus_;
    std::mutex mutex_;
    std::deque<std::function<void()>> work_;
};

}  // namespace scanora::ui
