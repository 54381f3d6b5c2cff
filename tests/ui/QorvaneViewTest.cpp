// The image view as a user drives it: prescans against the simulated camera, the crop handles,
// the insert direction, the zoom steps and false colour.

#include <gtest/gtest.h>

#include <QApplication>
#include <QColorSpace>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <memory>

#include "acquire/AppContext.h"
#include "imaging/CropEditor.h"
#include "settings/InsertRotation.h"
#include "settings/QVCameraSetting.h"
#include "settings/QVSize.h"
#include "support/RecordingUiPort.h"
#include "support/TempDir.h"
#include "ui/CRulerView.h"
#include "ui/QVHistogram.h"
#include "ui/QVImagePalette.h"
#include "ui/QorvaneView.h"

namespace scanora {
namespace {

using namespace std::chrono_literals;

constexpr int kPrescanTimeoutMs = 20000;

class QorvaneViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        app_ = AppContext::Create("sim:speed=0", ui_, error);
        ASSERT_TRUE(app_) << error;
        app_->LoadPreferences({{}, true, false});
        CaptureTiming timing;
        timing.finishPause = 0ms;
        timing.paintWait = 50ms;
        window_ = std::make_unique<QWidget>();
        window_->resize(640, 480);
        view_ = new QorvaneView(*app_, window_.get(), timing);
        view_->resize(480, 480);
        histogram_ = new QVHistogram(*app_, *view_, window_.get());
        histogram_->setGeometry(480, 0, 160, 480);
        histogram_->resize(histogram_->sizeHint());
        histogram_->move(480, 0);
        window_->resize(480 + histogram_->width(), 480);
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }

    void TearDown() override
    {
        window_.reset();
        app_.reset();
    }

    // Presses Prescan and waits until the preview has been drawn and counted.
    void Prescan()
    {
        QSignalSpy counted(view_, &QorvaneView::previewChanged);
        view_->PrescanCommand(false);
        ASSERT_TRUE(QTest::qWaitFor([&] { return view_->Capture().IsIdle(); }, kPrescanTimeoutMs));
        ASSERT_TRUE(view_->Capture().LastPrescanSucceeded());
        ASSERT_TRUE(QTest::qWaitFor([&] { return HistogramTotal() > 0; }, kPrescanTimeoutMs));
    }

    [[nodiscard]] long long HistogramTotal() const
    {
        long long total = 0;
        for (const std::int32_t count : view_->HistogramBins()) total += count;
        return total;
    }

    [[nodiscard]] QImage Displayed() const { return view_->Palette().grab().toImage(); }

    test::RecordingUiPort ui_;
    std::unique_ptr<AppContext> app_;
    std::unique_ptr<QWidget> window_;
    QorvaneView* view_ = nullptr;
    QVHistogram* histogram_ = nullptr;
};

TEST_F(QorvaneViewTest, PrescanFillsThePreviewAndDrawsTheHistogram)
{
    Prescan();
    const auto display = view_->Image().DisplayCopy();
    long long sum = 0;
    for (const std::uint8_t byte : display) sum += byte;
    EXPECT_GT(sum, 0);

    // The painted image is the scene, not the black of an empty preview.
    const QImage shown = Displayed();
    int lit = 0;
    for (int y = 0; y < shown.height(); y += 7)
        for (int x = 0; x < shown.width(); x += 7) lit += qGray(shown.pixel(x, y)) > 16 ? 1 : 0;
    EXPECT_GT(lit, 20);

    // The plot shows bars: some of its pixels are no longer white.
    const QImage plot = histogram_->grab().toImage();
    int bars = 0;
    for (int x = histogram_->PlotLeft() + 1; x < histogram_->PlotLeft() + 257; ++x)
        bars += plot.pixel(x, QVHistogram::kPlotBottom - 2) != qRgb(255, 255, 255) ? 1 : 0;
    EXPECT_GT(bars, 10);
}

