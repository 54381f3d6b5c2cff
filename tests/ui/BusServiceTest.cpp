// The desktop program on a private session bus, driven as a script drives it: the status, a
// prescan and a scan called over D-Bus, their events as signals while the window shows the same
// captures, and a second scan refused with the program's own message.

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QLabel>
#include <QObject>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "UiTestSupport.h"
#include "camsim/SimCamera.h"
#include "settings/SettingLists.h"
#include "support/JsonReader.h"
#include "support/ProcessRunner.h"
#include "support/TempDir.h"
#include "ui/BusService.h"
#include "ui/CameraPoll.h"

namespace scanora::ui {
namespace {

using test::StartedApp;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

// The lines of the Event signal, in the order they came, with the time each came.
class EventRecorder final : public QObject {
    Q_OBJECT

public:
    struct Received {
        QString line;
        std::chrono::steady_clock::time_point at;
    };
    std::vector<Received> received;

    [[nodiscard]] bool Has(const QString& piece) const
    {
        for (const Received& event : received)
            if (event.line.contains(piece))
                return true;
        return false;
    }

public Q_SLOTS:
    void Record(const QString& line)
    {
        received.push_back({line, std::chrono::steady_clock::now()});
    }
};

// A session bus of the test program's own: the program's connection to the session bus is made
// once per process, so every test here shares one.
class PrivateBus {
public:
    explicit PrivateBus(const std::filesystem::path& folder)
        : address_("unix:path=" + (folder / "bus").string()),
          daemon_({"/usr/bin/dbus-daemon", "--session", "--nofork", "--nopidfile",
                   "--print-address", "--address=" + address_})
    {
        ready_ = daemon_.WaitForOutput("unix:path=");
        setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
    }
    [[nodiscard]] bool Ready() const { return ready_; }
    [[nodiscard]] QString Address() const { return QString::fromStdString(address_); }

    static PrivateBus& Shared()
    {
        static scanora::test::TempDir folder;
        static PrivateBus bus(folder.Path());
        return bus;
    }

private:
    std::string address_;
    scanora::test::BackgroundProcess daemon_;
    bool ready_ = false;
};

// A script on the private bus: a connection of its own, and the Event signals it has received.
struct Script {
    explicit Script(const char* name)
        : client(QDBusConnection::connectToBus(PrivateBus::Shared().Address(), name))
    {
    }
    // Connected and following the program's events.
    ::testing::AssertionResult Ready()
    {
        if (!PrivateBus::Shared().Ready())
            return ::testing::AssertionFailure() << "dbus-daemon did not start";
        if (!client.isConnected())
            return ::testing::AssertionFailure() << client.lastError().message().toStdString();
        if (!client.connect(BusService::kServiceName, BusService::kObjectPath,
                            BusService::kInterface, "Event", &events, SLOT(Record(QString))))
            return ::testing::AssertionFailure() << "cannot follow the Event signal";
        return ::testing::AssertionSuccess();
    }

