// The panorama page driven as a user drives it, against the simulated camera: choosing a mode,
// holding a jog button, calibrating, the Pano Settings dialog and the Stage command.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>

#include "UiTestSupport.h"
#include "camera/QVPanoControl.h"
#include "camsim/SimCamera.h"
#include "settings/QVSize.h"
#include "ui/CTabControls.h"
#include "ui/PPPano.h"
#include "ui/PanoSettingsDialog.h"
#include "ui/QVImagePalette.h"
#include "ui/StartStopButton.h"

namespace scanora::ui {
namespace {

using test::StartedApp;

class PPPanoTest : public ::testing::Test {
protected:
    // At real speed, so that the stage is still turning while a jog button is held.
    void Start(bool panoramasOn = true)
    {
        ASSERT_EQ(started_.Start(), QVCameraApp::StartResult::Started);
        started_.Context().CameraSetting().Prefs().enablePanoMode = panoramasOn;
        started_.Frame().Execute(QVMainFrame::kStageControl);
        ASSERT_EQ(Tabs().currentIndex(), CTabControls::kPanoPage);
        Page().Refresh();
    }
    CTabControls& Tabs() { return started_.Frame().Tabs(); }
    PPPano& Page() { return Tabs().PanoPage(); }
    QVPanoControl& Pano() { return started_.Context().Pano(); }
    std::vector<std::string> Received()
    {
        return started_.Context().Simulator()->ReceivedCommands();
    }

    StartedApp started_{"sim:speed=1"};
};

TEST_F(PPPanoTest, ChoosingAModeSetsTheStageAndShowsWhatItGives)
{
    Start();
    PPPano& page = Page();
    const QVSize& size = started_.Context().Size();
    const auto outputSize = [&size] {
        return std::make_pair(size.GetOutputWidth(), size.GetOutputHeight());
    };
    const auto plain = outputSize();
    QTest::mouseClick(page.ModeButton(StageValues::kPanoOn), Qt::LeftButton);
    EXPECT_EQ(Pano().PanoMode(), StageValues::kPanoOn);
    const int lines = Pano().RotatingCaptureLines();
    ASSERT_GT(lines, 0);
    EXPECT_EQ(page.SizeLabel()->text(), QString("8000 pixels x %1 lines").arg(lines));
    EXPECT_NE(outputSize(), plain) << "the panorama's lines replace the travel";

    // A wider extent gives more lines.
    page.ExtentBox()->setValue(180.0);
    EXPECT_EQ(Pano().Geometry().ScanExtent(), 180.0);
    EXPECT_GT(Pano().RotatingCaptureLines(), lines);

    // Object: a series of 12 over a full turn, of which images 4 to 6 are taken.
    QTest::mouseClick(page.ModeButton(StageValues::kPanoObject), Qt::LeftButton);
    EXPECT_TRUE(Pano().IsObjectMode());
    EXPECT_TRUE(page.SizeLabel()->text().isEmpty());
    page.ImagesBox()->setValue(12);
    EXPECT_EQ(page.StepLabel()->text(), QString::fromUtf8("30.00 \u00B0 apart"));
    page.LastImageBox()->setValue(6);
    page.FirstImageBox()->setValue(4);
    EXPECT_EQ(Pano().ObjectSeriesRange().first, 4);
    EXPECT_EQ(Pano().ObjectImageCount(), 2);

    QTest::mouseClick(page.ModeButton(StageValues::kPanoOff), Qt::LeftButton);
    EXPECT_FALSE(Pano().IsRotatingCapture());
    EXPECT_EQ(outputSize(), plain);
}

TEST_F(PPPanoTest, AJogRunsWhileTheButtonIsHeldAndCalibrationShowsTheOvershoot)
{
    Start();
    StartStopButton* jog = Page().JogButton(PPPano::kCoarseMax);
    QTest::mousePress(jog, Qt::LeftButton);
    EXPECT_TRUE(jog->IsRunning());
    QTest::qWait(300);
    QTest::mouseRelease(jog, Qt::LeftButton);
    EXPECT_FALSE(jog->IsRunning());
    const auto received = Received();
    EXPECT_NE(std::find(received.begin(), received.end(), "CMG"), received.end());
    EXPECT_NE(std::find(received.begin(), received.end(), "CMS"), received.end());

    const std::optional<std::uint16_t> stopped = Pano().StagePosition();
    ASSERT_TRUE(stopped.has_value());
    EXPECT_GT(*stopped, 0) << "it turned";
    EXPECT_LT(*stopped, 49152) << "and stopped before the end";
    EXPECT_EQ(Page().PositionLabel()->text(), QString("Position: %1").arg(*stopped));
    QTest::qWait(100);
    EXPECT_EQ(Pano().StagePosition(), stopped) << "it stays stopped";

    // Calibration turns the stage off the GUI thread, with the page disabled meanwhile.
    const std::size_t before = started_.messages.size();
    QTest::mouseClick(Page().CalibrateButton(), Qt::LeftButton);
    EXPECT_FALSE(Page().CalibrateButton()->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return started_.messages.size() > before; }, 10000));
    EXPECT_EQ(started_.messages.back(), "Calibration: 67, 1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Page().CalibrateButton()->isEnabled(); }, 5000));
}

TEST_F(PPPanoTest, PanoSettingsSendsTheNewStagesParameters)
{
    Start();
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<PanoSettingsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        seen = true;
        EXPECT_FALSE(dialog->ParamBox(0)->isEnabled()) << "a built-in stage's own parameters";
        dialog->TypeBox()->setCurrentIndex(StageValues::kCustomStage);
        EXPECT_TRUE(dialog->ParamBox(0)->isEnabled());
        dialog->ParamBox(0)->setValue(3000);
        dialog->ParamBox(9)->setValue(30000);
        EXPECT_EQ(dialog->ParamBox(10)->value(), 4096 + (30000 - 4096) / 2);
        dialog->accept();
    });
    QTest::mouseClick(Page().SettingsButton(), Qt::LeftButton);
    ASSERT_TRUE(seen);
    EXPECT_EQ(Pano().StageType(), StageValues::kCustomStage);
    EXPECT_EQ(Pano().MotorParams()[0], 3000);
    const auto received = Received();
    EXPECT_NE(std::find(received.begin(), received.end(), "Ma0BB8"), received.end())
        << "a = 3000 went to the camera";

    // Cancel changes nothing.
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    QTest::mouseClick(Page().SettingsButton(), Qt::LeftButton);
    EXPECT_EQ(Pano().MotorParams()[0], 3000);
}

