#include <gtest/gtest.h>

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <algorithm>

#include "UiTestSupport.h"
#include "camsim/SimCamera.h"
#include "settings/InsertRotation.h"
#include "settings/QVSize.h"
#include "ui/CTabControls.h"
#include "ui/MainControl.h"
#include "ui/PPSize.h"
#include "ui/QorvaneView.h"

namespace scanora::ui {
namespace {

using test::StartedApp;

// Measures the longest pause of the GUI thread's event loop while it runs.
class LatencyProbe {
public:
    LatencyProbe()
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.elapsed();
            longest_ = std::max(longest_, now - last_);
            last_ = now;
        });
        clock_.start();
        timer_.start();
    }
    [[nodiscard]] qint64 LongestMs() const { return longest_; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
};

TEST(QVMainFrameTest, WindowCommandsReachStatusPaneTimesAndView)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    QtUiPort& ui = started.App().Ui();

    ui.PostCommand(WindowCommand::ShowStatus, "Prescanning...");
    ui.PostCommand(WindowCommand::SetElapsedTime, "3725");
    ui.PostCommand(WindowCommand::SetRemainingTime, "59");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return frame.StatusPane(1).text() == QString("Prescanning..."); }, 2000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return frame.Panel().Text(MainControl::kPrescanTime) == QString("62:05"); }, 2000));
    EXPECT_EQ(frame.Panel().Text(MainControl::kScanTime), QString("00:59"));
}

TEST(QVMainFrameTest, MinimumSizeAndStatusPaneFollowTheBars)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    EXPECT_EQ(frame.minimumSize(), QSize(480, 620));
    ASSERT_TRUE(frame.Execute(QVMainFrame::kStatusBar));
    EXPECT_EQ(frame.minimumHeight(), 600);
    EXPECT_FALSE(frame.Action(QVMainFrame::kStatusBar)->isChecked());
    ASSERT_TRUE(frame.Execute(QVMainFrame::kControlBar));
    EXPECT_EQ(frame.minimumHeight(), 552);
    frame.Execute(QVMainFrame::kStatusBar);
    frame.Execute(QVMainFrame::kControlBar);
    EXPECT_EQ(frame.minimumHeight(), 620);

    frame.resize(900, 700);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame.StatusPane(0).width() == 600; }, 2000));
}

TEST(QVMainFrameTest, ControlsMoveToTheChosenSide)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    frame.resize(1000, 800);
    auto where = [&] {
        QApplication::processEvents();
        const QPoint view = frame.View().mapTo(&frame, QPoint(0, 0));
        const QPoint panel = frame.Panel().mapTo(&frame, QPoint(0, 0));
        return std::pair{view, panel};
    };
    auto [view, panel] = where();
    EXPECT_GT(panel.x(), view.x()) << "right";
    EXPECT_EQ(frame.Panel().width(), frame.PaneWidth());
    EXPECT_GE(frame.PaneWidth(), QVMainFrame::kPanelWidth);

    frame.Execute(QVMainFrame::kControlsLeft);
    std::tie(view, panel) = where();
    EXPECT_LT(panel.x(), view.x()) << "left";
    EXPECT_EQ(started.Context().CameraSetting().Prefs().controlPosition, "Left");

    frame.Execute(QVMainFrame::kControlsTop);
    std::tie(view, panel) = where();
    EXPECT_LT(panel.y(), view.y()) << "top";

    frame.Execute(QVMainFrame::kControlsBottom);
    std::tie(view, panel) = where();
    EXPECT_GT(panel.y(), view.y()) << "bottom";
    EXPECT_TRUE(frame.Action(QVMainFrame::kControlsBottom)->isChecked());
    EXPECT_FALSE(frame.Action(QVMainFrame::kControlsRight)->isChecked());
}

