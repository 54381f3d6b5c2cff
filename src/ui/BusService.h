#pragma once

#include <QDBusContext>
#include <QObject>
#include <QString>

#include <string>

namespace scanora {
class AppContext;
}

namespace scanora::ui {

class QtUiPort;
class QVMainFrame;

// The running desktop program on the session bus, for scripts that share its camera: service
// "org.scanora.Scanora", object "/org/scanora/Scanora", interface "org.scanora.Scanora1". The
// methods act as the window's commands do; a call the program refuses while a capture runs
// fails with the program's own message ("Scan in Progress", "Prescan/Scan in Progress"), and no
// message box comes up for it. The signal Event carries the same JSON lines as scanora-cli's
// --json (docs/cli-json.md): the captures' start, progress, status texts, series states and
// messages, whoever started them, and each capture's result.
class BusService final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.scanora.Scanora1")

public:
    static constexpr const char* kServiceName = "org.scanora.Scanora";
    static constexpr const char* kObjectPath = "/org/scanora/Scanora";
    static constexpr const char* kInterface = "org.scanora.Scanora1";
    static constexpr const char* kRefusedError = "org.scanora.Scanora1.Error.Refused";

    BusService(AppContext& app, QVMainFrame& frame, QtUiPort& ui, QObject* parent = nullptr);
    ~BusService() override;
    BusService(const BusService&) = delete;
    BusService& operator=(const BusService&) = delete;

    // Offers the service on the session bus; false with `why` when there is no bus or the name
    // is taken (another Scanora, say).
    bool Register(QString& why);

public Q_SLOTS:
    // {"model": ..., "present": ..., "capture": "idle"|"prescan"|"scan"}
    Q_SCRIPTABLE QString Status();
    // Start a prescan or a scan as the panel's buttons do; {"started": true}.
    Q_SCRIPTABLE QString Prescan();
    Q_SCRIPTABLE QString Scan();
    // As the abort key.
    Q_SCRIPTABLE void Abort();
    // Makes the stored setting `name` of `kind` (size, exposure, curve, histogram) the current
    // one, as choosing it in its page's box does; {"kind": ..., "current": ...}.
    Q_SCRIPTABLE QString SelectSetting(const QString& kind, const QString& name);

Q_SIGNALS:
    Q_SCRIPTABLE void Event(const QString& line);

private:
    // Starts the window's command `id` unless the capture refuses `call`; the reply.
    QString Start(int id, int call, const char* what);
    void CaptureControlsChanged(bool enabled);

    AppContext& app_;
    QVMainFrame& frame_;
    QtUiPort& ui_;
    bool registered_ = false;
    std::string capturing_;  // "prescan" or "scan" while one runs
};

}  // namespace scanora::ui
