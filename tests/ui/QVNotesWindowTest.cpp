#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <algorithm>

#include "UiTestSupport.h"
#include "camera/QVCamera.h"
#include "cameradisk/DiskDirectory.h"
#include "cameradisk/ImageNotes.h"
#include "ui/MainControl.h"
#include "ui/QVNotesWindow.h"
#include "ui/SavedPosition.h"

namespace scanora::ui {
namespace {

using test::StartedApp;

QString Repeated(char c, int count)
{
    return QString(count, QChar(c));
}

TEST(QVNotesWindowTest, TitleAndTextsNameWhatTheNotesBelongTo)
{
    const QVNotesWindow forImage("Tree, 1/2/26", "mine", "Tree");
    EXPECT_EQ(forImage.windowTitle(), " File Information & Notes for Tree");
    EXPECT_EQ(forImage.findChild<QGroupBox*>()->title(), " Program Generated Information ");
    EXPECT_EQ(forImage.findChild<QLabel*>("captureNotes")->text(), "Tree, 1/2/26");
    EXPECT_EQ(forImage.UserNotes(), "mine");

    const QVNotesWindow forNext("", "", "");
    EXPECT_EQ(forNext.windowTitle(), " File Information & Notes");
}

// The user notes share the header's 254 characters with the capture notes: what does not fit is
// refused where it was typed, and the text already there stays.
TEST(QVNotesWindowTest, UserNotesStayWithinWhatTheCaptureNotesLeave)
{
    QVNotesWindow full(Repeated('c', 254), "left over", "Full");
    EXPECT_EQ(full.UserNotesLimit(), 0);
    EXPECT_EQ(full.UserNotes(), "");
    full.UserNotesEdit()->insertPlainText("typed");
    EXPECT_EQ(full.UserNotes(), "");

    QVNotesWindow nearly(Repeated('c', 250), "ab", "Nearly");
    EXPECT_EQ(nearly.UserNotesLimit(), 4);
    QTextCursor cursor = nearly.UserNotesEdit()->textCursor();
    cursor.setPosition(1);
    nearly.UserNotesEdit()->setTextCursor(cursor);
    nearly.UserNotesEdit()->insertPlainText("XYZ");  // only two fit, after the "a"
    EXPECT_EQ(nearly.UserNotes(), "aXYb");
    nearly.UserNotesEdit()->insertPlainText("QQQQ");
    EXPECT_EQ(nearly.UserNotes(), "aXYb");

    // Longer capture notes than the header holds leave no room, never a negative one.
    const QVNotesWindow over(Repeated('c', 300), "x", "Over");
    EXPECT_EQ(over.UserNotesLimit(), 0);
    EXPECT_EQ(over.UserNotes(), "");
}

TEST(QVNotesWindowTest, PositionIsRememberedAndAnUnusableEntryCentres)
{
    const QString key = QStringLiteral("Settings/WindowPos %1").arg(QVNotesWindow::kWindowNumber);
    QSettings().remove(key);
    const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
    {
        QVNotesWindow window("notes", "", "");
        EXPECT_LE((window.frameGeometry().center() - desktop.center()).manhattanLength(), 2);
        window.move(desktop.topLeft() + QPoint(40, 30));
    }
    EXPECT_EQ(SavedPosition::Parse(QSettings().value(key).toString())->topLeft(),
              desktop.topLeft() + QPoint(40, 30));
    {
        const QVNotesWindow window("notes", "", "");
        EXPECT_EQ(window.pos(), desktop.topLeft() + QPoint(40, 30));
    }

    for (const char* damaged : {"1,2,3", "0,0,0,0,0,0,a,b,c,d", ""}) {
        EXPECT_FALSE(SavedPosition::Parse(damaged)) << damaged;
        QSettings().setValue(key, damaged);
        QVNotesWindow window("notes", "", "");
        EXPECT_LE((window.frameGeometry().center() - desktop.center()).manhattanLength(), 2)
            << damaged;
        window.move(desktop.topLeft() + QPoint(5, 5));
    }
    // A corner beyond the screen comes back at the origin.
    QSettings().setValue(key, SavedPosition::Format(QRect(desktop.right() + 500, 10, 300, 200)));
    {
        const QVNotesWindow window("notes", "", "");
        EXPECT_EQ(window.pos(), QPoint(0, 0));
    }
    QSettings().remove(key);
}

// The panel's Notes button: the user's notes for the next capture reach the image the scan
// leaves on the camera's disk, after the capture notes the current settings give.
TEST(QVNotesWindowTest, NotesForTheNextCaptureReachTheScannedImage)
{
    StartedApp started("sim:speed=0", std::chrono::milliseconds(4000));
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    CaptureSequence& capture = frame.Document().Capture();
    ASSERT_TRUE(QTest::qWaitFor([&] { return started.Context().Camera().IsConnected(); }, 3000));

    QString shownCaptureNotes;
    const auto typeAndAnswer = [&](const QString& typed, bool ok) {
        QTimer::singleShot(0, [&, typed, ok] {
            auto* window = qobject_cast<QVNotesWindow*>(QApplication::activeModalWidget());
            ASSERT_NE(window, nullptr);
            shownCaptureNotes = window->findChild<QLabel*>("captureNotes")->text();
            window->UserNotesEdit()->selectAll();
            window->UserNotesEdit()->insertPlainText(typed);
            ok ? window->accept() : window->reject();
        });
        QTest::mouseClick(frame.Panel().Button(MainControl::kNotes), Qt::LeftButton);
    };
    typeAndAnswer("Cancelled words", false);
    EXPECT_EQ(capture.UserText(), "");
    typeAndAnswer("North wall, raking light", true);
    EXPECT_EQ(capture.UserText(), "North wall, raking light");
    EXPECT_TRUE(shownCaptureNotes.startsWith(
        QString::fromStdString(started.Context().CameraSetting().Prefs().scanName.empty()
                                   ? "Untitled"
                                   : started.Context().CameraSetting().Prefs().scanName)))
        << shownCaptureNotes.toStdString();

    test::PrescanFromPanel(frame);
    test::ScanFromPanel(frame);
    ASSERT_TRUE(capture.ScansSucceeded());

    DiskDirectory directory(started.Context().Camera());
    const std::vector<DiskEntry> entries = directory.Read();
    // The newest image is the scan's.
    const auto newest = std::ranges::max_element(
        entries, {}, [](const DiskEntry& entry) { return entry.IsFree() ? 0u : entry.time; });
    ASSERT_NE(newest, entries.end());
    const ImageNotes notes = ImageNotes::FromHeader(newest->header);
    EXPECT_EQ(notes.UserNotes(), "North wall, raking light");
    // The window showed the notes the scan got, but for the time taken.
    std::vector<std::string> shown =
        ImageNotes(shownCaptureNotes.toStdString(), {}).CaptureFields();
    std::vector<std::string> written = notes.CaptureFields();
    ASSERT_EQ(shown.size(), written.size());
    ASSERT_GE(shown.size(), 3u);
    shown.erase(shown.begin() + 2);
    written.erase(written.begin() + 2);
    EXPECT_EQ(shown, written);
    EXPECT_TRUE(started.messages.empty()) << started.messages.front().toStdString();
}

}  // namespace
}  // namespace scanora::ui
