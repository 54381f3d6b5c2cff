// scanora: the desktop program.

#include <QApplication>
#include <QGuiApplication>

#include <cstdio>

#include "ui/QVCameraApp.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName("Qorvane Digital Cameras");
    QApplication::setApplicationName("Scanora");
    QApplication::setApplicationDisplayName("Scanora");
    QApplication::setApplicationVersion(SCANORA_VERSION);

    scanora::ui::StartOptions options;
    QString error;
    if (!scanora::ui::QVCameraApp::ParseArguments(
            QApplication::arguments(), qEnvironmentVariable("SCANORA_CAMERA"), options, error)) {
        std::fprintf(stderr,
                     "scanora: %s\nUsage: scanora [--camera SPEC] [--prefs FILE] [--no-prefs] "
                     "[--reset-prefs] [--verbose]\n",
                     qPrintable(error));
        return 2;
    }
    // Shift held at start-up skips the preferences, Alt replaces them with the defaults.
    scanora::ui::QVCameraApp::ApplyStartKeys(QGuiApplication::queryKeyboardModifiers(), options);

    scanora::ui::QVCameraApp app;
    switch (app.Start(options)) {
    case scanora::ui::QVCameraApp::StartResult::OtherInstanceActivated: return 0;
    case scanora::ui::QVCameraApp::StartResult::Failed: return 1;
    case scanora::ui::QVCameraApp::StartResult::Started: break;
    }
    return QApplication::exec();
}
