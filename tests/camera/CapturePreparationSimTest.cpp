#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "SimulatedCamera.h"
#include "camera/CapturePreparation.h"
#include "camera/QVCamera.h"
#include "camsim/SimCamera.h"
#include "imaging/QVToneCurve.h"
#include "support/RecordingUiPort.h"

namespace scanora {
namespace {

// The host's preparation against the in-process simulated camera, over either link.
class CapturePreparationSimTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        test::ConnectSimulatedCamera(GetParam(), ui_, sim_, camera_);
        if (HasFatalFailure())
            return;
        prep_ = std::make_unique<CapturePreparation>(*camera_, [](std::chrono::milliseconds) {});
    }
    CaptureRequest Request(CaptureKind kind)
    {
        CaptureRequest request;
        request.toneCurve = &curve_;
        CaptureBlockInputs& b = request.blocks;
        b.kind = kind;
        b.captureTime1904 = ParameterBlocks::SecondsSince1904(1'800'000'000);
        b.modelCode = camera_->GetModelCode();
        b.pixelPitch = camera_->GetPixelPitch();
        b.width = 600;
        b.lines = 800;
        b.sizeStep = camera_->GetMaxSizeStepLess1();
        b.requestedLineTime = 100;
        b.minLineTime = 40;
        b.totalTenths = {3.0, 0.0, 6.0};
        b.handles = curve_.Handles();
        b.orientation = 2;
        b.name = "Chart";
        request.userText = "notes";
        request.effectiveLineTime = 100;
        return request;
    }

    test::RecordingUiPort ui_;
    std::unique_ptr<camsim::SimCamera> sim_;
    std::unique_ptr<QVCamera> camera_;
    std::unique_ptr<CapturePreparation> prep_;
    QVToneCurve curve_;
};

TEST_P(CapturePreparationSimTest, PrescanIsAcceptedAndEnds)
{
    ASSERT_TRUE(prep_->PrepareCapture(Request(CaptureKind::Prescan)));
    const auto recipe = sim_->LastCaptureRecipe();
    ASSERT_TRUE(recipe.has_value());
    EXPECT_EQ(recipe->geometry.pixelsPerLine, 600u);
    EXPECT_EQ(recipe->geometry.lines, 800u);
    EXPECT_EQ(recipe->geometry.sizeStep, 11);
    EXPECT_EQ(recipe->format, 0x6C);
    EXPECT_EQ(recipe->exposure.integration, 100);
    EXPECT_EQ(recipe->exposure.gainCodes[0], 336);
    EXPECT_EQ(recipe->exposure.gainCodes[2], 413);
    // With no status queries the prescan's closing reply follows at once.
    EXPECT_TRUE(camera_->AwaitReply(600, {}));
    EXPECT_TRUE(ui_.Messages().empty());
}

TEST_P(CapturePreparationSimTest, FullLengthTextsAndShortCurvesAreAccepted)
{
    CaptureRequest request = Request(CaptureKind::Prescan);
    const std::string notes(300, 'n');  // the combined text is cut at 255
    request.userText = notes;
    const std::vector<CurveHandle> three = {{0, 0}, {128, 140}, {255, 255}};
    request.blocks.handles = three;
    const std::string name(70, 'x');  // cut at 64
    request.blocks.name = name;
    EXPECT_TRUE(prep_->PrepareCapture(request));
    EXPECT_TRUE(camera_->AwaitReply(600, {}));
    EXPECT_TRUE(ui_.Messages().empty());
}

TEST_P(CapturePreparationSimTest, ScanWithCurveLoadsTheCameraTables)
{
    CaptureRequest request = Request(CaptureKind::Scan);
    request.blocks.sizeStep = 6;
    request.blocks.use16BitCurve = true;
    request.tableMode = ScanTableMode(false, true);
    request.blocks.requestedLineTime = 30;
    request.blocks.minLineTime = 60;  // the electronic exposure takes the requested time
    ASSERT_TRUE(prep_->PrepareCapture(request));
    const auto recipe = sim_->LastCaptureRecipe();
    ASSERT_TRUE(recipe.has_value());
    const bool scsi = camera_->GetTransportKind() == TransportKind::Scsi;
    EXPECT_EQ(recipe->geometry.sizeStep, 6);
    if (scsi) {
        QVToneCurve expected = curve_;
        expected.SetRawBits(14);
        expected.SetSixteenBit(true);
        expected.BuildRawTable();
        const auto& wide = recipe->tables.WideTable();
        ASSERT_EQ(wide.size(), 16384u);
        for (std::size_t i = 0; i < wide.size(); ++i)
            ASSERT_EQ(wide[i], expected.RawEntry(static_cast<std::uint16_t>(i))) << i;
    } else {
        // USB leaves the curve to the host: the camera's table stays linear.
        EXPECT_EQ(recipe->tables.WideTable()[1000], 4000);
    }
    prep_->AbortCapture();
    EXPECT_TRUE(prep_->IsAborted());
}

TEST_P(CapturePreparationSimTest, CorruptedBlockIsRefusedWithTheCameraMessage)
{
    CaptureBlockInputs inputs = Request(CaptureKind::Prescan).blocks;
    std::string h00 = ParameterBlocks::BuildH00(inputs);
    h00[40] = h00[40] == '1' ? '2' : '1';  // the checksum no longer holds
    EXPECT_FALSE(camera_->Command(h00));
    EXPECT_EQ(camera_->GetLastCameraError(), 1);
    ASSERT_EQ(ui_.Messages().size(), 1u);
    EXPECT_EQ(ui_.Messages()[0].text, "Camera Reported Error: Conversion Error");

    // A block laid out wrongly but checksummed is a value error.
    inputs.modelCode = 3;
    EXPECT_FALSE(camera_->Command(ParameterBlocks::BuildH00(inputs)));
    EXPECT_EQ(camera_->GetLastCameraError(), 2);
}

INSTANTIATE_TEST_SUITE_P(Links, CapturePreparationSimTest, ::testing::Values("usb", "scsi"));

}  // namespace
}  // namespace scanora
