#include "ui/QVFileManager.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStackedWidget>

#include <algorithm>
#include <ctime>

#include "camera/QVCamera.h"
#include "cameradisk/DiskDeletion.h"
#include "cameradisk/DiskDirectory.h"
#include "cameradisk/DiskListText.h"
#include "cameradisk/ImageNotes.h"
#include "cameradisk/NotesExport.h"
#include "cameradisk/Retrieval.h"
#include "cameradisk/RetrievalDepth.h"
#include "cameradisk/RetrievalHeader.h"
#include "cameradisk/RetrievalSettings.h"
#include "context/AppContext.h"
#include "platform/TextConversion.h"
#include "settings/QVCameraSetting.h"
#include "settings/SettingTools.h"
#include "ui/DiskJobRunner.h"
#include "ui/DiskListView.h"
#include "ui/GuiThread.h"
#include "ui/QVNotesWindow.h"
#include "ui/RetrievalProgressOnGui.h"
#include "ui/RetrievalSaveDialog.h"
#include "ui/TransferView.h"

namespace scanora::ui {

namespace {

constexpr int kButtonsPage = 0;
// The list shows at least this many rows, and the window opens wide enough for most columns.
constexpr int kMinimumRows = 6;
constexpr int kUsualWidth = 760;
constexpr int kTransferPage = 1;
// The camera family whose disk manager offers no output choices.
constexpr std::uint16_t kNoOutputChoiceModel = 1;

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

QVFileManager::QVFileManager(AppContext& app, std::mutex& disk, QWidget* parent)
    : QDialog(parent),
      app_(app),
      disk_(disk),
      gui_(std::make_unique<GuiThread>()),
      runner_(std::make_unique<DiskJobRunner>(*gui_, disk_)),
      chooseFile_(&FileDialogs::Ask)
{
    setWindowTitle(kCaption);
    setAttribute(Qt::WA_DeleteOnClose);
    BuildControls();
    resize(std::max(sizeHint().width(), kUsualWidth), sizeHint().height());
    const CameraPreferences& prefs = app_.CameraSetting().Prefs();
    listing_.emplace(std::vector<DiskEntry>{}, false);
    listing_->Sort(DiskListing::ColumnFromNumber(prefs.fileManagerSortOrder),
                   prefs.fileManagerSortDirection == 0);
    SyncPreferenceBoxes();
    UpdateDepth();
}

QVFileManager::~QVFileManager()
{
    cancel_ = true;
    // A job waiting for the GUI thread goes on at once; then the runner waits for it.
    gui_->Close();
    runner_.reset();
}

void QVFileManager::BuildControls()
{
    auto* layout = new QVBoxLayout(this);
    list_ = new DiskListView(this);
    const int rowHeight = list_->fontMetrics().height() + 4;
    list_->setMinimumHeight(rowHeight * (kMinimumRows + 1) +
                            list_->horizontalScrollBar()->sizeHint().height());
    layout->addWidget(list_, 1);

    auto* totals = new QHBoxLayout;
    items_ = new QLabel(this);
    total_ = new QLabel(this);
    largest_ = new QLabel(this);
    for (QLabel* label : {items_, total_, largest_}) {
        label->setTextFormat(Qt::PlainText);
        totals->addWidget(label);
    }
    totals->addStretch(1);
    layout->addLayout(totals);
    outcome_ = new QLabel(this);
    outcome_->setTextFormat(Qt::PlainText);
    outcome_->hide();
    layout->addWidget(outcome_);

    options_ = new QWidget(this);
    auto* optionRow = new QHBoxLayout(options_);
    optionRow->setContentsMargins(0, 0, 0, 0);
    mode_ = new QComboBox(options_);
    mode_->addItems({"none", "saved with scan", "from tone panel", "DNG"});
    mode_->setCurrentIndex(static_cast<int>(RetrievalMode::SavedWithScan));
    depth8_ = new QRadioButton("8 bits", options_);
    depth16_ = new QRadioButton("16 bits", options_);
    auto* depths = new QButtonGroup(options_);
    depths->addButton(depth8_);
    depths->addButton(depth16_);
    depth8_->setChecked(true);
    optionRow->addWidget(mode_);
    optionRow->addWidget(depth8_);
    optionRow->addWidget(depth16_);
    optionRow->addStretch(1);
    layout->addWidget(options_);

    auto* checks = new QHBoxLayout;
    autoSave_ = new QCheckBox("Auto save", this);
    openAfter_ = new QCheckBox("Open after transfer", this);
    autoRotate_ = new QCheckBox("Auto Rotate", this);
    for (QCheckBox* box : {autoSave_, openAfter_, autoRotate_}) checks->addWidget(box);
    checks->addStretch(1);
    layout->addLayout(checks);

    bottom_ = new QStackedWidget(this);
    buttons_ = new QWidget(bottom_);
    auto* buttonRow = new QHBoxLayout(buttons_);
    buttonRow->setContentsMargins(0, 0, 0, 0);
    const struct {
        const char* text;
        void (QVFileManager::*run)();
    } commands[] = {{"Retrieve", &QVFileManager::RetrieveSelected},
                    {"Delete", &QVFileManager::DeleteSelected},
                    {"Notes...", &QVFileManager::OpenNotes},
                    {"Export Notes...", &QVFileManager::ExportNotes}};
    for (const auto& command : commands) {
        auto* button = new QPushButton(command.text, buttons_);
        buttonRow->addWidget(button);
        connect(button, &QPushButton::clicked, this, command.run);
    }
    buttonRow->addStretch(1);
    auto* close = new QPushButton("Close", buttons_);
    buttonRow->addWidget(close);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    transfer_ = new TransferView(bottom_);
    bottom_->insertWidget(kButtonsPage, buttons_);
    bottom_->insertWidget(kTransferPage, transfer_);
    layout->addWidget(bottom_);

    // The model without output choices retrieves as its scans were taken.
    const bool choices = app_.Camera().GetModelCode() != kNoOutputChoiceModel;
    options_->setVisible(choices);

    connect(list_, &DiskListView::columnClicked, this, &QVFileManager::SortBy);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { RetrieveSelected(); });
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &QVFileManager::UpdateDepth);
    connect(mode_, &QComboBox::currentIndexChanged, this, &QVFileManager::UpdateDepth);
    CameraPreferences& prefs = app_.CameraSetting().Prefs();
    connect(autoSave_, &QCheckBox::toggled, this, [&prefs](bool on) { prefs.autoSaveScans = on; });
    connect(openAfter_, &QCheckBox::toggled, this,
            [&prefs](bool on) { prefs.autoOpenRetrieves = on; });
    connect(autoRotate_, &QCheckBox::toggled, this,
            [&prefs](bool on) { prefs.embedOrientation = on; });
    connect(transfer_, &TransferView::started, this, [this] { ShowTransfer(true); });
    connect(transfer_, &TransferView::cancelRequested, this, [this] {
        if (cancelTarget_)
            *cancelTarget_ = true;
    });
}

