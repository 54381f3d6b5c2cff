// What the main window keeps in the user profile from one start to the next: its own place, the
// preview's display mode and crop mask; and the point marker among the tools.

#include <gtest/gtest.h>

#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTest>

#include "UiTestSupport.h"
#include "ViewTestFixture.h"
#include "ui/QorvaneView.h"

namespace scanora::ui {
namespace {

using test::StartedApp;

constexpr const char* kFramePosition = "Settings/WindowPos 0";
// How far a window frame the platform adds may shift a centred window.
constexpr int kFrame = 8;

// A started program that restores and saves its window's place, as the real one does.
class PlacedApp : public StartedApp {
public:
    PlacedApp() { Options().savedPosition = true; }
};

TEST(MainFrameProfileTest, WindowPlaceIsSavedAndRestoredOrCentredWithoutOne)
{
    QSettings().remove(kFramePosition);
    QRect centred;
    {
        PlacedApp first;
        ASSERT_EQ(first.Start(), QVCameraApp::StartResult::Started);
        QVMainFrame& frame = first.Frame();
        const QRect desktop = frame.screen()->availableGeometry();
        EXPECT_LE((frame.frameGeometry().center() - desktop.center()).manhattanLength(), kFrame)
            << "a window without a saved place opens in the middle of the screen";
        frame.setGeometry(40, 30, 700, 640);
        frame.close();
    }
    EXPECT_EQ(QSettings().value(kFramePosition).toString(), "0,0,0,0,0,0,40,30,740,670");
    {
        // Back where it was, and not a frame's width further at each start.
        PlacedApp second;
        ASSERT_EQ(second.Start(), QVCameraApp::StartResult::Started);
        second.Frame().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&second.Frame()));
        EXPECT_EQ(second.Frame().geometry(), QRect(40, 30, 700, 640));
        second.Frame().close();
    }
    EXPECT_EQ(QSettings().value(kFramePosition).toString(), "0,0,0,0,0,0,40,30,740,670");
    // An entry that does not hold ten numbers is as good as none.
    QSettings().setValue(kFramePosition, "40,30,740,670");
    {
        PlacedApp third;
        ASSERT_EQ(third.Start(), QVCameraApp::StartResult::Started);
        QVMainFrame& frame = third.Frame();
        EXPECT_LE((frame.frameGeometry().center() - frame.screen()->availableGeometry().center())
                      .manhattanLength(),
                  kFrame);
    }
    QSettings().remove(kFramePosition);
}

TEST(MainFrameProfileTest, PointMarkerIsOneOfTheTools)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    ASSERT_TRUE(frame.Execute(QVMainFrame::kToolMarker));
    EXPECT_EQ(frame.View().Tool(), ToolKind::Marker);
    EXPECT_TRUE(frame.Action(QVMainFrame::kToolMarker)->isChecked());
    EXPECT_FALSE(frame.Action(QVMainFrame::kToolSamplePoints)->isChecked());
    ASSERT_TRUE(frame.Execute(QVMainFrame::kToolCrop));
    EXPECT_FALSE(frame.Action(QVMainFrame::kToolMarker)->isChecked());
}

// The view's own profile values, read when a view is made and written as they change.
class ViewProfileTest : public scanora::test::ViewTestFixture {};

TEST_F(ViewProfileTest, MaskCropAndDisplayModeComeBackInTheNextView)
{
    OpenWindow(300);
    EXPECT_FALSE(view_->MaskCrop());
    EXPECT_EQ(view_->ColorMode(), 0);
    view_->SetMaskCrop(true);
    view_->SetColorMode(5);
    EXPECT_EQ(QSettings().value("Settings/Mask Crop").toInt(), 1);
    EXPECT_EQ(QSettings().value("Settings/Scan Colors").toInt(), 5);

    TearDown();
    OpenWindow(300);
    EXPECT_TRUE(view_->MaskCrop());
    EXPECT_EQ(view_->ColorMode(), 5);
    view_->SetMaskCrop(false);

    // A number the view has no mode for shows colour.
    QSettings().setValue("Settings/Scan Colors", 9);
    TearDown();
    OpenWindow(300);
    EXPECT_FALSE(view_->MaskCrop());
    EXPECT_EQ(view_->ColorMode(), 0);
}

}  // namespace
}  // namespace scanora::ui
