// The tone page after a prescan, with colour sample points and a handle being dragged, as a person
// sees it at 1024 x 700 and at the window's smallest size: every control whole and at its size,
// and screenshots of the window and of the page (under Xvfb at scale 1 and 2, see
// tests/CMakeLists).

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QScrollArea>
#include <QTest>

#include <algorithm>

#include "ScreenshotSupport.h"
#include "UiTestSupport.h"
#include "camera/QVExposure.h"
#include "imaging/QVCurveEditor.h"
#include "ui/CTabControls.h"
#include "ui/PPTone.h"
#include "ui/TonePalette.h"

namespace scanora::ui {
namespace {

using test::ExpectWholeControls;
using test::SaveShot;
using test::ShotName;
using test::ShotPath;
using test::StartedApp;

TEST(TonePageScreenshotTest, GraphAndButtonsFitThePage)
{
    StartedApp started;
    started.Options().prefs.reset = true;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    frame.resize(1024, 700);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    test::PrescanFromPanel(frame);
    QVExposure& exposure = started.Context().Exposure();
    const PreviewImage& image = frame.Document().Image();
    exposure.AddSamplePoint(image.Width() / 3, image.Height() / 2);
    exposure.AddSamplePoint(image.Width() * 2 / 3, image.Height() / 3);
    frame.Tabs().setCurrentIndex(CTabControls::kTonePage);
    PPTone& page = frame.Tabs().TonePage();
    page.RefreshSampleMarks();

    // The graph's histogram follows the preview's.
    const QVCurveEditor& editor = started.Context().CurveEditor();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const auto& bins = editor.HistogramBins();
            return std::any_of(bins.begin(), bins.end(), [](std::int64_t n) { return n > 0; });
        },
        5000));

    // A handle held part way through a drag shows its guides.
    TonePalette& graph = *page.Graph();
    const CurveHandle handle = editor.Handles()[3];
    const QPoint at(editor.Graph().LevelToX(handle.x), editor.Graph().LevelToY(handle.y));
    QTest::mousePress(&graph, Qt::LeftButton, {}, at);
    QTest::mouseMove(&graph, at + QPoint(6, -10));
    ASSERT_TRUE(editor.IsDragging());

    for (const QSize size : {QSize(1024, 700), frame.minimumSize()}) {
        SCOPED_TRACE(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height()).toStdString());
        frame.resize(size);
        QTest::qWait(50);
        frame.ControlPanes().ensureWidgetVisible(&page, 0, 0);
        QTest::qWait(50);
        EXPECT_GE(graph.height(), TonePalette::kMinimumHeight);
        ExpectWholeControls(page);
        const QString suffix = QStringLiteral("-%1x%2").arg(size.width()).arg(size.height());
        SaveShot(frame.grab(), ShotPath(ShotName("tone-window" + suffix)));
        SaveShot(page.grab(), ShotPath(ShotName("tone-page" + suffix)));
    }
    QTest::mouseRelease(&graph, Qt::LeftButton, {}, at + QPoint(6, -10));
}

}  // namespace
}  // namespace scanora::ui