    QDBusConnection client;
    EventRecorder events;
};

// A call as a script makes it, on a connection of its own; the finished call.
QDBusMessage Call(QDBusConnection& client, const char* method, const QVariantList& arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        BusService::kServiceName, BusService::kObjectPath, BusService::kInterface, method);
    message.setArguments(arguments);
    QDBusPendingCall pending = client.asyncCall(message, 10000);
    if (!QTest::qWaitFor([&] { return pending.isFinished(); }, 12000))
        ADD_FAILURE() << method << " got no answer";
    return pending.reply();
}

std::string Lines(const EventRecorder& events)
{
    std::string lines;
    for (const EventRecorder::Received& event : events.received)
        lines += event.line.toStdString() + "\n";
    return lines;
}

// The slot of the image `name` in a listing's JSON, or 0.
int SlotOf(const QString& listing, const std::string& name)
{
    std::string error;
    const auto parsed = scanora::test::ParseJson(listing.toStdString(), error);
    if (!parsed) {
        ADD_FAILURE() << error;
        return 0;
    }
    const auto* entries = parsed->Find("entries");
    if (!entries)
        return 0;
    for (const auto& entry : std::get<scanora::test::JsonValue::Array>(entries->value)) {
        const auto* entryName = entry.Find("name");
        if (entryName && std::get_if<std::string>(&entryName->value) &&
            std::get<std::string>(entryName->value) == name)
            return static_cast<int>(std::get<double>(entry.Find("slot")->value));
    }
    return 0;
}

// The last line the recorder holds that is a result (no "event"), once one has come.
bool ResultCame(const EventRecorder& events, QString& result)
{
    for (const EventRecorder::Received& event : events.received) {
        if (!event.line.startsWith("{\"event\": ")) {
            result = event.line;
            return true;
        }
    }
    return false;
}

TEST(BusServiceTest, AScriptScansOverTheBusAndFollowsItsEvents)
{
    Script script("scanora-test-script");
    ASSERT_TRUE(script.Ready());
    QDBusConnection& client = script.client;
    EventRecorder& events = script.events;
    StartedApp started("sim:speed=0,fault=stall:200");
    started.Options().busService = true;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();

    const QDBusMessage status = Call(client, "Status");
    ASSERT_EQ(status.type(), QDBusMessage::ReplyMessage) << status.errorMessage().toStdString();
    const QString statusText = status.arguments().value(0).toString();
    EXPECT_TRUE(statusText.contains("\"model\": \"Model Cedar\"")) << statusText.toStdString();
    EXPECT_TRUE(statusText.contains("\"capture\": \"idle\"")) << statusText.toStdString();

    // A prescan called by the script runs in the window, and its events arrive as signals.
    const CaptureSequence& capture = frame.Document().Capture();
    ASSERT_EQ(Call(client, "Prescan").type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.Has("{\"succeeded\": true}"); }, 20000));
    EXPECT_TRUE(capture.LastPrescanSucceeded());
    EXPECT_TRUE(events.Has("{\"event\": \"start\", \"operation\": \"prescan\"}"));
    EXPECT_TRUE(events.Has("\"event\": \"progress\", \"operation\": \"prescan\""));

    // A scan, which the simulated camera stalls in: a second one is refused with the program's
    // message, and no box comes up in the window for it.
    events.received.clear();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return frame.Panel().Button(MainControl::kScan)->isEnabled(); }, 5000));
    const QDBusMessage scan = Call(client, "Scan");
    ASSERT_EQ(scan.type(), QDBusMessage::ReplyMessage) << scan.errorMessage().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.Has("\"capture\": \"scan\""); }, 20000));
    const QDBusMessage second = Call(client, "Scan");
    EXPECT_EQ(second.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(second.errorName(), BusService::kRefusedError);
    EXPECT_EQ(second.errorMessage(), "Scan in Progress");
    EXPECT_TRUE(
        Call(client, "Status").arguments().value(0).toString().contains("\"capture\": \"scan\""));
    // The camera's disk is not read while it scans.
    const QDBusMessage list = Call(client, "List");
    EXPECT_EQ(list.errorName(), BusService::kRefusedError);
    EXPECT_EQ(list.errorMessage(), "Scanning in Progress");
    EXPECT_EQ(
        Call(client, "Retrieve", {QVariant::fromValue(QList<uint>{1}), QString("/tmp"), QString()})
            .errorMessage(),
        "Scanning in Progress");

    // Aborted, the scan ends and its result follows at once.
    const auto aborted = std::chrono::steady_clock::now();
    Call(client, "Abort");
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.Has("{\"succeeded\": false}"); }, 20000));
    const auto delay = events.received.back().at - aborted;
    std::cout << "abort to the result signal: "
              << std::chrono::duration_cast<std::chrono::milliseconds>(delay).count() << " ms\n";
    EXPECT_TRUE(events.Has("{\"event\": \"start\", \"operation\": \"scan\"}"));
    EXPECT_TRUE(started.messages.empty() || started.messages.front() != "Scan in Progress");
}

