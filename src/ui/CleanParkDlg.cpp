#include "ui/CleanParkDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

#include "ui/CameraJobs.h"
#include "ui/GuiThread.h"

namespace scanora::ui {

CleanParkDlg::CleanParkDlg(QVCamera& camera, QWidget* parent) : QDialog(parent), cleaning_(camera)
{
    SCANORA_ASSERT_GUI_THREAD();
    setWindowTitle("Clean/Park");
    auto* layout = new QVBoxLayout(this);
    controls_ = new QWidget(this);
    auto* inner = new QVBoxLayout(controls_);
    inner->setContentsMargins(0, 0, 0, 0);
    auto* text = new QLabel(
        "Clean moves the sensor to where it can be cleaned.\n\n"
        "OK leaves it there, parked for transport.\n"
        "Cancel brings it back to the centre and home.",
        controls_);
    text->setWordWrap(true);
    inner->addWidget(text);
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, controls_);
    cleanButton_ = buttons->addButton("Clean", QDialogButtonBox::ActionRole);
    connect(cleanButton_, &QPushButton::clicked, this, &CleanParkDlg::Clean);
    connect(buttons, &QDialogButtonBox::accepted, this, &CleanParkDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CleanParkDlg::reject);
    inner->addWidget(buttons);
    layout->addWidget(controls_);
    jobs_ = std::make_unique<CameraJobs>(*controls_);
}

CleanParkDlg::~CleanParkDlg() = default;

bool CleanParkDlg::Busy() const
{
    return jobs_->Busy();
}

void CleanParkDlg::RunJob(std::function<void()> work, std::function<void()> then)
{
    jobs_->Start(
        [this, work = std::move(work), then = std::move(then)]() -> CameraJobs::Continuation {
            work();
            return [this, then] {
                if (then)
                    then();
                const auto code = std::exchange(closeWith_, std::nullopt);
                if (code && !finished_)
                    *code == Accepted ? accept() : reject();
            };
        });
}

void CleanParkDlg::Clean()
{
    SCANORA_ASSERT_GUI_THREAD();
    if (Busy())
        return;
    RunJob([this] { cleaning_.Clean(); });
}

void CleanParkDlg::accept()
{
    SCANORA_ASSERT_GUI_THREAD();
    if (Busy()) {
        closeWith_ = Accepted;
        return;
    }
    RunJob([this] { cleaning_.Keep(); },
           [this] {
               finished_ = true;
               QDialog::accept();
           });
}

void CleanParkDlg::reject()
{
    SCANORA_ASSERT_GUI_THREAD();
    if (Busy()) {
        closeWith_ = Rejected;
        return;
    }
    RunJob([this] { cleaning_.Return(); },
           [this] {
               finished_ = true;
               QDialog::reject();
           });
}

}  // namespace scanora::ui