TEST_F(QorvaneViewTest, DraggingTheRightCropHandleNarrowsTheCrop)
{
    Prescan();
    view_->SetMouseTool(QorvaneView::kCrop);
    QSignalSpy changed(view_, &QorvaneView::cropChanged);
    const double widthBefore = view_->Crop().width;
    QVImagePalette& palette = view_->Palette();
    view_->SetZoom(50.0, view_->viewport()->rect().center());
    const ImageRect frame =
        CropEditor::WindowRect(view_->Crop(), palette.width(), palette.height());
    const ImageRect handle = CropEditor::HandleRects(frame)[CropEditor::kRight];
    const QPoint grab((handle.left + handle.right) / 2, (handle.top + handle.bottom) / 2);
    ASSERT_EQ(CropEditor::HitTest(view_->Crop(), palette.width(), palette.height(),
                                  {grab.x(), grab.y()}, true),
              CropEditor::kRight);

    QTest::mousePress(&palette, Qt::LeftButton, {}, grab);
    QTest::mouseMove(&palette, grab - QPoint(palette.width() / 4, 0));
    QTest::mouseRelease(&palette, Qt::LeftButton, {}, grab - QPoint(palette.width() / 4, 0));

    ASSERT_EQ(changed.count(), 1);
    EXPECT_LT(view_->Crop().width, widthBefore - 15.0);
    // The output geometry took the crop, in its own (unturned) axes.
    const CropPercent preview =
        CropEditor::DisplayToPreview(view_->Crop(), view_->Image().Rotation());
    EXPECT_NEAR(app_->Size().GetCropWidth(), preview.width, 0.5);
    EXPECT_NEAR(app_->Size().GetCropHeight(), preview.height, 0.5);
}

TEST_F(QorvaneViewTest, InsertDirectionTurnsThePreview)
{
    app_->Size().SetInsertRotation(InsertRotation::kFromLeft, false);
    Prescan();
    EXPECT_EQ(view_->Image().Rotation(), 270);
    const QSize turned = view_->Palette().size();

    app_->Size().SetInsertRotation(InsertRotation::kFromTop, false);
    Prescan();
    EXPECT_EQ(view_->Image().Rotation(), 0);
    QTRY_COMPARE(view_->Palette().size(), turned.transposed());
}

TEST_F(QorvaneViewTest, ZoomStepsFitAndActualSize)
{
    view_->SetZoom(66.6, view_->viewport()->rect().center());
    view_->ZoomIn();
    EXPECT_DOUBLE_EQ(view_->Zoom(), 100.0);
    const QSize actual = view_->Palette().size();
    EXPECT_EQ(actual.width(), view_->Image().DisplayWidth());

    view_->FitToWindow();
    const QSize room = view_->maximumViewportSize();
    const QSize fitted = view_->Palette().size();
    EXPECT_LE(fitted.width(), room.width());
    EXPECT_LE(fitted.height(), room.height());
    EXPECT_TRUE(fitted.width() >= room.width() - 1 || fitted.height() >= room.height() - 1);

    QSignalSpy status(view_, &QorvaneView::statusText);
    view_->ZoomActual();
    EXPECT_DOUBLE_EQ(view_->Zoom(), 100.0);
    EXPECT_EQ(view_->Palette().size(), actual);
    ASSERT_FALSE(status.isEmpty());
    EXPECT_EQ(status.last().at(0).toString(), QStringLiteral("100%"));
}

TEST_F(QorvaneViewTest, FalseColourPaintsTheBandColours)
{
    Prescan();
    // One band over all levels, painted pure green.
    LevelSliders sliders;
    sliders.Assign(std::vector<LevelSliders::Slider>{{255, 0 + 256 * 255, true}});
    view_->ApplySliders(sliders);
    view_->SetFalseColor(true);
    const QImage shown = Displayed();
    const QRgb green = qRgb(0, 255, 0);
    // Well inside the crop frame every pixel shows the band's colour.
    EXPECT_EQ(shown.pixel(shown.width() / 2, shown.height() / 2), green);
    EXPECT_EQ(shown.pixel(shown.width() / 3, shown.height() / 4), green);

    view_->SetFalseColor(false);
    EXPECT_NE(Displayed().pixel(shown.width() / 2, shown.height() / 2), green);
}

