#pragma once

#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

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
    void SetModelChooser(ModelChooser chooser) { chooseModel_ = std::move(chooser); }

private:
    QVFileManager* MakeWindow();
    // The after-scan step's retrieval, on the scan monitor's thread; returns the status text.
    std::string RetrieveAfterScan();
    void BeginForScan();
    void EndForScan();
    [[nodiscard]] TransferView* TransferTarget() const;

    QVMainFrame& frame_;
    AppContext& app_;
    QtUiPort& ui_;
    std::unique_ptr<GuiThread> gui_;
    // Held by whoever reads the camera's disk: the window's jobs and the after-scan retrieval.
    std::mutex disk_;
    std::atomic<bool> afterScanCancel_{false};
    QPointer<QVFileManager> window_;
    bool madeForScan_ = false;  // the window open now was made by the automatic save
    bool holdsCaptureControls_ = false;
    ModelChooser chooseModel_;
};

}  // namespace scanora::ui
