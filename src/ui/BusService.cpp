#include "ui/BusService.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QMetaObject>

#include "acquire/CaptureSequence.h"
#include "camera/QVCamera.h"
#include "context/AppContext.h"
#include "platform/BusyMessages.h"
#include "platform/JsonObject.h"
#include "settings/SettingLists.h"
#include "settings/StoredSettingChoice.h"
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
    // Every event goes out as a signal from the GUI thread, with a copy of its line.
    JsonEvents& events = frame_.Document().CaptureEvents();
    events.SetSink([this](const std::string& line) {
        QMetaObject::invokeMethod(
            this, [this, text = QString::fromStdString(line)] { Q_EMIT Event(text); },
            Qt::QueuedConnection);
    });
    ui_.Events().Attach(&events);
    connect(&frame_.View(), &QorvaneView::captureControlsEnabled, this,
            &BusService::CaptureControlsChanged);
}

BusService::~BusService()
{
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
    frame_.Execute(QVMainFrame::kAbort);
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
