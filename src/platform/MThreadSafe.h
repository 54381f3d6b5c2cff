#pragma once

#include "platform/EventLock.h"

namespace scanora {

// Mix-in that gives a whole object Lock and Unlock through one EventLock, so that threads sharing
// the object (the camera disk manager and its transfer thread) take turns. Recursive per thread.
class MThreadSafe {
public:
    // Used by Lock(-1): long enough for one camera command exchange (send plus reply) to end.
    static constexpr int kDefaultTimeoutMs = 1000;

    explicit MThreadSafe(int defaultTimeoutMs = kDefaultTimeoutMs);
    virtual ~MThreadSafe() = default;
    MThreadSafe(const MThreadSafe&) = delete;
    MThreadSafe& operator=(const MThreadSafe&) = delete;

    // Takes the object's lock within `ms` milliseconds: -1 (or any negative value) means this
    // object's default timeout, 0 the lock's own default of 100 ms. False when it timed out.
    virtual bool Lock(int ms);
    // Releases one level. False when the calling thread does not hold the lock.
    virtual bool Unlock();

    [[nodiscard]] int DefaultTimeoutMs() const { return defaultTimeoutMs_; }

private:
    EventLock lock_;
    const int defaultTimeoutMs_;
};

}  // namespace scanora
