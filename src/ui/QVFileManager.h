#pragma once

#include <QDialog>
#include <QPointer>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "cameradisk/DiskEntry.h"
#include "cameradisk/DiskListing.h"
#include "cameradisk/RetrievalFormat.h"
#include "ui/FileChooser.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace scanora {
class AppContext;
struct RetrievalReport;
}  // namespace scanora

namespace scanora::ui {

class DiskJobRunner;
class DiskListView;
class GuiThread;
class TransferView;

// The camera disk manager: lists the images on the camera's disk with their sizes, times and
// notes and the free space, retrieves the selected images as TIFF or DNG files with the chosen
// output mode and depth, deletes them after asking, edits an image's notes and exports the
// notes of several. Everything that talks to the camera runs on a worker (DiskJobRunner); while
// it transfers, the buttons give way to the transfer view with its Cancel.
class QVFileManager : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kCaption = " Scanora File Manager";

    // `disk` is held while this window uses the camera's disk; it outlives the window.
    QVFileManager(AppContext& app, std::mutex& disk, QWidget* parent = nullptr);
    // Ends a running job first (cancelled; the camera's reply waits are bounded).
    ~QVFileManager() override;

    // Reads the directory again and shows it.
    void Refresh();
    // Shows a directory read elsewhere (the automatic save after a scan reads it).
    void ShowEntries(std::vector<DiskEntry> entries);
    void RetrieveSelected();
    void DeleteSelected();
    void OpenNotes();
    void ExportNotes();
    // The edited user notes of `entry` (whose header was read when its notes were opened):
    // written into its header block on the camera, then the list is read again.
    void ApplyUserNotes(const DiskEntry& entry, const QString& userNotes);

    // A retrieval that runs elsewhere shows its progress here; Cancel raises `cancel`.
    void BeginExternalRetrieval(std::atomic<bool>& cancel);
    void EndExternalRetrieval();
    [[nodiscard]] bool Busy() const;

    void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

    // What the user sees and works, for tests.
    [[nodiscard]] DiskListView& List() const { return *list_; }
    [[nodiscard]] TransferView& Transfer() const { return *transfer_; }
    [[nodiscard]] bool TransferShown() const;
    [[nodiscard]] QComboBox* ModeBox() const { return mode_; }
    [[nodiscard]] QRadioButton* DepthButton(int bits) const;
    [[nodiscard]] QCheckBox* AutoSaveBox() const { return autoSave_; }
    [[nodiscard]] QPushButton* Button(const QString& text) const;
    [[nodiscard]] QString ItemsText() const;
    [[nodiscard]] QString TotalText() const;
    [[nodiscard]] QString LargestText() const;
    [[nodiscard]] const DiskListing* Listing() const { return listing_ ? &*listing_ : nullptr; }

Q_SIGNALS:
    // The list was filled anew.
    void listShown();
    // A job ended and its result is shown.
    void jobEnded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    // Starts `job` with the buttons off; ends it with them on and, when asked meanwhile, closes.
    void StartJob(std::function<std::function<void()>()> job);
    void SetBusy(bool busy);
    void ShowTransfer(bool shown);
    void ShowOutcome(const RetrievalReport& report);
    // The notes window for `entry`, whose header block has just been read; OK writes the edited
    // user notes back.
    void OpenNotesWindow(const DiskEntry& entry);
    void SortBy(int column);
    void UpdateDepth();
    void SyncPreferenceBoxes();
    [[nodiscard]] RetrievalMode Mode() const;
    [[nodiscard]] std::vector<DiskEntry> Entries(const std::vector<std::uint16_t>& slots,
                                                 bool imagesOnly) const;

    AppContext& app_;
    std::mutex& disk_;
    std::unique_ptr<GuiThread> gui_;
    std::unique_ptr<DiskJobRunner> runner_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool>* cancelTarget_ = nullptr;  // what Cancel raises during a transfer
    bool external_ = false;
    bool closeWhenDone_ = false;
    FileChooser chooseFile_;
    std::optional<DiskListing> listing_;

    DiskListView* list_ = nullptr;
    QLabel* items_ = nullptr;
    QLabel* total_ = nullptr;
    QLabel* largest_ = nullptr;
    QLabel* outcome_ = nullptr;
    QComboBox* mode_ = nullptr;
    QRadioButton* depth8_ = nullptr;
    QRadioButton* depth16_ = nullptr;
    QCheckBox* autoSave_ = nullptr;
    QCheckBox* openAfter_ = nullptr;
    QCheckBox* autoRotate_ = nullptr;
    QWidget* options_ = nullptr;
    QWidget* buttons_ = nullptr;
    QStackedWidget* bottom_ = nullptr;
    TransferView* transfer_ = nullptr;
};

}  // namespace scanora::ui
