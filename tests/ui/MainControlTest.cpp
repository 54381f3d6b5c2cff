#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QColorSpace>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>

#include "UiTestSupport.h"
#include "camera/QVExposure.h"
#include "settings/QVSize.h"
#include "settings/SettingLists.h"
#include "settings/SizeUnits.h"
#include "ui/CAutoButton.h"
#include "ui/CTabControls.h"
#include "ui/FuelGauge.h"
#include "ui/MainControl.h"
#include "ui/PPColor.h"
#include "ui/PPSize.h"
#include "ui/QVHistogram.h"
#include "ui/QVImagePalette.h"
#include "ui/QVUIHandler.h"

namespace scanora::ui {
namespace {

using test::StartedApp;

TEST(FuelGaugeTest, ColourBandsAndText)
{
    EXPECT_EQ(FuelGauge::BarColor(1169), QColor(Qt::red));
    EXPECT_EQ(FuelGauge::BarColor(1199), QColor(255, 127, 0));
    EXPECT_EQ(FuelGauge::BarColor(1200), QColor(Qt::green));

    FuelGauge gauge;
    gauge.SetPosition(1231);
    EXPECT_EQ(gauge.GaugeText(), "12.31 V");
    gauge.SetPosition(FuelGauge::kMaximum);
    EXPECT_EQ(gauge.FilledWidth(186), 186);
    gauge.SetPosition(FuelGauge::kMinimum);
    EXPECT_EQ(gauge.FilledWidth(186), 0);
    // A voltage outside the scale keeps the bar inside it but says what it is.
    gauge.SetPosition(900);
    EXPECT_EQ(gauge.FilledWidth(186), 0);
    EXPECT_EQ(gauge.GaugeText(), "9.00 V");
}

TEST(FuelGaugeTest, WithoutAReadingItShowsNeitherBarNorValue)
{
    FuelGauge gauge;
    EXPECT_FALSE(gauge.HasReading());
    EXPECT_EQ(gauge.GaugeText(), QString());
    EXPECT_EQ(gauge.FilledWidth(186), 0);
    gauge.SetPosition(1250);
    EXPECT_TRUE(gauge.HasReading());
    EXPECT_GT(gauge.FilledWidth(186), 0);
    gauge.ShowNoReading();
    EXPECT_EQ(gauge.GaugeText(), QString());
    EXPECT_EQ(gauge.FilledWidth(186), 0);
}

TEST(MainControlTest, IndicatorsAreDrawnNotSymbolsFromAFont)
{
    MainControl panel;
    // No text of the panel needs a symbol or emoji font: arrows and locks are pictures.
    for (const QWidget* control : panel.findChildren<QWidget*>()) {
        QString text;
        if (const auto* label = qobject_cast<const QLabel*>(control))
            text = label->text();
        else if (const auto* button = qobject_cast<const QAbstractButton*>(control))
            text = button->text();
        for (const QChar c : text)
            EXPECT_LT(c.unicode(), 0x2000) << control->objectName().toStdString();
    }
    for (int id = MainControl::kFirstUpDown;
         id < MainControl::kFirstUpDown + MainControl::kUpDownCount; ++id)
        EXPECT_FALSE(panel.Button(id)->icon().isNull()) << id;

    QLabel* indicator = panel.Label(MainControl::kSizeLock);
    ASSERT_NE(indicator, nullptr);
    panel.SetLockIcon(MainControl::kSizeLock, true);
    const QImage locked = indicator->pixmap().toImage();
    EXPECT_TRUE(indicator->text().isEmpty());
    EXPECT_FALSE(locked.isNull());
    EXPECT_EQ(indicator->toolTip(), "Locked");
    panel.SetLockIcon(MainControl::kSizeLock, false);
    EXPECT_TRUE(indicator->text().isEmpty());
    EXPECT_NE(indicator->pixmap().toImage(), locked);
    EXPECT_EQ(indicator->toolTip(), "Unlocked");
}

TEST(QVUIHandlerTest, PanelTextFormats)
{
    EXPECT_EQ(QVUIHandler::TimeText(3725), "62:05");
    EXPECT_EQ(QVUIHandler::TimeText(-4), "00:00");
    EXPECT_EQ(QVUIHandler::FileSizeText(512 * 1024), "512.0 Kb");
    EXPECT_EQ(QVUIHandler::FileSizeText(3 * 1048576 + 104858), "3.1 Mb");
    EXPECT_EQ(QVUIHandler::OutputSizeText(16.6667, 12.5, 300.0, false), "16.67 x 12.50 at 300.0");
    EXPECT_EQ(QVUIHandler::OutputSizeText(5000, 3750, 300.0, true), " 5000 x  3750");
    EXPECT_EQ(QVUIHandler::UnitCaption(SizeUnits::kPixels), "Image Size");
    EXPECT_EQ(QVUIHandler::UnitCaption(SizeUnits::kCentimeters), "Centimeters");
    EXPECT_EQ(QVUIHandler::ResolutionUnitText(SizeUnits::kFeet), "pixels per ft");
}

TEST(MainControlTest, UpDownButtonsStepTheToolsUnlessTheirFlagIsClear)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    MainControl& panel = started.Frame().Panel();
    QVSize& size = started.Context().Size();

