#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace scanora {

// Mix-in that owns a worker thread repeating one unit of work: Iterate(), then sleep the
// interval (Pause()), until asked to stop. The scan monitor, the camera poll and the focus loop
// are built on it. A class that uses it derives from its own base first and from MLooper second
// and overrides Iterate() (and Initialize() when it has fields of its own to reset).
//
// IMPORTANT: a derived class must call StopAndWait() first thing in its own destructor. ~MLooper
// calls it too, but by then the derived part is already destroyed while the worker may still be
// inside the derived Iterate(). Never destroy a looper from one of its own worker threads.
//
// Owner: the object whose work the loop does. A looper built with Owner::Absent (a view made
// without its window, a tool that must stay inert) never starts a thread.
//
// Every Start() gives its thread a record of its own (stop request, shutdown flag, exit mark).
// A thread replaced by a newer Start() ends after its current iteration and never touches the
// newer thread's state; StopAndWait() joins every thread the looper started.
//
// Suspend() and Resume() set and clear one pause flag (not a counter) that the loop checks before
// each iteration: a suspended loop does no work and waits on a condition variable. A new loop
// begins resumed. Thread priorities are not raised: the default scheduling serves these loops.
class MLooper {
public:
    enum class Owner { Absent, Present };

    static constexpr int kDefaultIntervalMs = 100;

    // A new looper is idle, resumed, with the default interval. A base constructor cannot reach
    // an override, so a derived class whose Initialize() does more calls it from its constructor.
    explicit MLooper(Owner owner = Owner::Present);
    virtual ~MLooper();
    MLooper(const MLooper&) = delete;
    MLooper& operator=(const MLooper&) = delete;

    // Back to idle: tells any loop to stop, forgets the stored thread (it is still joined by
    // StopAndWait), clears the pause flag and sets the interval to 100 ms.
    virtual void Initialize();
    // Milliseconds to sleep between iterations, from the next sleep on.
    virtual void SetInterval(int ms);
    // Stops the current loop (it ends after its current iteration), sets the interval unless
    // `ms` is 0, and starts a new thread running Run(). Returns whether a thread is stored:
    // false without an owner or when no thread could be created.
    virtual bool Start(int ms);
    // The thread's body: Iterate() at least once, then sleep and iterate until ShouldStop(); a
    // stop is seen after each iteration and after each sleep. Ends with Finished().
    virtual bool Run();
    // Asks the loop to end; does not wait and does not cut a running sleep short. Called from
    // one of this looper's own threads it stops that thread only, so an old loop ending itself
    // never stops the loop that replaced it.
    virtual void RequestStop();
    // True when the calling worker thread was asked to stop. Asked from any other thread: true
    // unless a loop is stored and wanted.
    [[nodiscard]] virtual bool ShouldStop() const;
    // Pauses the stored loop before its next iteration; no effect without a thread or when
    // already suspended.
    virtual void Suspend();
    // Lets a suspended loop go on; no effect without a thread or when not suspended.
    virtual void Resume();
    // Has the stored loop's next iteration come now rather than after the interval: a sleep is
    // cut short; an iteration that begins after the nudge (the one Resume() lets go, say)
    // answers it. A suspended loop still waits for Resume().
    void Nudge();
    // One unit of work; nothing in the base.
    virtual void Iterate();
    // Sleeps the interval without holding the guard; only StopAndWait() cuts it short.
    virtual void Pause();
    // Called by Run() as its loop ends: the thread is no longer stored (HasThread() is false).
    virtual void Finished();

    // Stops every loop, cuts their sleeps and suspended waits short and joins every thread this
    // looper started, replaced ones included. Safe to call more than once. Called from inside one
    // of this looper's own threads it only stops them: a thread cannot wait for itself.
    void StopAndWait();

    [[nodiscard]] bool HasThread() const;
    [[nodiscard]] bool IsSuspended() const;
    [[nodiscard]] int Interval() const;

protected:
    // Blocks while the looper is suspended. False when the calling loop was asked to stop
    // meanwhile (it must then end without another iteration). For a derived Run() of its own.
    bool WaitWhileSuspended();

private:
    struct Worker;

    void ThreadMain(Worker& worker);
    // The record of the calling thread while it is one of this looper's live workers, else null.
    [[nodiscard]] Worker* FindWorkerLocked() const;
    [[nodiscard]] bool StopRequestedLocked(const Worker* worker) const;
    void StopAllLocked();
    void JoinExitedLocked();

    const Owner owner_;
    mutable std::mutex guard_;
    std::condition_variable wake_;                  // resume, stop and shutdown
    std::vector<std::unique_ptr<Worker>> workers_;  // every thread not yet joined
    Worker* current_ = nullptr;                     // the stored thread, or none
    int interval_ = kDefaultIntervalMs;
    bool suspended_ = false;
    bool nudged_ = false;
};

}  // namespace scanora
