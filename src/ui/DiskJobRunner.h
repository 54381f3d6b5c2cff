#pragma once

#include <functional>
#include <mutex>
#include <thread>

namespace scanora::ui {

class GuiThread;

// Runs the file manager's camera disk work (reading the directory, retrieving, deleting,
// reading and writing notes) on a thread of its own, one job at a time, holding the camera disk
// for the job so that no other retrieval reads it meanwhile. A job returns what is to be shown
// of its result; that runs on the GUI thread afterwards, unless the seam was closed.
class DiskJobRunner {
public:
    using Continuation = std::function<void()>;
    using Job = std::function<Continuation()>;

    // `disk` is held while a job runs; both must outlive the runner.
    DiskJobRunner(GuiThread& gui, std::mutex& disk);
    // Waits for a running job: close the seam first, so that the job's waits end at once.
    ~DiskJobRunner();
    DiskJobRunner(const DiskJobRunner&) = delete;
    DiskJobRunner& operator=(const DiskJobRunner&) = delete;

    // From a job's start until its continuation has run (GUI thread).
    [[nodiscard]] bool Busy() const { return busy_; }
    // Starts `job`; false (and nothing done) while another one is busy. GUI thread.
    bool Start(Job job);

private:
    GuiThread& gui_;
    std::mutex& disk_;
    std::thread thread_;
    bool busy_ = false;
};

}  // namespace scanora::ui