TEST(BusServiceTest, AScriptChoosesAStoredSettingByName)
{
    Script script("scanora-test-settings");
    ASSERT_TRUE(script.Ready());
    QDBusConnection& client = script.client;
    StartedApp started("sim:speed=0");
    started.Options().busService = true;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);

    const SettingLists& lists = started.Context().Lists();
    const auto before = lists.CurrentIndex<CurveSetting>();
    const QDBusMessage chosen = Call(client, "SelectSetting", {"curve", "None 14 bit"});
    ASSERT_EQ(chosen.type(), QDBusMessage::ReplyMessage) << chosen.errorMessage().toStdString();
    EXPECT_EQ(chosen.arguments().value(0).toString(),
              "{\"kind\": \"curve\", \"current\": \"None 14 bit\"}");
    const auto current = lists.CurrentIndex<CurveSetting>();
    ASSERT_GT(current, 0);
    EXPECT_NE(current, before);
    const CurveSetting* record = lists.List<CurveSetting>().Get(static_cast<std::size_t>(current));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->GetName(), "None 14 bit");

    const QDBusMessage unknown = Call(client, "SelectSetting", {"curve", "bent 9 stops"});
    EXPECT_EQ(unknown.type(), QDBusMessage::ErrorMessage);
    EXPECT_TRUE(unknown.errorMessage().contains("\"Default Setting\""))
        << unknown.errorMessage().toStdString();
    EXPECT_EQ(Call(client, "SelectSetting", {"colour", "Default Setting"}).type(),
              QDBusMessage::ErrorMessage);
    EXPECT_TRUE(started.messages.empty());
}

TEST(BusServiceTest, AScriptListsTheDiskAndRetrievesAnImageWhileTheWindowWaits)
{
    Script script("scanora-test-disk");
    ASSERT_TRUE(script.Ready());
    QDBusConnection& client = script.client;
    EventRecorder& events = script.events;
    StartedApp started("sim:speed=0,samples=off,bigimage=1200x800");
    started.Options().busService = true;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();

    const QDBusMessage list = Call(client, "List");
    ASSERT_EQ(list.type(), QDBusMessage::ReplyMessage) << list.errorMessage().toStdString();
    const QString listing = list.arguments().value(0).toString();
    const int slot = SlotOf(listing, "Big Image");
    ASSERT_GT(slot, 0) << listing.toStdString();
    EXPECT_TRUE(frame.Panel().Button(MainControl::kPrescan)->isEnabled())
        << "the controls come back after the listing";

    // Arguments a script got wrong are named, and nothing starts.
    const auto retrieve = [&](QList<uint> slots, const QString& folder, const QString& mode) {
        return Call(client, "Retrieve", {QVariant::fromValue(slots), folder, mode});
    };
    const fs::path folder = started.Folder() / "from the script";
    EXPECT_EQ(retrieve({}, QString::fromStdString(folder.string()), "").errorName(),
              "org.freedesktop.DBus.Error.InvalidArgs");
    EXPECT_EQ(retrieve({300}, QString::fromStdString(folder.string()), "").errorName(),
              "org.freedesktop.DBus.Error.InvalidArgs");
    EXPECT_TRUE(retrieve({1}, "relative/folder", "").errorMessage().contains("absolute"));
    EXPECT_TRUE(retrieve({1}, QString::fromStdString(folder.string()), "jpeg")
                    .errorMessage()
                    .contains("none, scan, tone or dng"));
    EXPECT_TRUE(events.received.empty());

    // The retrieval runs with the window's capture controls off, which come back after it.
    const QDBusMessage accepted =
        retrieve({static_cast<uint>(slot)}, QString::fromStdString(folder.string()), "");
    ASSERT_EQ(accepted.type(), QDBusMessage::ReplyMessage) << accepted.errorMessage().toStdString();
    EXPECT_EQ(accepted.arguments().value(0).toString(), "{\"started\": true}");
    EXPECT_FALSE(frame.Panel().Button(MainControl::kPrescan)->isEnabled());
    QString result;
    ASSERT_TRUE(QTest::qWaitFor([&] { return ResultCame(events, result); }, 30000));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return frame.Panel().Button(MainControl::kPrescan)->isEnabled(); }, 5000));
    const fs::path file = folder / "Big Image.tif";
    EXPECT_EQ(result.toStdString(),
              "{\"cancelled\": false, \"files\": [{\"slot\": " + std::to_string(slot) +
                  ", \"name\": \"Big Image\", \"status\": \"written\", \"path\": \"" +
                  file.string() + "\"}]}");
    ASSERT_TRUE(fs::exists(file));
    EXPECT_GT(fs::file_size(file), 1200u * 800u * 6u);
    ASSERT_GE(events.received.size(), 4u);
    EXPECT_EQ(events.received.front().line,
              QString("{\"event\": \"start\", \"operation\": \"get\", \"slots\": [%1]}").arg(slot));
    EXPECT_TRUE(events.Has("{\"event\": \"transfer\", \"operation\": \"get\""));
    EXPECT_TRUE(events.Has("{\"event\": \"progress\", \"operation\": \"get\""));
    for (const EventRecorder::Received& event : events.received) {
        std::string error;
        EXPECT_TRUE(scanora::test::ParseJson(event.line.toStdString(), error).has_value())
            << event.line.toStdString() << ": " << error;
    }
    EXPECT_TRUE(frame.StatusPane(1).text().startsWith("Retrieving"))
        << frame.StatusPane(1).text().toStdString();

    // A slot of free space is the script's mistake, told in the result.
    events.received.clear();
    ASSERT_EQ(
        retrieve({static_cast<uint>(slot + 1)}, QString::fromStdString(folder.string()), "").type(),
        QDBusMessage::ReplyMessage);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ResultCame(events, result); }, 30000));
    EXPECT_TRUE(result.startsWith("{\"error\": \"slot ")) << result.toStdString();
    EXPECT_TRUE(started.messages.empty()) << started.messages.front().toStdString();
}

