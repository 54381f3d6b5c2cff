#include "camera/QVFocus.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "camera/FocusSampleDecoder.h"
#include "camera/QVCamera.h"
#include "camera/QVPanoControl.h"
#include "settings/CurveSource.h"
#include "support/RecordingUiPort.h"
#include "support/ScriptedTransport.h"

namespace scanora {
namespace {

using ::testing::ElementsAre;

class FixedCurve final : public CurveSource {
public:
    [[nodiscard]] CurveState CurrentCurve() const override { return {}; }
};

// What the focus aid showed, in order.
class RecordingFocusDisplays final : public FocusDisplays {
public:
    void ShowFocusReading(const FocusReading& reading) override { readings.push_back(reading); }
    void ClearFocusDisplay() override { ++clears; }
    void ShowWindowWidth(const FocusWindowWidth& width) override { widths.push_back(width); }

    std::vector<FocusReading> readings;
    std::vector<FocusWindowWidth> widths;
    int clears = 0;
};

// A window of 100 pixels whose channel `channel` steps between 0 and `high` every ten pixels
// (nine edges) while the other channels stay flat at 50.
std::string SteppedWindow(int channel, int high)
{
    std::string samples(FocusReading::kSampleBytes, static_cast<char>(50));
    for (int pixel = 0; pixel < FocusReading::kPixels; ++pixel)
        samples[static_cast<std::size_t>(pixel * 3 + channel)] =
            static_cast<char>((pixel / 10) % 2 == 1 ? high : 0);
    return samples;
}

// A status reply with the carriage at `position`.
std::string StatusAt(int position)
{
    char text[40];
    std::snprintf(text, sizeof text, "#S0000 0000 %.4X 0333 0100", position);
    return text;
}

// The focus aid over a scripted camera of model 4 (6000 pixels, size steps 8 and -4, 8000
// lines at a pitch of 1200).
class QVFocusTest : public ::testing::Test {
protected:
    QVFocus& Make(TransportKind kind = TransportKind::Scsi, int model = 4)
    {
        // A second camera replaces the first: what holds the old one goes first.
        focus_.reset();
        pano_.reset();
        camera_.reset();
        auto transport = std::make_unique<test::ScriptedTransport>(kind);
        transport->Answer("MM", "MM" + std::to_string(model));
        transport->Answer("MV", "MV019E");
        transport->Answer("CS", StatusAt(4096));
        transport_ = transport.get();
        camera_ = std::make_unique<QVCamera>(std::move(transport), ui_,
                                             CameraOptions{std::chrono::milliseconds(0)});
        pano_ = std::make_unique<QVPanoControl>(*camera_, ui_);
        focus_ = std::make_unique<QVFocus>(*camera_, *pano_, curve_, displays_);
        return *focus_;
    }
    // The commands sent from now on.
    void Mark() { mark_ = transport_->Sent().size(); }
    [[nodiscard]] std::vector<std::string> SentSinceMark() const
    {
        const std::vector<std::string> sent = transport_->Sent();
        return {sent.begin() + static_cast<std::ptrdiff_t>(mark_), sent.end()};
    }

