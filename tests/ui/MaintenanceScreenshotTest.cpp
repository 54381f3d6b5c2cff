// The cleaning and diagnostics dialogs as a person sees them: every control inside the dialog at
// no less than the size it asks for, and a screenshot of each saved into the build folder
// (under Xvfb at scale 1 and 2, see tests/CMakeLists).

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "ScreenshotSupport.h"
#include "UiTestSupport.h"
#include "context/AppContext.h"
#include "support/RecordingUiPort.h"
#include "ui/CleanParkDlg.h"
#include "ui/DiagnosticsDialog.h"

namespace scanora::ui {
namespace {

using test::StartedApp;

void ExpectWhole(const QDialog& dialog)
{
    for (const QWidget* control : dialog.findChildren<QWidget*>()) {
        if (!control->isVisibleTo(&dialog))
            continue;
        const auto* label = qobject_cast<const QLabel*>(control);
        if (!qobject_cast<const QAbstractButton*>(control) &&
            !qobject_cast<const QLineEdit*>(control) && !(label && !label->text().isEmpty()))
            continue;
        const QRect where(control->mapTo(&dialog, QPoint(0, 0)), control->size());
        EXPECT_TRUE(dialog.rect().contains(where))
            << control->metaObject()->className() << " " << control->objectName().toStdString();
        EXPECT_GE(control->width(), control->minimumSizeHint().width())
            << control->metaObject()->className() << " " << control->objectName().toStdString();
        EXPECT_GE(control->height(), control->minimumSizeHint().height())
            << control->metaObject()->className() << " " << control->objectName().toStdString();
    }
}

void Shoot(QDialog& dialog, const QString& name)
{
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::qWait(100);
    ExpectWhole(dialog);
    test::SaveShot(dialog.grab(), test::ShotPath(name + test::ScaleSuffix()));
    // At its smallest too.
    dialog.resize(dialog.minimumSizeHint());
    QTest::qWait(50);
    ExpectWhole(dialog);
}

TEST(MaintenanceScreenshotTest, CleaningAndDiagnosticsDialogsShowWhole)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    AppContext& app = started.Context();

    CleanParkDlg clean(app.Camera(), &started.Frame());
    Shoot(clean, "clean-park");
    clean.accept();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !clean.isVisible(); }, 5000));

    scanora::test::RecordingUiPort ui;
    DiagnosticsDialog diagnostics(app.Camera(), ui, &started.Frame());
    diagnostics.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !diagnostics.Busy(); }, 5000));
    QTest::keyClicks(&diagnostics.CommandField(), "CS");
    QTest::keyClick(&diagnostics.CommandField(), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !diagnostics.Busy(); }, 5000));
    Shoot(diagnostics, "diagnostics");
}

}  // namespace
}  // namespace scanora::ui
