#include <gtest/gtest.h>

#include <QAction>
#include <QActionGroup>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <filesystem>
#include <map>
#include <vector>

#include "UiTestSupport.h"
#include "camsim/SimCamera.h"
#include "settings/InsertRotation.h"
#include "settings/QVSize.h"
#include "support/TempDir.h"
#include "ui/CRulerView.h"
#include "ui/CTabControls.h"
#include "ui/MainControl.h"
#include "ui/MainMenus.h"
#include "ui/PPSize.h"
#include "ui/QVHistogram.h"
#include "ui/QVImagePalette.h"
#include "ui/QorvaneView.h"
#include "ui/WheelZoom.h"

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
    EXPECT_GE(frame.Panel().width(), frame.PaneWidth());
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
    frame.UpdateCommands();
    EXPECT_TRUE(frame.Action(QVMainFrame::kDiagnostics)->isEnabled());
    QTest::keyRelease(&target, Qt::Key_J);
    EXPECT_FALSE(frame.DiagnosticsGateOpen());
    frame.UpdateCommands();
    EXPECT_FALSE(frame.Action(QVMainFrame::kDiagnostics)->isEnabled());
    QTest::keyRelease(&target, Qt::Key_Q);
}

TEST(QVMainFrameTest, VersionTextNamesBetaBuilds)
{
    EXPECT_EQ(QVMainFrame::VersionText(3, 2, 1, 0, "Jan  5 2026"), "Version: 3.2.1 - Jan  5 2026");
    EXPECT_EQ(QVMainFrame::VersionText(3, 2, 1, 7, "Jan  5 2026"),
              "Version: 3.2.1b7 (BETA RELEASE - Jan  5 2026)");
}

TEST(QVMainFrameTest, RulersAndNormalizeHistogramCommandsAct)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    const bool shown = frame.View().GuidesShown();
    for (const bool expected : {!shown, shown}) {
        ASSERT_TRUE(frame.Action(QVMainFrame::kRulers)->isEnabled());
        ASSERT_TRUE(frame.Execute(QVMainFrame::kRulers));
        EXPECT_EQ(frame.View().GuidesShown(), expected);
        EXPECT_EQ(frame.View().Ruler(Qt::Horizontal)->isVisible(), expected);
        EXPECT_EQ(frame.View().Ruler(Qt::Vertical)->isVisible(), expected);
        frame.UpdateCommands();
        EXPECT_EQ(frame.Action(QVMainFrame::kRulers)->isChecked(), expected);
    }

    // Clicks on the plot zoom the histogram in; Normalize Histogram brings it back.
    QVHistogram& histogram = frame.Histogram();
    const QPoint plot(histogram.PlotLeft() + 100, QVHistogram::kPlotBottom - 10);
    QTest::mouseClick(&histogram, Qt::LeftButton, {}, plot);
    QTest::mouseClick(&histogram, Qt::LeftButton, {}, plot);
    EXPECT_DOUBLE_EQ(histogram.Zoom(), 2.0);
    ASSERT_TRUE(frame.Execute(QVMainFrame::kNormalizeHistogram));
    EXPECT_DOUBLE_EQ(histogram.Zoom(), 1.0);
}

// The first prescan's preview is shown whole; later ones keep the zoom the user chose.
TEST(QVMainFrameTest, TheFirstPreviewFitsTheWindow)
{
    StartedApp started("sim:speed=0", std::chrono::milliseconds(4000));
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    frame.resize(800, 620);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    QorvaneView& view = frame.View();
    EXPECT_EQ(view.Zoom(), 100.0);
    test::PrescanFromPanel(frame);
    // The scroll bars go once the layout has settled.
    const auto fits = [&] {
        return view.viewport()->rect().contains(
            QRect(view.Palette().mapTo(view.viewport(), QPoint(0, 0)), view.Palette().size()));
    };
    EXPECT_TRUE(QTest::qWaitFor(fits, 1000));
    EXPECT_NE(view.Zoom(), 100.0);

    ASSERT_TRUE(frame.Execute(QVMainFrame::kZoomActual));
    test::PrescanFromPanel(frame);
    EXPECT_EQ(view.Zoom(), 100.0);
    EXPECT_TRUE(started.messages.empty()) << started.messages.front().toStdString();
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
        [&] { return frame.Panel().Text(MainControl::kDiskFree).endsWith(" MB free"); }, 2000));
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
    QTest::qWait(50);

    LatencyProbe probe;
    test::PrescanFromPanel(frame);
    test::ScanFromPanel(frame);
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

