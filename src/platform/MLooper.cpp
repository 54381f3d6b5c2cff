#include "platform/MLooper.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <thread>

namespace scanora {

// One started thread. Only touched under the guard; the thread itself stops touching its record
// once it has set `exited`, so the record may go away from then on.
struct MLooper::Worker {
    std::thread thread;  // empty once taken by StopAndWait for joining
    std::thread::id id;
    bool running = true;    // this thread's loop is wanted
    bool shutdown = false;  // StopAndWait: leave sleeps and suspended waits at once
    bool exited = false;    // the thread has left Run()
};

MLooper::MLooper(Owner owner) : owner_(owner)
{
}

MLooper::~MLooper()
{
    StopAndWait();
}

void MLooper::Initialize()
{
    const std::lock_guard lock(guard_);
    StopAllLocked();
    current_ = nullptr;
    suspended_ = false;
    interval_ = kDefaultIntervalMs;
}

void MLooper::SetInterval(int ms)
{
    const std::lock_guard lock(guard_);
    interval_ = ms;
}

bool MLooper::Start(int ms)
{
    RequestStop();
    if (ms != 0)
        SetInterval(ms);
    if (owner_ == Owner::Absent)
        return false;

    const std::lock_guard lock(guard_);
    JoinExitedLocked();
    // The replaced loop must end whoever calls Start (even its own thread, whose RequestStop
    // above stopped only itself); a replaced loop parked by Suspend leaves its wait.
    StopAllLocked();
    current_ = nullptr;
    suspended_ = false;
    workers_.reserve(workers_.size() + 1);  // no allocation failure once the thread runs

    auto worker = std::make_unique<Worker>();
    try {
        // Priority is best effort: a camera loop would like the highest normal one, but raising
        // it needs privileges a desktop user lacks, so the thread keeps the default.
        worker->thread = std::thread([this, record = worker.get()] { ThreadMain(*record); });
    } catch (const std::system_error&) {
        return false;
    }
    worker->id = worker->thread.get_id();
    current_ = worker.get();
    workers_.push_back(std::move(worker));
    return true;
}

bool MLooper::Run()
{
    do {
        if (!WaitWhileSuspended())
            break;
        Iterate();
        if (!ShouldStop())
            Pause();
    } while (!ShouldStop());
    Finished();
    return true;
}

void MLooper::RequestStop()
{
    const std::lock_guard lock(guard_);
    if (Worker* self = FindWorkerLocked())
        self->running = false;
    else
        StopAllLocked();
}

bool MLooper::ShouldStop() const
{
    const std::lock_guard lock(guard_);
    return StopRequestedLocked(FindWorkerLocked());
}

void MLooper::Suspend()
{
    const std::lock_guard lock(guard_);
    if (current_ != nullptr)
        suspended_ = true;
}

void MLooper::Resume()
{
    const std::lock_guard lock(guard_);
    if (current_ != nullptr && suspended_) {
        suspended_ = false;
        wake_.notify_all();
    }
}

void MLooper::Nudge()
{
    const std::lock_guard lock(guard_);
    if (current_ != nullptr) {
        nudged_ = true;
        wake_.notify_all();
    }
}

void MLooper::Iterate()
{
}

void MLooper::Pause()
{
    std::unique_lock lock(guard_);
    const Worker* self = FindWorkerLocked();
    const auto interval = std::chrono::milliseconds(std::max(interval_, 0));
    // The wait releases the guard for the whole sleep.
    wake_.wait_for(lock, interval,
                   [this, self] { return (self != nullptr && self->shutdown) || nudged_; });
    nudged_ = false;
}

void MLooper::Finished()
{
    const std::lock_guard lock(guard_);
    const Worker* self = FindWorkerLocked();
    if (self != nullptr && self == current_)
        current_ = nullptr;
}

void MLooper::StopAndWait()
{
    std::vector<std::thread> threads;
    {
        const std::lock_guard lock(guard_);
        for (const auto& worker : workers_) worker->shutdown = true;
        StopAllLocked();
        if (FindWorkerLocked() != nullptr)
            return;  // our own thread: the loops end by themselves, a later caller joins them
        threads.reserve(workers_.size());
        for (const auto& worker : workers_) {
            if (worker->thread.joinable())
                threads.push_back(std::move(worker->thread));
        }
    }
    for (auto& thread : threads) thread.join();

    const std::lock_guard lock(guard_);
    std::erase_if(workers_,
                  [](const auto& worker) { return worker->exited && !worker->thread.joinable(); });
}

bool MLooper::HasThread() const
{
    const std::lock_guard lock(guard_);
    return current_ != nullptr;
}

bool MLooper::IsSuspended() const
{
    const std::lock_guard lock(guard_);
    return current_ != nullptr && suspended_;
}

int MLooper::Interval() const
{
    const std::lock_guard lock(guard_);
    return interval_;
}

bool MLooper::WaitWhileSuspended()
{
    std::unique_lock lock(guard_);
    const Worker* self = FindWorkerLocked();
    const bool waits = self != nullptr && suspended_;
    if (waits)
        wake_.wait(lock, [this, self] { return !suspended_ || StopRequestedLocked(self); });
    // An iteration follows: it answers every nudge made before it, so a nudge that came while
    // the loop was working or suspended does not also cut the next sleep short.
    nudged_ = false;
    return !waits || !StopRequestedLocked(self);
}

void MLooper::ThreadMain(Worker& worker)
{
    Run();
    const std::lock_guard lock(guard_);
    if (current_ == &worker)
        current_ = nullptr;
    worker.exited = true;
}

MLooper::Worker* MLooper::FindWorkerLocked() const
{
    const auto self = std::this_thread::get_id();
    const auto found = std::find_if(workers_.begin(), workers_.end(), [self](const auto& worker) {
        return worker->id == self && !worker->exited;
    });
    return found == workers_.end() ? nullptr : found->get();
}

bool MLooper::StopRequestedLocked(const Worker* worker) const
{
    if (worker != nullptr)
        return !worker->running;
    return current_ == nullptr || !current_->running;
}

void MLooper::StopAllLocked()
{
    for (const auto& worker : workers_) worker->running = false;
    wake_.notify_all();
}

void MLooper::JoinExitedLocked()
{
    // An exited thread has left Run() and only returns, so joining it here is immediate.
    std::erase_if(workers_, [](const auto& worker) {
        if (!worker->exited)
            return false;
        if (worker->thread.joinable())
            worker->thread.join();
        return true;
    });
}

}  // namespace scanora