    const double crop = size.GetCropWidth();
    ASSERT_TRUE(panel.UpDownEnabled(MainControl::kScanAreaDown));
    QTest::mouseClick(panel.Button(MainControl::kScanAreaDown), Qt::LeftButton);
    EXPECT_LT(size.GetCropWidth(), crop);
    EXPECT_EQ(panel.Text(MainControl::kScanArea),
              QString::asprintf("%3.0f", size.GetCropWidth() * size.GetCropHeight() / 100.0) + "%");

    // A full field can not grow: the button is pressed in vain.
    size.FullField();
    EXPECT_FALSE(panel.UpDownEnabled(MainControl::kScanAreaUp));
    const double full = size.GetCropWidth();
    QTest::mouseClick(panel.Button(MainControl::kScanAreaUp), Qt::LeftButton);
    EXPECT_EQ(size.GetCropWidth(), full);

    const int iso = panel.Text(MainControl::kIso).toInt();
    QTest::mouseClick(panel.Button(MainControl::kIsoUp), Qt::LeftButton);
    EXPECT_GT(panel.Text(MainControl::kIso).toInt(), iso);
    EXPECT_EQ(started.Frame().Tabs().ColorPage().IsoLabel()->text(),
              "ISO " + panel.Text(MainControl::kIso));
}

TEST(MainControlTest, AutoButtonStepsOnceForAClick)
{
    CAutoButton button;
    QSignalSpy steps(&button, &CAutoButton::stepped);
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::qWait(CAutoButton::kFirstDelayMs + 100);
    EXPECT_EQ(steps.count(), 1);
    EXPECT_EQ(CAutoButton::RepeatDelay(0), 700);
    EXPECT_EQ(CAutoButton::RepeatDelay(9), 200);
    EXPECT_EQ(CAutoButton::RepeatDelay(10), 100);
}

TEST(MainControlTest, CaptureControlsFollowTheCaptureAndTheScanLimit)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    MainControl& panel = started.Frame().Panel();
    QVUIHandler& handler = started.Frame().Handler();

    handler.DisableForCapture();
    for (const int id : {MainControl::kPrescan, MainControl::kScan, MainControl::kIsoUp,
                         MainControl::kFastPrescan, MainControl::kLock})
        EXPECT_FALSE(panel.Button(id)->isEnabled()) << id;
    EXPECT_FALSE(panel.ColorModeBox()->isEnabled());
    EXPECT_FALSE(started.Frame().Tabs().SizePage().WidthEdit()->isEnabled());
    handler.EnableAfterCapture();
    EXPECT_TRUE(panel.Button(MainControl::kPrescan)->isEnabled());
    EXPECT_EQ(panel.Button(MainControl::kScan)->isEnabled(),
              started.Context().Size().ScanAllowed());
    EXPECT_TRUE(started.Frame().Tabs().SizePage().WidthEdit()->isEnabled());
}

