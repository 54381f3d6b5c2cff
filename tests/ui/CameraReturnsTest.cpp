// A camera whose cable is pulled out in the middle of a retrieval or a time-lapse series and
// plugged back in: the interrupted work is reported once, nothing on the camera or in the folder
// is lost or half written, and the next retrieval or series runs as if nothing had happened.

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>
#include <iostream>
#include <set>
#include <string>

#include "UiTestSupport.h"
#include "camsim/SimCamera.h"
#include "ui/CameraPoll.h"
#include "ui/DiskListView.h"
#include "ui/QVFileManager.h"
#include "ui/TransferView.h"

namespace scanora::ui {
namespace {

namespace fs = std::filesystem;
using test::StartedApp;
constexpr int kWait = 20000;

std::set<std::string> FilesIn(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

int ImagesOnTheCamera(const camsim::SimCamera& camera)
{
    int images = 0;
    for (int block = 0; block < 256; ++block)
        images += camera.DiskImage(static_cast<std::uint8_t>(block)).has_value() ? 1 : 0;
    return images;
}

bool PanelShowsACamera(QVMainFrame& frame)
{
    return frame.Panel().Text(MainControl::kModelName) != CameraPoll::kNoCamera.data();
}

// Pulls the cable and waits until the panel has seen it go.
void Unplug(StartedApp& started)
{
    started.Context().Simulator()->Unplug();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !PanelShowsACamera(started.Frame()); }, kWait));
}

void PlugBackIn(StartedApp& started)
{
    started.Context().Simulator()->Plug();
    ASSERT_TRUE(QTest::qWaitFor([&] { return PanelShowsACamera(started.Frame()); }, kWait));
}

QVFileManager* OpenManagerOn(StartedApp& started, const QString& name)
{
    started.Frame().Execute(QVMainFrame::kFileManager);
    QVFileManager* manager = started.Frame().findChild<QVFileManager*>();
    if (!manager || !QTest::qWaitFor([&] { return !manager->Busy(); }, kWait))
        return nullptr;
    const auto rows = manager->List().findItems(name, Qt::MatchExactly, 1);
    if (rows.isEmpty())
        return nullptr;
    manager->List().clearSelection();
    manager->List().setCurrentItem(rows.front());
    return manager;
}

TEST(CameraReturnsTest, ARetrievalCutByThePulledCableIsReportedOnceAndTheNextOneIsWhole)
{
    StartedApp started("sim:speed=0,samples=off,bigimage=3000x2000");
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    const fs::path folder = started.Folder() / "scans";
    fs::create_directories(folder);
    CameraPreferences& prefs = started.Context().CameraSetting().Prefs();
    prefs.autoSaveScans = true;
    prefs.saveScansFolder = folder.string();

    QPointer<QVFileManager> manager = OpenManagerOn(started, "Big Image");
    ASSERT_TRUE(manager);
    bool pulled = false;
    const auto pull =
        QObject::connect(manager->Transfer().Bar(), &QProgressBar::valueChanged, [&](int value) {
            if (value >= 1 && !pulled) {
                pulled = true;
                started.Context().Simulator()->Unplug();
            }
        });
    QTest::mouseClick(manager->Button("Retrieve"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return manager.isNull() || !manager->Busy(); }, kWait));
    QObject::disconnect(pull);
    ASSERT_TRUE(pulled);
    ASSERT_EQ(started.messages.size(), 1u);
    EXPECT_TRUE(FilesIn(folder).empty()) << "nothing half written under any name";
    if (manager)
        manager->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return manager.isNull(); }, kWait));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !PanelShowsACamera(started.Frame()); }, kWait));
    QTest::qWait(300);  // a few polls without the camera: no further message
    EXPECT_EQ(started.messages.size(), 1u) << started.messages.back().toStdString();
    std::cout << "the cut retrieval: " << started.messages.front().toStdString() << "\n";

    PlugBackIn(started);
    EXPECT_EQ(ImagesOnTheCamera(*started.Context().Simulator()), 1) << "the image is still there";
    manager = OpenManagerOn(started, "Big Image");
    ASSERT_TRUE(manager);
    QTest::mouseClick(manager->Button("Retrieve"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !manager->Busy(); }, kWait));
    ASSERT_EQ(FilesIn(folder), std::set<std::string>{"Big Image.tif"});
    EXPECT_GT(fs::file_size(folder / "Big Image.tif"), 3000u * 2000u * 3u);
    EXPECT_EQ(started.messages.size(), 1u) << started.messages.back().toStdString();
}

TEST(CameraReturnsTest, ASeriesCutByThePulledCableEndsOnceAndTheNextSeriesRuns)
{
    StartedApp started("sim:speed=0,samples=off");
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    camsim::SimCamera& camera = *started.Context().Simulator();
    CameraPreferences& prefs = started.Context().CameraSetting().Prefs();
    prefs.timeLapse = true;
    prefs.timeLapseImages = 3;
    prefs.timeLapseSeconds = 1;
    const CaptureSequence& capture = frame.Document().Capture();
    test::PrescanFromPanel(frame);

    // The cable comes out while the series waits for its second image, and goes back in once
    // the series has given up.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return frame.Panel().Button(MainControl::kScan)->isEnabled(); }, kWait));
    QTest::mouseClick(frame.Panel().Button(MainControl::kScan), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return frame.StatusPane(1).text().startsWith("Time Lapse 2 of 3"); }, kWait))
        << frame.StatusPane(1).text().toStdString();
    ASSERT_EQ(ImagesOnTheCamera(camera), 1);
    Unplug(started);
    ASSERT_TRUE(QTest::qWaitFor([&] { return capture.IsIdle(); }, kWait));
    QTest::qWait(300);
    ASSERT_EQ(started.messages.size(), 1u);
    EXPECT_EQ(capture.ImagesRemaining(), 0);
    EXPECT_FALSE(frame.Panel().Button(MainControl::kScan)->isEnabled());
    EXPECT_FALSE(frame.Action(QVMainFrame::kScan)->isEnabled());

    PlugBackIn(started);
    EXPECT_EQ(ImagesOnTheCamera(camera), 1) << "the image scanned before the cable came out";
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return frame.Panel().Button(MainControl::kScan)->isEnabled(); }, kWait));
    QTest::mouseClick(frame.Panel().Button(MainControl::kScan), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return capture.LastScanStarted(); }, kWait));
    ASSERT_TRUE(QTest::qWaitFor([&] { return capture.IsIdle(); }, kWait));
    EXPECT_EQ(ImagesOnTheCamera(camera), 4) << "a whole series of three after the return";
    EXPECT_EQ(capture.ImagesRemaining(), 0);
    EXPECT_EQ(started.messages.size(), 1u) << started.messages.back().toStdString();
}

}  // namespace
}  // namespace scanora::ui
