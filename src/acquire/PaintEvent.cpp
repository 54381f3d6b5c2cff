#include "acquire/PaintEvent.h"

namespace scanora {

void PaintEvent::Reset()
{
    const std::lock_guard lock(mutex_);
    set_ = false;
}

void PaintEvent::Set()
{
    {
        const std::lock_guard lock(mutex_);
        set_ = true;
    }
    changed_.notify_all();
}

bool PaintEvent::IsSet() const
{
    const std::lock_guard lock(mutex_);
    return set_;
}

bool PaintEvent::WaitFor(std::chrono::milliseconds limit)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [this] { return set_; });
}

}  // namespace scanora
