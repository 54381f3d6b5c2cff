#include "camera/QVCamera.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "support/FakeDevices.h"
#include "support/RecordingUiPort.h"
#include "support/ScriptedTransport.h"

namespace scanora {
namespace {

using test::ScriptedTransport;
using ::testing::ElementsAre;

constexpr auto kFastPoll = std::chrono::milliseconds(1);

// A camera over a scripted transport that answers as a connected model-6 camera with 4.14.
class QVCameraTest : public ::testing::Test {
protected:
    ScriptedTransport& Script(TransportKind kind = TransportKind::Usb, bool connected = true)
    {
        auto transport = std::make_unique<ScriptedTransport>(kind, connected);
        transport->Answer("MM", "MM6");
        transport->Answer("MV", "MV019E");
        transport->Answer("MN", "MN0457");
        pending_ = std::move(transport);
        return *pending_;
    }
    QVCamera& Make(TransportKind kind = TransportKind::Usb, bool connected = true)
    {
        if (!pending_)
            Script(kind, connected);
        transport_ = pending_.get();
        camera_ = std::make_unique<QVCamera>(std::move(pending_), ui_, CameraOptions{kFastPoll});
        ui_.Clear();
        return *camera_;
    }
    ScriptedTransport& Transport() { return *transport_; }

    test::RecordingUiPort ui_;
    std::unique_ptr<ScriptedTransport> pending_;
    ScriptedTransport* transport_ = nullptr;
    std::unique_ptr<QVCamera> camera_;
};

TEST_F(QVCameraTest, ConstructionIdentifiesTheCameraAndSelectsTheCarriage)
{
    QVCamera& camera = Make();
    EXPECT_THAT(Transport().Sent(), ElementsAre("MM", "MV", "CMX00"));
    EXPECT_EQ(camera.GetModelCode(), 6);
    EXPECT_EQ(camera.GetModelName(), "Model Cedar");
    EXPECT_EQ(camera.GetSensorWidth(), 8000);
    EXPECT_EQ(camera.GetMaxLines(), 10660);
    EXPECT_EQ(camera.GetPixelPitch(), 900);
    EXPECT_EQ(camera.GetMaxSizeStep(), 12);
    EXPECT_EQ(camera.GetMaxSizeStepLess1(), 11);
    EXPECT_EQ(camera.GetMinSizeStep(), 0);
    EXPECT_TRUE(camera.HasNewFirmware());
    EXPECT_DOUBLE_EQ(camera.GetFirmwareVersion(), 4.14);
    EXPECT_EQ(camera.GetSerialNumber(), 0x0457);
    EXPECT_EQ(camera.AuxModeState(), 0);
}

TEST_F(QVCameraTest, LineTimeIndexIsThreeHigherOnUsb)
{
    Script(TransportKind::Usb).Answer("MM", "MM4");
    EXPECT_EQ(Make().GetMaxLineTimeIndex(), 15);
    Script(TransportKind::Scsi).Answer("MM", "MM4");
    EXPECT_EQ(Make().GetMaxLineTimeIndex(), 12);
    Script(TransportKind::Scsi).Answer("MM", "MM1");
    EXPECT_EQ(Make().GetMaxLineTimeIndex(), 9);
}

TEST_F(QVCameraTest, ModelRepliesOutsideTheTable)
{
    Script().Answer("MM", "MM");
    QVCamera& bare = Make();
    EXPECT_EQ(bare.GetModelCode(), 0);
    EXPECT_EQ(bare.GetModelName(), "No Camera");
    EXPECT_THAT(Transport().Sent(), ElementsAre("MM", "MV"))
        << "no carriage switch without a model";

    Script().Answer("MM", "MM9");
    QVCamera& unknown = Make();
    EXPECT_EQ(unknown.GetModelName(), "No Camera");
    EXPECT_EQ(unknown.GetSensorWidth(), 6000);
    EXPECT_EQ(unknown.GetMinSizeStep(), -4);
}

TEST_F(QVCameraTest, FirmwareFlag)
{
    Script().Answer("MV", "MV019D");
    EXPECT_FALSE(Make().HasNewFirmware()) << "4.13 on a connected camera";
    auto& script = Script();
    script.Answer("MV", "MV019D");
    script.Answer("MM", "MM");
    EXPECT_TRUE(Make().HasNewFirmware()) << "no model: the flag stays set";
    Script(TransportKind::Usb, false);
    EXPECT_TRUE(Make().HasNewFirmware());
}

TEST_F(QVCameraTest, TimeoutZeroSendsWithoutPolling)
{
    QVCamera& camera = Make();
    Transport().NeverAnswer("CLT");
    const int polls = Transport().ReadyPolls();
    EXPECT_TRUE(camera.Command("CLT\r", "#OK", 0));
    EXPECT_EQ(Transport().ReadyPolls(), polls);
    EXPECT_EQ(Transport().Sent().back(), "CLT");
}

TEST_F(QVCameraTest, TimeoutMessageIsShownOnlyOnce)
{
    QVCamera& camera = Make();
    Transport().NeverAnswer("CS");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(camera.Command("CS\r", "#S", 6));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(80));
    EXPECT_LT(elapsed, std::chrono::milliseconds(1000));
    EXPECT_EQ(camera.Errors().Kind(), CameraErrorKind::Timeout);
    EXPECT_THAT(ui_.MessageTexts(), ElementsAre("Camera Reported Error: Camera timed out"));

