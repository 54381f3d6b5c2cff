// The camera disk manager as a user works it, against the simulated camera and its sample disk.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <set>

#include "UiTestSupport.h"
#include "acquire/CaptureSequence.h"
#include "camera/QVCamera.h"
#include "cameradisk/DiskDirectory.h"
#include "cameradisk/ImageNotes.h"
#include "ui/DiskListView.h"
#include "ui/FileManagerHost.h"
#include "ui/MainControl.h"
#include "ui/MainMenus.h"
#include "ui/NoInsertDialog.h"
#include "ui/PreviewDocument.h"
#include "ui/QVFileManager.h"
#include "ui/QVNotesWindow.h"
#include "ui/QVUIHandler.h"
#include "ui/TransferView.h"

namespace scanora::ui {
namespace {

namespace fs = std::filesystem;
using test::StartedApp;
constexpr int kWait = 20000;

QVFileManager* Manager(QVMainFrame& frame)
{
    return frame.findChild<QVFileManager*>();
}

// The File Manager command, and the list it reads when it opens.
QVFileManager* OpenManager(StartedApp& started)
{
    QVMainFrame& frame = started.Frame();
    frame.Execute(QVMainFrame::kFileManager);
    QVFileManager* manager = Manager(frame);
    const bool listed =
        manager &&
        QTest::qWaitFor([&] { return !manager->Busy() && manager->List().topLevelItemCount() > 0; },
                        kWait);
    return listed ? manager : nullptr;
}

QTreeWidgetItem* Row(const QVFileManager& manager, const QString& name)
{
    const auto rows = manager.List().findItems(name, Qt::MatchExactly, 1);
    return rows.isEmpty() ? nullptr : rows.front();
}

void Select(QVFileManager& manager, const QString& name)
{
    QTreeWidgetItem* row = Row(manager, name);
    ASSERT_NE(row, nullptr) << name.toStdString();
    manager.List().clearSelection();
    manager.List().setCurrentItem(row);
}

std::set<std::string> FilesIn(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// Saves retrieved images into a folder of the test's own, without a dialog.
fs::path AutoSaveInto(StartedApp& started)
{
    const fs::path folder = started.Folder() / "scans";
    fs::create_directories(folder);
    CameraPreferences& prefs = started.Context().CameraSetting().Prefs();
    prefs.autoSaveScans = true;
    prefs.saveScansFolder = folder.string();
    return folder;
}

TEST(FileManagerTest, ListsTheSimulatorsDiskAndSortsBothWays)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    QPointer<QVFileManager> manager = OpenManager(started);
    ASSERT_TRUE(manager);
    EXPECT_EQ(manager->windowTitle(), " Scanora File Manager");

    // Every sample image and the free space, with its totals; the newest image is selected.
    const DiskListing& listing = *manager->Listing();
    const int rows = manager->List().topLevelItemCount();
    EXPECT_EQ(static_cast<std::size_t>(rows), listing.Entries().size());
    EXPECT_EQ(manager->ItemsText(), QString::asprintf("%.2d   Items", rows));
    for (const char* name : {"Sample Chart 16", "Sample Raw 16", "Sample Chart 8", "Sample Green 8",
                             "Sample Red 16", "*** Available ***"})
        EXPECT_NE(Row(*manager, name), nullptr) << name;
    EXPECT_TRUE(manager->TotalText().startsWith("Total Avaliable MB: "));
    EXPECT_TRUE(manager->LargestText().startsWith("Largest Avaliable MB: "));
    EXPECT_NE(manager->TotalText(), "Total Avaliable MB:   0.0");
    ASSERT_NE(manager->List().currentItem(), nullptr);
    EXPECT_EQ(DiskListView::SlotOf(*manager->List().currentItem()), *listing.NewestSlot());
    EXPECT_EQ(Row(*manager, "Sample Chart 16")->textAlignment(1) & Qt::AlignHorizontal_Mask,
              Qt::AlignLeft);
    EXPECT_EQ(Row(*manager, "Sample Chart 16")->textAlignment(2) & Qt::AlignHorizontal_Mask,
              Qt::AlignRight);
    const QFontMetrics metrics = manager->List().fontMetrics();
    EXPECT_EQ(manager->List().columnWidth(2),
              metrics.horizontalAdvance(manager->List().headerItem()->text(2)) + 15);

    // The capture controls stay off while the manager is open.
    EXPECT_FALSE(frame.Panel().Button(MainControl::kPrescan)->isEnabled());

    // Name, ascending, then descending; the choice is kept in the preferences.
    const auto names = [&] {
        std::vector<QString> shown;
        for (int i = 0; i < manager->List().topLevelItemCount(); ++i)
            shown.push_back(manager->List().topLevelItem(i)->text(1).toLower());
        return shown;
    };
    manager->List().header()->sectionClicked(1);
    std::vector<QString> shown = names();
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    manager->List().header()->sectionClicked(1);
    shown = names();
    EXPECT_TRUE(std::is_sorted(shown.rbegin(), shown.rend()));
    const CameraPreferences& prefs = started.Context().CameraSetting().Prefs();
    EXPECT_EQ(prefs.fileManagerSortOrder, 1);
    EXPECT_EQ(prefs.fileManagerSortDirection, 1);
    EXPECT_EQ(manager->List().header()->sortIndicatorOrder(), Qt::DescendingOrder);

    manager->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return manager.isNull(); }, 2000));
    EXPECT_TRUE(frame.Panel().Button(MainControl::kPrescan)->isEnabled());
    EXPECT_TRUE(started.messages.empty()) << started.messages.front().toStdString();
}

