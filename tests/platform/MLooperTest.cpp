#include "platform/MLooper.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <functional>
#include <latch>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace scanora {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr auto kPatience = milliseconds(2000);

// What the probe saw; kept outside the looper so that it can be checked after the looper is gone.
struct ProbeState {
    int iterations = 0;
    int pauses = 0;
    Clock::time_point lastPause;
    std::map<std::thread::id, int> byThread;
    std::vector<std::thread::id> loops;  // threads in the order of their first iteration
    std::map<std::thread::id, Clock::time_point> finished;

    [[nodiscard]] int On(std::thread::id id) const
    {
        const auto found = byThread.find(id);
        return found == byThread.end() ? 0 : found->second;
    }
    [[nodiscard]] std::thread::id Loop(std::size_t n) const
    {
        return n < loops.size() ? loops[n] : std::thread::id();
    }
};

class ProbeLog {
public:
    // Returns the number of the iteration just begun, counted over all threads.
    int Iterated()
    {
        return Update([](ProbeState& state) {
            const auto self = std::this_thread::get_id();
            if (state.byThread[self]++ == 0)
                state.loops.push_back(self);
            return ++state.iterations;
        });
    }
    void Pausing()
    {
        Update([](ProbeState& state) {
            state.lastPause = Clock::now();
            return ++state.pauses;
        });
    }
    void Finished()
    {
        Update([](ProbeState& state) {
            state.finished.emplace(std::this_thread::get_id(), Clock::now());
            return 0;
        });
    }

    [[nodiscard]] ProbeState Now() const
    {
        const std::lock_guard lock(mutex_);
        return state_;
    }
    // Waits (at most kPatience) until `done` holds.
    bool WaitUntil(const std::function<bool(const ProbeState&)>& done)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [&] { return done(state_); });
    }
    bool WaitForIterations(int count)
    {
        return WaitUntil([count](const ProbeState& state) { return state.iterations >= count; });
    }
    bool WaitForFinish(std::thread::id id)
    {
        return WaitUntil([id](const ProbeState& state) { return state.finished.contains(id); });
    }

private:
    int Update(const std::function<int(ProbeState&)>& change)
    {
        const std::lock_guard lock(mutex_);
        const int result = change(state_);
        changed_.notify_all();
        return result;
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    ProbeState state_;
};

// A looper that reports to a ProbeLog and runs an optional hook (given the iteration number)
// inside each iteration.
class ProbeLooper : public MLooper {
public:
    explicit ProbeLooper(ProbeLog& log, Owner owner = Owner::Present) : MLooper(owner), log_(log) {}
    ~ProbeLooper() override { StopAndWait(); }

    // Set before Start; runs on the worker thread.
    std::function<void(int iteration)> onIterate;

    void Iterate() override
    {
        const int iteration = log_.Iterated();
        if (onIterate)
            onIterate(iteration);
    }
    void Pause() override
    {
        log_.Pausing();
        MLooper::Pause();
    }
    void Finished() override
    {
        MLooper::Finished();
        log_.Finished();
    }

private:
    ProbeLog& log_;
};

TEST(MLooperTest, RunIteratesOnceEvenWhenStopCameFirst)
{
    ProbeLog log;
    ProbeLooper looper(log);
    looper.RequestStop();
    EXPECT_TRUE(looper.Run());  // on this thread, with no loop wanted
    EXPECT_EQ(log.Now().iterations, 1);
    EXPECT_EQ(log.Now().pauses, 0);

    ASSERT_TRUE(looper.Start(1000));
    looper.RequestStop();
    looper.StopAndWait();
    EXPECT_EQ(log.Now().iterations, 2);
    EXPECT_FALSE(looper.HasThread());
}

TEST(MLooperTest, StopDuringTheSleepEndsAfterItWithoutAnotherIteration)
{
    ProbeLog log;
    ProbeLooper looper(log);
    ASSERT_TRUE(looper.Start(150));
    EXPECT_TRUE(looper.HasThread());
    ASSERT_TRUE(log.WaitUntil([](const ProbeState& s) { return s.pauses == 1; }));

    looper.RequestStop();
    const auto loop = log.Now().Loop(0);
    ASSERT_TRUE(log.WaitForFinish(loop));
    const ProbeState seen = log.Now();
    EXPECT_GE(seen.finished.at(loop) - seen.lastPause, milliseconds(145)) << "sleep cut short";
    EXPECT_EQ(log.Now().iterations, 1);
    EXPECT_FALSE(looper.HasThread());
}