    EXPECT_FALSE(camera.Command("CS\r", "#S", 3));
    EXPECT_EQ(camera.Errors().Kind(), CameraErrorKind::Timeout);
    EXPECT_EQ(ui_.MessageTexts().size(), 1u) << "the second time-out is silent";
}

TEST_F(QVCameraTest, CameraErrorReplies)
{
    QVCamera& camera = Make();
    Transport().Answer("CDI", "#E33");
    EXPECT_FALSE(camera.Command("CDI\r", "#OK"));
    EXPECT_EQ(camera.GetLastCameraError(), 0x33);
    EXPECT_EQ(camera.Errors().Kind(), CameraErrorKind::CameraError);
    EXPECT_EQ(camera.ReplyText(), "");

    Transport().Answer("EE0100", "#E44");
    EXPECT_FALSE(camera.Command("EE0100\r", "#OK"));
    Transport().Answer("EE0200", "#E3");
    EXPECT_FALSE(camera.Command("EE0200\r", "#OK"));
    EXPECT_THAT(ui_.MessageTexts(), ElementsAre("Camera Reported Error: The camera disk is full",
                                                "Camera Reported Error: Unknown Error",
                                                "Camera Reported Error: Math Error"));
    // The log has what the message leaves out: the command, the link and the reply.
    EXPECT_THAT(ui_.LogLines(LogLevel::Error),
                ElementsAre("camera: command \"CDI\r\" over USB: the camera answered #E33",
                            "camera: command \"EE0100\r\" over USB: the camera answered #E44",
                            "camera: command \"EE0200\r\" over USB: the camera answered #E3"));
}

TEST_F(QVCameraTest, MathErrorWithRotatingStageMeansLineTimeTooShort)
{
    QVCamera& camera = Make();
    camera.SetRotatingStageProbe([] { return true; });
    Transport().Answer("EE0200", "#E03");
    EXPECT_FALSE(camera.Command("EE0200\r", "#OK"));
    EXPECT_FALSE(camera.Errors().HasError());
    EXPECT_EQ(camera.GetLastCameraError(), 3);
    EXPECT_THAT(ui_.MessageTexts(),
                ElementsAre("Line time is too short for the specified focal length/diameter. "
                            "Use a longer line time or increase the focal length/diameter."));

    ui_.Clear();
    Transport().Answer("EE0300", "#E02");
    EXPECT_FALSE(camera.Command("EE0300\r", "#OK"));
    EXPECT_THAT(ui_.MessageTexts(), ElementsAre("Camera Reported Error: Value Error"));
}

TEST_F(QVCameraTest, WrongPrefixIsABadReplyWithoutMessage)
{
    QVCamera& camera = Make();
    Transport().Answer("MD1000", "#OK");
    EXPECT_FALSE(camera.Command("MD1000\r", "MD"));
    EXPECT_EQ(camera.Errors().Kind(), CameraErrorKind::BadReply);
    EXPECT_EQ(camera.ReplyText(), "#OK") << "the reply is kept for the caller";
    EXPECT_TRUE(ui_.MessageTexts().empty());
    EXPECT_THAT(ui_.LogLines(LogLevel::Error),
                ElementsAre("camera: command \"MD1000\r\" over USB: an unexpected reply, "
                            "reply \"#OK\""));

    Transport().Answer("XX", "");
    EXPECT_TRUE(camera.Command("XX\r", "#OK")) << "an empty reply passes the prefix check";
    Transport().Answer("YY", "anything at all");
    EXPECT_TRUE(camera.Command("YY\r", ""));
    EXPECT_EQ(camera.ReplyText(), "anything at all");
}

TEST_F(QVCameraTest, TransportFailures)
{
    QVCamera& camera = Make();
    Transport().SetReadStatus(1117);
    EXPECT_FALSE(camera.Command("CS\r", "#S"));
    EXPECT_EQ(camera.Errors().Kind(), CameraErrorKind::TransportFailure);
    EXPECT_EQ(camera.GetLastTransportStatus(), 1117);

    Transport().SetReadStatus(0);
    Transport().Answer("CS", "#S0000 0000 1000 0333 9C40");
    EXPECT_TRUE(camera.Command("CS\r", "#S"));
    Transport().SetSendStatus(1167);
    EXPECT_FALSE(camera.Command("CS\r", "#S"));
    EXPECT_EQ(camera.Errors().Value(), 3) << "a refused command text records status 3";
    EXPECT_THAT(ui_.MessageTexts(),
                ElementsAre("Camera Reported Error: 1117", "Camera Reported Error: 3"));
}

TEST_F(QVCameraTest, ALostLinkIsShownOnceUntilTheCameraAnswersAgain)
{
    QVCamera& camera = Make();
    Transport().SetSendStatus(1167);
    for (int i = 0; i < 18; ++i) {
        EXPECT_FALSE(camera.Command("CS\r", "#S"));
        EXPECT_EQ(camera.Errors().Kind(), CameraErrorKind::TransportFailure) << "still recorded";
    }
    EXPECT_THAT(ui_.MessageTexts(), ElementsAre("Camera Reported Error: 3"));

    // Back again, then lost again: that is a new loss.
    Transport().SetSendStatus(0);
    Transport().Answer("CS", "#S0000 0000 1000 0333 9C40");
    EXPECT_TRUE(camera.Command("CS\r", "#S"));
    Transport().SetReadStatus(1117);
    EXPECT_FALSE(camera.Command("CS\r", "#S"));
    EXPECT_FALSE(camera.Command("CS\r", "#S"));
    EXPECT_THAT(ui_.MessageTexts(),
                ElementsAre("Camera Reported Error: 3", "Camera Reported Error: 1117"));
}

TEST_F(QVCameraTest, ReconnectionAttemptsAreQuiet)
{
    QVCamera& camera = Make();
    // The link goes dead: the failed status query is the one message the user gets.
    Transport().SetSendStatus(1167);
    EXPECT_EQ(camera.QueryStatus(), -3);
    Transport().SetConnected(false);
    const std::size_t sentBefore = Transport().Sent().size();
    for (int attempt = 0; attempt < 3; ++attempt) {
        Transport().SetConnected(true);  // the device opens again, but nothing answers
        camera.Reconnect();
        EXPECT_FALSE(camera.IsConnected()) << "a link that does not answer is closed again";
        EXPECT_EQ(camera.GetModelName(), "No Camera");
    }
    EXPECT_THAT(ui_.MessageTexts(), ElementsAre("Camera Reported Error: 3"));
    EXPECT_EQ(camera.Errors().Kind(), CameraErrorKind::TransportFailure) << "recorded, not shown";
    EXPECT_EQ(Transport().Sent().size(), sentBefore + 3) << "one model query per attempt";

    // The camera answers again.
    Transport().SetSendStatus(0);
    Transport().SetConnected(true);
    camera.Reconnect();
    EXPECT_TRUE(camera.IsConnected());
    EXPECT_EQ(camera.GetModelName(), "Model Cedar");
    EXPECT_EQ(camera.AuxModeState(), 0);
    EXPECT_EQ(ui_.MessageTexts().size(), 1u);
}

TEST_F(QVCameraTest, QuietTimeoutLeavesTheShownOneForLater)
{
    QVCamera& camera = Make();
    camera.Errors().RecordQuietly(CameraErrorKind::Timeout, 0);
    EXPECT_EQ(camera.Errors().Kind(), CameraErrorKind::Timeout);
    EXPECT_EQ(camera.Errors().MessageText(), "Camera timed out");
    EXPECT_TRUE(ui_.MessageTexts().empty());
    camera.Errors().ReportTimeout();
    EXPECT_THAT(ui_.MessageTexts(), ElementsAre("Camera Reported Error: Camera timed out"));
}

TEST_F(QVCameraTest, ExchangeHandsBackItsOwnReply)
{
    QVCamera& camera = Make();
    Transport().Answer("MT", "MT0123");
    const CameraReply offset = camera.Exchange("MT\r", "MT");
    EXPECT_TRUE(offset.accepted);
    EXPECT_EQ(offset.text, "MT0123");

    Transport().Answer("MD1000", "#OK");
    const CameraReply wrong = camera.Exchange("MD1000\r", "MD");
    EXPECT_FALSE(wrong.accepted);
    EXPECT_EQ(wrong.failure, CameraErrorKind::BadReply);
    EXPECT_EQ(wrong.text, "#OK") << "a reply with another prefix is still handed back";

    Transport().Answer("CDI", "#E33");
    const CameraReply refused = camera.Exchange("CDI\r", "#OK");
    EXPECT_EQ(refused.failure, CameraErrorKind::CameraError);
    EXPECT_EQ(refused.cameraError, 0x33);
    EXPECT_EQ(refused.text, "");

    Transport().SetReadStatus(1117);
    EXPECT_TRUE(camera.Exchange("CS\r", "#S").LinkFailed());
    Transport().SetReadStatus(0);

    // A status reply with fewer words keeps the others from the query before.
    Transport().Answer("CS", "#S0010 0200 1000 0333 9C40");
    CameraStatus status;
    ASSERT_EQ(camera.QueryStatus(status), 0);
    EXPECT_TRUE(status.MotorMoving());
    EXPECT_EQ(status.LinesScanned(), 0x200u);
    Transport().Answer("CS", "#S0000 0300");
    ASSERT_EQ(camera.QueryStatus(status), 0);
    EXPECT_FALSE(status.MotorMoving());
    EXPECT_EQ(status.LinesScanned(), 0x300u);
    EXPECT_EQ(status.MotorPosition(), 0x1000);
    EXPECT_EQ(status.DiskFreeMB(), 40000u);
}

TEST_F(QVCameraTest, NothingIsSentWithoutACamera)
{
    QVCamera& camera = Make(TransportKind::Usb, false);
    EXPECT_TRUE(Transport().Sent().empty());
    EXPECT_FALSE(camera.Command("CS\r", "#S"));
    EXPECT_EQ(camera.QueryStatus(), -1);
    EXPECT_EQ(camera.GetDirectoryCount(), -1);
    EXPECT_DOUBLE_EQ(camera.QueryVoltage(), 0.0);
    EXPECT_TRUE(Transport().Sent().empty());
    EXPECT_TRUE(ui_.MessageTexts().empty());
    EXPECT_EQ(camera.LastCommand(), "CS\r");
}

TEST_F(QVCameraTest, LockHeldByAnotherThreadMakesCommandsGiveUp)
{
    QVCamera& camera = Make();
    Transport().NeverAnswer("CMV");
    std::atomic<bool> started{false};
    std::thread holder([&] {
        started = true;
        camera.Command("CMV\r", "#OK", 90);  // holds the lock for 1.5 s
    });
    while (!started) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(camera.Command("CS\r", "#S"));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(900));
    holder.join();
    EXPECT_EQ(Transport().Sent().back(), "CMV") << "the second command never reached the camera";
}

