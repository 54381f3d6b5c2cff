// The preferences dialog used as a person uses it, on the running program against the simulated
// camera: numbers out of range are corrected with their messages, the preview shows mask, grid
// and guide choices at once and Cancel takes them back, OK keeps the choices and the windows
// follow the preferences.

#include "ui/QVPrefsWindow.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QToolButton>

#include <memory>
#include <utility>

#include "UiTestSupport.h"
#include "acquire/CaptureSequence.h"
#include "ui/CUpDown.h"
#include "ui/ColorRef.h"
#include "ui/MainControl.h"
#include "ui/MainWindowPreferences.h"

namespace scanora::ui {
namespace {

using test::StartedApp;
using W = QVPrefsWindow;

class QVPrefsWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(started_.Start(), QVCameraApp::StartResult::Started);
        started_.Frame().show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&started_.Frame()));
    }

    // Opens the dialog with choosers that answer what the test set.
    QVPrefsWindow& Open()
    {
        PrefsChoosers choosers;
        choosers.folder = [this](QWidget*, const QString& title, const QString&) {
            folderTitles_.push_back(title);
            return folder_;
        };
        choosers.application = [this](QWidget*, const QString&) { return application_; };
        choosers.sound = [this](QWidget*, const QString&) { return sound_; };
        choosers.color = [this](QWidget*, const QColor&) { return color_; };
        QorvaneView& view = started_.Frame().View();
        dialog_ = std::make_unique<QVPrefsWindow>(
            Context(), [&view](const PreviewAppearance& shown) { view.SetAppearance(shown); },
            choosers, &started_.Frame());
        dialog_->show();
        dialog_->activateWindow();
        EXPECT_TRUE(
            QTest::qWaitFor([this] { return QApplication::activeWindow() == dialog_.get(); }));
        return *dialog_;
    }

    QLineEdit* Edit(int id) const { return dialog_->Find<QLineEdit>(id); }
    QAbstractButton* Button(int id) const { return dialog_->Find<QAbstractButton>(id); }
    // Clicks a button where its box or its text begins (check boxes are as wide as their group).
    void Click(int id) const
    {
        QAbstractButton* button = Button(id);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }

    // Types `text` over what the field holds.
    void TypeInto(int id, const QString& text) const
    {
        QLineEdit* edit = Edit(id);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }
    // Puts `text` into the field as pasting does (no filter).
    void PasteInto(int id, const QString& text) const
    {
        QLineEdit* edit = Edit(id);
        edit->setFocus();
        edit->selectAll();
        edit->insert(text);
    }
    // Moves the focus on to another field.
    void Leave(int id) const
    {
        ASSERT_TRUE(Edit(id)->hasFocus())
            << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className()
                                            : "none")
            << " active "
            << (QApplication::activeWindow()
                    ? QApplication::activeWindow()->windowTitle().toStdString()
                    : "none");
        Edit(id == W::kScanFolder ? W::kPrescanFolder : W::kScanFolder)->setFocus();
    }

    AppContext& Context() { return started_.Context(); }
    CameraPreferences& Prefs() { return Context().CameraSetting().Prefs(); }
    QorvaneView& View() { return started_.Frame().View(); }
    std::vector<QString>& Messages() { return started_.messages; }

    StartedApp started_;
    std::unique_ptr<QVPrefsWindow> dialog_;
    std::vector<QString> folderTitles_;
    QString folder_;
    QString application_;
    QString sound_;
    QColor color_;
};

