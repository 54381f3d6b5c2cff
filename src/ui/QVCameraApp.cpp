#include "ui/QVCameraApp.h"

#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/Logger.h"
#include "platform/UserFolders.h"
#include "ui/BusService.h"
#include "ui/QVMainFrame.h"
#include "ui/QtUiPort.h"

namespace scanora::ui {

namespace {

constexpr int kConnectMs = 500;
constexpr char kActivateRequest[] = "activate\n";

}  // namespace

QVCameraApp::QVCameraApp() = default;

QVCameraApp::~QVCameraApp()
{
    ShutDown();
    bus_.reset();    // it follows the window
    frame_.reset();  // the views borrow the tools: they go first
    app_.reset();
}

bool QVCameraApp::ParseArguments(const QStringList& args, const QString& envCamera,
                                 StartOptions& options, QString& error)
{
    if (!envCamera.isEmpty())
        options.cameraSpec = envCamera.toStdString();
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        auto value = [&](QString& out) {
            if (i + 1 >= args.size() || args[i + 1].isEmpty()) {
                error = QStringLiteral("%1 needs a value").arg(arg);
                return false;
            }
            out = args[++i];
            return true;
        };
        QString text;
        if (arg == "--camera") {
            if (!value(text))
                return false;
            options.cameraSpec = text.toStdString();
        } else if (arg.startsWith("--camera=")) {
            options.cameraSpec = arg.mid(9).toStdString();
        } else if (arg == "--prefs") {
            if (!value(text))
                return false;
            options.prefs.path = text.toStdString();
        } else if (arg.startsWith("--prefs=")) {
            options.prefs.path = arg.mid(8).toStdString();
        } else if (arg == "--no-prefs") {
            options.prefs.skip = true;
        } else if (arg == "--verbose" || arg == "-v") {
            options.verbose = true;
        } else if (arg == "--reset-prefs") {
            options.prefs.reset = true;
        } else {
            error = QStringLiteral("unknown argument '%1'").arg(arg);
            return false;
        }
    }
    return true;
}

void QVCameraApp::ApplyStartKeys(Qt::KeyboardModifiers keys, StartOptions& options)
{
    if (keys & Qt::AltModifier)
        options.prefs.reset = true;
    if (keys & Qt::ShiftModifier)
        options.prefs.skip = true;
}

QString QVCameraApp::DefaultInstanceName()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = QString::number(getuid());
    return QStringLiteral("QorvaneWindowClass-") + user;
}

QVCameraApp::StartResult QVCameraApp::Start(const StartOptions& options)
{
    // Only one instance runs: a second start brings the first forward and ends.
    const QString name =
        options.instanceName.isEmpty() ? DefaultInstanceName() : options.instanceName;
    if (!BecomeTheInstance(name)) {
        const QString text = QString::fromUtf8(kBroughtForwardText);
        if (options.notice)
            options.notice(text);
        else
            std::fprintf(stderr, "scanora: %s\n", qPrintable(text));
        return StartResult::OtherInstanceActivated;
    }

    logger_ = std::make_unique<Logger>(
        Logger::OptionsFor("scanora", options.verbose, std::getenv("SCANORA_LOG"), UserFolders()));
    logger_->Write(LogLevel::Info, LogCategory::Ui, "scanora started");
    ui_ = std::make_unique<QtUiPort>();
    ui_->SetLogger(logger_.get());
    if (options.messagePresenter)
        ui_->SetMessagePresenter(options.messagePresenter);
    std::string error;
    app_ = AppContext::Create(options.cameraSpec, *ui_, error);
    if (!app_) {
        ui_->ShowMessage(error, MessageIcon::Error, MessageButtons::Ok);
        return StartResult::Failed;
    }

    QVMainFrame::Options frameOptions;
    frameOptions.pollInterval = options.pollInterval;
    frameOptions.timing = options.timing;
    frameOptions.savedPosition = options.savedPosition;
    frame_ = std::make_unique<QVMainFrame>(*app_, *ui_, frameOptions);
    ui_->SetDialogParent(frame_.get());

    // Holding Alt rewrites the preferences from the built-in text, Shift skips them.
    const SettingsFileReport prefs = app_->LoadPreferences(options.prefs);
    if (!prefs.fileError.empty()) {
        ui_->ShowMessage("The preferences could not be used (" + prefs.fileError +
                             "); Scanora starts with its built-in settings.",
                         MessageIcon::Exclamation, MessageButtons::Ok);
    }
    frame_->PreferencesLoaded();
    // A failing camera has said why; the program goes on and the camera poll takes over.
    app_->StartStage();

    frame_->show();
    frame_->Start();
    connect(frame_.get(), &QVMainFrame::closing, this, &QVCameraApp::ShutDown);
    if (options.busService) {
        // Scripts reach the program over the session bus; without one it goes on alone.
        bus_ = std::make_unique<BusService>(*app_, *frame_, *ui_);
        QString why;
        if (!bus_->Register(why)) {
            ui_->Log(LogLevel::Info, LogCategory::Ui, "no D-Bus service: " + why.toStdString());
            bus_.reset();
        }
    }
    return StartResult::Started;
}

bool QVCameraApp::BecomeTheInstance(const QString& name)
{
    {
        QLocalSocket probe;
        probe.connectToServer(name);
        if (probe.waitForConnected(kConnectMs)) {
            probe.write(kActivateRequest);
            probe.waitForBytesWritten(kConnectMs);
            probe.disconnectFromServer();
            return false;
        }
    }
    // Nobody answers: a name left behind by a program that crashed is taken over.
    QLocalServer::removeServer(name);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name))
        return true;  // without the server the program still runs, only not exclusively
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            BringForward();
        }
    });
    return true;
}

void QVCameraApp::BringForward()
{
    if (frame_) {
        if (frame_->isMinimized())
            frame_->showNormal();
        frame_->show();
        frame_->raise();
        frame_->activateWindow();
        if (QWidget* popup = QApplication::activeModalWidget())
            popup->activateWindow();
    }
    Q_EMIT activated();
}

void QVCameraApp::ShutDown()
{
    if (shutDown_ || !app_ || !frame_)
        return;
    shutDown_ = true;
    app_->SavePreferencesOnExit();
}

}  // namespace scanora::ui
