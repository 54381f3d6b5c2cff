#pragma once

#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "ui/DiskJobRunner.h"

namespace scanora {
class AppContext;
}

namespace scanora::ui {

class GuiThread;
class QVFileManager;
class QVMainFrame;
class QtUiPort;
class TransferView;

// Keeps the one camera disk manager window: opens it for the File Manager command, and runs the
// automatic save after a scan ("AutoSaveScans") with the window showing the transfer. The
// window is made when it is first needed and destroyed when closed; a window made for the
// automatic save closes again when it is done.
class FileManagerHost final : public QObject {
    Q_OBJECT

public:
    // Asks which insert took the images when the camera reports none: a model code, or nothing
    // when the user cancelled (NoInsertDialog unless a test answers).
    using ModelChooser = std::function<std::optional<std::uint16_t>(QWidget* parent)>;

    // Installs the after-scan retrieval in the frame's capture sequence.
    FileManagerHost(QVMainFrame& frame, AppContext& app, QtUiPort& ui);
    // Closes the window (its job ends first).
    ~FileManagerHost() override;

    // The File Manager command: refused with "Scanning in Progress" while a capture runs, and
    // not opened when the camera's status cannot be read. Opening it switches the capture
    // controls off until it closes.
    void Open();
    [[nodiscard]] QVFileManager* Window() const;

    // Camera disk work for a script (the session bus): runs `job` on a worker holding the
    // camera disk, and its continuation on the GUI thread. Refused, with the reason, while a
    // capture runs or other work of a script is busy; empty when started. The capture controls
    // stay off until it is done, as while the window is open. A job reads ScriptCancel() and
    // stops when it is set (CancelScriptJob, or the program closing).
    std::string StartScriptJob(DiskJobRunner::Job job);
    [[nodiscard]] bool ScriptJobBusy() const { return scriptJobs_->Busy(); }
    // While the window is open or a script's work runs, no capture may start: the camera's
    // disk is being read.
    [[nodiscard]] bool HoldsCaptureControls() const
    {
        return windowHoldsControls_ || scriptHoldsControls_;
    }
    void CancelScriptJob() { scriptCancel_ = true; }
    // The seam the jobs report through (closed before they are ended).
    [[nodiscard]] GuiThread& Gui() const { return *gui_; }
    [[nodiscard]] const std::atomic<bool>& ScriptCancel() const { return scriptCancel_; }
    void SetModelChooser(ModelChooser chooser) { chooseModel_ = std::move(chooser); }

private:
    QVFileManager* MakeWindow();
    // The after-scan step's retrieval, on the scan monitor's thread; returns the status text.
    std::string RetrieveAfterScan();
    void BeginForScan();
    void EndForScan();
    [[nodiscard]] TransferView* TransferTarget() const;
    // The window and a script's work each keep the capture controls off while they last.
    void HoldCaptureControls(bool& holder);
    void ReleaseCaptureControls(bool& holder);

    QVMainFrame& frame_;
    AppContext& app_;
    QtUiPort& ui_;
    std::unique_ptr<GuiThread> gui_;
    // Held by whoever reads the camera's disk: the window's jobs and the after-scan retrieval.
    std::mutex disk_;
    std::atomic<bool> afterScanCancel_{false};
    QPointer<QVFileManager> window_;
    bool madeForScan_ = false;  // the window open now was made by the automatic save
    bool windowHoldsControls_ = false;
    bool scriptHoldsControls_ = false;
    ModelChooser chooseModel_;
    std::atomic<bool> scriptCancel_{false};
    // Made after the seam and the disk it uses, and ended before them.
    std::unique_ptr<DiskJobRunner> scriptJobs_;
};

}  // namespace scanora::ui
