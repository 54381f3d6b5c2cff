#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "camera/CommandTrace.h"
#include "cameradisk/DiskDirectory.h"
#include "context/AppContext.h"
#include "support/RecordingUiPort.h"
#include "support/SentCommands.h"
#include "ui/DiagnosticsDialog.h"
#include "ui/MainControl.h"

namespace scanora::ui {
namespace {

using test::StartedApp;
using namespace std::chrono_literals;

using scanora::test::SentCommands;

std::size_t StoredImages(QVCamera& camera)
{
    const std::vector<DiskEntry> entries = DiskDirectory(camera).Read();
    return static_cast<std::size_t>(std::count_if(entries.begin(), entries.end(),
                                                  [](const DiskEntry& e) { return !e.IsFree(); }));
}

// A started program whose camera poll stays out of the way, and a trace of what is sent.
class DiagnosticsDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(started_.Start(), QVCameraApp::StartResult::Started);
        // The first poll is over; the next one is a minute away.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return started_.Frame().Panel().Text(MainControl::kDiskFree).endsWith(" MB free");
            },
            3000));
        started_.Context().Camera().SetTrace(&trace_);
    }
    void TearDown() override { started_.Context().Camera().SetTrace(nullptr); }

    std::unique_ptr<DiagnosticsDialog> Open()
    {
        auto dialog = std::make_unique<DiagnosticsDialog>(started_.Context().Camera(), ui_,
                                                          &started_.Frame());
        dialog->show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog->Busy(); }, 5000));
        return dialog;
    }
    void Wait(const DiagnosticsDialog& dialog)
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.Busy(); }, 5000));
    }

    StartedApp started_{"sim:speed=0", 60s};
    scanora::test::RecordingUiPort ui_;
    SentCommands trace_;
};

TEST_F(DiagnosticsDialogTest, ShowsTheFirmwareVersionAndSendsATypedCommand)
{
    const auto dialog = Open();
    EXPECT_EQ(dialog->VersionField().text(), "4.14\n");

    QTest::keyClicks(&dialog->CommandField(), "CS");
    QTest::keyClick(&dialog->CommandField(), Qt::Key_Return);
    Wait(*dialog);
    EXPECT_EQ(trace_.Sent(), (std::vector<std::string>{"MV\r", "CS\r"}));
    EXPECT_TRUE(dialog->ReplyField().text().startsWith("#S"))
        << dialog->ReplyField().text().toStdString();
    EXPECT_EQ(dialog->CommandField().text(), "");
    EXPECT_TRUE(dialog->isVisible()) << "Enter sends, it does not close the dialog";

    // Enter in an empty field sends nothing.
    QTest::keyClick(&dialog->CommandField(), Qt::Key_Return);
    Wait(*dialog);
    EXPECT_EQ(trace_.Sent().size(), 2u);
    EXPECT_TRUE(started_.messages.empty());
}

TEST_F(DiagnosticsDialogTest, DiskIsErasedOnlyAfterYesToTheWarning)
{
    AppContext& app = started_.Context();
    ASSERT_GT(StoredImages(app.Camera()), 0u) << "the simulator's sample images";
    const auto dialog = Open();
    const std::size_t before = trace_.Sent().size();
    auto* erase = dialog->findChild<QPushButton*>("initializeDisk");
    ASSERT_NE(erase, nullptr);

    ui_.SetAnswer(MessageResult::No);
    QTest::mouseClick(erase, Qt::LeftButton);
    Wait(*dialog);
    ASSERT_EQ(ui_.Messages().size(), 1u);
    EXPECT_EQ(ui_.Messages()[0].text, "WARNING, all data on camera hard drive will be lost !!");
    EXPECT_EQ(ui_.Messages()[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(ui_.Messages()[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(trace_.Sent().size(), before) << "No sends nothing";

    ui_.SetAnswer(MessageResult::Yes);
    QTest::mouseClick(erase, Qt::LeftButton);
    Wait(*dialog);
    ASSERT_EQ(trace_.Sent().size(), before + 1);
    EXPECT_EQ(trace_.Sent().back(), "CDI\r");
    EXPECT_EQ(StoredImages(app.Camera()), 0u);
}

TEST_F(DiagnosticsDialogTest, PositionButtonsAndHomeMoveTheCarriage)
{
    QVCamera& camera = started_.Context().Camera();
    const auto dialog = Open();
    for (const int position : {7552, 6144, 4096}) {
        auto* button = dialog->findChild<QPushButton*>(QStringLiteral("position%1").arg(position));
        ASSERT_NE(button, nullptr) << position;
        QTest::mouseClick(button, Qt::LeftButton);
        Wait(*dialog);
        ASSERT_EQ(camera.QueryStatus(), 0);
        EXPECT_EQ(camera.GetStatusWord(2), static_cast<std::uint32_t>(position));
    }
    dialog->HomeCarriage();
    Wait(*dialog);
    ASSERT_EQ(camera.QueryStatus(), 0);
    EXPECT_EQ(camera.GetStatusWord(2), 0u);
}

// Closes the diagnostics dialog as soon as one is open; counts how many were.
class DiagnosticsCloser {
public:
    DiagnosticsCloser()
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* dialog = qobject_cast<DiagnosticsDialog*>(QApplication::activeModalWidget());
                dialog && dialog != last_) {
                last_ = dialog;
                ++opened;
                dialog->reject();
            }
        });
        timer_.start();
    }
    int opened = 0;

private:
    QTimer timer_;
    DiagnosticsDialog* last_ = nullptr;
};

TEST_F(DiagnosticsDialogTest, WindowCommandAndTheAboutBoxServiceKeyOpenIt)
{
    QVMainFrame& frame = started_.Frame();
    {
        DiagnosticsCloser closer;
        started_.App().Ui().PostCommand(WindowCommand::OpenDiagnostics, {});
        ASSERT_TRUE(QTest::qWaitFor([&] { return closer.opened == 1; }, 5000));
    }

    for (const bool shift : {false, true}) {
        DiagnosticsCloser closer;
        QTimer::singleShot(0, [shift] {
            QWidget* about = QApplication::activeModalWidget();
            ASSERT_NE(about, nullptr);
            auto* ok = about->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
            if (shift)
                QTest::keyPress(about, Qt::Key_Shift);
            QTest::mouseClick(ok, Qt::LeftButton, shift ? Qt::ShiftModifier : Qt::NoModifier);
            if (shift)
                QTest::keyRelease(about, Qt::Key_Shift);
        });
        frame.Execute(QVMainFrame::kAbout);
        QTest::qWait(100);
        EXPECT_EQ(closer.opened, shift ? 1 : 0) << shift;
    }
}

}  // namespace
}  // namespace scanora::ui
