#include "ui/CameraJobs.h"

#include <QWidget>

#include "ui/DiskJobRunner.h"
#include "ui/GuiThread.h"

namespace scanora::ui {

CameraJobs::CameraJobs(QWidget& controls)
    : controls_(controls),
      gui_(std::make_unique<GuiThread>()),
      runner_(std::make_unique<DiskJobRunner>(*gui_, held_))
{
}

CameraJobs::~CameraJobs()
{
    // What a job would still show has nowhere to go any more.
    gui_->Close();
    runner_.reset();
}

bool CameraJobs::Start(Job job)
{
    SCANORA_ASSERT_GUI_THREAD();
    QWidget* controls = &controls_;
    const bool started = runner_->Start([job = std::move(job), controls]() -> Continuation {
        Continuation then = job();
        return [then = std::move(then), controls] {
            controls->setEnabled(true);
            if (then)
                then();
        };
    });
    if (started)
        controls_.setEnabled(false);
    return started;
}

bool CameraJobs::Busy() const
{
    return runner_->Busy();
}

}  // namespace scanora::ui