// Counts the paints a widget gets.
class PaintCounter final : public QObject {
public:
    explicit PaintCounter(QWidget& widget) { widget.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
    int paints = 0;
};

TEST_F(PPPanoTest, ThePreviewIsDrawnWhileTheStageTurnsOnAnotherThread)
{
    Start();
    auto* palette = started_.Frame().findChild<QVImagePalette*>();
    ASSERT_NE(palette, nullptr);
    const std::optional<std::uint16_t> from = Pano().StagePosition();
    ASSERT_TRUE(from.has_value());
    QCoreApplication::processEvents();
    PaintCounter counter(*palette);
    // Whatever the start left to draw is drawn first.
    QTest::qWait(1000);
    counter.paints = 0;

    // A coarse turn from a worker, as a series turns the object between its images: the waits
    // and the end of the turn reach the view through the GUI thread only (a widget touched from
    // the worker would stop the test).
    std::atomic<bool> done{false};
    bool turned = false;
    std::thread worker([&] {
        turned = Pano().RotateTo(
            static_cast<std::uint16_t>(*from > 30000 ? *from - 1000 : *from + 1000));
        done.store(true);
    });
    const bool ended = QTest::qWaitFor([&] { return done.load(); }, 60000);
    worker.join();
    ASSERT_TRUE(ended);
    EXPECT_TRUE(turned);
    ASSERT_TRUE(QTest::qWaitFor([&] { return counter.paints > 0; }, 2000));
}

TEST_F(PPPanoTest, WithoutPanoramasThePageSaysHowToSwitchThemOn)
{
    Start(false);
    EXPECT_FALSE(Page().ModeButton(StageValues::kPanoOn)->isEnabled());
    EXPECT_FALSE(Page().JogButton(PPPano::kFineMin)->isEnabled());
    EXPECT_TRUE(Page().findChildren<QLabel*>().size() > 0);
    started_.Context().CameraSetting().Prefs().enablePanoMode = true;
    Page().Refresh();
    EXPECT_TRUE(Page().ModeButton(StageValues::kPanoOn)->isEnabled());
}

TEST(StartStopButtonTest, LettingGoAnywhereOrLosingTheButtonStopsTheAction)
{
    StartStopButton button("Jog");
    button.show();
    int starts = 0;
    int stops = 0;
    QObject::connect(&button, &StartStopButton::startRequested, [&] { ++starts; });
    QObject::connect(&button, &StartStopButton::stopRequested, [&] { ++stops; });
    QTest::mousePress(&button, Qt::LeftButton);
    QTest::mouseMove(&button, QPoint(-50, -50));
    EXPECT_TRUE(button.IsRunning()) << "the pointer left, the button is still held";
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(-50, -50));
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(stops, 1);

    QTest::mousePress(&button, Qt::RightButton);
    EXPECT_EQ(starts, 1) << "only the left button";
    QTest::mousePress(&button, Qt::LeftButton);
    button.setEnabled(false);
    EXPECT_EQ(stops, 2);
    button.setEnabled(true);
    QTest::mousePress(&button, Qt::LeftButton);
    button.hide();
    EXPECT_EQ(stops, 3);
    EXPECT_FALSE(button.IsRunning());
}

}  // namespace
}  // namespace scanora::ui