    test::RecordingUiPort ui_;
    FixedCurve curve_;
    RecordingFocusDisplays displays_;
    test::ScriptedTransport* transport_ = nullptr;
    std::unique_ptr<QVCamera> camera_;
    std::unique_ptr<QVPanoControl> pano_;
    std::unique_ptr<QVFocus> focus_;
    std::size_t mark_ = 0;
};

TEST_F(QVFocusTest, ZoomLevelsGiveTheWindowWidths)
{
    QVFocus& focus = Make(TransportKind::Scsi, 4);
    focus.SetZoom(0);
    EXPECT_EQ(focus.Width().pixels, 800);
    EXPECT_DOUBLE_EQ(focus.Width().millimetres, 800 * 1200 / 100000.0);
    focus.SetZoom(3);
    EXPECT_EQ(focus.Width().pixels, 100);
    focus.SetZoom(9);  // beyond the finest: stays there
    EXPECT_EQ(focus.Zoom(), 3);

    // The models with twelve size steps have their own camera steps.
    EXPECT_EQ(QVFocus::CameraStep(6, 0), 11);
    EXPECT_EQ(QVFocus::CameraStep(7, 3), 4);
    EXPECT_EQ(QVFocus::WindowWidth(12, 11), 1200);
    EXPECT_EQ(QVFocus::WindowWidth(12, 4), 150);
}

TEST_F(QVFocusTest, ZoomKeepsTheWindowCentreAndTheSensor)
{
    QVFocus& focus = Make(TransportKind::Scsi, 4);
    focus.SetZoom(3);
    focus.PlaceWindow(3000, 10);  // the column scale on this model is 8 / 12
    EXPECT_EQ(focus.WindowStart(), 2000 - 50);
    focus.SetZoom(0);
    EXPECT_EQ(focus.WindowStart(), 2000 - 400);
    EXPECT_EQ(displays_.widths.back().pixels, 800);

    // Near the end of the row the wider window is kept on the sensor.
    focus.SetZoom(3);
    focus.PlaceWindow(8999, 10);
    EXPECT_EQ(focus.WindowStart(), 5900);
    focus.SetZoom(0);
    EXPECT_EQ(focus.WindowStart(), 6000 - 800);
    focus.PlaceWindow(0, 10);
    EXPECT_EQ(focus.WindowStart(), 0);
}

TEST_F(QVFocusTest, ConfigureWindowSendsTheFourWindowCommands)
{
    QVFocus& focus = Make(TransportKind::Usb, 4);
    focus.SetZoom(0);
    focus.PlaceWindow(600, 10);  // sensor pixel 400: the window starts at 0
    transport_->Answer("EZ0007", "EZ0007");
    transport_->Answer("EK0000", "EK0000");
    transport_->Answer("EN0064", "EN0064");
    Mark();
    EXPECT_TRUE(focus.ConfigureWindow());
    EXPECT_THAT(SentSinceMark(), ElementsAre("EZ0007", "EK0000", "EN0064", "EY006C"));

    QVFocus& scsi = Make(TransportKind::Scsi, 4);
    Mark();
    scsi.ConfigureWindow();
    EXPECT_EQ(SentSinceMark().back(), "EY003C");
}

TEST_F(QVFocusTest, CarriageComesDownOntoItsTarget)
{
    QVFocus& focus = Make(TransportKind::Scsi, 4);
    // Travel 8000 x 1200 / 3175 = 3023 steps over 1000 preview lines; line 500 is at 6024.
    transport_->Answer("CS", StatusAt(5000));
    Mark();
    focus.MoveToFocusLine(500);
    EXPECT_THAT(SentSinceMark(),
                ElementsAre("CS", "MD1850", "CMV", "MD1788", "CMV"));  // 6224, 6024

    transport_->Answer("CS", StatusAt(7000));
    Mark();
    focus.MoveToFocusLine(500);
    EXPECT_THAT(SentSinceMark(), ElementsAre("CS", "MD1788", "CMV"));

    // Near the top the approach is capped at the upper limit.
    transport_->Answer("CS", StatusAt(4096));
    Mark();
    focus.MoveToFocusLine(0);
    EXPECT_THAT(SentSinceMark(), ElementsAre("CS", "MD1D70", "CMV", "MD1D70", "CMV"));
    // Each move ends with the main window told that the camera is free again.
    EXPECT_EQ(ui_.PostedCommands().back().command, WindowCommand::CaptureEnded);
}

TEST_F(QVFocusTest, WithARotatingStageTheCarriageCentresAndTheStageTurnsToTheLine)
{
    QVFocus& focus = Make(TransportKind::Scsi, 4);
    pano_->SetPanoMode(StageValues::kPanoOn);
    ASSERT_TRUE(pano_->IsRotatingCapture());
    Mark();
    focus.MoveToFocusLine(500);
    const std::vector<std::string> sent = SentSinceMark();
    // One carriage move to the middle of its travel (7536 - 3023 / 2 = 6025), no approach from
    // above; then the motor output goes to the stage, which starts a move (its speed first).
    const auto carriage = std::find(sent.begin(), sent.end(), "MD1789");
    ASSERT_NE(carriage, sent.end());
    ASSERT_NE(carriage + 1, sent.end());
    EXPECT_EQ(*(carriage + 1), "CMV");
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "CMV"), 1);
    const auto stage = std::find(carriage, sent.end(), "CMX01");
    ASSERT_NE(stage, sent.end()) << ::testing::PrintToString(sent);
    EXPECT_NE(std::find_if(stage, sent.end(),
                           [](const std::string& text) { return text.starts_with("MS"); }),
              sent.end());
    EXPECT_EQ(ui_.PostedCommands().back().command, WindowCommand::CaptureEnded);
}

TEST_F(QVFocusTest, StartLoadsTheEightBitCurveTablesWhereTheLinkNeedsThem)
{
    // SCSI: table mode 1, the curve's plane written and loaded into the three channels.
    QVFocus& scsi = Make(TransportKind::Scsi, 4);
    Mark();
    scsi.StartFocus();
    std::vector<std::string> sent = SentSinceMark();
    const auto window = std::find_if(
        sent.begin(), sent.end(), [](const std::string& text) { return text.starts_with("EY"); });
    ASSERT_NE(window, sent.end());
    const std::vector<std::string> loads(window + 1, sent.end());
    EXPECT_THAT(loads, ::testing::ElementsAre("CLL04", "CLL05", "CLL06"));

    // USB: the camera takes the samples raw and the host puts them through the curve.
    QVFocus& usb = Make(TransportKind::Usb, 4);
    Mark();
    usb.StartFocus();
    sent = SentSinceMark();
    EXPECT_EQ(std::count_if(sent.begin(), sent.end(),
                            [](const std::string& text) { return text.starts_with("CLL"); }),
              0);
}

