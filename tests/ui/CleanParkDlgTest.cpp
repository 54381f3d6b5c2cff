#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "camsim/SimCamera.h"
#include "context/AppContext.h"
#include "ui/CleanParkDlg.h"

namespace scanora::ui {
namespace {

using test::StartedApp;
using Commands = std::vector<std::string>;

std::uint32_t CarriagePosition(AppContext& app)
{
    EXPECT_EQ(app.Camera().QueryStatus(), 0);
    return app.Camera().GetStatusWord(2);
}

// The motor commands the camera received from the `from`th command on.
Commands MotorCommands(AppContext& app, std::size_t from)
{
    const Commands all = app.Simulator()->ReceivedCommands();
    Commands motor;
    for (std::size_t i = from; i < all.size(); ++i)
        if (all[i].starts_with("MD") || all[i].starts_with("CM"))
            motor.push_back(all[i]);
    return motor;
}

std::size_t CommandCount(AppContext& app)
{
    return app.Simulator()->ReceivedCommands().size();
}

QPushButton* Button(const CleanParkDlg& dialog, QDialogButtonBox::StandardButton which)
{
    return dialog.findChild<QDialogButtonBox*>()->button(which);
}

void CleanAndWait(CleanParkDlg& dialog)
{
    QTest::mouseClick(&dialog.CleanButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.Busy(); }, 5000));
}

TEST(CleanParkDlgTest, OkLeavesTheCarriageAtTheCleaningPosition)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    AppContext& app = started.Context();
    CleanParkDlg dialog(app.Camera(), &started.Frame());
    dialog.show();
    CleanAndWait(dialog);
    EXPECT_EQ(CarriagePosition(app), 4992u);

    const std::size_t before = CommandCount(app);
    QTest::mouseClick(Button(dialog, QDialogButtonBox::Ok), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }, 5000));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(MotorCommands(app, before), Commands{});
    EXPECT_EQ(CarriagePosition(app), 4992u);
    EXPECT_TRUE(started.messages.empty());
}

TEST(CleanParkDlgTest, CancelOrClosingBringsTheCarriageToTheCentreThenHome)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    AppContext& app = started.Context();
    for (const bool cancel : {true, false}) {
        CleanParkDlg dialog(app.Camera(), &started.Frame());
        dialog.show();
        CleanAndWait(dialog);
        const std::size_t before = CommandCount(app);
        if (cancel)
            QTest::mouseClick(Button(dialog, QDialogButtonBox::Cancel), Qt::LeftButton);
        else
            dialog.close();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }, 5000)) << cancel;
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(MotorCommands(app, before), (Commands{"MD1000", "CMV", "CMH"})) << cancel;
        EXPECT_EQ(CarriagePosition(app), 0u);
    }
}

TEST(CleanParkDlgTest, MenuCommandOpensItAndOkDuringTheMoveWaitsForTheMove)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    frame.UpdateCommands();
    ASSERT_TRUE(frame.Action(QVMainFrame::kCleanPark)->isEnabled());

    bool wasBusy = false;
    bool stayedOpen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CleanParkDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->Clean();
        wasBusy = dialog->Busy();
        dialog->accept();  // before the move has ended
        stayedOpen = dialog->isVisible();
    });
    EXPECT_TRUE(frame.Execute(QVMainFrame::kCleanPark));
    EXPECT_TRUE(wasBusy);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(CarriagePosition(started.Context()), 4992u);
}

TEST(CleanParkDlgTest, OffForThePanoramicModel)
{
    StartedApp started("sim:speed=0,model=2");
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    started.Frame().UpdateCommands();
    EXPECT_FALSE(started.Frame().Action(QVMainFrame::kCleanPark)->isEnabled());
}

}  // namespace
}  // namespace scanora::ui