TEST_F(QVPrefsWindowTest, ANumberOutOfRangeIsReplacedWithItsMessageWhenTheFieldIsLeft)
{
    Open();
    EXPECT_EQ(dialog_->windowTitle(), " Preferences");
    struct Case {
        int id;
        QString typed;
        bool pasted;
        QString message;
        QString corrected;
    };
    const Case cases[] = {
        {W::kStepBy, "0", false, "Increment Range: 1-9999\n\nIncrement has been changed to: 1 ",
         "1"},
        {W::kStepBy, "10000", false, "Increment Range: 1-9999\n\nIncrement has been changed to: 1 ",
         "1"},
        {W::kStartNumber, "10000", false,
         "Start Number Range: 0-9999\n\nStart Number has been changed to: 1 ", "1"},
        {W::kStartNumber, "-4", true,
         "Start Number Range: 0-9999\n\nStart Number has been changed to: 1 ", "1"},
        {W::kBaselineIso, "", false,
         "ISO Baseline Range: 1-9999\n\nISO Baseline has been changed to: 100 ", "100"},
        {W::kBaselineIso, "12345", false,
         "ISO Baseline Range: 1-9999\n\nISO Baseline has been changed to: 100 ", "100"},
        {W::kGridWidth, "2", false,
         "Grid Width Range: 3-500\n\nGrid Width has been changed to: 50 ", "50"},
        {W::kGridWidth, "501", false,
         "Grid Width Range: 3-500\n\nGrid Width has been changed to: 50 ", "50"},
        {W::kGridHeight, "0", false,
         "Grid Height Range: 3-500\n\nGrid Height has been changed to: 50 ", "50"},
        {W::kSuffixLength, "0", false,
         "Suffix length range: 1-12\n\nSuffix length has been changed to: 2 ", "2"},
        {W::kSuffixLength, "13", false,
         "Suffix length range: 1-12\n\nSuffix length has been changed to: 2 ", "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        Messages().clear();
        c.pasted ? PasteInto(c.id, c.typed) : TypeInto(c.id, c.typed);
        EXPECT_TRUE(Messages().empty()) << "checked before the field was left";
        Leave(c.id);
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_EQ(Messages().front(), c.message);
        EXPECT_EQ(Edit(c.id)->text(), c.corrected);
    }

    // The ends of each range pass.
    Messages().clear();
    for (const auto& [id, text] :
         {std::pair{W::kStepBy, "9999"}, std::pair{W::kStartNumber, "0"},
          std::pair{W::kGridHeight, "3"}, std::pair{W::kSuffixLength, "12"},
          std::pair{W::kBaselineIso, "1"}}) {
        TypeInto(id, text);
        Leave(id);
    }
    EXPECT_TRUE(Messages().empty());

    // The time lapse fields are checked as they change: only a pasted negative number fails.
    PasteInto(W::kTimeLapseImages, "-3");
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages().back(),
              "Time Lapse Images must be greater than 0\n\nIt has been changed to: 1");
    EXPECT_EQ(Edit(W::kTimeLapseImages)->text(), "1");
    PasteInto(W::kTimeLapseSeconds, "-1");
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages().back(),
              "Time Lapse Seconds must be greater than 0\n\nIt has been changed to: 1");
    TypeInto(W::kTimeLapseSeconds, "0");
    EXPECT_EQ(Messages().size(), 2u);
}