void QVFileManager::SyncPreferenceBoxes()
{
    const CameraPreferences& prefs = app_.CameraSetting().Prefs();
    autoSave_->setChecked(prefs.autoSaveScans);
    openAfter_->setChecked(prefs.autoOpenRetrieves);
    autoRotate_->setChecked(prefs.embedOrientation);
}

void QVFileManager::showEvent(QShowEvent* event)
{
    SCANORA_ASSERT_GUI_THREAD();
    // The preferences may have changed while the window was away.
    SyncPreferenceBoxes();
    QDialog::showEvent(event);
}

bool QVFileManager::Busy() const
{
    return runner_->Busy() || external_;
}

bool QVFileManager::TransferShown() const
{
    return bottom_->currentIndex() == kTransferPage;
}

QRadioButton* QVFileManager::DepthButton(int bits) const
{
    return bits == 16 ? depth16_ : depth8_;
}

QPushButton* QVFileManager::Button(const QString& text) const
{
    for (QPushButton* button : buttons_->findChildren<QPushButton*>()) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

QString QVFileManager::ItemsText() const
{
    return items_->text();
}

QString QVFileManager::TotalText() const
{
    return total_->text();
}

QString QVFileManager::LargestText() const
{
    return largest_->text();
}

void QVFileManager::SetBusy(bool busy)
{
    buttons_->setEnabled(!busy);
    options_->setEnabled(!busy);
}

void QVFileManager::ShowTransfer(bool shown)
{
    SCANORA_ASSERT_GUI_THREAD();
    bottom_->setCurrentIndex(shown ? kTransferPage : kButtonsPage);
}

void QVFileManager::StartJob(std::function<std::function<void()>()> job)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (Busy())
        return;
    cancel_ = false;
    cancelTarget_ = &cancel_;
    outcome_->clear();
    outcome_->hide();
    SetBusy(true);
    runner_->Start([this, job = std::move(job)] {
        std::function<void()> show = job();
        return std::function<void()>([this, show = std::move(show)] {
            cancelTarget_ = nullptr;
            ShowTransfer(false);
            SetBusy(false);
            if (show)
                show();
            Q_EMIT jobEnded();
            if (closeWhenDone_)
                close();
        });
    });
}

