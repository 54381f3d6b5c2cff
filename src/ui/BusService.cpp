#include "ui/BusService.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QMetaObject>
#include <QPointer>

#include <filesystem>
#include <optional>
#include <vector>

#include "acquire/CaptureSequence.h"
#include "camera/QVCamera.h"
#include "context/AppContext.h"
#include "platform/BusyMessages.h"
#include "platform/JsonObject.h"
#include "settings/SettingLists.h"
#include "settings/StoredSettingChoice.h"
#include "ui/BusDiskCalls.h"
#include "ui/GuiThread.h"
#include "ui/PreviewDocument.h"
#include "ui/QVMainFrame.h"
#include "ui/QorvaneView.h"
#include "ui/QtUiPort.h"

namespace scanora::ui {

namespace {

const char* CaptureWord(CaptureState state)
{
    switch (state) {
    case CaptureState::Prescan: return "prescan";
    case CaptureState::Scan: return "scan";
    case CaptureState::Idle: break;
    }
    return "idle";
}

}  // namespace

BusService::BusService(AppContext& app, QVMainFrame& frame, QtUiPort& ui, QObject* parent)
    : QObject(parent), app_(app), frame_(frame), ui_(ui)
{
    // Every event goes out as a signal from the GUI thread, with a copy of its line; a line
    // that comes after this object has gone is dropped.
    const auto send = [self = QPointer<BusService>(this)](const std::string& line) {
        QMetaObject::invokeMethod(
            qApp,
            [self, text = QString::fromStdString(line)] {
                if (self)
                    Q_EMIT self->Event(text);
            },
            Qt::QueuedConnection);
    };
    disk_ = std::make_unique<BusDiskCalls>(app_, frame_, ui_, send);
    JsonEvents& events = frame_.Document().CaptureEvents();
    events.SetSink(send);
    ui_.Events().Attach(&events);
    connect(&frame_.View(), &QorvaneView::captureControlsEnabled, this,
            &BusService::CaptureControlsChanged);
}

BusService::~BusService()
{
    disk_.reset();
    ui_.Events().Attach(nullptr);
    frame_.Document().CaptureEvents().SetSink({});
    if (registered_) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(kObjectPath);
        bus.unregisterService(kServiceName);
    }
}

bool BusService::Register(QString& why)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        why = "no session bus: " + bus.lastError().message();
        return false;
    }
    if (!bus.registerObject(
            kObjectPath, this,
            QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableSignals)) {
        why = "cannot offer " + QString(kObjectPath) + ": " + bus.lastError().message();
        return false;
    }
    if (!bus.registerService(kServiceName)) {
        why = "cannot take the name " + QString(kServiceName) + ": " + bus.lastError().message();
        bus.unregisterObject(kObjectPath);
        return false;
    }
    registered_ = true;
    return true;
}

QString BusService::Status()
{
    const QVCamera& camera = app_.Camera();
    const bool present = camera.IsConnected() && camera.GetModelCode() != 0;
    JsonObject status;
    status.Text("model", present ? camera.GetModelName() : std::string("No Camera"))
        .Bool("present", present)
        .Text("capture", CaptureWord(frame_.Document().Capture().State()));
    return QString::fromStdString(status.Line());
}

QString BusService::Prescan()
{
    return Start(QVMainFrame::kPrescan, static_cast<int>(CaptureCall::Prescan), "prescan");
}

QString BusService::Scan()
{
    return Start(QVMainFrame::kScan, static_cast<int>(CaptureCall::Scan), "scan");
}

void BusService::Abort()
{
    disk_->Cancel();
    frame_.Execute(QVMainFrame::kAbort);
}

QString BusService::List()
{
    setDelayedReply(true);
    const QDBusMessage call = message();
    QDBusConnection bus = connection();
    const std::string refused = disk_->List([call, bus](bool ok, const std::string& text) mutable {
        const QString answer = QString::fromStdString(text);
        bus.send(ok ? call.createReply(answer) : call.createErrorReply(kRefusedError, answer));
    });
    if (!refused.empty())
        bus.send(call.createErrorReply(kRefusedError, QString::fromStdString(refused)));
    return {};
}