TEST_F(QVCameraTest, StatusWordsAndFilteredVoltage)
{
    QVCamera& camera = Make();
    Transport().Answer("CS", "#S0010 0200 1000 0333 9C40");
    EXPECT_EQ(camera.QueryStatus(), 0);
    EXPECT_EQ(camera.GetStatusFlags(), 0x10);
    EXPECT_TRUE(camera.GetStatusBit4());
    EXPECT_EQ(camera.GetStatusWord1(), 0x200u);
    EXPECT_EQ(camera.GetStatusWord2(), 0x1000);
    EXPECT_EQ(camera.GetDiskFreeMB(), 40000u);
    EXPECT_EQ(Transport().Sent().back(), "CS");

    // First reading: trunc(819 × 15.143) = 12402; then v = raw + trunc(v × 0.93396).
    EXPECT_DOUBLE_EQ(camera.QueryVoltage(), 12.402);
    EXPECT_DOUBLE_EQ(camera.QueryVoltage(), 12.401) << "819 + trunc(11582.97)";
    Transport().Answer("CS", "#S0000 0000 0000 0300 9C40");
    EXPECT_DOUBLE_EQ(camera.QueryVoltage(), 12.350) << "768 + trunc(11582.04)";

    Transport().Answer("CS", "");
    EXPECT_EQ(camera.QueryStatus(), -2);
    Transport().Answer("CS", "#E22");
    EXPECT_EQ(camera.QueryStatus(), -3);
    EXPECT_DOUBLE_EQ(camera.QueryVoltage(), 0.0);
}

