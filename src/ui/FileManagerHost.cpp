#include "ui/FileManagerHost.h"

#include <utility>

#include "acquire/CaptureSequence.h"
#include "camera/QVCamera.h"
#include "cameradisk/DiskDirectory.h"
#include "cameradisk/ScanRetrieval.h"
#include "context/AppContext.h"
#include "ui/GuiThread.h"
#include "ui/NoInsertDialog.h"
#include "ui/PreviewDocument.h"
#include "ui/QVFileManager.h"
#include "ui/QVMainFrame.h"
#include "ui/QVUIHandler.h"
#include "ui/QtUiPort.h"
#include "ui/RetrievalProgressOnGui.h"

namespace scanora::ui {

namespace {

std::optional<std::uint16_t> AskForModel(QWidget* parent)
{
    NoInsertDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.ModelCode();
}

}  // namespace

FileManagerHost::FileManagerHost(QVMainFrame& frame, AppContext& app, QtUiPort& ui)
    : QObject(&frame),
      frame_(frame),
      app_(app),
      ui_(ui),
      gui_(std::make_unique<GuiThread>()),
      chooseModel_(&AskForModel),
      scriptJobs_(std::make_unique<DiskJobRunner>(*gui_, disk_))
{
    frame_.Document().Capture().SetAfterScanRetrieval([this] { return RetrieveAfterScan(); });
    // A transfer still running when the program ends stops after its block.
    connect(&frame_, &QVMainFrame::closing, this, [this] {
        afterScanCancel_ = true;
        scriptCancel_ = true;
    });
}

FileManagerHost::~FileManagerHost()
{
    scriptCancel_ = true;
    gui_->Close();
    scriptJobs_.reset();
    if (window_) {
        // The frame is going: nothing is to be switched back on.
        disconnect(window_, nullptr, this, nullptr);
        delete window_.data();
    }
}

void FileManagerHost::Open()
{
    SCANORA_ASSERT_GUI_THREAD();
    if (frame_.Document().CaptureRunning()) {
        ui_.ShowMessage(QVMainFrame::kScanningRunning, MessageIcon::Exclamation,
                        MessageButtons::Ok);
        return;
    }
    if (window_) {
        window_->raise();
        window_->activateWindow();
        return;
    }
    QVCamera& camera = app_.Camera();
    if (camera.QueryStatus() != 0)
        return;
    // A controller without its insert: the images are read as the model the user names.
    if (camera.IsConnected() && camera.GetModelCode() == 0) {
        const std::optional<std::uint16_t> model = chooseModel_(&frame_);
        if (!model)
            return;
        camera.ApplyModel(*model);
    }
    QVFileManager* window = MakeWindow();
    madeForScan_ = false;
    HoldCaptureControls(windowHoldsControls_);
    window->show();
    window->Refresh();
}

QVFileManager* FileManagerHost::MakeWindow()
{
    window_ = new QVFileManager(app_, disk_, &frame_);
    connect(window_, &QObject::destroyed, this,
            [this] { ReleaseCaptureControls(windowHoldsControls_); });
    return window_;
}

std::string FileManagerHost::RetrieveAfterScan()
{
    QVCamera& camera = app_.Camera();
    if (!camera.IsConnected())
        return ScanRetrieval::StatusText({{}, false, "the camera is not connected"});
    const std::lock_guard hold(disk_);
    afterScanCancel_ = false;
    gui_->Run([this] { BeginForScan(); });
    RetrievalProgressOnGui progress(*gui_, [this] { return TransferTarget(); });
    ScanRetrieval retrieval(app_.ForRetrieval());
    retrieval.SetProgress(&progress);
    // The window shows the directory the retrieval reads.
    retrieval.SetDirectoryReader([this, &camera] {
        std::vector<DiskEntry> entries = DiskDirectory(camera).Read();
        gui_->Run([this, entries] {
            if (window_)
                window_->ShowEntries(entries);
        });
        return entries;
    });
    const RetrievalReport report = retrieval.Run(afterScanCancel_);
    gui_->Run([this] { EndForScan(); });
    return ScanRetrieval::StatusText(report);
}

void FileManagerHost::BeginForScan()
{
    SCANORA_ASSERT_GUI_THREAD();
    if (!window_) {
        MakeWindow();
        madeForScan_ = true;
    }
    window_->show();
    window_->BeginExternalRetrieval(afterScanCancel_);
}

void FileManagerHost::EndForScan()
{
    SCANORA_ASSERT_GUI_THREAD();
    if (!window_)
        return;
    window_->EndExternalRetrieval();
    if (madeForScan_)
        window_->close();
}

std::string FileManagerHost::StartScriptJob(DiskJobRunner::Job job)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (frame_.Document().CaptureRunning())
        return std::string(QVMainFrame::kScanningRunning);
    if (scriptJobs_->Busy())
        return "the camera disk is busy with a script's earlier call";
    scriptCancel_ = false;
    HoldCaptureControls(scriptHoldsControls_);
    scriptJobs_->Start([this, job = std::move(job)]() -> DiskJobRunner::Continuation {
        DiskJobRunner::Continuation then = job();
        return [this, then = std::move(then)] {
            ReleaseCaptureControls(scriptHoldsControls_);
            if (then)
                then();
        };
    });
    return {};
}

void FileManagerHost::HoldCaptureControls(bool& holder)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (!windowHoldsControls_ && !scriptHoldsControls_)
        frame_.Handler().DisableForCapture();
    holder = true;
    frame_.UpdateCommands();
}

void FileManagerHost::ReleaseCaptureControls(bool& holder)
{
    SCANORA_ASSERT_GUI_THREAD();
    const bool held = std::exchange(holder, false);
    // Given back when the last holder lets go, unless a capture has them now.
    if (held && !windowHoldsControls_ && !scriptHoldsControls_ &&
        !frame_.Document().CaptureRunning())
        frame_.Handler().EnableAfterCapture();
    frame_.UpdateCommands();
}

QVFileManager* FileManagerHost::Window() const
{
    return window_;
}

TransferView* FileManagerHost::TransferTarget() const
{
    return window_ ? &window_->Transfer() : nullptr;
}

}  // namespace scanora::ui