TEST_F(QorvaneViewTest, EmbeddedProfileIsShownThroughColourManagement)
{
    // A band of mid grey over every level makes the picture one known colour.
    LevelSliders sliders;
    sliders.Assign(std::vector<LevelSliders::Slider>{{255, 128 + 256 * 128 + 65536 * 128, true}});
    view_->ApplySliders(sliders);
    view_->SetFalseColor(true);
    const QPoint middle(view_->Palette().width() / 2, view_->Palette().height() / 2);
    EXPECT_EQ(qRed(Displayed().pixel(middle)), 128);

    // A profile with linear tone: grey 128 is much lighter in sRGB.
    test::TempDir folder;
    const std::filesystem::path path = folder.Path() / "linear.icc";
    QFile file(QString::fromStdString(path.string()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QColorSpace(QColorSpace::Primaries::SRgb, QColorSpace::TransferFunction::Linear)
                   .iccProfile());
    file.close();
    CameraPreferences& prefs = app_->CameraSetting().Prefs();
    prefs.iccProfileName = path.string();
    prefs.embedICCProfile = true;
    view_->Palette().update();
    EXPECT_GT(qRed(Displayed().pixel(middle)), 170);

    prefs.embedICCProfile = false;
    EXPECT_EQ(qRed(Displayed().pixel(middle)), 128);
}

TEST_F(QorvaneViewTest, GuidesAreDraggedOutOfTheRulersAndBackAgain)
{
    view_->SetGuidesShown(true);
    view_->FitToWindow();
    CRulerView* ruler = view_->Ruler(Qt::Horizontal);
    ASSERT_NE(ruler, nullptr);
    ASSERT_TRUE(ruler->isVisible());
    auto& guides = app_->CameraSetting().Prefs().guides;
    guides.clear();
    QVImagePalette& palette = view_->Palette();

    // Out of the horizontal ruler into the middle of the image: a guide at the middle.
    const QPoint start(ruler->width() / 2, CRulerView::kThickness / 2);
    QTest::mousePress(ruler, Qt::LeftButton, {}, start);
    const QPoint middle = ruler->mapFromGlobal(palette.mapToGlobal(palette.rect().center()));
    QTest::mouseMove(ruler, middle);
    QTest::mouseRelease(ruler, Qt::LeftButton, {}, middle);
    ASSERT_EQ(guides.size(), 1u);
    EXPECT_NEAR(guides[0].position, 50.0, 2.0);

    // A second guide that never leaves the ruler is removed again.
    QTest::mousePress(ruler, Qt::LeftButton, {}, start);
    QTest::mouseMove(ruler, start);
    QTest::mouseRelease(ruler, Qt::LeftButton, {}, start);
    EXPECT_EQ(guides.size(), 1u);
}

TEST_F(QorvaneViewTest, GuiThreadKeepsAnsweringDuringAPrescan)
{
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    clock.start();
    tick.start(5);
    view_->PrescanCommand(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view_->Capture().IsIdle(); }, kPrescanTimeoutMs));
    tick.stop();
    EXPECT_LT(longest, 100);
}

TEST_F(QorvaneViewTest, ScreenshotsAfterAPrescan)
{
    Prescan();
    view_->FitToWindow();
    QTest::qWait(50);
    const QString folder = QCoreApplication::applicationDirPath();
    const QPixmap normal = view_->grab();
    EXPECT_TRUE(normal.save(folder + QStringLiteral("/image-view.png")));

    QPixmap sharp(view_->size() * 2);
    sharp.setDevicePixelRatio(2.0);
    sharp.fill(Qt::transparent);
    view_->render(&sharp);
    EXPECT_TRUE(sharp.save(folder + QStringLiteral("/image-view@2x.png")));
    EXPECT_EQ(sharp.width(), normal.width() * 2);
}

}  // namespace
}  // namespace scanora
