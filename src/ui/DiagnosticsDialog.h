#pragma once

#include <QDialog>

#include <functional>
#include <memory>

#include "camera/CameraDiagnostics.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace scanora {
class QVCamera;
class UiPort;
}  // namespace scanora

namespace scanora::ui {

class CameraJobs;

// The diagnostics dialog, for service: the camera's firmware version, the carriage's test
// positions and home, the camera disk's initialisation after its warning, and any command typed
// by hand with the camera's reply. The camera work runs off the GUI thread, one step at a time.
class DiagnosticsDialog : public QDialog {
    Q_OBJECT

public:
    // Reads the version as it opens. `ui` shows the disk warning.
    DiagnosticsDialog(QVCamera& camera, UiPort& ui, QWidget* parent = nullptr);
    ~DiagnosticsDialog() override;

    // Asks for the disk's initialisation: the warning first, then "CDI" on Yes.
    void InitializeDisk();
    void HomeCarriage();
    // Moves the carriage to test position `index` (0..2).
    void MoveToTestPosition(int index);
    // Sends the command field's text with a carriage return; shows the reply, clears the field.
    void SendCommand();
    // The close button and Escape: the dialog waits for a step under way before it goes.
    void reject() override;

    // A step is under way.
    [[nodiscard]] bool Busy() const;
    [[nodiscard]] QLabel& VersionField() const { return *version_; }
    [[nodiscard]] QLineEdit& CommandField() const { return *command_; }
    [[nodiscard]] QLineEdit& ReplyField() const { return *reply_; }

private:
    // Runs `work` off the GUI thread, then `then` on it.
    void RunJob(std::function<std::function<void()>()> work);

    QVCamera& camera_;
    UiPort& ui_;
    CameraDiagnostics diagnostics_;
    QWidget* controls_ = nullptr;
    QLabel* version_ = nullptr;
    QLineEdit* command_ = nullptr;
    QLineEdit* reply_ = nullptr;
    bool closeWhenIdle_ = false;
    std::unique_ptr<CameraJobs> jobs_;  // last: waits for a running step before the rest goes
};

}  // namespace scanora::ui