TEST(MLooperTest, StopAndWaitCutsALongSleepShort)
{
    ProbeLog log;
    ProbeLooper looper(log);
    ASSERT_TRUE(looper.Start(4000));
    ASSERT_TRUE(log.WaitUntil([](const ProbeState& s) { return s.pauses == 1; }));

    const auto start = Clock::now();
    looper.StopAndWait();
    EXPECT_LT(Clock::now() - start, milliseconds(2000));
    EXPECT_EQ(log.Now().iterations, 1);
    EXPECT_EQ(log.Now().finished.size(), 1U);
    looper.StopAndWait();  // again: nothing left to do
}

TEST(MLooperTest, NudgeCutsTheSleepShortForOneIteration)
{
    ProbeLog log;
    ProbeLooper looper(log);
    ASSERT_TRUE(looper.Start(4000));
    ASSERT_TRUE(log.WaitUntil([](const ProbeState& s) { return s.pauses == 1; }));

    const auto start = Clock::now();
    looper.Nudge();
    ASSERT_TRUE(log.WaitForIterations(2));
    EXPECT_LT(Clock::now() - start, milliseconds(2000));
    // Only that sleep was cut: the loop then keeps its interval.
    std::this_thread::sleep_for(milliseconds(200));
    EXPECT_EQ(log.Now().iterations, 2);
    looper.StopAndWait();
}

TEST(MLooperTest, ANudgeWhileSuspendedIsAnsweredByTheIterationAfterResume)
{
    // After a capture the loop is nudged and resumed together: one look at once, then the
    // interval again, not a second look straight after the first.
    ProbeLog log;
    ProbeLooper looper(log);
    ASSERT_TRUE(looper.Start(4000));
    ASSERT_TRUE(log.WaitUntil([](const ProbeState& s) { return s.pauses == 1; }));
    looper.Suspend();
    looper.Nudge();  // ends the first sleep; the loop then parks
    std::this_thread::sleep_for(milliseconds(100));
    const int parked = log.Now().iterations;
    EXPECT_LE(parked, 2);

    looper.Nudge();
    looper.Resume();
    ASSERT_TRUE(log.WaitForIterations(parked + 1));
    std::this_thread::sleep_for(milliseconds(300));
    EXPECT_EQ(log.Now().iterations, parked + 1);
    looper.StopAndWait();
}

TEST(MLooperTest, SuspendIsAFlagNotACounter)
{
    ProbeLog log;
    ProbeLooper looper(log);
    ASSERT_TRUE(looper.Start(1));
    ASSERT_TRUE(log.WaitForIterations(1));

    looper.Suspend();
    looper.Suspend();
    EXPECT_TRUE(looper.IsSuspended());
    looper.Resume();
    EXPECT_FALSE(looper.IsSuspended());
    const int before = log.Now().iterations;
    EXPECT_TRUE(log.WaitForIterations(before + 3));
}

TEST(MLooperTest, SuspendedLoopDoesNoWorkAndDoesNotSpin)
{
    ProbeLog log;
    ProbeLooper looper(log);
    ASSERT_TRUE(looper.Start(1));
    ASSERT_TRUE(log.WaitForIterations(1));

    looper.Suspend();
    const int atSuspend = log.Now().iterations;
    const std::clock_t cpuBefore = std::clock();
    std::this_thread::sleep_for(milliseconds(100));
    const double cpuMs = 1000.0 * double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;

    // The iteration under way when Suspend came may still finish; nothing after it.
    EXPECT_LE(log.Now().iterations, atSuspend + 1);
    EXPECT_LT(cpuMs, 40.0) << "the suspended loop keeps the processor busy";

    looper.Resume();
    EXPECT_TRUE(log.WaitForIterations(atSuspend + 3));
}

TEST(MLooperTest, StartReplacesARunningLoopWhichThenEnds)
{
    ProbeLog log;
    ProbeLooper looper(log);
    ASSERT_TRUE(looper.Start(2));
    ASSERT_TRUE(log.WaitForIterations(1));
    const auto oldLoop = log.Now().Loop(0);

    ASSERT_TRUE(looper.Start(2));
    ASSERT_TRUE(log.WaitForFinish(oldLoop)) << "the replaced loop kept running";
    ASSERT_TRUE(log.WaitUntil([](const ProbeState& s) { return s.loops.size() == 2; }));
    const auto newLoop = log.Now().Loop(1);
    EXPECT_NE(newLoop, oldLoop);

    // The old loop's end neither cleared the new thread's record nor stopped it.
    EXPECT_TRUE(looper.HasThread());
    const int oldCount = log.Now().On(oldLoop);
    const int newCount = log.Now().On(newLoop);
    EXPECT_TRUE(log.WaitUntil([&](const ProbeState& s) { return s.On(newLoop) >= newCount + 3; }));
    EXPECT_EQ(log.Now().On(oldLoop), oldCount);
    EXPECT_EQ(log.Now().finished.size(), 1U);
}

