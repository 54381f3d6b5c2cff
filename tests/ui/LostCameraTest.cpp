// A camera that goes away while the program runs, and comes back: the camera is a simulator in
// a process of its own on a socket, so stopping it is the cable pulled and starting it again
// on the same socket the camera switched back on.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QTest>

#include <filesystem>
#include <memory>

#include "UiTestSupport.h"
#include "settings/QVSize.h"
#include "support/ProcessRunner.h"
#include "ui/CameraPoll.h"
#include "ui/FuelGauge.h"
#include "ui/MainControl.h"

namespace scanora::ui {
namespace {

using test::StartedApp;
using namespace std::chrono_literals;

class CameraProcess {
public:
    explicit CameraProcess(std::filesystem::path socket) : socket_(std::move(socket)) {}

    bool SwitchOn()
    {
        std::filesystem::remove(socket_);
        process_ = std::make_unique<scanora::test::BackgroundProcess>(std::vector<std::string>{
            SCANORA_CAMSIM_PATH, "--listen", socket_.string(), "--speed", "0"});
        return process_->WaitForOutput("listening");
    }
    void SwitchOff() { process_.reset(); }
    [[nodiscard]] std::string Spec() const { return "socket:" + socket_.string(); }

private:
    std::filesystem::path socket_;
    std::unique_ptr<scanora::test::BackgroundProcess> process_;
};

// What the window offers for capturing, as the user sees it in the panel and the menu.
struct CaptureOffer {
    bool prescanButton;
    bool scanButton;
    bool prescanCommand;
    bool scanCommand;
};

CaptureOffer Offered(QVMainFrame& frame)
{
    frame.UpdateCommands();
    MainControl& panel = frame.Panel();
    return {panel.Button(MainControl::kPrescan)->isEnabled(),
            panel.Button(MainControl::kScan)->isEnabled(),
            frame.Action(QVMainFrame::kPrescan)->isEnabled(),
            frame.Action(QVMainFrame::kScan)->isEnabled()};
}

bool ShowsNoCamera(QVMainFrame& frame)
{
    MainControl& panel = frame.Panel();
    return panel.Text(MainControl::kModelName) == CameraPoll::kNoCamera.data() &&
           !panel.Gauge()->HasReading() && panel.Text(MainControl::kVoltage).isEmpty() &&
           panel.Text(MainControl::kDiskFree).isEmpty();
}

bool ShowsTheCamera(QVMainFrame& frame)
{
    MainControl& panel = frame.Panel();
    return panel.Text(MainControl::kModelName) != CameraPoll::kNoCamera.data() &&
           panel.Gauge()->HasReading() && panel.Text(MainControl::kVoltage).endsWith(" V") &&
           panel.Text(MainControl::kDiskFree).endsWith(" MB free");
}

TEST(LostCameraTest, ACameraLostWhileWorkingIsOneMessageAndPrescanAndScanWaitForItsReturn)
{
    StartedApp started("", 4000ms);  // the poll at its usual pace: the loss is found by work
    CameraProcess camera(started.Folder() / "camera.sock");
    ASSERT_TRUE(camera.SwitchOn());
    started.Options().cameraSpec = camera.Spec();
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ShowsTheCamera(frame); }, 6000));
    CaptureSequence& capture = frame.Document().Capture();
    QTest::mouseClick(frame.Panel().Button(MainControl::kPrescan), Qt::LeftButton);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return capture.LastPrescanSucceeded() && capture.IsIdle(); }, 5000));
    ASSERT_TRUE(started.messages.empty()) << started.messages.front().toStdString();

    // The cable is pulled; the user goes on working before the poll notices. The failed
    // prescan has the camera looked at at once, well before the poll's next round.
    camera.SwitchOff();
    QTest::mouseClick(frame.Panel().Button(MainControl::kPrescan), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return capture.IsIdle(); }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ShowsNoCamera(frame); }, 2500));
    frame.Execute(QVMainFrame::kScan);
    ASSERT_TRUE(QTest::qWaitFor([&] { return capture.IsIdle(); }, 5000));
    frame.Execute(QVMainFrame::kPrescan);
    QTest::qWait(200);
    ASSERT_EQ(started.messages.size(), 1u);
    EXPECT_TRUE(started.messages.front().startsWith("Camera Reported Error: "));
    const CaptureOffer lost = Offered(frame);
    EXPECT_FALSE(lost.prescanButton);
    EXPECT_FALSE(lost.scanButton);
    EXPECT_FALSE(lost.prescanCommand);
    EXPECT_FALSE(lost.scanCommand);
    EXPECT_FALSE(frame.Execute(QVMainFrame::kPrescan));

    // Switched on again, the camera is found by the poll without anyone asking.
    ASSERT_TRUE(camera.SwitchOn());
    ASSERT_TRUE(QTest::qWaitFor([&] { return ShowsTheCamera(frame); }, 9000));
    const CaptureOffer back = Offered(frame);
    const bool scanAllowed = started.Context().Size().ScanAllowed();
    EXPECT_TRUE(back.prescanButton);
    EXPECT_TRUE(back.prescanCommand);
    EXPECT_EQ(back.scanButton, scanAllowed);
    EXPECT_EQ(back.scanCommand, scanAllowed);
    EXPECT_EQ(started.messages.size(), 1u);

    // And it works again.
    QTest::mouseClick(frame.Panel().Button(MainControl::kPrescan), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return capture.IsIdle(); }, 5000));
    EXPECT_TRUE(capture.LastPrescanSucceeded());
    EXPECT_EQ(started.messages.size(), 1u);
}

TEST(LostCameraTest, StartedWithoutACameraThePanelShowsNoneUntilOneIsSwitchedOn)
{
    StartedApp started("", 50ms);
    CameraProcess camera(started.Folder() / "camera.sock");
    started.Options().cameraSpec = camera.Spec();
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ShowsNoCamera(frame); }, 3000));
    QTest::qWait(200);  // a few polls
    EXPECT_TRUE(ShowsNoCamera(frame));
    EXPECT_NE(frame.Panel().Text(MainControl::kVoltage), "11.38 V");
    const CaptureOffer none = Offered(frame);
    EXPECT_FALSE(none.prescanButton || none.scanButton || none.prescanCommand || none.scanCommand);

    ASSERT_TRUE(camera.SwitchOn());
    ASSERT_TRUE(QTest::qWaitFor([&] { return ShowsTheCamera(frame); }, 6000));
    EXPECT_TRUE(Offered(frame).prescanButton);
    EXPECT_TRUE(Offered(frame).prescanCommand);
    for (const QString& message : started.messages)
        EXPECT_FALSE(message.startsWith("Camera Reported Error")) << message.toStdString();
}

}  // namespace
}  // namespace scanora::ui
