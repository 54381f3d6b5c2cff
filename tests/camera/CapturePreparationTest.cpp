#include "camera/CapturePreparation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "camera/QVCamera.h"
#include "imaging/QVToneCurve.h"
#include "support/RecordingUiPort.h"
#include "support/ScriptedTransport.h"

namespace scanora {
namespace {

using test::ScriptedTransport;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

const std::vector<std::string> kSensorSequence = {"CFR00", "CLD",   "CFR02", "CLL0C", "CFR03",
                                                  "CLL00", "CFR04", "CLL0C", "CFR05", "CLL01",
                                                  "CFR06", "CLL0C", "CFR07", "CLL02"};
const std::vector<std::string> kUsbExtra = {"CFR08", "CLL0C", "CFR09", "CLL03"};

// A model-6 camera over a scripted transport; the command list starts empty after identifying.
class CapturePreparationTest : public ::testing::Test {
protected:
    QVCamera& Make(TransportKind kind)
    {
        auto transport = std::make_unique<ScriptedTransport>(kind, true);
        transport->Answer("MM", "MM6");
        transport->Answer("MV", "MV019E");
        transport_ = transport.get();
        camera_ = std::make_unique<QVCamera>(std::move(transport), ui_,
                                             CameraOptions{std::chrono::milliseconds(1)});
        prep_ = std::make_unique<CapturePreparation>(
            *camera_, [this](std::chrono::milliseconds d) { slept_.push_back(d); });
        sentBefore_ = transport_->Sent().size();
        return *camera_;
    }
    std::vector<std::string> Sent() const
    {
        const auto all = transport_->Sent();
        return {all.begin() + static_cast<std::ptrdiff_t>(sentBefore_), all.end()};
    }
    // The command names of what was sent: blocks shortened to "H0n".
    std::vector<std::string> SentNames() const
    {
        std::vector<std::string> names;
        for (const std::string& text : Sent())
            names.push_back(text.rfind("H0", 0) == 0 ? text.substr(0, 3) : text);
        return names;
    }
    CaptureRequest Request()
    {
        CaptureRequest request;
        request.toneCurve = &curve_;
        request.blocks.modelCode = 6;
        request.blocks.width = 667;
        request.blocks.lines = 888;
        request.blocks.sizeStep = 11;
        request.blocks.requestedLineTime = 100;
        request.blocks.minLineTime = 40;
        request.blocks.handles = curve_.Handles();
        request.effectiveLineTime = 100;
        return request;
    }

