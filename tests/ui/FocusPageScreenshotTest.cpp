// The focus page while it reads a lens being turned, as a person sees it at the smallest window
// size: every control whole and at its size, and screenshots of the window and of the page (under
// Xvfb at scale 1 and 2, see tests/CMakeLists).

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>

#include <vector>

#include "ScreenshotSupport.h"
#include "UiTestSupport.h"
#include "camera/QVFocus.h"
#include "ui/CTabControls.h"
#include "ui/LargeFocusDialog.h"
#include "ui/PPFocus.h"

namespace scanora::ui {
namespace {

using test::ExpectWholeControls;
using test::SaveShot;
using test::ShotName;
using test::ShotPath;
using test::StartedApp;

TEST(FocusPageScreenshotTest, ScoresSamplesAndHistoryFitThePage)
{
    StartedApp started("sim:speed=0,model=6,focus=sweep:20:2");
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    frame.resize(1024, 700);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    frame.Tabs().setCurrentIndex(CTabControls::kFocusPage);
    PPFocus& page = frame.Tabs().FocusPage();
    page.SetZoom(3);
    page.PlaceWindow(3575, 746);
    QTest::mouseClick(page.StartButton(), Qt::LeftButton);
    // While it runs: the lens has passed best focus and the samples are drawn.
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.History().Count() >= 26; }, 20000));
    frame.ControlPanes().ensureWidgetVisible(&page, 0, 0);
    QTest::qWait(50);

    ExpectWholeControls(page);
    SaveShot(frame.grab(), ShotPath(ShotName("focus-window")));
    SaveShot(page.grab(), ShotPath(ShotName("focus-page")));

    page.OpenLargeWindow();
    LargeFocusDialog* large = page.LargeWindow();
    ASSERT_NE(large, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(large));
    large->ShowReading(page.Focus().LastReading(), page.History());
    QTest::qWait(50);
    SaveShot(large->grab(), ShotPath(ShotName("focus-large")));
    large->close();
    QTest::mouseClick(page.StartButton(), Qt::LeftButton);
}

}  // namespace
}  // namespace scanora::ui
