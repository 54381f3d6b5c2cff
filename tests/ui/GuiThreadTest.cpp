#include <gtest/gtest.h>

#include <QTest>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "UiTestSupport.h"
#include "camera/ExposureDisplays.h"
#include "ui/CTabControls.h"
#include "ui/ExposureDisplaysOnGui.h"
#include "ui/GuiThread.h"
#include "ui/MainControl.h"
#include "ui/PreferenceDisplaysOnGui.h"
#include "ui/QVPropertyPage.h"
#include "ui/QVUIHandler.h"
#include "ui/SettingListDisplaysOnGui.h"

namespace scanora::ui {
namespace {

using namespace std::chrono_literals;
using test::StartedApp;

ExposureReadout ReadoutLabelled(std::string_view label)
{
    ExposureReadout readout;
    readout.lineTimeLabel = label;
    readout.prescanSeconds = 65;
    return readout;
}

// Each statement runs in a fresh copy of the test program (the GUI test program has threads).
class GuiThreadDeathTest : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(GuiThreadDeathTest, AWorkerThatCallsAWidgetClassDirectlyStopsTheProgramNamingTheCall)
{
    EXPECT_DEATH(
        {
            MainControl panel;
            std::thread([&] { panel.SetText(MainControl::kLineTime, "1/30 s"); }).join();
        },
        "MainControl::SetText.*called off the GUI thread");
    EXPECT_DEATH(
        {
            StartedApp started;
            if (started.Start() != QVCameraApp::StartResult::Started)
                return;
            QVUIHandler& handler = started.Frame().Handler();
            std::thread([&] { handler.ShowExposure(ReadoutLabelled(" 1/30 s")); }).join();
        },
        "QVUIHandler::ShowExposure.*called off the GUI thread");
}

TEST(GuiThreadTest, TheSameCallsThroughTheSeamShowCopiesOnTheGuiThread)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVUIHandler& handler = started.Frame().Handler();
    MainControl& panel = started.Frame().Panel();
    GuiThread gui;
    ExposureDisplaysOnGui exposure(gui, handler);
    SettingListDisplaysOnGui lists(gui, handler);
    QComboBox* box = started.Frame().Tabs().PageFor(SettingKind::Size)->SettingsBox();
    const int entries = box->count();

    std::thread worker([&] {
        // The worker changes its label and name right after each call: what is shown is what
        // they were at the call.
        std::string label = " 1/60 s";
        exposure.ShowExposure(ReadoutLabelled(label));
        label.assign(label.size(), '#');
        std::string name = "From a worker";
        lists.AddName(SettingKind::Size, name);
        name.assign(name.size(), '#');
    });
    worker.join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->count() == entries + 1; }, 2000));
    EXPECT_EQ(panel.Text(MainControl::kLineTime), " 1/60 s");
    EXPECT_EQ(panel.Text(MainControl::kPrescanTime), "01:05");
    EXPECT_EQ(box->itemText(entries), "From a worker");
}

TEST(GuiThreadTest, RunRunsAtOnceOnTheGuiThreadAndInOrderFromAWorker)
{
    GuiThread gui;
    std::vector<int> ran;
    gui.Run([&] { ran.push_back(0); });
    EXPECT_EQ(ran, std::vector<int>{0});  // direct: nothing queued

    std::thread worker([&] {
        for (int i = 1; i <= 3; ++i)
            gui.Run([&ran, i] {
                EXPECT_TRUE(GuiThread::IsCurrent());
                ran.push_back(i);
            });
    });
    worker.join();
    EXPECT_EQ(ran.size(), 1u);  // queued, not run inside the worker
    ASSERT_TRUE(QTest::qWaitFor([&] { return ran.size() == 4; }, 2000));
    EXPECT_EQ(ran, (std::vector<int>{0, 1, 2, 3}));

    gui.Close();
    gui.Run([&] { ran.push_back(9); });
    QTest::qWait(20);
    EXPECT_EQ(ran.size(), 4u);
}

TEST(GuiThreadTest, AWaitingWorkerIsBoundedAndLetGoAtClose)
{
    GuiThread gui;
    // The GUI thread answers while it turns its event loop.
    std::atomic<int> answer{0};
    std::thread asking([&] { answer = gui.Ask<int>([] { return 42; }, -1, 5s); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answer.load() != 0; }, 2000));
    asking.join();
    EXPECT_EQ(answer.load(), 42);

    // A GUI thread that itself waits for the worker (here: join) costs the worker its bound,
    // and the late work never runs with the worker's locals gone.
    bool ran = false;
    const auto start = std::chrono::steady_clock::now();
    std::thread bounded([&] { EXPECT_FALSE(gui.RunAndWait([&] { ran = true; }, 100ms)); });
    bounded.join();
    EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms);
    QTest::qWait(20);
    EXPECT_FALSE(ran);

    // Close lets a worker with a long bound go at once, with the fallback answer.
    std::atomic<bool> waiting{false};
    std::thread closing([&] {
        waiting = true;
        EXPECT_EQ(gui.Ask<int>([] { return 42; }, -1, 60s), -1);
    });
    while (!waiting) std::this_thread::yield();
    std::this_thread::sleep_for(20ms);
    const auto closed = std::chrono::steady_clock::now();
    gui.Close();
    closing.join();
    EXPECT_LT(std::chrono::steady_clock::now() - closed, 2s);
}

// Only the questions wait for the GUI thread; what is shown is queued.
class FixedPreferenceDisplays final : public PreferenceDisplays {
public:
    void ShowCameraColorMode(std::int16_t) override {}
    void ShowPreviewAppearance(const PreviewAppearance&) override {}
    [[nodiscard]] std::string ScanNameField() const override
    {
        EXPECT_TRUE(GuiThread::IsCurrent());
        return name;
    }
    void ShowScanName(std::string_view shown) override { name = shown; }
    [[nodiscard]] int ControlPosition() const override { return 3; }
    void SetControlPosition(int) override {}
    [[nodiscard]] std::int32_t CurrentProfileIndex() const override { return 2; }
    void ShowProfiles(const std::vector<std::string>&, std::int32_t, bool) override {}
    void ShowTimeLapse(std::int16_t, std::int16_t, bool) override {}
    [[nodiscard]] bool RulersShown() const override { return true; }
    void ShowRulers(bool) override {}

    std::string name;
};

TEST(GuiThreadTest, PreferenceQuestionsAreAnsweredOnTheGuiThread)
{
    GuiThread gui;
    FixedPreferenceDisplays windows;
    PreferenceDisplaysOnGui displays(gui, windows);
    std::string asked;
    std::atomic<int> position{-1};
    std::thread worker([&] {
        displays.ShowScanName("Barn door");
        asked = displays.ScanNameField();
        position = displays.ControlPosition();
    });
    while (position < 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    EXPECT_EQ(asked, "Barn door");
    EXPECT_EQ(position.load(), 3);

    gui.Close();
    std::thread late([&] { EXPECT_FALSE(displays.RulersShown()); });
    late.join();
}

}  // namespace
}  // namespace scanora::ui