TEST(BusServiceTest, AnAbortedRetrievalLeavesNoFileBehind)
{
    Script script("scanora-test-abort");
    ASSERT_TRUE(script.Ready());
    QDBusConnection& client = script.client;
    EventRecorder& events = script.events;
    StartedApp started("sim:speed=0,samples=off,bigimage=6000x4000");
    started.Options().busService = true;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    const int slot = SlotOf(Call(client, "List").arguments().value(0).toString(), "Big Image");
    ASSERT_GT(slot, 0);
    const fs::path folder = started.Folder() / "cut";
    ASSERT_EQ(Call(client, "Retrieve",
                   {QVariant::fromValue(QList<uint>{static_cast<uint>(slot)}),
                    QString::fromStdString(folder.string()), QString("scan")})
                  .type(),
              QDBusMessage::ReplyMessage);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return events.Has("{\"event\": \"progress\", \"operation\": \"get\""); }, 30000));
    // Meanwhile a capture is refused: the camera's disk is being read.
    const QDBusMessage scan = Call(client, "Scan");
    EXPECT_EQ(scan.errorName(), BusService::kRefusedError);
    EXPECT_EQ(scan.errorMessage(), BusService::kDiskInUse);
    // And so is a second retrieval, while the first goes on.
    const QDBusMessage second = Call(client, "Retrieve",
                                     {QVariant::fromValue(QList<uint>{static_cast<uint>(slot)}),
                                      QString::fromStdString(folder.string()), QString()});
    EXPECT_EQ(second.errorName(), BusService::kRefusedError);
    EXPECT_TRUE(second.errorMessage().contains("busy")) << second.errorMessage().toStdString();
    Call(client, "Abort");
    QString result;
    ASSERT_TRUE(QTest::qWaitFor([&] { return ResultCame(events, result); }, 30000));
    EXPECT_TRUE(result.startsWith("{\"cancelled\": true")) << result.toStdString();
    EXPECT_TRUE(fs::is_empty(folder)) << "nothing half written under any name";
}

