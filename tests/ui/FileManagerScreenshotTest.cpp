// The camera disk manager at its minimum size, as a person sees it: every control inside the
// window at no less than the size it asks for, and a screenshot saved into the build folder
// (under Xvfb at scale 1 and 2, see tests/CMakeLists).

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QTest>

#include <iostream>

#include "ScreenshotSupport.h"
#include "UiTestSupport.h"
#include "ui/DiskListView.h"
#include "ui/QVFileManager.h"

namespace scanora::ui {
namespace {

using test::StartedApp;

void Save(QWidget& window, const QString& name)
{
    test::SaveShot(window.grab(), test::ShotPath(name + test::ScaleSuffix()));
}

TEST(FileManagerScreenshotTest, AtItsMinimumSizeEveryControlShowsWhole)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    frame.show();
    frame.Execute(QVMainFrame::kFileManager);
    QVFileManager* manager = frame.findChild<QVFileManager*>();
    ASSERT_NE(manager, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(manager));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !manager->Busy() && manager->List().topLevelItemCount() > 0; }, 20000));
    QTest::qWait(100);
    Save(*manager, "file-manager");

    manager->resize(manager->minimumSize());
    QTest::qWait(100);
    EXPECT_GE(manager->width(), manager->minimumSizeHint().width());
    const QRect firstRow = manager->List().visualItemRect(manager->List().topLevelItem(0));
    EXPECT_GE(manager->List().viewport()->height(), firstRow.height() * 6)
        << "the list shows six rows";
    for (const QWidget* control : manager->findChildren<QWidget*>()) {
        if (!control->isVisibleTo(manager))
            continue;
        const auto* label = qobject_cast<const QLabel*>(control);
        if (!qobject_cast<const QAbstractButton*>(control) &&
            !qobject_cast<const QComboBox*>(control) && !(label && !label->text().isEmpty()))
            continue;
        const QRect where(control->mapTo(manager, QPoint(0, 0)), control->size());
        EXPECT_TRUE(manager->rect().contains(where))
            << control->metaObject()->className() << " leaves the window";
        EXPECT_GE(control->width(), control->minimumSizeHint().width())
            << control->metaObject()->className() << " is squeezed";
        EXPECT_GE(control->height(), control->minimumSizeHint().height())
            << control->metaObject()->className() << " is squeezed";
    }
    Save(*manager, "file-manager-minimum");
}

}  // namespace
}  // namespace scanora::ui
