#pragma once

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>

#include "camera/SensorCleaning.h"

class QPushButton;

namespace scanora {
class QVCamera;
}

namespace scanora::ui {

class CameraJobs;

// The Clean/Park dialog: Clean brings the sensor carriage to where the sensor can be cleaned;
// OK leaves it there (parked), Cancel or closing the window brings it back to the centre and
// home. The moves run off the GUI thread; a close asked for meanwhile waits for the move.
class CleanParkDlg : public QDialog {
    Q_OBJECT

public:
    CleanParkDlg(QVCamera& camera, QWidget* parent = nullptr);
    ~CleanParkDlg() override;

    // The Clean button.
    void Clean();
    // OK: the carriage stays where it is.
    void accept() override;
    // Cancel, Escape or the window's close button: the carriage goes back unless it was kept.
    void reject() override;

    // A move is under way.
    [[nodiscard]] bool Busy() const;
    [[nodiscard]] QPushButton& CleanButton() const { return *cleanButton_; }

private:
    // Runs `work` off the GUI thread, then `then` on it; a close asked for meanwhile follows.
    void RunJob(std::function<void()> work, std::function<void()> then = {});

    SensorCleaning cleaning_;
    QWidget* controls_ = nullptr;
    QPushButton* cleanButton_ = nullptr;
    // A close asked for while a move was under way: OK or Cancel.
    std::optional<DialogCode> closeWith_;
    bool finished_ = false;             // OK or Cancel has done its work and closed the dialog
    std::unique_ptr<CameraJobs> jobs_;  // last: waits for a running move before the rest goes
};

}  // namespace scanora::ui