TEST(MLooperTest, ReplacedLoopStoppingItselfLeavesTheNewLoopAlone)
{
    ProbeLog log;
    ProbeLooper looper(log);
    std::latch inFirstIteration(1);
    std::latch replaced(1);
    looper.onIterate = [&](int iteration) {
        if (iteration != 1)
            return;
        inFirstIteration.count_down();
        replaced.wait();
        looper.RequestStop();  // as a monitor does when its scan is over
    };
    ASSERT_TRUE(looper.Start(2));
    inFirstIteration.wait();
    const bool restarted = looper.Start(2);
    replaced.count_down();
    ASSERT_TRUE(restarted);

    ASSERT_TRUE(log.WaitForFinish(log.Now().Loop(0)));
    const int count = log.Now().iterations;
    EXPECT_TRUE(log.WaitForIterations(count + 3)) << "the new loop was stopped";
    EXPECT_TRUE(looper.HasThread());
}

TEST(MLooperTest, StartOnASuspendedLoopEndsTheParkedThread)
{
    ProbeLog log;
    ProbeLooper looper(log);
    ASSERT_TRUE(looper.Start(1));
    ASSERT_TRUE(log.WaitForIterations(1));
    looper.Suspend();

    ASSERT_TRUE(looper.Start(1));
    EXPECT_FALSE(looper.IsSuspended());
    EXPECT_TRUE(log.WaitForFinish(log.Now().Loop(0)));
    const int count = log.Now().iterations;
    EXPECT_TRUE(log.WaitForIterations(count + 3));
}

TEST(MLooperTest, StopAndWaitJoinsReplacedThreadsToo)
{
    ProbeLog log;
    ProbeLooper looper(log);
    std::latch inFirstIteration(1);
    std::latch release(1);
    looper.onIterate = [&](int iteration) {
        if (iteration == 1) {
            inFirstIteration.count_down();
            release.wait();
        }
    };
    ASSERT_TRUE(looper.Start(2));
    inFirstIteration.wait();
    const bool restarted = looper.Start(2);

    std::atomic<bool> returned = false;
    std::thread stopper([&] {
        looper.StopAndWait();
        returned = true;
    });
    std::this_thread::sleep_for(milliseconds(50));
    const bool returnedEarly = returned;
    release.count_down();
    stopper.join();

    EXPECT_TRUE(restarted);
    EXPECT_FALSE(returnedEarly) << "StopAndWait did not wait for the replaced thread";
    EXPECT_EQ(log.Now().finished.size(), 2U);
    EXPECT_FALSE(looper.HasThread());
}

TEST(MLooperTest, StopAndWaitFromInsideIterateDoesNotDeadlock)
{
    ProbeLog log;
    ProbeLooper looper(log);
    looper.onIterate = [&looper](int) { looper.StopAndWait(); };
    ASSERT_TRUE(looper.Start(4000));
    EXPECT_TRUE(log.WaitUntil([](const ProbeState& s) { return s.finished.size() == 1; }));
    looper.StopAndWait();
    EXPECT_EQ(log.Now().iterations, 1);
}

TEST(MLooperTest, DestructionStopsAndJoinsTheThread)
{
    ProbeLog log;
    auto looper = std::make_unique<ProbeLooper>(log);
    ASSERT_TRUE(looper->Start(4000));
    ASSERT_TRUE(log.WaitForIterations(1));
    const auto start = Clock::now();
    looper.reset();
    EXPECT_LT(Clock::now() - start, milliseconds(2000));
    EXPECT_EQ(log.Now().finished.size(), 1U);

    // The base alone, destroyed while its thread sleeps.
    auto plain = std::make_unique<MLooper>();
    ASSERT_TRUE(plain->Start(4000));
    plain.reset();
}

TEST(MLooperTest, LooperWithoutOwnerNeverStartsAThread)
{
    ProbeLog log;
    ProbeLooper looper(log, MLooper::Owner::Absent);
    EXPECT_FALSE(looper.Start(5));
    EXPECT_FALSE(looper.HasThread());
    looper.Suspend();
    EXPECT_FALSE(looper.IsSuspended());
    looper.StopAndWait();
    EXPECT_EQ(log.Now().iterations, 0);
}

}  // namespace
}  // namespace scanora
