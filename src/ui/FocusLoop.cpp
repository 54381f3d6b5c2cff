#include "ui/FocusLoop.h"

#include <utility>

#include "camera/QVFocus.h"

namespace scanora::ui {

FocusLoop::FocusLoop(QVFocus& focus) : focus_(focus)
{
}

FocusLoop::~FocusLoop()
{
    StopAndWait();
}

void FocusLoop::Post(std::function<void()> work)
{
    std::lock_guard lock(mutex_);
    work_.push_back(std::move(work));
}

void FocusLoop::PostStop()
{
    Post([this] {
        focus_.StopFocus();
        RequestStop();
    });
}

void FocusLoop::Iterate()
{
    while (true) {
        std::function<void()> work;
        {
            std::lock_guard lock(mutex_);
            if (work_.empty())
                break;
            work = std::move(work_.front());
            work_.pop_front();
        }
        work();
    }
    if (!ShouldStop() && focus_.IsRunning())
        focus_.MeasureFocus();
}

}  // namespace scanora::ui