// How soon a script hears of a change at the camera: the cable pulled during a scan the script
// started, until the error's signal reaches the script, five times, each with a fresh program
// (plugged back in, the simulated camera would still be in its stalled scan).
TEST(BusServiceTest, ACameraGoneDuringAScanReachesTheScriptAtOnce)
{
    Script script("scanora-test-unplug");
    ASSERT_TRUE(script.Ready());
    QDBusConnection& client = script.client;
    EventRecorder& events = script.events;
    std::vector<long long> delays;
    std::string message;
    for (int round = 0; round < 5; ++round) {
        StartedApp started("sim:speed=0,fault=stall:200");
        started.Options().busService = true;
        ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
        QVMainFrame& frame = started.Frame();
        test::PrescanFromPanel(frame);
        events.received.clear();
        ASSERT_EQ(Call(client, "Scan").type(), QDBusMessage::ReplyMessage);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return events.Has("\"event\": \"progress\", \"operation\": \"scan\""); }, 20000))
            << "round " << round << ": " << Lines(events);
        const auto pulled = std::chrono::steady_clock::now();
        started.Context().Simulator()->Unplug();
        ASSERT_TRUE(QTest::qWaitFor([&] { return events.Has("\"event\": \"error\""); }, 20000));
        for (const EventRecorder::Received& event : events.received) {
            if (event.line.contains("\"event\": \"error\"")) {
                delays.push_back(
                    std::chrono::duration_cast<std::chrono::milliseconds>(event.at - pulled)
                        .count());
                break;
            }
        }
        EXPECT_EQ(started.messages.size(), 1u) << "round " << round << ": " << Lines(events);
        if (!started.messages.empty())
            message = started.messages.front().toStdString();
    }
    std::sort(delays.begin(), delays.end());
    std::cout << "cable pulled to the error signal: median " << delays[delays.size() / 2]
              << " ms, slowest " << delays.back() << " ms (the message: " << message << ")\n";
    // The scan monitor asks the camera every few hundred milliseconds.
    EXPECT_LT(delays.back(), 3000);
}

// scanora-cli run on a thread of its own while the window's event loop goes on.
class CliRun {
public:
    explicit CliRun(std::vector<std::string> args)
        : thread_([this, args = std::move(args)]() mutable {
              args.insert(args.begin(), SCANORA_CLI_PATH);
              result_ = scanora::test::RunProcess(args, std::chrono::seconds(60));
              done_.store(true);
          })
    {
    }
    ~CliRun() { thread_.join(); }
    CliRun(const CliRun&) = delete;
    CliRun& operator=(const CliRun&) = delete;

    // The finished run (waiting for it with the event loop going).
    const scanora::test::ProcessResult& Result()
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return done_.load(); }, 65000));
        return result_;
    }
    [[nodiscard]] bool Done() const { return done_.load(); }

private:
    scanora::test::ProcessResult result_;
    std::atomic<bool> done_{false};
    std::thread thread_;
};

TEST(BusServiceTest, TheTerminalProgramAttachesToTheRunningWindow)
{
    // Without the program on the bus, --attach says so.
    StartedApp started("sim:speed=0,fault=stall:200");
    ASSERT_TRUE(PrivateBus::Shared().Ready()) << "dbus-daemon did not start";
    CliRun aloneRun({"--attach", "status"});
    const auto& alone = aloneRun.Result();
    EXPECT_EQ(alone.exitCode, 1);
    EXPECT_NE(alone.err.find("Scanora is not running"), std::string::npos) << alone.err;

    started.Options().busService = true;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    CliRun statusRun({"--attach", "status"});
    const auto& status = statusRun.Result();
    ASSERT_EQ(status.exitCode, 0) << status.err;
    EXPECT_EQ(status.out, "Model:   Model Cedar\nCapture: idle\n");
    test::PrescanFromPanel(frame);

    // A scan sent from the terminal runs in the window; a second one is refused with the
    // program's message; aborted in the window, the terminal gets the result and ends.
    CliRun scan({"--attach", "--json", "scan"});
    const CaptureSequence& capture = frame.Document().Capture();
    ASSERT_TRUE(QTest::qWaitFor([&] { return capture.LastScanStarted(); }, 20000));
    CliRun secondRun({"--attach", "scan"});
    const auto& second = secondRun.Result();
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_NE(second.err.find("Scan in Progress"), std::string::npos) << second.err;
    EXPECT_FALSE(scan.Done());
    frame.Execute(QVMainFrame::kAbort);
    const auto& scanned = scan.Result();
    EXPECT_EQ(scanned.exitCode, 1) << "an aborted scan did not succeed";
    std::vector<std::string> lines;
    std::istringstream out(scanned.out);
    for (std::string line; std::getline(out, line);) lines.push_back(line);
    ASSERT_GE(lines.size(), 3u) << scanned.out;
    EXPECT_EQ(lines.front(), "{\"event\": \"start\", \"operation\": \"scan\"}");
    EXPECT_EQ(lines.back(), "{\"succeeded\": false}");
    for (const std::string& line : lines) {
        std::string error;
        EXPECT_TRUE(scanora::test::ParseJson(line, error).has_value()) << line << ": " << error;
    }
    EXPECT_TRUE(started.messages.empty()) << started.messages.front().toStdString();
}

