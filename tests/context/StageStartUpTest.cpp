#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "camera/CameraConnection.h"
#include "camera/QVPanoControl.h"
#include "camsim/SimCamera.h"
#include "context/AppContext.h"
#include "settings/StageValues.h"
#include "support/RecordingUiPort.h"

namespace scanora {
namespace {

class StageStartUpTest : public ::testing::Test {
protected:
    void Open(const std::string& keys)
    {
        std::string error;
        context_ = AppContext::Create("sim:speed=0," + keys, ui_, error);
        ASSERT_TRUE(context_) << error;
        ASSERT_TRUE(context_->Camera().IsConnected());
    }
    // The commands the camera received from the start-up on.
    std::vector<std::string> StartUpCommands()
    {
        const std::size_t before = context_->Simulator()->ReceivedCommands().size();
        EXPECT_TRUE(context_->StartStage());
        const auto received = context_->Simulator()->ReceivedCommands();
        return {received.begin() + static_cast<long>(before), received.end()};
    }

    test::RecordingUiPort ui_;
    std::unique_ptr<AppContext> context_;
};

TEST_F(StageStartUpTest, UploadsTheStagesMotorParametersWithoutMovingIt)
{
    Open("model=6");
    EXPECT_EQ(StartUpCommands(), (std::vector<std::string>{"CMX01", "Ma0A3A", "MbC800", "Mc0800",
                                                           "Md0600", "Me0080", "Mf583B"}));
    EXPECT_EQ(context_->Pano().StagePosition(), 0) << "still at home";
    EXPECT_TRUE(ui_.MessageTexts().empty());
}

TEST_F(StageStartUpTest, APanoramaPresetsTheStageAtTheStartOfItsExtent)
{
    Open("model=6");
    context_->Pano().SetPanoMode(StageValues::kPanoOn);
    const std::vector<std::string> sent = StartUpCommands();
    // Centre 26624 plus half of truncate(174532.92519943297 / 2618 x 90) = 5999 steps.
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(sent.end() - 2, sent.end()),
              (std::vector<std::string>{"MD73B7", "CMP"}));
    EXPECT_EQ(context_->Pano().StagePosition(), 26624 + 2999);

    // A wide panorama on a short custom stage would start past the end of the travel: it
    // starts at the end. Centre 4096 + (30000 - 4096) / 2 = 17048, half of 450 degrees 14999.
    StageValues custom = context_->Pano().CurrentStageValues();
    custom.stageType = StageValues::kCustomStage;
    custom.scanExtent = 450.0;
    custom.motorParams[8] = 4096;
    custom.motorParams[9] = 30000;
    context_->Pano().ApplyStageValues(custom);
    const std::vector<std::string> capped = StartUpCommands();
    EXPECT_EQ(std::vector<std::string>(capped.end() - 2, capped.end()),
              (std::vector<std::string>{"MD7530", "CMP"}));
}

TEST_F(StageStartUpTest, ThePanoramicCameraTurnsWithItsOwnParameters)
{
    Open("model=2");
    const std::vector<std::string> sent = StartUpCommands();
    EXPECT_NE(std::find(sent.begin(), sent.end(), "Ma1EAF"), sent.end()) << "a = 7855";
    EXPECT_EQ(context_->Pano().CoarseOvershoot(), 136);
    EXPECT_EQ(context_->Pano().FineOvershoot(), 2);
}

TEST(StageStartUpWithoutCamera, SendsNothing)
{
    test::RecordingUiPort ui;
    AppContext context(CameraConnection(), ui);
    EXPECT_TRUE(context.StartStage());
    EXPECT_TRUE(ui.MessageTexts().empty());
}

}  // namespace
}  // namespace scanora