TEST(QVMainFrameTest, CommandsThatNeedAPrescanWaitForOne)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    const int needPreview[] = {QVMainFrame::kSavePrescan, QVMainFrame::kZoomIn,
                               QVMainFrame::kZoomOut, QVMainFrame::kZoomToFit,
                               QVMainFrame::kZoomActual};
    frame.UpdateCommands();
    for (const int id : needPreview) EXPECT_FALSE(frame.Action(id)->isEnabled()) << id;
    // Nothing to save: no dialog, no all-black file.
    EXPECT_FALSE(frame.Execute(QVMainFrame::kSavePrescan));
    EXPECT_TRUE(started.messages.empty());

    test::PrescanFromPanel(frame);
    frame.UpdateCommands();
    for (const int id : needPreview) EXPECT_TRUE(frame.Action(id)->isEnabled()) << id;
    // At the largest zoom there is no further step in.
    frame.View().SetZoom(1600.0, frame.View().viewport()->rect().center());
    frame.UpdateCommands();
    EXPECT_FALSE(frame.Action(QVMainFrame::kZoomIn)->isEnabled());
    EXPECT_TRUE(frame.Action(QVMainFrame::kZoomOut)->isEnabled());
}

TEST(QVMainFrameTest, ShowLogFolderOpensTheFolderTheProgramLogsInto)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    const scanora::test::TempDir state;
    const QByteArray previous = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", QByteArray::fromStdString(state.Path().string()));
    QString opened;
    frame.Menus().SetFolderOpener([&](const QString& folder) { opened = folder; });
    QAction* action = frame.Action(QVMainFrame::kShowLogFolder);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), "Show Log Folder");
    action->trigger();
    qputenv("XDG_STATE_HOME", previous);
    const std::filesystem::path folder = state.Path() / "Scanora";
    EXPECT_EQ(opened.toStdString(), folder.string());
    EXPECT_TRUE(std::filesystem::is_directory(folder)) << "made when missing";
}

