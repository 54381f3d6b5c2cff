#include "platform/EventLock.h"
#include "platform/MThreadSafe.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

namespace scanora {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Tries the lock from a fresh thread (releasing it again if it got it).
template <typename Lockable>
bool LockFromOtherThread(Lockable& lock, int ms)
{
    const auto attempt = [&lock, ms] {
        const bool locked = lock.Lock(ms);
        if (locked)
            lock.Unlock();
        return locked;
    };
    return std::async(std::launch::async, attempt).get();
}

template <typename Lockable>
milliseconds TimeFailedLock(Lockable& lock, int ms)
{
    const auto attempt = [&lock, ms] {
        const auto start = Clock::now();
        EXPECT_FALSE(lock.Lock(ms));
        return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    };
    return std::async(std::launch::async, attempt).get();
}

TEST(EventLockTest, RecursionNeedsAsManyUnlocks)
{
    EventLock lock;
    ASSERT_TRUE(lock.Lock(10));
    ASSERT_TRUE(lock.Lock(10));
    ASSERT_TRUE(lock.Lock(10));
    EXPECT_TRUE(lock.IsHeldByCurrentThread());

    EXPECT_TRUE(lock.Unlock());
    EXPECT_TRUE(lock.Unlock());
    EXPECT_FALSE(LockFromOtherThread(lock, 20)) << "still held one level deep";

    EXPECT_TRUE(lock.Unlock());
    EXPECT_FALSE(lock.IsHeldByCurrentThread());
    EXPECT_TRUE(LockFromOtherThread(lock, 20));
    EXPECT_FALSE(lock.Unlock()) << "one Unlock too many";
}

TEST(EventLockTest, TimeoutAndForeignUnlockChangeNothing)
{
    EventLock lock;
    ASSERT_TRUE(lock.Lock(10));

    std::async(std::launch::async, [&lock] {
        EXPECT_FALSE(lock.Lock(20));
        EXPECT_FALSE(lock.IsHeldByCurrentThread());
        EXPECT_FALSE(lock.Unlock());
    }).get();

    // The owner still holds exactly one level.
    EXPECT_TRUE(lock.IsHeldByCurrentThread());
    EXPECT_TRUE(lock.Unlock());
    EXPECT_FALSE(lock.Unlock());
    EXPECT_FALSE(lock.IsHeldByCurrentThread());
}

TEST(EventLockTest, ZeroMeansTheDefaultTimeout)
{
    EventLock lock;
    ASSERT_TRUE(lock.Lock(10));
    const auto waited = TimeFailedLock(lock, 0);
    EXPECT_GE(waited, milliseconds(EventLock::kDefaultTimeoutMs - 5));
    EXPECT_LT(waited, milliseconds(1500));
    lock.Unlock();
}

TEST(EventLockTest, WaiterGetsTheLockWhenReleasedNotAtItsTimeout)
{
    EventLock lock;
    ASSERT_TRUE(lock.Lock(10));
    auto waiter = std::async(std::launch::async, [&lock] {
        const auto start = Clock::now();
        const bool locked = lock.Lock(5000);
        const auto waited = Clock::now() - start;
        if (locked)
            lock.Unlock();
        return locked && waited < milliseconds(2500);
    });
    std::this_thread::sleep_for(milliseconds(20));
    lock.Unlock();
    EXPECT_TRUE(waiter.get());
}

TEST(EventLockTest, ContendingThreadsTakeTurnsOneAtATime)
{
    EventLock lock;
    constexpr int kThreads = 4;
    constexpr int kRounds = 200;
    std::atomic<int> inside = 0;
    std::atomic<int> overlaps = 0;
    std::atomic<int> failures = 0;
    int total = 0;  // guarded by the lock under test

    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int round = 0; round < kRounds; ++round) {
                if (!lock.Lock(2000)) {
                    ++failures;
                    continue;
                }
                if (inside.fetch_add(1) != 0)
                    ++overlaps;
                ASSERT_TRUE(lock.Lock(10));  // re-entry by the owner never waits
                ++total;
                lock.Unlock();
                inside.fetch_sub(1);
                lock.Unlock();
            }
        });
    }
    for (auto& thread : threads) thread.join();

    EXPECT_EQ(failures, 0);
    EXPECT_EQ(overlaps, 0);
    EXPECT_EQ(total, kThreads * kRounds);
}

TEST(MThreadSafeTest, MinusOneUsesTheObjectsOwnDefault)
{
    MThreadSafe object(150);
    ASSERT_TRUE(object.Lock(-1));
    ASSERT_TRUE(object.Lock(-1));
    EXPECT_GE(TimeFailedLock(object, -1), milliseconds(145));

    std::async(std::launch::async, [&object] { EXPECT_FALSE(object.Unlock()); }).get();
    EXPECT_TRUE(object.Unlock());
    EXPECT_FALSE(LockFromOtherThread(object, 20));
    EXPECT_TRUE(object.Unlock());
    EXPECT_TRUE(LockFromOtherThread(object, 20));
}

}  // namespace
}  // namespace scanora
