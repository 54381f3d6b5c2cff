#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "SimulatedCamera.h"
#include "camera/CameraDiagnostics.h"
#include "camera/QVCamera.h"
#include "camsim/SimCamera.h"
#include "support/RecordingUiPort.h"
#include "support/SentCommands.h"

namespace scanora {
namespace {

TEST(CameraDiagnosticsVersion, ReadsFourHexDigitsAfterThePrefix)
{
    EXPECT_EQ(CameraDiagnostics::VersionField("MV019E"), "4.14\n");
    EXPECT_EQ(CameraDiagnostics::VersionField("MV019e"), "4.14\n");
    EXPECT_EQ(CameraDiagnostics::VersionField("MV0100 trailing"), "2.56\n");
    // Any other character counts 0, in its place.
    EXPECT_EQ(CameraDiagnostics::VersionDigits("MV1G9E"), 0x109Eu);
    EXPECT_EQ(CameraDiagnostics::VersionDigits("MV 19E"), 0x019Eu);
    // A short reply is not read beyond its end.
    EXPECT_EQ(CameraDiagnostics::VersionDigits("MV01"), 0x0100u);
    EXPECT_EQ(CameraDiagnostics::VersionField("M"), "0.00\n");
    EXPECT_EQ(CameraDiagnostics::VersionField(""), "");
    EXPECT_EQ(CameraDiagnostics::VersionField("MVFFFF"), "655.35\n");
}

using scanora::test::SentCommands;

class CameraDiagnosticsTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        test::ConnectSimulatedCamera(GetParam(), ui_, sim_, camera_);
        if (!HasFatalFailure())
            camera_->SetTrace(&trace_);
    }
    void TearDown() override
    {
        if (camera_)
            camera_->SetTrace(nullptr);
    }

    test::RecordingUiPort ui_;
    SentCommands trace_;
    std::unique_ptr<camsim::SimCamera> sim_;
    std::unique_ptr<QVCamera> camera_;
};

TEST_P(CameraDiagnosticsTest, ShowsTheFirmwareVersionWithoutAMessage)
{
    // The version reply does not carry the acknowledgement the query names; it is used anyway
    // and nobody is told of a bad reply.
    EXPECT_EQ(CameraDiagnostics(*camera_).ReadVersion(), "4.14\n");
    EXPECT_EQ(trace_.Sent(), std::vector<std::string>{"MV\r"});
    EXPECT_TRUE(ui_.Messages().empty());
}

TEST_P(CameraDiagnosticsTest, TypedCommandGoesOutWithACarriageReturn)
{
    CameraDiagnostics diagnostics(*camera_);
    const CameraReply reply = diagnostics.SendTyped("CS");
    EXPECT_TRUE(reply.accepted);
    EXPECT_TRUE(reply.text.starts_with("#S")) << reply.text;
    EXPECT_EQ(trace_.Sent(), std::vector<std::string>{"CS\r"});

    // Nothing typed, nothing sent.
    EXPECT_FALSE(diagnostics.SendTyped("").accepted);
    EXPECT_EQ(trace_.Sent().size(), 1u);

    // A command the camera refuses: its message, and no reply to show.
    const CameraReply refused = diagnostics.SendTyped("QQ");
    EXPECT_FALSE(refused.accepted);
    EXPECT_EQ(refused.text, "");
    EXPECT_EQ(ui_.Messages().size(), 1u);
}

TEST_P(CameraDiagnosticsTest, TestPositionsMoveTheCarriageNotTheStage)
{
    ASSERT_TRUE(camera_->SetAuxMode(true));
    CameraDiagnostics diagnostics(*camera_);
    for (const std::uint16_t position : CameraDiagnostics::kTestPositions) {
        ASSERT_TRUE(diagnostics.MoveCarriage(position));
        ASSERT_EQ(camera_->QueryStatus(), 0);
        EXPECT_EQ(camera_->GetStatusWord(2), position);
    }
    ASSERT_TRUE(diagnostics.HomeCarriage());
    ASSERT_EQ(camera_->QueryStatus(), 0);
    EXPECT_EQ(camera_->GetStatusWord(2), 0u);
    const std::vector<std::string> sent = trace_.Sent();
    ASSERT_GE(sent.size(), 4u);
    EXPECT_EQ(sent[1], "CMX00\r");  // after the stage's CMX01
    EXPECT_EQ(sent[2], "MD1D80\r");
    EXPECT_EQ(sent[3], "CMV\r");
}

INSTANTIATE_TEST_SUITE_P(Links, CameraDiagnosticsTest, ::testing::Values("usb", "scsi"));

}  // namespace
}  // namespace scanora