TEST(BusServiceTest, TheTerminalProgramListsRetrievesAndChoosesThroughTheWindow)
{
    StartedApp started("sim:speed=0,samples=off,bigimage=1200x800");
    ASSERT_TRUE(PrivateBus::Shared().Ready()) << "dbus-daemon did not start";
    started.Options().busService = true;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);

    CliRun listRun({"--attach", "--json", "ls"});
    const auto& listed = listRun.Result();
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    const int slot = SlotOf(QString::fromStdString(listed.out), "Big Image");
    ASSERT_GT(slot, 0) << listed.out;
    CliRun textRun({"--attach", "ls"});
    EXPECT_EQ(textRun.Result().exitCode, 2) << "the listing comes as JSON only";

    // The files land where the terminal says, whatever the program's own folder.
    const fs::path folder = started.Folder() / "attached";
    CliRun getRun({"--attach", "--json", "get", std::to_string(slot), "-o", folder.string()});
    const auto& got = getRun.Result();
    ASSERT_EQ(got.exitCode, 0) << got.err;
    std::vector<std::string> lines;
    std::istringstream out(got.out);
    for (std::string line; std::getline(out, line);) lines.push_back(line);
    ASSERT_GE(lines.size(), 3u) << got.out;
    EXPECT_EQ(lines.front(), "{\"event\": \"start\", \"operation\": \"get\", \"slots\": [" +
                                 std::to_string(slot) + "]}");
    EXPECT_NE(lines.back().find("\"status\": \"written\""), std::string::npos) << lines.back();
    for (const std::string& line : lines) {
        std::string error;
        EXPECT_TRUE(scanora::test::ParseJson(line, error).has_value()) << line << ": " << error;
    }
    EXPECT_TRUE(fs::exists(folder / "Big Image.tif"));

    // An existing file is not replaced without the photographer's yes, asked in the window.
    started.answer = MessageResult::No;
    CliRun againRun({"--attach", "get", std::to_string(slot), "-o", folder.string()});
    const auto& again = againRun.Result();
    EXPECT_EQ(again.exitCode, 1) << again.out << again.err;
    EXPECT_NE(again.out.find("get failed in the desktop program"), std::string::npos) << again.out;
    ASSERT_EQ(started.messages.size(), 1u);
    std::cout << "asked in the window: " << started.messages.front().toStdString() << "\n";
    EXPECT_TRUE(fs::exists(folder / "Big Image.tif"));

    CliRun freeRun({"--attach", "get", std::to_string(slot + 1), "-o", folder.string()});
    const auto& free = freeRun.Result();
    EXPECT_EQ(free.exitCode, 1);
    EXPECT_NE(free.err.find("is free space"), std::string::npos) << free.err;
    EXPECT_EQ(started.messages.size(), 1u) << "a script's wrong slot brings up no box";

    CliRun selectRun({"--attach", "prefs", "select", "curve", "None 14 bit"});
    const auto& selected = selectRun.Result();
    ASSERT_EQ(selected.exitCode, 0) << selected.err;
    EXPECT_EQ(selected.out, "Current curve setting in the desktop program: None 14 bit\n");
    const SettingLists& lists = started.Context().Lists();
    const CurveSetting* record = lists.List<CurveSetting>().Get(
        static_cast<std::size_t>(lists.CurrentIndex<CurveSetting>()));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->GetName(), "None 14 bit");
    CliRun unknownRun({"--attach", "prefs", "select", "curve", "bent"});
    EXPECT_EQ(unknownRun.Result().exitCode, 1);
}

}  // namespace
}  // namespace scanora::ui

#include "BusServiceTest.moc"
