// The panorama page and the Pano Settings dialog as a person sees them in a 1024 x 700 window:
// every control inside its page and at least as large as it asks to be, and screenshots saved
// into the build folder (under Xvfb the test runs at scale 1 and 2, see tests/CMakeLists).

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QPixmap>
#include <QTest>

#include "ScreenshotSupport.h"
#include "UiTestSupport.h"
#include "camera/QVPanoControl.h"
#include "ui/CTabControls.h"
#include "ui/PPPano.h"
#include "ui/PanoSettingsDialog.h"

namespace scanora::ui {
namespace {

using test::SaveShot;
using test::ShotPath;
using test::StartedApp;
using test::VisiblePart;

QString ScreenshotName(const QString& what)
{
    QString name = qEnvironmentVariable("SCANORA_SCREENSHOT_NAME");
    name.replace("main-window", what);
    return name.isEmpty() ? what + QStringLiteral("-offscreen") : name;
}

// Every visible button, box and labelled text of `top` lies wholly inside `top` and has at least
// the size it asks for.
int ExpectNothingCutOffOrSqueezed(const QWidget& top)
{
    int checked = 0;
    for (const QWidget* control : top.findChildren<QWidget*>()) {
        if (!control->isVisibleTo(&top))
            continue;
        const auto* label = qobject_cast<const QLabel*>(control);
        if (!qobject_cast<const QAbstractButton*>(control) &&
            !qobject_cast<const QComboBox*>(control) &&
            !qobject_cast<const QAbstractSpinBox*>(control) && !(label && !label->text().isEmpty()))
            continue;
        const std::string what = control->metaObject()->className() + std::string(" '") +
                                 (label ? label->text().toStdString() : std::string()) + "'";
        const QRect where(control->mapTo(&top, QPoint(0, 0)), control->size());
        EXPECT_EQ(VisiblePart(*control, top), where) << what << " is cut off";
        EXPECT_GE(control->width(), control->minimumSizeHint().width()) << what << " is squeezed";
        EXPECT_GE(control->height(), control->minimumSizeHint().height()) << what << " is squeezed";
        ++checked;
    }
    return checked;
}

TEST(PanoPageScreenshotTest, InASmallWindowNothingIsCutOffOrSqueezed)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    started.Context().CameraSetting().Prefs().enablePanoMode = true;
    started.Context().Pano().SetPanoMode(StageValues::kPanoOn);
    QVMainFrame& frame = started.Frame();
    frame.resize(1024, 700);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    frame.Execute(QVMainFrame::kStageControl);
    PPPano& page = frame.Tabs().PanoPage();
    page.Refresh();
    QTest::qWait(100);

    EXPECT_GT(ExpectNothingCutOffOrSqueezed(page), 12);
    SaveShot(frame.grab(), ShotPath(ScreenshotName("pano-page")));

    PanoSettingsDialog dialog(started.Context().Pano().CurrentStageValues(), false, &frame);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.resize(dialog.minimumSize());
    QTest::qWait(50);
    EXPECT_GT(ExpectNothingCutOffOrSqueezed(dialog), 20);
    SaveShot(dialog.grab(), ShotPath(ScreenshotName("pano-settings")));
}

}  // namespace
}  // namespace scanora::ui
