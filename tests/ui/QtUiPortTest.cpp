#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <thread>

#include "ui/QtUiPort.h"

namespace scanora::ui {
namespace {

TEST(QtUiPortTest, MessagesFromWorkerThreadsAreAnsweredOnTheGuiThread)
{
    QtUiPort port;
    QThread* shownOn = nullptr;
    QString shownText;
    port.SetMessagePresenter([&](const QString& text, MessageIcon, MessageButtons) {
        shownOn = QThread::currentThread();
        shownText = text;
        return MessageResult::Yes;
    });

    MessageResult answer = MessageResult::Cancel;
    bool returned = false;
    std::thread worker([&] {
        answer = port.ShowMessage("Delete Image?", MessageIcon::Question, MessageButtons::YesNo);
        returned = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return shownOn != nullptr; }, 2000));
    worker.join();
    EXPECT_TRUE(returned);
    EXPECT_EQ(shownOn, QApplication::instance()->thread());
    EXPECT_EQ(shownText, "Delete Image?");
    EXPECT_EQ(answer, MessageResult::Yes);

    // On the GUI thread itself the message runs at once.
    shownOn = nullptr;
    EXPECT_EQ(port.ShowMessage("x", MessageIcon::None, MessageButtons::YesNo), MessageResult::Yes);
    EXPECT_EQ(shownOn, QApplication::instance()->thread());
}

TEST(QtUiPortTest, PostedCommandsArriveQueuedInOrder)
{
    QtUiPort port;
    QSignalSpy spy(&port, &QtUiPort::commandPosted);
    port.PostCommand(WindowCommand::ShowStatus, "Prescanning");
    EXPECT_EQ(spy.count(), 0) << "a posted command never runs inside its sender";
    std::thread worker([&] { port.PostCommand(WindowCommand::SetElapsedTime, "3725"); });
    worker.join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return spy.count() == 2; }, 2000));
    EXPECT_EQ(spy.at(0).at(0).toInt(), 36866);
    EXPECT_EQ(spy.at(0).at(1).toString(), "Prescanning");
    EXPECT_EQ(spy.at(1).at(0).toInt(), 36868);
    EXPECT_EQ(spy.at(1).at(1).toString(), "3725");
}

TEST(QtUiPortTest, ClosedMessageBoxGivesTheSafeAnswer)
{
    // Escape on a Yes/No box must not read as Yes.
    QTimer::singleShot(0, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            QTest::keyClick(box, Qt::Key_Escape);
    });
    const auto result =
        QtUiPort::ShowMessageBox(nullptr, "Delete?", MessageIcon::Question, MessageButtons::YesNo);
    EXPECT_EQ(result, MessageResult::No);
}

}  // namespace
}  // namespace scanora::ui
