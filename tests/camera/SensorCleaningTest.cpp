#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "SimulatedCamera.h"
#include "camera/QVCamera.h"
#include "camera/SensorCleaning.h"
#include "camsim/SimCamera.h"
#include "support/RecordingUiPort.h"

namespace scanora {
namespace {

// The cleaning moves against the simulated camera, over either link: where the carriage ends up
// (the status's motor position) and what the camera was told on the way.
class SensorCleaningTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override { test::ConnectSimulatedCamera(GetParam(), ui_, sim_, camera_); }

    std::uint32_t CarriagePosition()
    {
        EXPECT_EQ(camera_->QueryStatus(), 0);
        return camera_->GetStatusWord(2);
    }
    // The commands received since the last call.
    std::vector<std::string> NewCommands()
    {
        const std::vector<std::string> all = sim_->ReceivedCommands();
        std::vector<std::string> fresh;
        for (std::size_t i = seen_; i < all.size(); ++i)
            if (all[i] != "CS")  // the status queries of CarriagePosition
                fresh.push_back(all[i]);
        seen_ = all.size();
        return fresh;
    }

    test::RecordingUiPort ui_;
    std::unique_ptr<camsim::SimCamera> sim_;
    std::unique_ptr<QVCamera> camera_;
    std::size_t seen_ = 0;
};

using Commands = std::vector<std::string>;

TEST_P(SensorCleaningTest, KeptCarriageStaysAtTheCleaningPosition)
{
    SensorCleaning cleaning(*camera_);
    NewCommands();
    ASSERT_TRUE(cleaning.Clean());
    EXPECT_EQ(NewCommands(), (Commands{"MD1380", "CMV"}));
    EXPECT_EQ(CarriagePosition(), 4992u);

    cleaning.Keep();
    EXPECT_TRUE(cleaning.Settled());
    // Closing afterwards (the window going away) moves nothing.
    EXPECT_TRUE(cleaning.Return());
    EXPECT_EQ(NewCommands(), Commands{});
    EXPECT_EQ(CarriagePosition(), 4992u);
    EXPECT_TRUE(ui_.Messages().empty());
}

TEST_P(SensorCleaningTest, ReturnGoesToTheCentreThenHomeOnce)
{
    SensorCleaning cleaning(*camera_);
    ASSERT_TRUE(cleaning.Clean());
    NewCommands();
    ASSERT_TRUE(cleaning.Return());
    EXPECT_EQ(NewCommands(), (Commands{"MD1000", "CMV", "CMH"}));
    EXPECT_EQ(CarriagePosition(), 0u);
    // Cancel and then the window closing: the carriage is returned once.
    EXPECT_TRUE(cleaning.Return());
    EXPECT_EQ(NewCommands(), Commands{});

    // A new Clean makes it returnable again.
    ASSERT_TRUE(cleaning.Clean());
    ASSERT_TRUE(cleaning.Return());
    EXPECT_EQ(NewCommands(), (Commands{"MD1380", "CMV", "MD1000", "CMV", "CMH"}));
}

TEST_P(SensorCleaningTest, CarriageIsSelectedWhenTheStageWasLast)
{
    ASSERT_TRUE(camera_->SetAuxMode(true));
    SensorCleaning cleaning(*camera_);
    NewCommands();
    ASSERT_TRUE(cleaning.Clean());
    EXPECT_EQ(NewCommands(), (Commands{"CMX00", "MD1380", "CMV"}));
    EXPECT_EQ(CarriagePosition(), 4992u);
}

INSTANTIATE_TEST_SUITE_P(Links, SensorCleaningTest, ::testing::Values("usb", "scsi"));

TEST(SensorCleaningFailure, ARefusedMoveIsReportedAndTheCarriageStaysReturnable)
{
    test::RecordingUiPort ui;
    camsim::SimConfig config;
    std::string error;
    ASSERT_TRUE(camsim::ParseSimConfig("speed=0,fault=error:CMV:3", config, error)) << error;
    camsim::SimCamera sim(std::move(config));
    CameraLinks links;
    links.usb = MakeSimulatorUsbFinder(sim);
    links.usbCommandDelay = std::chrono::microseconds(0);
    QVCamera camera(std::move(links), ui, CameraOptions{std::chrono::milliseconds(1)});
    ASSERT_TRUE(camera.IsConnected());

    SensorCleaning cleaning(camera);
    EXPECT_FALSE(cleaning.Clean());
    EXPECT_FALSE(cleaning.Settled());
    ASSERT_EQ(ui.MessageTexts().size(), 1u);
    EXPECT_TRUE(ui.MessageTexts()[0].starts_with("Camera Reported Error: "))
        << ui.MessageTexts()[0];
}

}  // namespace
}  // namespace scanora
