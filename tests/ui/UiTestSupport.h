#pragma once

#include <QApplication>
#include <QString>
#include <QTest>
#include <QUuid>

#include <memory>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QComboBox>
#include "settings/QVCameraSetting.h"
#include "support/TempDir.h"
#include "ui/MainControl.h"
#include "ui/PreviewDocument.h"
#include "ui/QVCameraApp.h"
#include "ui/QVMainFrame.h"
#include "ui/QorvaneView.h"
#include "ui/QtUiPort.h"

namespace scanora::ui::test {

// A started program against the simulated camera, with its own preferences file, instance
// name and fast poll; every message it shows is recorded and answered with `answer`.
class StartedApp {
public:
    explicit StartedApp(std::string camera = "sim:speed=0",
                        std::chrono::milliseconds poll = std::chrono::milliseconds(50))
    {
        options_.cameraSpec = std::move(camera);
        options_.prefs.path = dir_.Path() / "Scanora Prefs";
        options_.instanceName =
            "scanora-test-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
        options_.pollInterval = poll;
        options_.savedPosition = false;
        options_.busService = false;
        options_.timing.finishPause = std::chrono::milliseconds(0);
        options_.timing.paintWait = std::chrono::milliseconds(50);
        options_.messagePresenter = [this](const QString& text, MessageIcon, MessageButtons) {
            messages.push_back(text);
            return answer;
        };
    }

    QVCameraApp::StartResult Start()
    {
        app_ = std::make_unique<QVCameraApp>();
        const auto result = app_->Start(options_);
        // Keys another test left pressed must not read as held here (Alt turns Prescan into
        // loading a file).
        if (result == QVCameraApp::StartResult::Started)
            for (const Qt::Key key : {Qt::Key_Alt, Qt::Key_Shift, Qt::Key_Control})
                QTest::keyRelease(app_->MainFrame(), key);
        return result;
    }

    StartOptions& Options() { return options_; }
    QVCameraApp& App() { return *app_; }
    QVMainFrame& Frame() { return *app_->MainFrame(); }
    AppContext& Context() { return app_->App(); }
    // A folder of the test's own, removed with it.
    [[nodiscard]] std::filesystem::path Folder() const { return dir_.Path(); }

    std::vector<QString> messages;
    MessageResult answer = MessageResult::Ok;

private:
    scanora::test::TempDir dir_;
    StartOptions options_;
    std::unique_ptr<QVCameraApp> app_;
};

// Prescans with the panel's button, as a user does, and waits until the buttons are back.
inline void PrescanFromPanel(QVMainFrame& frame)
{
    const CaptureSequence& capture = frame.Document().Capture();
    QTest::mouseClick(frame.Panel().Button(MainControl::kPrescan), Qt::LeftButton);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return capture.LastPrescanSucceeded() && capture.IsIdle(); }, 5000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return frame.Panel().Button(MainControl::kPrescan)->isEnabled(); }, 2000));
}

// Scans with the panel's button once it is enabled, and waits until the scan has ended.
inline void ScanFromPanel(QVMainFrame& frame)
{
    const CaptureSequence& capture = frame.Document().Capture();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return frame.Panel().Button(MainControl::kScan)->isEnabled(); }, 2000));
    QTest::mouseClick(frame.Panel().Button(MainControl::kScan), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return capture.LastScanStarted(); }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return capture.IsIdle(); }, 5000));
}

}  // namespace scanora::ui::test
