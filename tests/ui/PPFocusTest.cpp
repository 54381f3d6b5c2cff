// The focus page as a photographer uses it, against the simulated camera with a lens that is
// turned through focus: start, watch the scores move, zoom, stop.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <vector>

#include "UiTestSupport.h"
#include "acquire/CaptureSequence.h"
#include "camera/QVCamera.h"
#include "camera/QVFocus.h"
#include "ui/CGraphButton.h"
#include "ui/CTabControls.h"
#include "ui/FocusHistoryGraph.h"
#include "ui/FocusScoreDisplay.h"
#include "ui/LargeFocusDialog.h"
#include "ui/PPFocus.h"
#include "ui/QorvaneView.h"

namespace scanora::ui {
namespace {

using test::StartedApp;

// The coarse bars of the simulator's scene (model 6): a window there shows the lens's focus.
constexpr int kBarsColumn = 3575;
constexpr int kBarsLine = 746;

PPFocus& ShowFocusPage(QVMainFrame& frame)
{
    frame.Tabs().setCurrentIndex(CTabControls::kFocusPage);
    return frame.Tabs().FocusPage();
}

TEST(PPFocusTest, StartSeeScoresMoveZoomAndStop)
{
    StartedApp started("sim:speed=0,model=6,focus=sweep:20:2");
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    PPFocus& page = ShowFocusPage(frame);
    page.SetZoom(3);
    page.PlaceWindow(kBarsColumn, kBarsLine);
    EXPECT_TRUE(page.WidthLabel()->text().startsWith("150 px"))
        << page.WidthLabel()->text().toStdString();

    QTest::mouseClick(page.StartButton(), Qt::LeftButton);
    EXPECT_EQ(page.StartButton()->text(), "Stop");
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.History().Count() >= 30; }, 20000));
    // The green score rose towards the lens's best focus (the 21st reading) and fell after it;
    // the best since the start is marked there.
    const FocusHistory::Best best = page.History().BestOf(QVFocus::kGreen);
    EXPECT_NEAR(best.reading, 21, 1);
    EXPECT_GT(best.score, page.History().Recent().front()[QVFocus::kGreen]);
    EXPECT_FALSE(page.Scores().ScoreLabel(QVFocus::kGreen)->text().isEmpty());
    EXPECT_EQ(page.Samples().Band(QVFocus::kGreen).size(), 100u);
    // From the loop's reading to its numbers on the page: the middle and the slowest reading.
    std::vector<std::chrono::microseconds> delays(page.ReadingDelays().begin(),
                                                  page.ReadingDelays().end());
    ASSERT_GE(delays.size(), 30u);
    std::sort(delays.begin(), delays.end());
    std::cout << "reading to page: median " << delays[delays.size() / 2].count() << " us, slowest "
              << delays.back().count() << " us over " << delays.size() << " readings\n";

    // Scan does nothing while the carriage is parked for focusing, and the carriage cannot be
    // sent off to be cleaned.
    frame.View().ScanCommand();
    EXPECT_TRUE(frame.Document().Capture().IsIdle());
    frame.UpdateCommands();
    EXPECT_FALSE(frame.Action(QVMainFrame::kCleanPark)->isEnabled());

    // Zoom out while running: the window widens and the readings go on.
    page.ZoomBox()->setCurrentIndex(0);
    Q_EMIT page.ZoomBox()->activated(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.Focus().Width().pixels == 1200; }, 5000));
    EXPECT_TRUE(page.WidthLabel()->text().startsWith("1200 px"));
    const int before = page.History().Count();
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.History().Count() > before + 2; }, 5000));

    // A channel switched off keeps its number.
    page.ChannelBox(QVFocus::kRed)->click();
    EXPECT_FALSE(page.Samples().BandEnabled(QVFocus::kRed));
    int now = page.History().Count();
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.History().Count() > now + 1; }, 5000));
    const int kept = page.History().Recent().back()[QVFocus::kRed];
    now = page.History().Count();
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.History().Count() > now + 3; }, 5000));
    EXPECT_EQ(page.History().Recent().back()[QVFocus::kRed], kept);
    EXPECT_EQ(page.Scores().ScoreLabel(QVFocus::kRed)->text(), QString::number(kept));

    page.LargeButton()->click();
    ASSERT_NE(page.LargeWindow(), nullptr);
    const int shown = page.History().Count();
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.History().Count() > shown + 1; }, 5000));
    EXPECT_EQ(page.LargeWindow()->HistoryGraph().History().Count(), page.History().Count());
    page.LargeWindow()->close();

    QTest::mouseClick(page.StartButton(), Qt::LeftButton);
    EXPECT_EQ(page.StartButton()->text(), "Start");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page.Focus().IsRunning(); }, 5000));
    EXPECT_EQ(started.Context().Camera().QueryStatusWord2(), 4096) << "the carriage is centred";
    frame.UpdateCommands();
    EXPECT_TRUE(frame.Action(QVMainFrame::kCleanPark)->isEnabled());
}

TEST(PPFocusTest, ToolFourPlacesTheWindow)
{
    StartedApp started("sim:speed=0,model=6");
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    PPFocus& page = ShowFocusPage(frame);
    QTest::mouseClick(page.PickButton(), Qt::LeftButton);
    EXPECT_EQ(frame.View().Tool(), ToolKind::FocusLine);
    // The view reports the picked place as tool 4 does.
    Q_EMIT frame.View().focusLinePlaced(400, 300);
    EXPECT_EQ(page.Focus().PickedLine(), 300);
    EXPECT_TRUE(page.Focus().IsWindowPlaced());
}

}  // namespace
}  // namespace scanora::ui