QString BusService::Retrieve(const QList<uint>& slots, const QString& folder, const QString& mode)
{
    const std::vector<std::uint32_t> numbers(slots.begin(), slots.end());
    if (const std::string wrong = BusDiskCalls::CheckSlots(numbers); !wrong.empty()) {
        sendErrorReply(QDBusError::InvalidArgs, QString::fromStdString(wrong));
        return {};
    }
    const std::optional<RetrievalMode> parsed =
        mode.isEmpty() ? RetrievalMode::SavedWithScan
                       : RetrievalFormat::ParseMode(mode.toStdString());
    if (!parsed) {
        sendErrorReply(
            QDBusError::InvalidArgs,
            "the mode is none, scan, tone or dng (empty: as saved with the scan), not " + mode);
        return {};
    }
    const std::filesystem::path path = folder.toStdString();
    if (!path.empty() && path.is_relative()) {
        sendErrorReply(QDBusError::InvalidArgs,
                       "the folder must be an absolute path, not " + folder);
        return {};
    }
    const std::vector<std::uint16_t> chosen(numbers.begin(), numbers.end());
    if (const std::string refused = disk_->Retrieve(chosen, path, *parsed); !refused.empty()) {
        Refuse(refused);
        return {};
    }
    return QString::fromStdString(JsonObject().Bool("started", true).Line());
}

void BusService::Refuse(const std::string& why)
{
    sendErrorReply(kRefusedError, QString::fromStdString(why));
}

QString BusService::SelectSetting(const QString& kind, const QString& name)
{
    const std::optional<SettingKind> found = StoredSettingChoice::KindNamed(kind.toStdString());
    if (!found) {
        sendErrorReply(QDBusError::InvalidArgs,
                       "the kind is size, exposure, curve or histogram, not " + kind);
        return {};
    }
    // The window refuses its settings boxes while a capture runs; so does the bus.
    if (frame_.Document().CaptureRunning()) {
        sendErrorReply(kRefusedError,
                       QString::fromUtf8(kCaptureRunningMessage.data(),
                                         static_cast<int>(kCaptureRunningMessage.size())));
        return {};
    }
    SettingLists& lists = app_.Lists();
    if (!StoredSettingChoice::Select(lists, app_.Tools(), *found, name.toStdString())) {
        sendErrorReply(QDBusError::InvalidArgs,
                       QString::fromStdString(
                           StoredSettingChoice::UnknownName(lists, *found, name.toStdString())));
        return {};
    }
    return QString::fromStdString(
        JsonObject().Text("kind", kind.toStdString()).Text("current", name.toStdString()).Line());
}

QString BusService::Start(int id, int call, const char* what)
{
    CaptureSequence& capture = frame_.Document().Capture();
    if (const auto refusal = capture.Refusal(static_cast<CaptureCall>(call))) {
        sendErrorReply(kRefusedError,
                       refusal->empty()
                           ? QString("%1 refused").arg(what)
                           : QString::fromUtf8(refusal->data(), static_cast<int>(refusal->size())));
        return {};
    }
    // The camera's disk is read meanwhile (the File Manager, or a script's retrieval).
    if (disk_->DiskInUse()) {
        Refuse(kDiskInUse);
        return {};
    }
    frame_.UpdateCommands();
    if (!frame_.Execute(id)) {
        sendErrorReply(kRefusedError, QString("the %1 cannot start now").arg(what));
        return {};
    }
    return QString::fromStdString(JsonObject().Bool("started", true).Line());
}

void BusService::CaptureControlsChanged(bool enabled)
{
    JsonEvents& events = frame_.Document().CaptureEvents();
    const CaptureSequence& capture = frame_.Document().Capture();
    if (!enabled) {
        // A capture begins, from the window or from a call: its events name it.
        capturing_ = CaptureWord(capture.State());
        events.SetOperation(capturing_);
        events.Emit("start");
        return;
    }
    // The controls come back after other work too (the file manager): only a capture that
    // began has a result.
    if (capturing_.empty())
        return;
    const bool prescan = capturing_ == "prescan";
    capturing_.clear();
    events.Result(JsonObject().Bool(
        "succeeded", prescan ? capture.LastPrescanSucceeded() : capture.ScansSucceeded()));
}

}  // namespace scanora::ui