void QVFileManager::Refresh()
{
    QVCamera& camera = app_.Camera();
    StartJob([this, &camera] {
        std::vector<DiskEntry> entries = DiskDirectory(camera).Read();
        return [this, entries = std::move(entries)]() mutable { ShowEntries(std::move(entries)); };
    });
}

void QVFileManager::ShowEntries(std::vector<DiskEntry> entries)
{
    SCANORA_ASSERT_GUI_THREAD();
    const DiskColumn column = listing_->SortColumn();
    const bool ascending = listing_->Ascending();
    const std::size_t count = entries.size();
    listing_.emplace(std::move(entries), app_.Camera().IsOrbiscan());
    listing_->Sort(column, ascending);
    list_->Show(*listing_, listing_->NewestSlot().value_or(0));
    items_->setText(Text(DiskListText::Items(count)));
    total_->setText(Text(DiskListText::TotalAvailable(listing_->TotalAvailableMegabytes())));
    largest_->setText(Text(DiskListText::LargestAvailable(listing_->LargestAvailableMegabytes())));
    UpdateDepth();
    Q_EMIT listShown();
}

void QVFileManager::SortBy(int column)
{
    SCANORA_ASSERT_GUI_THREAD();
    const std::vector<std::uint16_t> selected = list_->SelectedSlots();
    listing_->ClickColumn(DiskListing::ColumnFromNumber(column));
    CameraPreferences& prefs = app_.CameraSetting().Prefs();
    prefs.fileManagerSortOrder = static_cast<std::int16_t>(listing_->SortColumn());
    prefs.fileManagerSortDirection = listing_->Ascending() ? 0 : 1;
    list_->Show(*listing_, 0);
    for (const std::uint16_t slot : selected) {
        if (QTreeWidgetItem* row = list_->Row(slot))
            row->setSelected(true);
    }
}

std::vector<DiskEntry> QVFileManager::Entries(const std::vector<std::uint16_t>& slots,
                                              bool imagesOnly) const
{
    std::vector<DiskEntry> entries;
    for (const std::uint16_t slot : slots) {
        const DiskEntry* entry = listing_->FindSlot(slot);
        if (entry && (!imagesOnly || (!entry->IsFree() && !entry->unread)))
            entries.push_back(*entry);
    }
    return entries;
}

RetrievalMode QVFileManager::Mode() const
{
    return static_cast<RetrievalMode>(mode_->currentIndex());
}

void QVFileManager::UpdateDepth()
{
    SCANORA_ASSERT_GUI_THREAD();
    std::optional<unsigned> flags;
    const std::vector<DiskEntry> selected = Entries(list_->SelectedSlots(), true);
    if (!selected.empty())
        flags = RetrievalHeader::Parse(selected.front().header).flags;
    const bool use16 = app_.CameraSetting().Prefs().use16BitCurve;
    const RetrievalDepth depth = RetrievalDepth::For(
        Mode(), flags, use16, app_.Tools().IsNone14Mode(), depth16_->isChecked() ? 16 : 8);
    (depth.bits == 16 ? depth16_ : depth8_)->setChecked(true);
    depth8_->setEnabled(depth.choosable);
    depth16_->setEnabled(depth.choosable);
}

void QVFileManager::RetrieveSelected()
{
    SCANORA_ASSERT_GUI_THREAD();
    const std::vector<DiskEntry> entries = Entries(list_->SelectedSlots(), true);
    if (entries.empty() || Busy())
        return;
    RetrievalSettings settings =
        RetrievalSettings::From(app_.ForRetrieval(), app_.PreferencesPath().parent_path());
    settings.choice.automatic = false;
    settings.choice.mode = Mode();
    settings.choice.depth = depth16_->isChecked() ? 16 : 8;
    QVCamera& camera = app_.Camera();
    UiPort& ui = app_.Ui();
    GuiThread& gui = *gui_;
    const std::atomic<bool>& cancel = cancel_;
    StartJob([this, entries, settings = std::move(settings), &camera, &ui, &gui, &cancel] {
        RetrievalSaveDialog chooser(gui, this, chooseFile_);
        RetrievalProgressOnGui progress(gui, [this] { return transfer_; });
        Retrieval retrieval(camera, ui);
        retrieval.SetProgress(&progress);
        retrieval.SetPathChooser(&chooser);
        const RetrievalReport report = retrieval.RetrieveEntries(entries, settings, cancel);
        return [this, report] { ShowOutcome(report); };
    });
}

