#include <gtest/gtest.h>

#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "camera/QVCamera.h"
#include "camsim/SimCamera.h"
#include "camsim/SimConfig.h"
#include "platform/SimulatorLink.h"
#include "support/RecordingUiPort.h"
#include "ui/CameraPoll.h"
#include "ui/MainControl.h"

namespace scanora::ui {
namespace {

using test::StartedApp;

// The poll's rounds run one by one on the test's thread against the in-process simulator.
class CameraPollTest : public ::testing::Test {
protected:
    void Connect(const std::string& simOptions)
    {
        camsim::SimConfig config;
        std::string error;
        ASSERT_TRUE(camsim::ParseSimConfig(simOptions, config, error)) << error;
        sim_ = std::make_unique<camsim::SimCamera>(std::move(config));
        CameraLinks links;
        links.usb = MakeSimulatorUsbFinder(*sim_);
        links.usbCommandDelay = std::chrono::microseconds(0);
        camera_ = std::make_unique<QVCamera>(std::move(links), ui_,
                                             CameraOptions{std::chrono::milliseconds(1)});
        poll_ = std::make_unique<CameraPoll>(
            *camera_, [] { return false; },
            [this](const CameraPollResult& result) { results_.push_back(result); });
    }

    scanora::test::RecordingUiPort ui_;
    std::unique_ptr<camsim::SimCamera> sim_;
    std::unique_ptr<QVCamera> camera_;
    std::unique_ptr<CameraPoll> poll_;
    std::vector<CameraPollResult> results_;
};

TEST_F(CameraPollTest, ReadsNameVoltageAndDiskSpace)
{
    Connect("speed=0,model=2,link=usb");
    poll_->Iterate();
    ASSERT_EQ(results_.size(), 1u);
    const CameraPollResult& result = results_.front();
    EXPECT_EQ(result.modelName, "Orbiscan");
    EXPECT_EQ(result.icon, CameraPollResult::Icon::Orbiscan);
    ASSERT_TRUE(result.statusRead);
    EXPECT_EQ(result.diskFreeMB, camera_->GetDiskFreeMB());
    EXPECT_GT(result.voltageHundredths, 1000);
    EXPECT_LT(result.voltageHundredths, 1500);
    EXPECT_TRUE(poll_->HasRun());
    EXPECT_TRUE(ui_.MessageTexts().empty());
}

TEST_F(CameraPollTest, LostLinkGivesOneMessageAndQuietReconnectionAttempts)
{
    // The identification takes three commands; the link dies at the fourth.
    Connect("speed=0,model=6,link=usb,fault=drop:3");
    ASSERT_EQ(camera_->GetModelName(), "Model Cedar");
    for (int round = 0; round < 6; ++round) poll_->Iterate();

    ASSERT_EQ(results_.size(), 6u);
    for (const CameraPollResult& result : results_) {
        EXPECT_EQ(result.modelName, "No Camera");
        EXPECT_EQ(result.icon, CameraPollResult::Icon::NoCamera);
        EXPECT_FALSE(result.statusRead);
    }
    EXPECT_EQ(ui_.MessageTexts(), std::vector<std::string>{"Camera Reported Error: 3"})
        << "the lost link is reported once, the reconnection attempts not at all";
    EXPECT_FALSE(poll_->StatusPolling());
    EXPECT_FALSE(camera_->IsConnected());
}

TEST_F(CameraPollTest, ACameraFoundAgainIsToldWhatItForgot)
{
    Connect("speed=0,model=6,link=usb");
    int reconnections = 0;
    poll_->SetReconnected([&] { ++reconnections; });
    poll_->Iterate();
    EXPECT_EQ(reconnections, 0) << "a camera that was never lost";
    camera_->Transport().SetConnected(false);
    poll_->Iterate();
    EXPECT_EQ(reconnections, 1);
    ASSERT_TRUE(camera_->IsConnected());
    poll_->Iterate();
    EXPECT_EQ(reconnections, 1);
}

TEST(CameraPollAppTest, LostCameraShowsNoCameraWithoutAMessageAtEveryPoll)
{
    StartedApp started("sim:speed=0,fault=drop:12", std::chrono::milliseconds(50));
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return frame.Panel().Text(MainControl::kModelName) == "No Camera"; }, 4000));
    // Ten more polls with the camera gone.
    QTest::qWait(500);
    EXPECT_EQ(frame.Panel().Text(MainControl::kModelName), "No Camera");
    EXPECT_LE(started.messages.size(), 1u);
    for (const QString& message : started.messages) EXPECT_EQ(message, "Camera Reported Error: 3");
}

}  // namespace
}  // namespace scanora::ui