TEST_F(QVCameraTest, DirectoryCount)
{
    QVCamera& camera = Make();
    Transport().Answer("CDQ", "CQ0040");
    EXPECT_EQ(camera.GetDirectoryCount(), 64);
    Transport().Answer("CDQ", "CQ0000");
    EXPECT_EQ(camera.GetDirectoryCount(), 256);
    Transport().Answer("CDQ", "CQ");
    EXPECT_EQ(camera.GetDirectoryCount(), 0);
    Transport().Answer("CDQ", "#E22");
    EXPECT_EQ(camera.GetDirectoryCount(), 0);
}

TEST_F(QVCameraTest, AuxiliaryModeSkipsCommandsForTheCurrentState)
{
    QVCamera& camera = Make();
    EXPECT_TRUE(camera.SetAuxMode(true));
    EXPECT_TRUE(camera.SetAuxMode(true));
    EXPECT_EQ(camera.AuxModeState(), 2);
    EXPECT_TRUE(camera.SetAuxMode(false));
    EXPECT_TRUE(camera.SetAuxMode(false));
    EXPECT_EQ(camera.AuxModeState(), 0);
    EXPECT_THAT(Transport().Sent(), ElementsAre("MM", "MV", "CMX00", "CMX01", "CMX00"));

    Transport().Answer("CMX01", "#E11");
    EXPECT_FALSE(camera.SetAuxMode(true));
    EXPECT_EQ(camera.AuxModeState(), 0);
}

