#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "UiTestSupport.h"
#include "ui/MainControl.h"

namespace scanora::ui {
namespace {

using test::StartedApp;

TEST(QVCameraAppTest, ArgumentsChooseCameraAndPreferences)
{
    StartOptions options;
    QString error;
    ASSERT_TRUE(QVCameraApp::ParseArguments(
        {"scanora", "--camera", "sim:model=6", "--prefs", "/tmp/p", "--no-prefs"}, {}, options,
        error));
    EXPECT_EQ(options.cameraSpec, "sim:model=6");
    EXPECT_EQ(options.prefs.path, "/tmp/p");
    EXPECT_TRUE(options.prefs.skip);
    EXPECT_FALSE(options.prefs.reset);

    StartOptions fromEnvironment;
    ASSERT_TRUE(
        QVCameraApp::ParseArguments({"scanora", "--reset-prefs"}, "sim", fromEnvironment, error));
    EXPECT_EQ(fromEnvironment.cameraSpec, "sim");
    EXPECT_TRUE(fromEnvironment.prefs.reset);

    StartOptions bad;
    EXPECT_FALSE(QVCameraApp::ParseArguments({"scanora", "--camera"}, {}, bad, error));
    EXPECT_FALSE(QVCameraApp::ParseArguments({"scanora", "--frobnicate"}, {}, bad, error));
    EXPECT_TRUE(error.contains("--frobnicate"));
}

TEST(QVCameraAppTest, ShiftSkipsAndAltResetsThePreferences)
{
    StartOptions shift;
    QVCameraApp::ApplyStartKeys(Qt::ShiftModifier, shift);
    EXPECT_TRUE(shift.prefs.skip);
    EXPECT_FALSE(shift.prefs.reset);
    StartOptions alt;
    QVCameraApp::ApplyStartKeys(Qt::AltModifier, alt);
    EXPECT_TRUE(alt.prefs.reset);
    EXPECT_FALSE(alt.prefs.skip);
}

TEST(QVCameraAppTest, StartShowsTheCameraWithinOnePoll)
{
    StartedApp started("sim:speed=0,model=6", std::chrono::milliseconds(4000));
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    MainControl& panel = started.Frame().Panel();
    EXPECT_TRUE(started.Frame().isVisible());
    // The first round runs at once; the next only after the interval.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return panel.Text(MainControl::kDiskFree).endsWith(" MB free"); }, 2000));
    EXPECT_EQ(panel.Text(MainControl::kModelName),
              QString::fromStdString(started.Context().Camera().GetModelName()));
    EXPECT_NE(panel.Text(MainControl::kModelName), "No Camera");
    EXPECT_TRUE(panel.Text(MainControl::kDiskFree).endsWith(" MB free"));
    EXPECT_TRUE(panel.Text(MainControl::kVoltage).endsWith(" V"));
    EXPECT_TRUE(started.messages.empty());
}

TEST(QVCameraAppTest, SecondStartBringsTheFirstForwardAndEnds)
{
    StartedApp first;
    ASSERT_EQ(first.Start(), QVCameraApp::StartResult::Started);
    QSignalSpy activated(&first.App(), &QVCameraApp::activated);
    first.Frame().showMinimized();

    StartedApp second;
    second.Options().instanceName = first.Options().instanceName;
    QStringList said;
    second.Options().notice = [&](const QString& text) { said << text; };
    EXPECT_EQ(second.Start(), QVCameraApp::StartResult::OtherInstanceActivated);
    EXPECT_EQ(second.App().MainFrame(), nullptr);
    // The second start does not end silently: the terminal hears where the window went.
    EXPECT_EQ(said, QStringList{QVCameraApp::kBroughtForwardText});
    ASSERT_TRUE(activated.wait(2000));
    EXPECT_FALSE(first.Frame().isMinimized());
}

TEST(QVCameraAppTest, UnusableCameraLinkEndsTheStartWithAMessage)
{
    StartedApp started("nonsense:link");
    EXPECT_EQ(started.Start(), QVCameraApp::StartResult::Failed);
    ASSERT_EQ(started.messages.size(), 1u);
    EXPECT_EQ(started.App().MainFrame(), nullptr);
}

TEST(QVCameraAppTest, ClosingWritesThePreferencesWhenAutoSaveIsOn)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    const auto path = started.Context().PreferencesPath();
    std::filesystem::remove(path);
    // The scan name is kept as the panel's name field shows it.
    QLineEdit* name = started.Frame().Panel().ScanNameEdit();
    name->selectAll();
    QTest::keyClicks(name, "Harbour");
    started.Frame().close();
    ASSERT_TRUE(std::filesystem::exists(path));
    std::ifstream in(path);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(text.find("Harbour"), std::string::npos);

    StartedApp off;
    ASSERT_EQ(off.Start(), QVCameraApp::StartResult::Started);
    std::filesystem::remove(off.Context().PreferencesPath());
    off.Frame().Execute(QVMainFrame::kAutoSavePrefs);  // switched off
    off.Frame().close();
    EXPECT_FALSE(std::filesystem::exists(off.Context().PreferencesPath()));
}

}  // namespace
}  // namespace scanora::ui