TEST(FileManagerTest, RetrievesWithProgressAndACancelLeavesNoFile)
{
    // A big image alone on the disk: many blocks, so there is time to cancel.
    StartedApp started("sim:speed=0,samples=off,bigimage=6000x4000");
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    const fs::path folder = AutoSaveInto(started);
    QVFileManager* manager = OpenManager(started);
    ASSERT_NE(manager, nullptr);
    EXPECT_TRUE(manager->AutoSaveBox()->isChecked());
    Select(*manager, "Big Image");

    QProgressBar& bar = *manager->Transfer().Bar();
    int highest = 0;
    bool transferShown = false;
    const auto watch = QObject::connect(&bar, &QProgressBar::valueChanged, [&](int value) {
        highest = std::max(highest, value);
        transferShown = transferShown || manager->TransferShown();
    });
    QTest::mouseClick(manager->Button("Retrieve"), Qt::LeftButton);
    EXPECT_FALSE(manager->Button("Retrieve")->isEnabled()) << "one retrieval at a time";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !manager->Busy(); }, 60000));
    QObject::disconnect(watch);
    EXPECT_TRUE(transferShown) << "the transfer view replaces the buttons";
    EXPECT_FALSE(manager->TransferShown()) << "and gives way again at the end";
    EXPECT_EQ(highest, bar.maximum());
    EXPECT_GT(bar.maximum(), 10);
    EXPECT_EQ(manager->Transfer().StatusText(), "Retrieving \"Big Image\".");
    EXPECT_TRUE(manager->Transfer().RemainingText().startsWith("Time Remaining:  "));
    EXPECT_EQ(FilesIn(folder), std::set<std::string>{"Big Image.tif"});
    EXPECT_GT(fs::file_size(folder / "Big Image.tif"), 6000u * 4000u * 3u);

    // The second retrieval is cancelled after its first block: nothing is left of it.
    const auto cancel = QObject::connect(&bar, &QProgressBar::valueChanged, [&](int value) {
        if (value >= 1)
            manager->Transfer().CancelButton()->click();
    });
    QTest::mouseClick(manager->Button("Retrieve"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !manager->Busy(); }, 60000));
    QObject::disconnect(cancel);
    EXPECT_LT(bar.value(), bar.maximum()) << "the transfer stopped early";
    EXPECT_EQ(FilesIn(folder), std::set<std::string>{"Big Image.tif"});
    EXPECT_TRUE(started.messages.empty()) << started.messages.front().toStdString();
}

// The panel's buttons and the menu's commands alike: no capture starts while the camera's disk
// is open, and both come back when the window closes.
TEST(FileManagerTest, NoCaptureStartsWhileTheWindowIsOpen)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    QPointer<QVFileManager> manager = OpenManager(started);
    ASSERT_TRUE(manager);
    EXPECT_FALSE(frame.Panel().Button(MainControl::kPrescan)->isEnabled());
    EXPECT_FALSE(frame.Execute(QVMainFrame::kPrescan)) << "Ctrl+P";
    EXPECT_FALSE(frame.Execute(QVMainFrame::kScan)) << "Ctrl+R";
    EXPECT_EQ(frame.Document().Capture().State(), CaptureState::Idle);

    manager->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return manager.isNull(); }, kWait));
    EXPECT_TRUE(frame.Panel().Button(MainControl::kPrescan)->isEnabled());
    frame.UpdateCommands();
    EXPECT_TRUE(frame.Menus().Action(QVMainFrame::kPrescan)->isEnabled());
    EXPECT_TRUE(started.messages.empty()) << started.messages.front().toStdString();
}