TEST_F(QVCameraTest, NotRespondingGoesToTheStatusPane)
{
    QVCamera& camera = Make();
    camera.ReportNotResponding();
    const auto posted = ui_.PostedCommands();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(static_cast<int>(posted[0].command), 36866);
    EXPECT_EQ(posted[0].text, "Camera not responding");
}

// The links are tried in order: SCSI first, then USB whatever its outcome.
TEST(QVCameraLinks, ScsiFirstThenUsb)
{
    test::RecordingUiPort ui;
    auto usbDevice = std::make_shared<test::FakeBulkDevice::Shared>();
    for (const char* reply : {"MM6\r", "MV019E\r", "#OK\r"}) {
        usbDevice->reads.push_back({0x10, 0, 0, 0, 0, 0});  // a reply is ready
        usbDevice->reads.emplace_back(reply, reply + std::strlen(reply));
    }

    CameraLinks scsiAndUsb;
    auto scsiFinder = std::make_unique<test::FakeScsiFinder>();
    auto disk = std::make_shared<test::FakeScsiDevice::Shared>();  // answers zeros: no camera
    scsiFinder->Add("/dev/sg0", disk);
    scsiAndUsb.scsi = std::move(scsiFinder);
    scsiAndUsb.usb = std::make_unique<test::FakeBulkFinder>(usbDevice);
    scsiAndUsb.usbCommandDelay = std::chrono::microseconds(0);
    QVCamera overUsb(std::move(scsiAndUsb), ui, CameraOptions{kFastPoll});
    EXPECT_EQ(overUsb.GetTransportKind(), TransportKind::Usb);
    EXPECT_TRUE(overUsb.IsConnected());
    EXPECT_EQ(disk->requests.size(), 1u) << "only the identification went to the SCSI device";
    EXPECT_EQ(overUsb.PollInterval(), kFastPoll);
    EXPECT_EQ(overUsb.GetModelName(), "Model Cedar");
    EXPECT_EQ(overUsb.GetMaxLineTimeIndex(), 13);
    ASSERT_GE(usbDevice->writes.size(), 1u);
    EXPECT_EQ(usbDevice->writes[0], (test::Bytes{0x0D, 0, 0, 3, 0, 0, 0, 0, 'M', 'M', '\r'}));

    CameraLinks nothing;
    QVCamera absent(std::move(nothing), ui);
    EXPECT_EQ(absent.GetTransportKind(), TransportKind::Usb);
    EXPECT_FALSE(absent.IsConnected());
    EXPECT_EQ(absent.OpenError().kind, DeviceError::Kind::NotPresent);
    EXPECT_EQ(absent.PollInterval(), std::chrono::milliseconds(50));
    EXPECT_EQ(absent.GetModelName(), "No Camera");
}

}  // namespace
}  // namespace scanora
