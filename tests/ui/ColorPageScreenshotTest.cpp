// Screenshots of the colour page with its stored-exposure choice and Clear Filters, and of the
// control panel with a line time out of step (boxed), at the window's smallest size and at 1024 x
// 700, saved into the build folder for a person to look at (under Xvfb at scale 1 and 2, see
// tests/CMakeLists). MainWindowLayoutTest checks that every control of them fits.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>

#include "ScreenshotSupport.h"
#include "UiTestSupport.h"
#include "camera/QVExposure.h"
#include "ui/CTabControls.h"
#include "ui/MainControl.h"
#include "ui/PPColor.h"

namespace scanora::ui {
namespace {

using test::SaveShot;
using test::ShotPath;
using test::StartedApp;

QString ScreenshotName(const QString& what)
{
    QString name = qEnvironmentVariable("SCANORA_SCREENSHOT_NAME");
    name.replace("main-window", what);
    return name.isEmpty() ? what + QStringLiteral("-offscreen") : name;
}

TEST(ColorPageScreenshotTest, StoredExposuresClearFiltersAndTheStepMarker)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    QVExposure& exposure = started.Context().Exposure();
    exposure.SelectLineTimeTable(1);
    exposure.SetLineTimeIndex(10);  // 37: out of step
    ASSERT_FALSE(frame.Panel().LineTimeInStep());
    frame.Tabs().setCurrentIndex(CTabControls::kColorPage);
    PPColor& page = frame.Tabs().ColorPage();

    for (const QSize size : {frame.minimumSize(), QSize(1024, 700)}) {
        frame.resize(size);
        QTest::qWait(50);
        const QString where = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
        frame.ControlPanes().ensureWidgetVisible(frame.Panel().Label(MainControl::kLineTime), 0, 0);
        QApplication::processEvents();
        SaveShot(frame.grab(), ShotPath(ScreenshotName("color-panel-" + where)));
        frame.ControlPanes().ensureWidgetVisible(page.ClearFiltersButton(), 0, 0);
        QApplication::processEvents();
        SaveShot(frame.grab(), ShotPath(ScreenshotName("color-page-" + where)));
    }
}

}  // namespace
}  // namespace scanora::ui