TEST(FileManagerTest, DeletesOnlyAfterTheUserSaysYes)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVFileManager* manager = OpenManager(started);
    ASSERT_NE(manager, nullptr);

    started.answer = MessageResult::No;
    Select(*manager, "Sample Raw 16");
    QTest::mouseClick(manager->Button("Delete"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !manager->Busy(); }, kWait));
    EXPECT_EQ(started.messages, std::vector<QString>{"Delete Sample Raw 16?"});
    EXPECT_NE(Row(*manager, "Sample Raw 16"), nullptr);

    started.answer = MessageResult::Yes;
    started.messages.clear();
    Select(*manager, "Sample Raw 16");
    Row(*manager, "Sample Green 8")->setSelected(true);
    QTest::mouseClick(manager->Button("Delete"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !manager->Busy(); }, kWait));
    EXPECT_EQ(started.messages, std::vector<QString>{"Delete 2 files?"});
    EXPECT_EQ(Row(*manager, "Sample Raw 16"), nullptr);
    EXPECT_EQ(Row(*manager, "Sample Green 8"), nullptr);
    EXPECT_NE(Row(*manager, "Sample Chart 16"), nullptr);
    // The camera agrees.
    for (const DiskEntry& entry : DiskDirectory(started.Context().Camera()).Read())
        EXPECT_TRUE(entry.name != "Sample Raw 16" && entry.name != "Sample Green 8");
}

TEST(FileManagerTest, EditedNotesReadBackFromTheCameraAndExport)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVFileManager* manager = OpenManager(started);
    ASSERT_NE(manager, nullptr);
    Select(*manager, "Sample Chart 8");
    // The notes window waits for its user: it is answered from inside its own loop.
    QString title;
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* notes = manager->findChild<QVNotesWindow*>();
        if (!notes || !notes->isVisible())
            return;
        answer.stop();
        title = notes->windowTitle();
        notes->UserNotesEdit()->setPlainText("Tripod, f/8");
        notes->accept();
    });
    answer.start();
    QTest::mouseClick(manager->Button("Notes..."), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return !manager->Busy() &&
                   Row(*manager, "Sample Chart 8")->text(5) == QString("Tripod, f/8");
        },
        kWait));
    EXPECT_EQ(title, " File Information & Notes for Sample Chart 8");
    bool found = false;
    for (const DiskEntry& entry : DiskDirectory(started.Context().Camera()).Read()) {
        if (entry.name != "Sample Chart 8")
            continue;
        found = true;
        EXPECT_EQ(ImageNotes::FromHeader(entry.header).UserNotes(), "Tripod, f/8");
        EXPECT_FALSE(ImageNotes::FromHeader(entry.header).CaptureNotes().empty());
    }
    EXPECT_TRUE(found);

    // The notes of two images, exported into the file the user chose.
    const fs::path file = started.Folder() / "notes.txt";
    std::vector<QString> asked;
    manager->SetFileChooser([&](QWidget*, const FileDialogRequest& request) {
        asked.push_back(FileDialogs::QtFilter(request.filter));
        return std::optional<std::string>(file.string());
    });
    Row(*manager, "Sample Chart 16")->setSelected(true);
    QTest::mouseClick(manager->Button("Export Notes..."), Qt::LeftButton);
    // The documented filter: both entries show every file.
    EXPECT_EQ(asked, std::vector<QString>{"Text Files (*);;All Files (*)"});
    std::ifstream in(file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(text.starts_with("Scanora Image Notes Created at ")) << text;
    EXPECT_NE(text.find("User Notes\r\n\tTripod, f/8"), std::string::npos) << text;
    EXPECT_NE(text.find("Filename: "), std::string::npos);
    EXPECT_TRUE(started.messages.empty()) << started.messages.front().toStdString();
}

