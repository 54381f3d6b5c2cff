// The preferences dialog at its smallest, as a person sees it: every control inside the dialog
// and at least as large as it asks to be, and a screenshot saved into the build folder (under
// Xvfb the test runs at scale 1 and 2, see tests/CMakeLists).

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QSlider>
#include <QTest>

#include <iostream>

#include "ScreenshotSupport.h"
#include "UiTestSupport.h"
#include "ui/QVPrefsWindow.h"

namespace scanora::ui {
namespace {

using test::SaveShot;
using test::ShotPath;
using test::StartedApp;

QString ScreenshotName()
{
    QString name = qEnvironmentVariable("SCANORA_SCREENSHOT_NAME");
    name.replace("main-window", "preferences");
    return name.isEmpty() ? QStringLiteral("preferences-offscreen") : name;
}

TEST(PrefsWindowScreenshotTest, AtItsSmallestNothingIsCutOffOrSqueezed)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    // The chosen program and sound show by their names.
    CameraPreferences& prefs = started.Context().CameraSetting().Prefs();
    prefs.openWithApplicationName = "/usr/bin/image-viewer";
    prefs.soundName = "/usr/share/sounds/scan-finished.wav";
    QVPrefsWindow dialog(started.Context(), {}, PrefsChoosers::Standard(), &started.Frame());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.resize(dialog.minimumSize());
    QTest::qWait(50);
    EXPECT_EQ(dialog.size(), dialog.minimumSize());
    // Small enough for a 1024 x 700 screen with its title bar.
    EXPECT_LE(dialog.width(), 1024);
    EXPECT_LE(dialog.height(), 660);

    int checked = 0;
    for (const QWidget* control : dialog.findChildren<QWidget*>()) {
        if (!control->isVisibleTo(&dialog))
            continue;
        const auto* label = qobject_cast<const QLabel*>(control);
        if (!qobject_cast<const QAbstractButton*>(control) &&
            !qobject_cast<const QComboBox*>(control) && !qobject_cast<const QLineEdit*>(control) &&
            !qobject_cast<const QSlider*>(control) && !(label && !label->text().isEmpty()))
            continue;
        const QString what = QString("%1 '%2'").arg(
            control->metaObject()->className(),
            label ? label->text()
                  : (qobject_cast<const QAbstractButton*>(control)
                         ? qobject_cast<const QAbstractButton*>(control)->text()
                         : QString()));
        const QRect where(control->mapTo(&dialog, QPoint(0, 0)), control->size());
        EXPECT_TRUE(dialog.rect().contains(where)) << what.toStdString() << " is cut off";
        const QSize wanted = control->minimumSizeHint();
        EXPECT_GE(control->width(), wanted.width()) << what.toStdString() << " is squeezed";
        EXPECT_GE(control->height(), wanted.height()) << what.toStdString() << " is squeezed";
        ++checked;
    }
    EXPECT_GT(checked, 40);

    const QPixmap shot = dialog.grab();
    SaveShot(shot, ShotPath(ScreenshotName()));
}

}  // namespace
}  // namespace scanora::ui