TEST(QVMainFrameTest, CommandsActOnTheToolsAndShowTheirState)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    frame.Execute(QVMainFrame::kInsertTop);
    EXPECT_EQ(started.Context().Size().GetInsertRotation(), InsertRotation::kFromTop);
    EXPECT_TRUE(frame.Action(QVMainFrame::kInsertTop)->isChecked());
    EXPECT_FALSE(frame.Action(QVMainFrame::kInsertLeft)->isChecked());

    frame.Execute(QVMainFrame::kColorBalancePage);
    EXPECT_EQ(frame.Tabs().currentIndex(), CTabControls::kColorPage);
    EXPECT_TRUE(frame.Action(QVMainFrame::kColorBalancePage)->isChecked());

    frame.Execute(QVMainFrame::kCaptureGreen);
    EXPECT_EQ(started.Context().CameraSetting().Prefs().cameraColorMode, 2);
    EXPECT_EQ(frame.Panel().ColorModeBox()->currentIndex(), 2);
    EXPECT_EQ(frame.View().ColorMode(), 2);

    frame.Execute(QVMainFrame::kToolCrop);
    EXPECT_EQ(frame.View().Tool(), ToolKind::Crop);
    EXPECT_TRUE(frame.Action(QVMainFrame::kToolCrop)->isChecked());
    EXPECT_FALSE(frame.Action(QVMainFrame::kToolSamplePoints)->isChecked());

    const bool mask = frame.View().MaskCrop();
    frame.Execute(QVMainFrame::kToolbarCropMask);
    EXPECT_NE(frame.View().MaskCrop(), mask);
    EXPECT_EQ(frame.Action(QVMainFrame::kCropMask)->isChecked(), !mask);

    EXPECT_TRUE(frame.Action(QVMainFrame::kSecondToolbarButton)->isChecked());
    EXPECT_FALSE(frame.Action(QVMainFrame::kDiagnostics)->isEnabled());
}

TEST(QVMainFrameTest, DiagnosticsGateOpensOnlyWhileJAndQAreHeld)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    QWidget& target = frame.View();

    QTest::keyPress(&target, Qt::Key_J);
    EXPECT_FALSE(frame.DiagnosticsGateOpen());
    QTest::keyPress(&target, Qt::Key_Q);
    EXPECT_TRUE(frame.DiagnosticsGateOpen());
    // Until the diagnostics window exists its command stays off even with the gate open.
    frame.UpdateCommands();
    EXPECT_FALSE(frame.Action(QVMainFrame::kDiagnostics)->isEnabled());
    QTest::keyRelease(&target, Qt::Key_J);
    EXPECT_FALSE(frame.DiagnosticsGateOpen());
    QTest::keyRelease(&target, Qt::Key_Q);
}

TEST(QVMainFrameTest, VersionTextNamesBetaBuilds)
{
    EXPECT_EQ(QVMainFrame::VersionText(3, 2, 1, 0, "Jan  5 2026"), "Version: 3.2.1 - Jan  5 2026");
    EXPECT_EQ(QVMainFrame::VersionText(3, 2, 1, 7, "Jan  5 2026"),
              "Version: 3.2.1b7 (BETA RELEASE - Jan  5 2026)");
}

// A size typed on the size page moves the crop, and its frame on the preview goes with it.
TEST(QVMainFrameTest, TypedSizeMovesTheCropFrame)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    frame.Execute(QVMainFrame::kImageSizePage);
    const CropPercent before = frame.View().Crop();
    QLineEdit* width = frame.Tabs().SizePage().WidthEdit();
    const double typed = width->text().toDouble() / 2;
    ASSERT_GT(typed, 0.0);
    width->setFocus();
    width->selectAll();
    QTest::keyClicks(width, QString::number(typed, 'f', 2));
    QTest::keyClick(width, Qt::Key_Return);

    const QVSize& size = started.Context().Size();
    const CropPercent expected = CropEditor::PreviewToDisplay(
        {size.GetXOffset(), size.GetYOffset(), size.GetCropWidth(), size.GetCropHeight()},
        frame.View().Image().Rotation());
    EXPECT_NE(frame.View().Crop(), before);
    EXPECT_EQ(frame.View().Crop(), expected);
    EXPECT_LT(frame.View().Crop().width * frame.View().Crop().height, before.width * before.height);
}