TEST(FileManagerTest, TheOutputModeSetsTheDepth)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVFileManager* manager = OpenManager(started);
    ASSERT_NE(manager, nullptr);
    QComboBox& mode = *manager->ModeBox();
    EXPECT_EQ(mode.currentText(), "saved with scan");
    const auto depth = [&] {
        return std::pair{manager->DepthButton(16)->isChecked(),
                         manager->DepthButton(16)->isEnabled()};
    };
    Select(*manager, "Sample Chart 16");  // 16 bits with its curve
    EXPECT_EQ(depth(), std::pair(true, true));
    Select(*manager, "Sample Chart 8");  // kept without a curve
    EXPECT_EQ(depth(), std::pair(true, false));
    mode.setCurrentText("from tone panel");
    EXPECT_EQ(depth(), std::pair(false, true)) << "8 bits without the 16-bit curve";
    mode.setCurrentText("DNG");
    EXPECT_EQ(depth(), std::pair(true, false));
    mode.setCurrentText("none");
    EXPECT_EQ(depth(), std::pair(true, false));
}

TEST(FileManagerTest, RefusedDuringACaptureAndAsksForTheInsertWhenThereIsNone)
{
    StartedApp started("sim:speed=0.02,model=7", std::chrono::milliseconds(4000));
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    frame.Execute(QVMainFrame::kPrescan);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return frame.Document().Capture().State() != CaptureState::Idle; }, 2000));
    frame.Execute(QVMainFrame::kFileManager);
    EXPECT_EQ(started.messages, std::vector<QString>{"Scanning in Progress"});
    EXPECT_EQ(Manager(frame), nullptr);
    frame.View().AbortKey();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame.Document().Capture().IsIdle(); }, 3000));

    // A controller without its insert: the user names the model before the list is read. The
    // simulator always answers with its model, and the poll would identify it again at its next
    // look (model 0 reads as no camera), so the poll stops while the test plays the controller.
    frame.Handler().StopPoll();
    QVCamera& camera = started.Context().Camera();
    ASSERT_EQ(camera.GetModelCode(), 7);
    camera.ApplyModel(0);
    auto* host = frame.findChild<FileManagerHost*>();
    ASSERT_NE(host, nullptr);
    host->SetModelChooser([](QWidget*) { return std::nullopt; });
    frame.Execute(QVMainFrame::kFileManager);
    EXPECT_EQ(Manager(frame), nullptr) << "cancelled: no manager";
    EXPECT_EQ(camera.GetModelCode(), 0);

    host->SetModelChooser([&](QWidget* parent) -> std::optional<std::uint16_t> {
        NoInsertDialog dialog(parent);
        EXPECT_EQ(dialog.windowTitle(), "No Insert Detected");
        EXPECT_TRUE(dialog.Choice(0)->isChecked());
        dialog.Choice(1)->setChecked(true);  // the Model Cedar
        return dialog.ModelCode();
    });
    ASSERT_NE(OpenManager(started), nullptr);
    EXPECT_EQ(camera.GetModelCode(), 7);
}

TEST(FileManagerTest, AScanWithAutoSaveLeavesTheTiffAndTheStatusBarNamesIt)
{
    StartedApp started("sim:speed=0", std::chrono::milliseconds(4000));
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    const fs::path folder = AutoSaveInto(started);
    CaptureSequence& capture = frame.Document().Capture();
    QTest::mouseClick(frame.Panel().Button(MainControl::kPrescan), Qt::LeftButton);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return capture.LastPrescanSucceeded() && capture.IsIdle(); }, kWait));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return frame.Panel().Button(MainControl::kScan)->isEnabled(); }, 2000));

    QTest::mouseClick(frame.Panel().Button(MainControl::kScan), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return capture.LastScanStarted(); }, kWait));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return capture.IsIdle() && !FilesIn(folder).empty(); }, kWait));
    const std::set<std::string> files = FilesIn(folder);
    ASSERT_EQ(files.size(), 1u);
    const fs::path saved = folder / *files.begin();
    EXPECT_EQ(saved.extension(), ".tif");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return frame.StatusPane(1).text() == QString("Scan saved as ") + saved.c_str(); },
        kWait))
        << frame.StatusPane(1).text().toStdString();
    // The manager opened for the transfer has closed again.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Manager(frame) == nullptr; }, kWait));
    EXPECT_TRUE(started.messages.empty()) << started.messages.front().toStdString();

    // A folder that has gone: the scan stays on the camera, and the status bar says why.
    fs::remove_all(folder);
    QTest::mouseClick(frame.Panel().Button(MainControl::kScan), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return frame.StatusPane(1).text() ==
                   QString("Scan not saved: the folder for scans does not exist");
        },
        kWait))
        << frame.StatusPane(1).text().toStdString();
    EXPECT_EQ(started.messages, std::vector<QString>{"Warning - the Save Scan Directory does not "
                                                     "exist, retrieve file manualy"});
}

}  // namespace
}  // namespace scanora::ui
