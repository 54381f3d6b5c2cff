#pragma once

#include <QDBusContext>
#include <QObject>
#include <QString>

#include <memory>
#include <string>

namespace scanora {
class AppContext;
}

namespace scanora::ui {

class BusDiskCalls;
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
    static constexpr const char* kDiskInUse =
        "the camera's disk is in use: wait for the retrieval, or close the File Manager";

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
    // As the abort key; a retrieval called over the bus stops after its block.
    Q_SCRIPTABLE void Abort();
    // The camera disk's listing, as scanora-cli --json ls prints it (the answer comes once the
    // camera has been read).
    Q_SCRIPTABLE QString List();
    // Retrieves the images at `slots` (as List numbers them) into `folder`, an absolute path
    // made when missing (empty: the automatic save's folder), in `mode` ("none", "scan", "tone",
    // "dng"; empty: as saved with the scan); {"started": true}. The retrieval's events follow
    // as Event signals of operation "get", ending with its result.
    Q_SCRIPTABLE QString Retrieve(const QList<uint>& slots, const QString& folder,
                                  const QString& mode);
    // Makes the stored setting `name` of `kind` (size, exposure, curve, histogram) the current
    // one, as choosing it in its page's box does; {"kind": ..., "current": ...}.
    Q_SCRIPTABLE QString SelectSetting(const QString& kind, const QString& name);

Q_SIGNALS:
    Q_SCRIPTABLE void Event(const QString& line);

private:
    // Starts the window's command `id` unless the capture refuses `call`; the reply.
    QString Start(int id, int call, const char* what);
    void CaptureControlsChanged(bool enabled);
    void Refuse(const std::string& why);

    AppContext& app_;
    QVMainFrame& frame_;
    QtUiPort& ui_;
    std::unique_ptr<BusDiskCalls> disk_;
    bool registered_ = false;
    std::string capturing_;  // "prescan" or "scan" while one runs
};

}  // namespace scanora::ui