TEST(MainControlTest, ColourModeComboSetsCameraAndView)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    MainControl& panel = started.Frame().Panel();
    QComboBox* box = panel.ColorModeBox();
    box->setCurrentIndex(3);
    Q_EMIT box->activated(3);
    EXPECT_EQ(started.Context().CameraSetting().Prefs().cameraColorMode, 3);
    EXPECT_EQ(started.Frame().View().ColorMode(), 3);
    EXPECT_TRUE(started.Frame().Action(QVMainFrame::kCaptureBlue)->isChecked() ||
                (started.Frame().UpdateCommands(),
                 started.Frame().Action(QVMainFrame::kCaptureBlue)->isChecked()));
}

TEST(PPSizeTest, PageEditsChangeTheGeometryAndFollowIt)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    PPSize& page = started.Frame().Tabs().SizePage();
    QVSize& size = started.Context().Size();
    started.Frame().Tabs().setCurrentIndex(CTabControls::kSizePage);

    // Units first, so the typed width means pixels.
    Q_EMIT page.UnitsBox()->activated(0);
    EXPECT_EQ(size.GetUnits(), SizeUnits::kPixels);
    EXPECT_EQ(started.Frame().Panel().Text(MainControl::kSizeCaption), "Image Size");
    EXPECT_TRUE(started.Frame().Panel().Label(MainControl::kResolutionUnit)->isHidden());

    const double width = size.GetOutputWidth() / 2.0;
    page.WidthEdit()->setFocus();
    page.WidthEdit()->selectAll();
    QTest::keyClicks(page.WidthEdit(), QString::number(static_cast<int>(width)));
    QTest::keyClick(page.WidthEdit(), Qt::Key_Return);
    EXPECT_NEAR(size.GetOutputWidth(), width, 2.0);
    EXPECT_EQ(page.WidthEdit()->text(), QString::asprintf("%.0f", size.GetOutputWidth()));
    EXPECT_EQ(page.PixelsLabel()->text(),
              QString::asprintf("%5.0d h x %5.0d v", static_cast<int>(size.GetPixelsAcross()),
                                static_cast<int>(size.GetPixelsDown())));

    // Not a number: the value in force comes back.
    page.WidthEdit()->selectAll();
    QTest::keyClicks(page.WidthEdit(), "wide");
    QTest::keyClick(page.WidthEdit(), Qt::Key_Return);
    EXPECT_EQ(page.WidthEdit()->text(), QString::asprintf("%.0f", size.GetOutputWidth()));

    // The geometry changed elsewhere shows on the page.
    size.SetUnits(SizeUnits::kCentimeters);
    EXPECT_EQ(page.UnitsBox()->currentText(), "cm");
    EXPECT_EQ(page.WidthEdit()->text(), QString::asprintf("%.2f", size.GetOutputWidth()));
    size.SetInsertRotation(InsertRotation::kFromBottom, false);
    EXPECT_EQ(page.InsertBox()->currentText(), "From Bottom");
}

QStringList Entries(const QComboBox& box)
{
    QStringList entries;
    for (int i = 0; i < box.count(); ++i) entries << box.itemText(i);
    return entries;
}