TEST_F(QVFocusTest, CarriageTargetStaysWithinItsLimits)
{
    EXPECT_EQ(QVFocus::CarriageTarget(0, 1000, 3023), 7536);
    EXPECT_EQ(QVFocus::CarriageTarget(1000, 1000, 3023), 7536 - 3023);
    EXPECT_EQ(QVFocus::CarriageTarget(1000, 1000, 4000), 4480);
    EXPECT_EQ(QVFocus::CarriageTarget(-1, 1000, 3023), 7536);
    EXPECT_EQ(QVFocus::CarriageTarget(10, 0, 3023), 7536);
}

TEST_F(QVFocusTest, ScoresAreSmoothedPerChannel)
{
    QVFocus& focus = Make(TransportKind::Scsi, 4);
    focus.StartFocus();
    EXPECT_TRUE(focus.IsRunning());
    transport_->Answer("CLF", "#F" + SteppedWindow(1, 100));
    // Nine edges of 100: plain 8 + 900, squared 90000, ratio 90000 / 113 = 796. Each reading
    // counts a quarter: 796 / 4 = 199 with 597 carried, then (796 + 597) / 4 = 348.
    ASSERT_EQ(focus.MeasureFocus(), 0);
    EXPECT_THAT(displays_.readings.back().scores, ElementsAre(0, 199, 0));
    ASSERT_EQ(focus.MeasureFocus(), 0);
    EXPECT_THAT(displays_.readings.back().scores, ElementsAre(0, 348, 0));
    EXPECT_EQ(displays_.readings.back().samples[3 * 15 + 1], 100);

    // A disabled channel keeps its last score while the others go on.
    focus.SetChannelEnabled(QVFocus::kGreen, false);
    transport_->Answer("CLF", "#F" + SteppedWindow(0, 100));
    ASSERT_EQ(focus.MeasureFocus(), 0);
    EXPECT_THAT(displays_.readings.back().scores, ElementsAre(199, 348, 0));
    EXPECT_THAT(displays_.readings.back().enabled, ElementsAre(true, false, true));
}

TEST_F(QVFocusTest, SamplesMayHoldCarriageReturnsAndNuls)
{
    QVFocus& focus = Make(TransportKind::Scsi, 4);
    focus.StartFocus();
    transport_->Answer("CLF", "#F" + SteppedWindow(2, '\r'));
    ASSERT_EQ(focus.MeasureFocus(), 0);
    EXPECT_GT(displays_.readings.back().scores[2], 0);
}

TEST_F(QVFocusTest, FailedReadingsClearTheDisplay)
{
    QVFocus& focus = Make(TransportKind::Scsi, 4);
    focus.StartFocus();
    const int clears = displays_.clears;
    transport_->Answer("CLF", "#E02");
    EXPECT_EQ(focus.MeasureFocus(), -1);
    EXPECT_EQ(displays_.clears, clears + 1);

    // A reply shorter than its samples is no reading; nothing past its end is used.
    transport_->Answer("CLF", "#F" + std::string(40, 'x'));
    EXPECT_EQ(focus.MeasureFocus(), -1);
    transport_->Answer("CLF", "");
    EXPECT_EQ(focus.MeasureFocus(), -1);
    EXPECT_TRUE(displays_.readings.empty());
    EXPECT_TRUE(focus.IsRunning());
}

TEST_F(QVFocusTest, StopCentresTheCarriageOnce)
{
    QVFocus& focus = Make(TransportKind::Scsi, 4);
    focus.StartFocus();
    Mark();
    focus.StopFocus();
    EXPECT_THAT(SentSinceMark(), ElementsAre("MD1000", "CMV"));
    EXPECT_FALSE(focus.IsRunning());
    Mark();
    focus.StopFocus();
    EXPECT_TRUE(SentSinceMark().empty());
}

TEST(FocusSampleDecoderTest, UsbSamplesAreBigEndianThroughTheCurve)
{
    FocusSampleDecoder decoder;
    decoder.UseCurve({});
    QVToneCurve curve;
    curve.SetRawBits(16);
    curve.BuildRawTable();

    std::vector<std::uint8_t> reply{'#', 'F'};
    for (int i = 0; i < FocusReading::kSampleBytes; ++i) {
        reply.push_back(static_cast<std::uint8_t>(i % 200));  // high byte first
        reply.push_back(0x40);
    }
    std::array<std::uint8_t, FocusReading::kSampleBytes> out{};
    ASSERT_TRUE(decoder.Decode(TransportKind::Usb, reply, out));
    for (int i : {0, 7, 150, 299}) {
        const auto word = static_cast<std::uint16_t>((i % 200) << 8 | 0x40);
        EXPECT_EQ(out[static_cast<std::size_t>(i)], curve.RawEntry(word)) << i;
    }
    reply.pop_back();
    EXPECT_FALSE(decoder.Decode(TransportKind::Usb, reply, out));
}

}  // namespace
}  // namespace scanora