TEST(QVMainFrameTest, CommandsThatDisturbACaptureAreRefusedWhileItRuns)
{
    StartedApp started("sim:speed=0.02", std::chrono::milliseconds(4000));
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    // The start's camera poll has had its turn.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return frame.Panel().Text(MainControl::kDiskFree) != "0 MB free"; }, 2000));
    const auto insert = started.Context().Size().GetInsertRotation();

    frame.Execute(QVMainFrame::kPrescan);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return frame.Document().Capture().State() != CaptureState::Idle; }, 2000))
        << (started.messages.empty() ? std::string() : started.messages.front().toStdString());
    frame.Execute(QVMainFrame::kInsertBottom);
    frame.Execute(QVMainFrame::kToolHand);
    frame.Execute(QVMainFrame::kScan);
    ASSERT_EQ(started.messages.size(), 3u);
    for (const QString& message : started.messages) EXPECT_EQ(message, "Prescan/Scan in Progress");
    EXPECT_EQ(started.Context().Size().GetInsertRotation(), insert);
    EXPECT_NE(frame.View().Tool(), ToolKind::Hand);
    // Commands that leave the capture alone still work.
    frame.Execute(QVMainFrame::kColorBalancePage);
    EXPECT_EQ(frame.Tabs().currentIndex(), CTabControls::kColorPage);
    EXPECT_EQ(started.messages.size(), 3u);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !frame.Panel().Button(MainControl::kPrescan)->isEnabled(); }, 1000));

    frame.View().AbortKey();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame.Document().Capture().IsIdle(); }, 3000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return frame.Panel().Button(MainControl::kPrescan)->isEnabled(); }, 2000));
}

TEST(QVMainFrameTest, GuiStaysResponsiveDuringPrescanAndScan)
{
    StartedApp started("sim:speed=0", std::chrono::milliseconds(4000));
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    CaptureSequence& capture = frame.Document().Capture();
    QTest::qWait(50);

    LatencyProbe probe;
    QTest::mouseClick(frame.Panel().Button(MainControl::kPrescan), Qt::LeftButton);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return capture.LastPrescanSucceeded() && capture.IsIdle(); }, 5000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return frame.Panel().Button(MainControl::kScan)->isEnabled(); }, 2000));
    QTest::mouseClick(frame.Panel().Button(MainControl::kScan), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return capture.LastScanStarted(); }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return capture.IsIdle(); }, 5000));
    EXPECT_LT(probe.LongestMs(), 100);
    EXPECT_TRUE(started.messages.empty()) << started.messages.front().toStdString();
}

// A scan whose camera stops counting, or whose link dies, ends with one message box and gives
// the capture buttons back.
TEST(QVMainFrameTest, AScanThatCannotEndShowsOneMessageAndTheControlsComeBack)
{
    std::size_t startIndex = 0;
    for (const bool dropLink : {false, true}) {
        const std::string camera = "sim:speed=0,fault=stall:5" +
                                   (dropLink ? "+drop:" + std::to_string(startIndex + 6) : "");
        StartedApp started(camera, std::chrono::milliseconds(4000));
        started.Options().timing.stallLimit = std::chrono::milliseconds(300);
        started.Options().timing.noAnswerLimit = std::chrono::milliseconds(300);
        ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
        QVMainFrame& frame = started.Frame();
        CaptureSequence& capture = frame.Document().Capture();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return frame.Panel().Button(MainControl::kScan)->isEnabled(); }, 2000));
        QTest::mouseClick(frame.Panel().Button(MainControl::kScan), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return capture.LastScanStarted(); }, 5000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return capture.IsIdle(); }, 10000));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return frame.Panel().Button(MainControl::kScan)->isEnabled(); }, 2000));
        EXPECT_FALSE(capture.ScansSucceeded());
        ASSERT_EQ(started.messages.size(), 1u) << dropLink;
        EXPECT_TRUE(started.messages.front().startsWith("Camera Reported Error: "));
        if (!dropLink) {
            EXPECT_EQ(started.messages.front(), "Camera Reported Error: Camera timed out");
            const auto received = started.Context().Simulator()->ReceivedCommands();
            startIndex = static_cast<std::size_t>(
                std::find(received.begin(), received.end(), "CLT") - received.begin());
            ASSERT_LT(startIndex, received.size());
        }
    }
}

TEST(QVMainFrameTest, LostCameraReadsNoCameraAndTheProgramGoesOn)
{
    StartedApp started("sim:speed=0,fault=drop:12", std::chrono::milliseconds(50));
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return frame.Panel().Text(MainControl::kModelName) == "No Camera"; }, 4000));
    EXPECT_EQ(frame.Panel().Label(MainControl::kCameraIcon)->property("iconKind").toInt(), 0);
    // Still answering commands.
    frame.Execute(QVMainFrame::kFocusPage);
    EXPECT_EQ(frame.Tabs().currentIndex(), CTabControls::kFocusPage);
    QTest::qWait(300);
    EXPECT_EQ(frame.Panel().Text(MainControl::kModelName), "No Camera");
}

}  // namespace
}  // namespace scanora::ui
