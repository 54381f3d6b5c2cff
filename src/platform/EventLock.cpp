#include "platform/EventLock.h"

#include <algorithm>

namespace scanora {

bool EventLock::Lock(int ms)
{
    const auto self = std::this_thread::get_id();
    std::unique_lock guard(mutex_);
    if (count_ != 0 && owner_ == self) {
        ++count_;
        return true;
    }
    const auto limit = std::chrono::milliseconds(ms == 0 ? kDefaultTimeoutMs : std::max(ms, 0));
    if (!freed_.wait_for(guard, limit, [this] { return count_ == 0; }))
        return false;
    owner_ = self;
    count_ = 1;
    return true;
}

bool EventLock::Unlock()
{
    const std::lock_guard guard(mutex_);
    if (count_ == 0 || owner_ != std::this_thread::get_id())
        return false;
    if (--count_ == 0) {
        owner_ = std::thread::id();
        // Notified under the mutex: the woken thread may free this lock as soon as it gets it.
        freed_.notify_one();
    }
    return true;
}

bool EventLock::IsHeldByCurrentThread() const
{
    std::lock_guard guard(mutex_);
    return count_ != 0 && owner_ == std::this_thread::get_id();
}

}  // namespace scanora
