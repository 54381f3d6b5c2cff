#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace scanora {

// A recursive lock owned per thread, with a time limit on every wait. The camera object takes it
// around each command exchange; a thread that cannot get it in time gives up instead of blocking.
class EventLock {
public:
    static constexpr int kDefaultTimeoutMs = 100;

    EventLock() = default;
    EventLock(const EventLock&) = delete;
    EventLock& operator=(const EventLock&) = delete;

    // Takes the lock, waiting at most `ms` milliseconds (0 means the default of 100 ms; a
    // negative time only tries, without waiting). The owning thread gets it again at once, one
    // level deeper. False, and nothing changes, when the wait timed out.
    bool Lock(int ms);
    // Releases one level; the last level wakes exactly one waiting thread. False, and nothing
    // changes, when the caller does not hold the lock.
    bool Unlock();

    // True when the calling thread holds the lock.
    [[nodiscard]] bool IsHeldByCurrentThread() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable freed_;
    std::thread::id owner_;
    int count_ = 0;
};

}  // namespace scanora
