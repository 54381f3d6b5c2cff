#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMetaObject>
#include <QTest>
#include <QTimer>

#include <filesystem>

#include "UiTestSupport.h"
#include "ui/FileDialogs.h"
#include "ui/MainControl.h"

namespace scanora::ui {
namespace {

using test::StartedApp;

TEST(FileDialogsTest, FiltersBecomeQtFiltersWithThePatternsTheyReallyUse)
{
    EXPECT_EQ(FileDialogs::QtFilter(FileDialogs::kTiffFilter), "TIFF files (*.tif *.tiff)");
    EXPECT_EQ(FileDialogs::QtFilter(FileDialogs::kOpenPrefsFilter),
              "Scanora Prefs (*.snp);;Old Pref Files (*.pre);;All Files (*)");
    EXPECT_EQ(FileDialogs::QtFilter(FileDialogs::kCurveFilter),
              "Tone Curve Files (*.cur);;All Files (*)");
    // A label naming other patterns than the pair filters by shows what is filtered.
    // "*.*" means every file, which here is "*".
    EXPECT_EQ(FileDialogs::QtFilter(FileDialogs::kNotesFilter), "Text Files (*);;All Files (*)");
    EXPECT_EQ(FileDialogs::QtFilter(FileDialogs::kDngFilter), "DNG files (*.dng *)");
    EXPECT_EQ(FileDialogs::QtFilter(""), "");
    EXPECT_EQ(FileDialogs::QtFilter("Lonely label||"), "");
}

// Save Prescan proposes the scan name with "_pre" in a TIFF dialog, and the file it names is
// written there.
TEST(FileDialogsTest, SavePrescanProposesTheScanNameWithPre)
{
    StartedApp started("sim:speed=0", std::chrono::milliseconds(4000));
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    started.Context().CameraSetting().Prefs().scanName = "Harbour";
    test::PrescanFromPanel(frame);
    frame.UpdateCommands();

    const std::filesystem::path target = started.Folder() / "Harbour_pre.tif";
    QString proposed;
    QString filter;
    QString suffix;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        proposed = QFileInfo(dialog->selectedFiles().value(0)).fileName();
        filter = dialog->nameFilters().join(";;");
        suffix = dialog->defaultSuffix();
        dialog->setDirectory(QString::fromStdString(started.Folder().string()));
        dialog->selectFile(QString::fromStdString(target.string()));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    ASSERT_TRUE(frame.Execute(QVMainFrame::kSavePrescan));
    EXPECT_EQ(proposed, "Harbour_pre.tif");
    EXPECT_EQ(filter, "TIFF files (*.tif *.tiff)");
    EXPECT_EQ(suffix, "tif");
    EXPECT_TRUE(std::filesystem::exists(target));
    EXPECT_TRUE(started.messages.empty()) << started.messages.front().toStdString();
}

}  // namespace
}  // namespace scanora::ui