TEST(QVMainFrameTest, MenusShowTheirKeysAndEitherOrChoicesAsRadioItems)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    const std::pair<int, QKeySequence> keys[] = {
        {QVMainFrame::kZoomIn, QKeySequence(QKeySequence::ZoomIn)},
        {QVMainFrame::kZoomOut, QKeySequence(QKeySequence::ZoomOut)},
        {QVMainFrame::kZoomToFit, QKeySequence(Qt::CTRL | Qt::Key_0)},
        {QVMainFrame::kZoomActual, QKeySequence(Qt::CTRL | Qt::Key_1)},
        {QVMainFrame::kPrescan, QKeySequence(Qt::CTRL | Qt::Key_P)},
        {QVMainFrame::kScan, QKeySequence(Qt::CTRL | Qt::Key_R)},
        {QVMainFrame::kAbort, QKeySequence(Qt::Key_Escape)},
        {QVMainFrame::kPreferences, QKeySequence(Qt::CTRL | Qt::Key_Comma)},
        {QVMainFrame::kFileManager, QKeySequence(Qt::CTRL | Qt::Key_M)},
    };
    std::map<QString, QString> owner;
    for (QAction* action : frame.menuBar()->findChildren<QAction*>())
        for (const QKeySequence& key : action->shortcuts())
            EXPECT_TRUE(owner.emplace(key.toString(), action->text()).second)
                << key.toString().toStdString() << " twice";
    for (const auto& [id, key] : keys) {
        QAction* action = frame.Action(id);
        EXPECT_EQ(action->shortcut(), key) << action->text().toStdString();
        // It is in a menu, where the key is shown beside it.
        bool inMenu = false;
        for (const QMenu* menu : frame.menuBar()->findChildren<QMenu*>())
            inMenu = inMenu || menu->actions().contains(action);
        EXPECT_TRUE(inMenu) << action->text().toStdString();
    }

    // Capture mode, insert and display mode are one-of choices: radio items in one group.
    for (const auto& ids :
         {std::vector<int>{QVMainFrame::kCaptureColor, QVMainFrame::kCaptureRed,
                           QVMainFrame::kCaptureGreen, QVMainFrame::kCaptureBlue},
          std::vector<int>{QVMainFrame::kInsertLeft, QVMainFrame::kInsertTop,
                           QVMainFrame::kInsertRight, QVMainFrame::kInsertBottom},
          std::vector<int>{QVMainFrame::kDisplayColor, QVMainFrame::kDisplayRed,
                           QVMainFrame::kDisplayGreen, QVMainFrame::kDisplayBlue,
                           QVMainFrame::kDisplayMonochrome, QVMainFrame::kDisplayLuminance}}) {
        const QActionGroup* group = frame.Action(ids.front())->actionGroup();
        ASSERT_NE(group, nullptr);
        EXPECT_TRUE(group->isExclusive());
        int checked = 0;
        for (const int id : ids) {
            EXPECT_EQ(frame.Action(id)->actionGroup(), group) << id;
            checked += frame.Action(id)->isChecked() ? 1 : 0;
        }
        EXPECT_EQ(checked, 1);
    }

    // The keys work: Ctrl+P prescans.
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return frame.Action(QVMainFrame::kPrescan)->isEnabled(); }, 2000));
    QTest::keyClick(&frame, Qt::Key_P, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const CaptureSequence& capture = frame.Document().Capture();
            return capture.LastPrescanSucceeded() && capture.IsIdle();
        },
        5000));
}

TEST(QVMainFrameTest, CtrlAndTheWheelZoomAboutThePointer)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    frame.resize(1280, 860);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    test::PrescanFromPanel(frame);
    QorvaneView& view = frame.View();
    view.ZoomActual();
    QApplication::processEvents();
    const QWidget& image = view.Palette();
    auto share = [&](QPoint pointer) {
        const QPoint at = image.mapFrom(view.viewport(), pointer);
        return QPointF(double(at.x()) / image.width(), double(at.y()) / image.height());
    };
    auto wheel = [&](QPoint pointer, int delta, Qt::KeyboardModifiers keys) {
        QWheelEvent event(QPointF(pointer), QPointF(view.viewport()->mapToGlobal(pointer)),
                          QPoint(), QPoint(0, delta), Qt::NoButton, keys, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.viewport(), &event);
        QApplication::processEvents();
    };
    // A point on the image, away from the middle of the view.
    const QPoint pointer =
        image.mapTo(view.viewport(), QPoint(image.width() * 7 / 10, image.height() * 6 / 10));
    const QPointF before = share(pointer);

    wheel(pointer, WheelZoom::kNotch, Qt::ControlModifier);
    EXPECT_EQ(view.Zoom(), 200.0);
    const QPointF after = share(pointer);
    EXPECT_NEAR(after.x(), before.x(), 2.0 / image.width());
    EXPECT_NEAR(after.y(), before.y(), 2.0 / image.height());

    // Small steps (a touchpad) add up to one notch; without Ctrl the wheel only scrolls.
    wheel(pointer, -WheelZoom::kNotch / 2, Qt::ControlModifier);
    EXPECT_EQ(view.Zoom(), 200.0);
    wheel(pointer, -WheelZoom::kNotch / 2, Qt::ControlModifier);
    EXPECT_EQ(view.Zoom(), 100.0);
    wheel(pointer, -WheelZoom::kNotch, Qt::NoModifier);
    EXPECT_EQ(view.Zoom(), 100.0);
}

}  // namespace
}  // namespace scanora::ui
