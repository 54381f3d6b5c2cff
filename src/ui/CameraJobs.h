#pragma once

#include <functional>
#include <memory>
#include <mutex>

class QWidget;

namespace scanora::ui {

class DiskJobRunner;
class GuiThread;

// Runs a dialog's camera work (carriage moves, commands that may take seconds) on a thread of
// its own, one job at a time, with the dialog's controls disabled meanwhile. A job returns what
// is to be shown of its result; that runs on the GUI thread, then the controls come back.
class CameraJobs final {
public:
    using Continuation = std::function<void()>;
    using Job = std::function<Continuation()>;

    // `controls` is disabled while a job runs; it must outlive this object.
    explicit CameraJobs(QWidget& controls);
    // Waits for a running job.
    ~CameraJobs();
    CameraJobs(const CameraJobs&) = delete;
    CameraJobs& operator=(const CameraJobs&) = delete;

    // Starts `job`; false (and nothing done) while another one runs. GUI thread.
    bool Start(Job job);
    // From a job's start until its continuation has run.
    [[nodiscard]] bool Busy() const;

private:
    QWidget& controls_;
    std::unique_ptr<GuiThread> gui_;
    std::mutex held_;  // held by the running job
    std::unique_ptr<DiskJobRunner> runner_;
};

}  // namespace scanora::ui
