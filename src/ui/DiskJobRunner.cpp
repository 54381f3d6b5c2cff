#include "ui/DiskJobRunner.h"

#include "ui/GuiThread.h"

namespace scanora::ui {

DiskJobRunner::DiskJobRunner(GuiThread& gui, std::mutex& disk) : gui_(gui), disk_(disk)
{
}

DiskJobRunner::~DiskJobRunner()
{
    if (thread_.joinable())
        thread_.join();
}

bool DiskJobRunner::Start(Job job)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (busy_)
        return false;
    // The last job's thread has posted its continuation and ended.
    if (thread_.joinable())
        thread_.join();
    busy_ = true;
    thread_ = std::thread([this, job = std::move(job)] {
        Continuation then;
        {
            const std::lock_guard hold(disk_);
            then = job();
        }
        gui_.Run([this, then = std::move(then)] {
            busy_ = false;
            if (then)
                then();
        });
    });
    return true;
}

}  // namespace scanora::ui