TEST(PPSizeTest, ListsAndTypedLimitsAndTheSelectionsKeptOnClosing)
{
    QSettings().remove("Settings");
    {
        StartedApp started;
        ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
        PPSize& page = started.Frame().Tabs().SizePage();
        QVSize& size = started.Context().Size();
        EXPECT_EQ(Entries(*page.UnitsBox()),
                  (QStringList{"pixels", "inches", "feet", "mm", "cm", "meters"}));
        EXPECT_EQ(
            Entries(*page.ResolutionUnitsBox()),
            (QStringList{"pixels/inch", "pixels/ft", "pixels/mm", "pixels/cm", "pixels/meter"}));
        EXPECT_EQ(Entries(*page.InsertBox()),
                  (QStringList{"From Left", "From Top", "From Right", "From Bottom"}));

        // A resolution typed beyond the page's limits is limited before the geometry sees it;
        // an emptied field counts as the smallest.
        const auto type = [](QLineEdit* edit, const QString& text) {
            edit->setFocus();
            edit->selectAll();
            if (text.isEmpty())
                QTest::keyClick(edit, Qt::Key_Delete);
            else
                QTest::keyClicks(edit, text);
            QTest::keyClick(edit, Qt::Key_Return);
        };
        type(page.ResolutionEdit(), "5000");
        EXPECT_DOUBLE_EQ(size.GetResolution(), 1000.0);
        type(page.ResolutionEdit(), "");
        EXPECT_DOUBLE_EQ(size.GetResolution(), 0.01);

        Q_EMIT page.UnitsBox()->activated(3);
        page.ResolutionUnitsBox()->setCurrentIndex(3);
        Q_EMIT page.ResolutionUnitsBox()->activated(3);
        page.InsertBox()->setCurrentIndex(2);
        Q_EMIT page.InsertBox()->activated(2);
    }
    // The window has closed: the lists' last selections are in the profile.
    const QSettings profile;
    EXPECT_EQ(profile.value("Settings/Units").toInt(), 3);
    EXPECT_EQ(profile.value("Settings/Pixels Per").toInt(), 3);
    EXPECT_EQ(profile.value("Settings/Insert Direction").toInt(), 2);
}

TEST(PPColorTest, GainEditsReachTheExposure)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    PPColor& page = started.Frame().Tabs().ColorPage();
    QVExposure& exposure = started.Context().Exposure();
    page.GainBox(Channel::Red)->setValue(6.0);
    EXPECT_NEAR(ExposureUnits::ToTenths(exposure.GetGain(Channel::Red)), 60.0, 0.5);
    exposure.ClearFilters();
    exposure.SetGain(Channel::Blue, 30.0);
    EXPECT_NEAR(page.GainBox(Channel::Blue)->value(), 3.0, 0.05);
}

double MeanGrey(const QImage& image)
{
    double sum = 0.0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) sum += qGray(image.pixel(x, y));
    return sum / std::max<double>(1.0, double(image.width()) * image.height());
}

TEST(PPColorTest, EmbeddingTheProfileShowsThePreviewThroughIt)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    QorvaneView& view = frame.View();
    view.PrescanCommand(false);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            CaptureSequence& capture = frame.Document().Capture();
            return capture.LastPrescanSucceeded() && capture.IsIdle();
        },
        10000));
    auto shown = [&] {
        QTest::qWait(200);  // the renderer's tiles and the paint
        return view.Palette().grab().toImage();
    };
    const QImage plain = shown();

    // A linear-light profile: mid greys come out much lighter on an sRGB display.
    const QByteArray icc = QColorSpace(QColorSpace::SRgbLinear).iccProfile();
    const auto path = started.Folder() / "linear.icc";
    {
        QFile file(QString::fromStdString(path.string()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(icc);
    }
    PPColor& page = frame.Tabs().ColorPage();
    started.Context().CameraSetting().AddProfile(path.string());
    started.Context().CameraSetting().Prefs().embedICCProfile = false;
    page.ShowProfiles();
    ASSERT_FALSE(page.EmbedBox()->isChecked());
    QTest::mouseClick(page.EmbedBox(), Qt::LeftButton);
    ASSERT_TRUE(started.Context().CameraSetting().Prefs().embedICCProfile);
    const QImage embedded = shown();
    ASSERT_EQ(embedded.size(), plain.size());
    EXPECT_GT(MeanGrey(embedded), MeanGrey(plain) + 10.0);

    QTest::mouseClick(page.EmbedBox(), Qt::LeftButton);
    EXPECT_NEAR(MeanGrey(shown()), MeanGrey(plain), 0.5);
}

TEST(QVPropertyPageTest, NewSettingIsNamedAndListed)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    PPSize& page = started.Frame().Tabs().SizePage();
    SettingLists& lists = started.Context().Lists();
    const std::size_t before = lists.List<SizeSetting>().Count();
    ASSERT_EQ(page.SettingsBox()->count(),
              QVPropertyPage::kFirstRecordEntry + static_cast<int>(before));

    page.SetNamePrompt([](QWidget*) { return std::optional<QString>(); });
    Q_EMIT page.SettingsBox()->activated(QVPropertyPage::kNewEntry);
    EXPECT_EQ(lists.List<SizeSetting>().Count(), before);

    page.SetNamePrompt([](QWidget*) { return std::optional<QString>("Studio"); });
    Q_EMIT page.SettingsBox()->activated(QVPropertyPage::kNewEntry);
    ASSERT_EQ(lists.List<SizeSetting>().Count(), before + 1);
    EXPECT_EQ(lists.Current<SizeSetting>()->GetName(), "Studio");
    EXPECT_EQ(page.SettingsBox()->currentText(), "Studio");
    EXPECT_EQ(page.SettingsBox()->itemText(QVPropertyPage::kDeleteEntry),
              "Delete Current Setting ...");

    // Choosing the first record applies it and the box names it.
    Q_EMIT page.SettingsBox()->activated(QVPropertyPage::kFirstRecordEntry);
    EXPECT_EQ(lists.CurrentIndex<SizeSetting>(), 1);
    EXPECT_EQ(page.SettingsBox()->currentIndex(), QVPropertyPage::kFirstRecordEntry);
    EXPECT_EQ(page.SettingsBox()->itemText(QVPropertyPage::kDeleteEntry),
              "Can't delete current setting...");
}

