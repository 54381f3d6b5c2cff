// The main window after a prescan, as a person sees it: every pane inside the window, no two
// panes over each other, no control cut off by its pane, and a screenshot of the whole window
// saved into the build folder (under Xvfb the test runs at scale 1 and 2, see tests/CMakeLists).

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>

#include <algorithm>
#include <iostream>
#include <vector>

#include "ScreenshotSupport.h"
#include "UiTestSupport.h"
#include "acquire/CaptureSequence.h"
#include "imaging/CropEditor.h"
#include "ui/CTabControls.h"
#include "ui/MainControl.h"
#include "ui/QVHistogram.h"
#include "ui/QVImagePalette.h"
#include "ui/QorvaneView.h"

namespace scanora::ui {
namespace {

using test::SaveShot;
using test::ShotPath;
using test::StartedApp;
using test::VisiblePart;

// The visible controls a user reads or clicks in a pane.
std::vector<const QWidget*> Controls(const QWidget& pane)
{
    std::vector<const QWidget*> controls;
    for (const QWidget* child : pane.findChildren<QWidget*>()) {
        if (!child->isVisibleTo(&pane))
            continue;
        if (qobject_cast<const QAbstractButton*>(child) || qobject_cast<const QComboBox*>(child) ||
            qobject_cast<const QLineEdit*>(child) ||
            (qobject_cast<const QLabel*>(child) &&
             !qobject_cast<const QLabel*>(child)->text().isEmpty()))
            controls.push_back(child);
    }
    return controls;
}

QString ScreenshotName()
{
    const QString name = qEnvironmentVariable("SCANORA_SCREENSHOT_NAME");
    return name.isEmpty() ? QStringLiteral("main-window-offscreen") : name;
}

TEST(MainWindowScreenshotTest, AfterAPrescanEverythingIsVisibleAndNothingOverlaps)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    frame.resize(1280, 860);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return frame.Panel().Text(MainControl::kDiskFree).endsWith(" MB free"); }, 3000));

    QorvaneView& view = frame.View();
    QTest::mouseClick(frame.Panel().Button(MainControl::kPrescan), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            CaptureSequence& capture = frame.Document().Capture();
            return capture.LastPrescanSucceeded() && capture.IsIdle();
        },
        10000));
    view.FitToWindow();
    view.SetTool(ToolKind::Crop);
    view.SetCrop({15.0, 20.0, 60.0, 55.0});
    frame.Tabs().setCurrentIndex(CTabControls::kSizePage);
    // The histogram is counted after the display copy: wait until it has bars.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const auto bins = view.HistogramBins();
            return std::any_of(bins.begin(), bins.end(), [](auto count) { return count > 0; });
        },
        5000));
    QTest::qWait(100);
    // The histogram's slider bar has its bands.
    EXPECT_GT(view.Sliders().Count(), 1);

    const QWidget* panes[] = {&view, &frame.Panel(), &frame.Tabs(), &frame.Histogram()};
    for (const QWidget* pane : panes) {
        const QRect where(pane->mapTo(&frame, QPoint(0, 0)), pane->size());
        EXPECT_TRUE(frame.rect().contains(where))
            << pane->metaObject()->className() << " leaves the window";
        EXPECT_GE(pane->width(), pane->minimumSizeHint().width())
            << pane->metaObject()->className() << " is squeezed";
        for (const QWidget* other : panes) {
            if (other == pane)
                continue;
            const QRect there(other->mapTo(&frame, QPoint(0, 0)), other->size());
            EXPECT_FALSE(where.intersects(there))
                << pane->metaObject()->className() << " over " << other->metaObject()->className();
        }
    }
    for (const QWidget* pane : {static_cast<const QWidget*>(&frame.Panel()),
                                static_cast<const QWidget*>(frame.Tabs().currentWidget()),
                                static_cast<const QWidget*>(&frame.Histogram())}) {
        for (const QWidget* control : Controls(*pane)) {
            const QRect full(control->mapTo(&frame, QPoint(0, 0)), control->size());
            EXPECT_EQ(VisiblePart(*control, frame), full)
                << control->metaObject()->className() << " '" << control->objectName().toStdString()
                << "' in " << pane->metaObject()->className() << " is cut off";
        }
    }
    // The crop frame lies on the image, inside the view.
    const QVImagePalette& palette = view.Palette();
    EXPECT_TRUE(QRect(QPoint(0, 0), view.viewport()->size())
                    .contains(QRect(palette.mapTo(view.viewport(), QPoint(0, 0)), palette.size())));

    const QPixmap shot = frame.grab();
    EXPECT_EQ(shot.deviceIndependentSize().toSize(), frame.size());
    SaveShot(shot, ShotPath(ScreenshotName()));
}

}  // namespace
}  // namespace scanora::ui