TEST_F(QVPrefsWindowTest, CancelTakesBackWhatThePreviewShowedOfMaskGridAndGuides)
{
    const CameraPreferences before = Prefs();
    const PreviewAppearance shown = View().Appearance();
    Open();

    color_ = QColor(255, 0, 0);
    Click(W::kMaskColor);
    EXPECT_EQ(View().Appearance().maskColor, 0x0000FFu);
    color_ = QColor(0, 0, 255);
    Click(W::kGridColor);
    EXPECT_EQ(View().Appearance().gridColor, 0xFF0000u);
    color_ = QColor(0, 255, 0);
    Click(W::kGuideColor);
    EXPECT_EQ(View().Appearance().guideColor, 0x00FF00u);
    // The swatch shows the new colour as well.
    EXPECT_EQ(dialog_->Find<QLabel>(W::kGuideSwatch)->palette().color(QPalette::Window),
              QColor(0, 255, 0));

    auto* slider = dialog_->Find<QSlider>(W::kTransparency);
    slider->setValue(200);
    EXPECT_EQ(dialog_->Find<QLabel>(W::kTransparencyText)->text(), "Transparency: 200");
    EXPECT_EQ(View().Appearance().maskTransparency, 200);

    auto* width = dialog_->Find<CUpDown>(W::kGridWidthUpDown);
    QTest::mouseClick(width->UpButton(), Qt::LeftButton);
    EXPECT_EQ(Edit(W::kGridWidth)->text(), QString::number(shown.gridWidth + 1));
    EXPECT_EQ(std::as_const(View()).Grid().SpacingX(), shown.gridWidth + 1);
    QTest::mouseClick(dialog_->Find<CUpDown>(W::kGridHeightUpDown)->DownButton(), Qt::LeftButton);
    EXPECT_EQ(std::as_const(View()).Grid().SpacingY(), shown.gridHeight - 1);

    QTest::keyClick(dialog_.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog_->isVisible());
    const PreviewAppearance after = View().Appearance();
    EXPECT_EQ(after.maskColor, shown.maskColor);
    EXPECT_EQ(after.maskTransparency, shown.maskTransparency);
    EXPECT_EQ(after.gridColor, shown.gridColor);
    EXPECT_EQ(after.guideColor, shown.guideColor);
    EXPECT_EQ(std::as_const(View()).Grid().SpacingX(), shown.gridWidth);
    EXPECT_EQ(std::as_const(View()).Grid().SpacingY(), shown.gridHeight);
    EXPECT_EQ(Prefs().maskColor, before.maskColor);
    EXPECT_EQ(Prefs().maskTransparency, before.maskTransparency);
    EXPECT_EQ(Prefs().gridWidth, before.gridWidth);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(QVPrefsWindowTest, OkKeepsTheChoicesAndTheWindowsFollow)
{
    Open();
    folder_ = "/srv/scans";
    Click(W::kScanFolderButton);
    EXPECT_EQ(Edit(W::kScanFolder)->text(), "/srv/scans");
    ASSERT_EQ(folderTitles_.size(), 1u);
    EXPECT_EQ(folderTitles_.front(), "Choose Save Scan Folder.");
    folder_.clear();  // cancelled: the field keeps its text
    Click(W::kScanFolderButton);
    EXPECT_EQ(Edit(W::kScanFolder)->text(), "/srv/scans");

    application_ = "/opt/viewer/bin/viewer";
    Click(W::kChooseApplication);
    EXPECT_EQ(dialog_->Find<QLabel>(W::kApplicationName)->text(), "viewer");
    sound_ = "/usr/share/sounds/done.wav";
    Click(W::kChooseSound);
    EXPECT_EQ(dialog_->Find<QLabel>(W::kSoundName)->text(), "done.wav");

    color_ = QColor(10, 20, 30);
    Click(W::kMaskColor);
    Click(W::kAutoSaveScans);
    Click(W::kDotted);
    Click(W::kThirdStop);
    dialog_->Find<QComboBox>(W::kLineTimeSync)->setCurrentIndex(2);
    dialog_->Find<QComboBox>(W::kDescriptionText)->setCurrentIndex(0);
    TypeInto(W::kFileName, "Harbour");
    TypeInto(W::kStepBy, "5");
    TypeInto(W::kBaselineIso, "160");
    // A series of 0 images passes the dialog and is repaired when the record is applied.
    Click(W::kTimeLapse);
    TypeInto(W::kTimeLapseImages, "0");

    QTest::mouseClick(dialog_->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                      Qt::LeftButton);
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_EQ(dialog_->result(), QDialog::Accepted);
    EXPECT_TRUE(Messages().empty());

    const CameraPreferences& prefs = Prefs();
    EXPECT_EQ(prefs.saveScansFolder, "/srv/scans");
    EXPECT_EQ(prefs.openWithApplicationName, "/opt/viewer/bin/viewer");
    EXPECT_EQ(prefs.soundName, "/usr/share/sounds/done.wav");
    EXPECT_TRUE(prefs.autoSaveScans);
    EXPECT_EQ(prefs.guidePatternID, 2);
    EXPECT_EQ(prefs.isoIncrement, CameraPreferences::kOneThird);
    EXPECT_EQ(prefs.lineTimeSync, CameraPreferences::kSync50Hz);
    EXPECT_EQ(prefs.fileDescriptionTextType, CameraPreferences::kDescriptionNone);
    EXPECT_EQ(prefs.autoFileName, "Harbour");
    EXPECT_EQ(prefs.autoFileIncrement, 5);
    EXPECT_EQ(prefs.baselineISO, 160);
    EXPECT_EQ(prefs.maskColor, ToColorRef(QColor(10, 20, 30)));
    EXPECT_FALSE(prefs.timeLapse);
    EXPECT_EQ(prefs.timeLapseImages, 1);
    EXPECT_EQ(prefs.timeLapseSeconds, 1);
    // Applied: the preview draws with the kept values, the guides dotted.
    EXPECT_EQ(View().Appearance().maskColor, prefs.maskColor);
    EXPECT_EQ(View().Appearance().guidePattern, 2);
}

TEST_F(QVPrefsWindowTest, OkChecksAFieldThatWasNotLeftAndStaysOpenToShowTheCorrection)
{
    const std::int16_t increment = Prefs().autoFileIncrement;
    Open();
    TypeInto(W::kStepBy, "0");
    QTest::keyClick(Edit(W::kStepBy), Qt::Key_Return);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages().front(), "Increment Range: 1-9999\n\nIncrement has been changed to: 1 ");
    EXPECT_EQ(Edit(W::kStepBy)->text(), "1");
    EXPECT_TRUE(dialog_->isVisible());
    EXPECT_EQ(Prefs().autoFileIncrement, increment);
    // The corrected value is what OK keeps next.
    QTest::keyClick(Edit(W::kStepBy), Qt::Key_Return);
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_EQ(Prefs().autoFileIncrement, 1);
}