    test::RecordingUiPort ui_;
    ScriptedTransport* transport_ = nullptr;
    std::unique_ptr<QVCamera> camera_;
    std::unique_ptr<CapturePreparation> prep_;
    std::vector<std::chrono::milliseconds> slept_;
    std::size_t sentBefore_ = 0;
    QVToneCurve curve_;
};

TEST_F(CapturePreparationTest, SensorTablesOnUsbAndScsi)
{
    Make(TransportKind::Scsi);
    EXPECT_TRUE(prep_->LoadSensorTables());
    EXPECT_THAT(Sent(), ElementsAreArray(kSensorSequence));

    Make(TransportKind::Usb);
    EXPECT_TRUE(prep_->LoadSensorTables());
    std::vector<std::string> usb = kSensorSequence;
    usb.insert(usb.end(), kUsbExtra.begin(), kUsbExtra.end());
    EXPECT_THAT(Sent(), ElementsAreArray(usb));

    // Single results are not checked, only the camera's error after the last command.
    Make(TransportKind::Usb);
    transport_->Answer("CLL03", "#E22");
    EXPECT_FALSE(prep_->LoadSensorTables());
}

// A camera that refuses every table command (busy with a scan it still runs) fails the series
// with one message, not one a command; every command is still sent.
TEST_F(CapturePreparationTest, ACameraRefusingTheSensorTablesIsShownOnce)
{
    Make(TransportKind::Usb);
    for (const auto* commands : {&kSensorSequence, &kUsbExtra})
        for (const std::string& command : *commands) transport_->Answer(command, "#E11");
    const std::size_t before = ui_.Messages().size();
    EXPECT_FALSE(prep_->LoadSensorTables());
    EXPECT_EQ(ui_.Messages().size(), before + 1);
    EXPECT_EQ(Sent().size(), kSensorSequence.size() + kUsbExtra.size());
}

TEST_F(CapturePreparationTest, CaptureTablesByModeAndTransport)
{
    Make(TransportKind::Usb);
    EXPECT_TRUE(prep_->LoadCaptureTables(TableMode::Curve8Bit, &curve_));
    EXPECT_TRUE(Sent().empty());

    Make(TransportKind::Scsi);
    EXPECT_TRUE(prep_->LoadCaptureTables(TableMode::Curve8Bit, &curve_));
    EXPECT_THAT(Sent(), ElementsAre("CLL04", "CLL05", "CLL06"));

    Make(TransportKind::Scsi);
    EXPECT_TRUE(prep_->LoadCaptureTables(TableMode::Linear, nullptr));
    EXPECT_THAT(Sent(), ElementsAre("CLL08", "CLL09", "CLL0A", "CLL0B"));

    // The curve planes need a tone curve; without one the first write fails.
    Make(TransportKind::Scsi);
    EXPECT_FALSE(prep_->LoadCaptureTables(TableMode::Curve16Bit, nullptr));
    EXPECT_TRUE(Sent().empty());
}

TEST_F(CapturePreparationTest, PrepareCaptureSequenceAndSetupTimeout)
{
    Make(TransportKind::Usb);
    EXPECT_TRUE(prep_->PrepareCapture(Request()));
    std::vector<std::string> expected = kSensorSequence;
    expected.insert(expected.end(), kUsbExtra.begin(), kUsbExtra.end());
    for (const char* tail : {"H00", "H01", "H02", "H03", "CLB", "CLP", "CLT"})
        expected.emplace_back(tail);
    EXPECT_THAT(SentNames(), ElementsAreArray(expected));
    EXPECT_THAT(slept_, ElementsAre(std::chrono::milliseconds(5)));
    EXPECT_EQ(CapturePreparation::SetupTimeoutTicks(100), 860);
    // USB always uploads linear blocks.
    EXPECT_EQ(prep_->UploadedTableMode(), TableMode::Linear);
}

TEST_F(CapturePreparationTest, ShortLineTimeSendsElectronicExposureOnScsi)
{
    Make(TransportKind::Scsi);
    CaptureRequest request = Request();
    request.blocks.requestedLineTime = 20;
    request.blocks.minLineTime = 45;
    request.blocks.use16BitCurve = true;
    request.tableMode = TableMode::Curve16Bit;
    EXPECT_TRUE(prep_->PrepareCapture(request));
    const auto names = SentNames();
    const auto clb = std::find(names.begin(), names.end(), "CLB");
    ASSERT_NE(clb, names.end());
    EXPECT_THAT(std::vector<std::string>(clb, names.end()),
                ElementsAre("CLB", "EE0014", "CLP", "CLT"));
    EXPECT_EQ(prep_->UploadedTableMode(), TableMode::Curve16Bit);
    EXPECT_THAT(slept_, ElementsAre(std::chrono::milliseconds(500)));
    // The H00 sent is the builder's, with its inner layout intact.
    const auto sent = Sent();
    const auto h00 = std::find_if(sent.begin(), sent.end(),
                                  [](const std::string& s) { return s.rfind("H00", 0) == 0; });
    ASSERT_NE(h00, sent.end());
    EXPECT_EQ(h00->size(), 133u);
}

TEST_F(CapturePreparationTest, FailuresStopThePreparation)
{
    Make(TransportKind::Usb);
    transport_->Answer("CLB", "#E22");
    EXPECT_FALSE(prep_->PrepareCapture(Request()));
    EXPECT_EQ(SentNames().back(), "CLB");

    // An unanswered block fails the upload although no camera error was recorded.
    Make(TransportKind::Usb);
    CaptureRequest request = Request();
    request.blocks.tableMode = TableMode::Linear;
    const std::string h01 = ParameterBlocks::BuildH01(request.blocks);
    transport_->NeverAnswer(h01.substr(0, h01.size() - 1));
    EXPECT_FALSE(prep_->PrepareCapture(request));
    EXPECT_EQ(SentNames().back(), "H01");
    EXPECT_EQ(camera_->GetLastCameraError(), 0);
    EXPECT_TRUE(slept_.empty());
}

TEST_F(CapturePreparationTest, AbortMakesPreparationANoOpUntilTheNextCapture)
{
    Make(TransportKind::Usb);
    prep_->BeginCapture(CaptureKind::Scan);
    EXPECT_TRUE(prep_->IsScanRunning());
    prep_->AbortCapture();
    EXPECT_TRUE(prep_->IsAborted());
    EXPECT_FALSE(prep_->IsScanRunning());
    EXPECT_THAT(Sent(), ElementsAre("CLA"));
    EXPECT_TRUE(prep_->PrepareCapture(Request()));
    EXPECT_THAT(Sent(), ElementsAre("CLA"));
    prep_->BeginCapture(CaptureKind::Prescan);
    EXPECT_FALSE(prep_->IsAborted());
}

TEST_F(CapturePreparationTest, CarriageMoves)
{
    Make(TransportKind::Usb);
    transport_->Answer("MD1234", "MD");
    transport_->Answer("MD1000", "MD");
    prep_->MoveCarriage(0x1234);
    prep_->CentreCarriage();
    prep_->HomeCarriage();
    EXPECT_THAT(Sent(), ElementsAre("MD1234", "CMV", "MD1000", "CMV", "CMH"));
}

}  // namespace
}  // namespace scanora
