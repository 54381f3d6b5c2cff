#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "acquire/CaptureSequence.h"
#include "context/AppContext.h"

class QLocalServer;

namespace scanora {
class Logger;
}

namespace scanora::ui {

class BusService;
class QtUiPort;
class QVMainFrame;

// How the program is started: from the command line, the keys held at start-up and, in tests,
// shorter intervals and a private instance name.
struct StartOptions {
    std::string cameraSpec = "auto";
    PreferencesOptions prefs;
    // The name under which the running instance answers a second start.
    QString instanceName;
    std::chrono::milliseconds pollInterval{4000};
    CaptureTiming timing;
    // Remember and restore the window position.
    bool savedPosition = true;
    // --verbose: the log on standard error as well.
    bool verbose = false;
    // Answers the program's messages instead of message boxes (tests).
    std::function<MessageResult(const QString&, MessageIcon, MessageButtons)> messagePresenter;
    // Where a line for the terminal goes; standard error when unset.
    std::function<void(const QString&)> notice;
    // Offer the program on the session bus (the tests that do not look at it leave it off).
    bool busService = true;
};

// The application object: enforces the single running instance, creates the program-wide tools
// around the camera, builds the main frame, reads the preferences and shows the window; at the
// end it writes the preferences when the user keeps that on.
class QVCameraApp : public QObject {
    Q_OBJECT

public:
    enum class StartResult { Started, OtherInstanceActivated, Failed };
    // What a second start says on the terminal before it ends.
    static constexpr const char* kBroughtForwardText =
        "Scanora is already running: its window was brought forward.";

    QVCameraApp();
    ~QVCameraApp() override;

    // Reads --camera SPEC, --prefs FILE, --no-prefs, --reset-prefs and --verbose (args[0] is
    // the program).
    // The camera defaults to `envCamera` when set. False with `error` set on a bad argument.
    static bool ParseArguments(const QStringList& args, const QString& envCamera,
                               StartOptions& options, QString& error);
    // Shift held at start-up skips the preferences; Alt replaces them with the defaults.
    static void ApplyStartKeys(Qt::KeyboardModifiers keys, StartOptions& options);
    // The instance name of this user's running program.
    static QString DefaultInstanceName();

    // The start-up sequence. A second instance brings the first forward and returns
    // OtherInstanceActivated; a camera link that can not be used returns Failed after a message.
    StartResult Start(const StartOptions& options);

    [[nodiscard]] QVMainFrame* MainFrame() const { return frame_.get(); }
    [[nodiscard]] AppContext& App() { return *app_; }
    [[nodiscard]] QtUiPort& Ui() { return *ui_; }

Q_SIGNALS:
    // A second start asked this instance to come forward.
    void activated();

private:
    bool BecomeTheInstance(const QString& name);
    void BringForward();
    void ShutDown();

    // Declared before the port that writes to it, so that it outlives the port.
    std::unique_ptr<Logger> logger_;
    std::unique_ptr<QtUiPort> ui_;
    std::unique_ptr<AppContext> app_;
    std::unique_ptr<QVMainFrame> frame_;  // the top-level window; destroyed before the tools
    std::unique_ptr<BusService> bus_;     // while the session bus carries the program
    QLocalServer* server_ = nullptr;      // owned by this object
    bool shutDown_ = false;
};

}  // namespace scanora::ui