TEST_F(QVPrefsWindowTest, ATimeLapseBeyondWhatTheRecordHoldsIsKeptAtItsLargestNotWrapped)
{
    Open();
    Click(W::kTimeLapse);
    TypeInto(W::kTimeLapseImages, "3");
    TypeInto(W::kTimeLapseSeconds, "70000");  // wrapped into 16 bits it would be 4464
    dialog_->accept();
    EXPECT_TRUE(Prefs().timeLapse);
    EXPECT_EQ(Prefs().timeLapseImages, 3);
    EXPECT_EQ(Prefs().timeLapseSeconds, 32767);
}

TEST_F(QVPrefsWindowTest, PanoModeIsKeptAtOnceEvenWhenCancelled)
{
    const bool pano = Prefs().enablePanoMode;
    Open();
    Click(W::kEnablePano);
    EXPECT_EQ(Prefs().enablePanoMode, !pano);
    dialog_->reject();
    EXPECT_EQ(Prefs().enablePanoMode, !pano);
}

TEST_F(QVPrefsWindowTest, ThePreferencesShowThemselvesInTheWindowsAndAreReadBackFromThem)
{
    QVMainFrame& frame = started_.Frame();
    CameraPreferences& prefs = Prefs();
    prefs.controlPosition = "Left";
    prefs.enableRulers = true;
    prefs.timeLapse = true;
    prefs.timeLapseImages = 3;
    prefs.timeLapseSeconds = 5;
    prefs.useAutoSuffixes = false;
    prefs.scanName = "Quay";
    prefs.gridWidth = 77;
    Context().CameraSetting().Apply(Context().Targets());
    EXPECT_EQ(frame.ControlPosition(), 1);
    EXPECT_TRUE(frame.View().GuidesShown());
    EXPECT_EQ(frame.StatusPane(1).text(), MainWindowPreferences::kTimeLapseStatus.data());
    EXPECT_EQ(frame.Panel().Text(MainControl::kScanName), "Quay");
    EXPECT_EQ(std::as_const(View()).Grid().SpacingX(), 77);

    frame.SetControlPosition(3);
    frame.Panel().SetText(MainControl::kScanName, "Pier");
    frame.View().SetGuidesShown(false);
    Context().CameraSetting().Gather(Context().Targets());
    EXPECT_EQ(prefs.controlPosition, "Bottom");
    EXPECT_EQ(prefs.scanName, "Pier");
    EXPECT_FALSE(prefs.enableRulers);

    prefs.timeLapse = false;
    Context().CameraSetting().Apply(Context().Targets());
    EXPECT_TRUE(frame.StatusPane(1).text().isEmpty());
}

TEST_F(QVPrefsWindowTest, ThePreferencesCommandOpensTheDialog)
{
    QVMainFrame& frame = started_.Frame();
    QString title;
    QTimer::singleShot(0, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            title = modal->windowTitle();
            static_cast<QDialog*>(modal)->reject();
        }
    });
    EXPECT_TRUE(frame.Execute(QVMainFrame::kPreferences));
    EXPECT_EQ(title, " Preferences");
    EXPECT_TRUE(Messages().empty());
}

TEST(QVPrefsWindowCaptureTest, ThePreferencesCommandIsRefusedWhileACaptureRuns)
{
    StartedApp started("sim:speed=0.02", std::chrono::milliseconds(4000));
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return frame.Panel().Text(MainControl::kDiskFree) != "0 MB free"; }, 2000));
    frame.Execute(QVMainFrame::kPrescan);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return frame.Document().Capture().State() != CaptureState::Idle; }, 2000));
    bool opened = false;
    QTimer::singleShot(0, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            opened = true;
            static_cast<QDialog*>(modal)->reject();
        }
    });
    frame.Execute(QVMainFrame::kPreferences);
    QTest::qWait(20);
    EXPECT_FALSE(opened);
    ASSERT_EQ(started.messages.size(), 1u);
    EXPECT_EQ(started.messages.front(), "Prescan/Scan in Progress");
    frame.View().AbortKey();
}

}  // namespace
}  // namespace scanora::ui