TEST(QVPropertyPageTest, HistogramSettingsAreChosenCopiedAndDeleted)
{
    StartedApp started;
    started.Options().prefs.reset = true;  // the built-in settings, with three histogram ones
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QorvaneView& view = started.Frame().View();
    QVPropertyPage& page = started.Frame().Histogram().SettingsPage();
    SettingLists& lists = started.Context().Lists();
    QComboBox& box = *page.SettingsBox();
    const int zones = box.findText("10 Highlight Zones");
    ASSERT_GE(zones, QVPropertyPage::kFirstRecordEntry);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.ShowsImage(); }, 5000));
    const std::size_t before = view.Sliders().Sliders().size();

    // Choosing a setting brings its sliders to the view's false colours and slider bar.
    Q_EMIT box.activated(zones);
    EXPECT_EQ(box.currentText(), "10 Highlight Zones");
    EXPECT_EQ(view.Sliders().Sliders().size(), 15u);
    EXPECT_NE(view.Sliders().Sliders().size(), before);

    // A copy under a new name (the list's last), deleted only after the question is answered
    // Yes; the entry before it in the list becomes current.
    page.SetNamePrompt([](QWidget*) { return std::optional<QString>("Zones Copy"); });
    Q_EMIT box.activated(QVPropertyPage::kNewEntry);
    ASSERT_EQ(box.currentText(), "Zones Copy");
    ASSERT_EQ(lists.Current<HistogramSetting>()->GetName(), "Zones Copy");
    started.answer = MessageResult::No;
    Q_EMIT box.activated(QVPropertyPage::kDeleteEntry);
    EXPECT_EQ(box.currentText(), "Zones Copy");
    ASSERT_FALSE(started.messages.empty());
    EXPECT_EQ(started.messages.back(), "Delete Zones Copy?");
    started.answer = MessageResult::Yes;
    Q_EMIT box.activated(QVPropertyPage::kDeleteEntry);
    EXPECT_EQ(box.findText("Zones Copy"), -1);
    EXPECT_EQ(box.currentText(), "10 Step Full Range");
    EXPECT_EQ(lists.Current<HistogramSetting>()->GetName(), "10 Step Full Range");
    EXPECT_EQ(view.Sliders().Sliders().size(), 10u);

    // The program's first setting can not be deleted: the command says so, nothing is asked.
    Q_EMIT box.activated(QVPropertyPage::kFirstRecordEntry);
    EXPECT_EQ(box.itemText(QVPropertyPage::kDeleteEntry), "Can't delete current setting...");
    const std::size_t count = lists.List<HistogramSetting>().Count();
    const std::size_t asked = started.messages.size();
    Q_EMIT box.activated(QVPropertyPage::kDeleteEntry);
    EXPECT_EQ(lists.List<HistogramSetting>().Count(), count);
    EXPECT_EQ(started.messages.size(), asked);
}

}  // namespace
}  // namespace scanora::ui