void QVFileManager::ShowOutcome(const RetrievalReport& report)
{
    for (const RetrievalItem& item : report.items) {
        if (item.status == RetrievalStatus::Written)
            outcome_->setText("Saved as " + QString::fromStdString(item.path.string()));
    }
    outcome_->setVisible(!outcome_->text().isEmpty());
}

void QVFileManager::DeleteSelected()
{
    SCANORA_ASSERT_GUI_THREAD();
    const std::vector<DiskEntry> entries = Entries(list_->SlotsInSelectionOrder(), true);
    if (entries.empty())
        return;
    QVCamera& camera = app_.Camera();
    UiPort& ui = app_.Ui();
    StartJob([this, entries, &camera, &ui] {
        DiskDirectory directory(camera);
        DiskDeletionResult result = DiskDeletion(camera, ui, directory).Delete(entries);
        if (!result.confirmed)
            return std::function<void()>();
        return std::function<void()>(
            [this, read = std::move(result.entries)]() mutable { ShowEntries(std::move(read)); });
    });
}

void QVFileManager::OpenNotes()
{
    SCANORA_ASSERT_GUI_THREAD();
    const std::vector<DiskEntry> entries = Entries(list_->SelectedSlots(), true);
    if (entries.size() != 1)
        return;
    QVCamera& camera = app_.Camera();
    StartJob([this, entry = entries.front(), &camera]() mutable {
        if (!DiskDirectory(camera).ReadHeader(entry))
            return std::function<void()>();
        // The window waits for the user: it opens once this job has ended.
        return std::function<void()>([this, entry] {
            QMetaObject::invokeMethod(
                this, [this, entry] { OpenNotesWindow(entry); }, Qt::QueuedConnection);
        });
    });
}

void QVFileManager::OpenNotesWindow(const DiskEntry& entry)
{
    SCANORA_ASSERT_GUI_THREAD();
    const ImageNotes notes = ImageNotes::FromHeader(entry.header);
    const std::optional<QString> edited =
        QVNotesWindow::Edit(this, Text(TextConversion::FromCamera(notes.CaptureNotes())),
                            Text(TextConversion::FromCamera(notes.UserNotes())), Text(entry.name));
    if (edited)
        ApplyUserNotes(entry, *edited);
}

void QVFileManager::ApplyUserNotes(const DiskEntry& entry, const QString& userNotes)
{
    SCANORA_ASSERT_GUI_THREAD();
    DiskEntry written = entry;
    ImageNotes notes = ImageNotes::FromHeader(written.header);
    notes.SetUserNotes(TextConversion::ToWindows1252(userNotes.toStdString()));
    notes.WriteTo(written.header);
    QVCamera& camera = app_.Camera();
    StartJob([this, written, &camera] {
        DiskDirectory directory(camera);
        directory.WriteHeader(written);
        std::vector<DiskEntry> entries = directory.Read();
        return [this, entries = std::move(entries), slot = written.slot]() mutable {
            ShowEntries(std::move(entries));
            if (QTreeWidgetItem* row = list_->Row(slot))
                list_->setCurrentItem(row);
        };
    });
}

void QVFileManager::ExportNotes()
{
    SCANORA_ASSERT_GUI_THREAD();
    const std::vector<DiskEntry> selected = Entries(list_->SlotsInSelectionOrder(), true);
    if (selected.empty())
        return;
    const std::optional<std::string> path = chooseFile_(this, FileDialogs::NotesToExport());
    if (!path)
        return;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const std::string text = NotesExport::Build(selected, local, app_.Camera().IsOrbiscan());
    std::string error;
    if (!NotesExport::Write(*path, text, error))
        app_.Ui().ShowMessage(error, MessageIcon::Exclamation, MessageButtons::Ok);
}

void QVFileManager::BeginExternalRetrieval(std::atomic<bool>& cancel)
{
    SCANORA_ASSERT_GUI_THREAD();
    external_ = true;
    cancelTarget_ = &cancel;
    SetBusy(true);
}

void QVFileManager::EndExternalRetrieval()
{
    SCANORA_ASSERT_GUI_THREAD();
    external_ = false;
    cancelTarget_ = nullptr;
    ShowTransfer(false);
    SetBusy(runner_->Busy());
}

void QVFileManager::closeEvent(QCloseEvent* event)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (cancelTarget_)
        *cancelTarget_ = true;
    // A job of this window ends after its current block; the window closes then.
    if (runner_->Busy()) {
        closeWhenDone_ = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace scanora::ui
