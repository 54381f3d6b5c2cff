// The image view as a user drives it: prescans against the simulated camera, the crop handles,
// the insert direction, the zoom steps, false colour, the super prescan, the focus line, the
// rulers' cross-hair and the cursors.

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

#include <array>
#include <chrono>
#include <cmath>
#include <memory>

#include "UiTestSupport.h"
#include "ViewTestFixture.h"
#include "camera/QVExposure.h"
#include "camsim/SceneRendering.h"
#include "camsim/SimCamera.h"
#include "context/AppContext.h"
#include "imaging/CropEditor.h"
#include "settings/InsertRotation.h"
#include "settings/QVCameraSetting.h"
#include "settings/QVSize.h"
#include "support/RecordingUiPort.h"
#include "support/TempDir.h"
#include "ui/CRulerCorner.h"
#include "ui/CRulerView.h"
#include "ui/MainControl.h"
#include "ui/QVHistogram.h"
#include "ui/QVImagePalette.h"
#include "ui/QorvaneView.h"

namespace scanora {
namespace {

using namespace std::chrono_literals;

constexpr int kPrescanTimeoutMs = 20000;

class QorvaneViewTest : public test::ViewTestFixture {
protected:
    void SetUp() override { OpenWindow(480); }

    // Presses Prescan and waits until the preview has been drawn and counted.
    void Prescan()
    {
        QSignalSpy counted(view_, &QorvaneView::previewChanged);
        view_->PrescanCommand(false);
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return document_->Capture().IsIdle(); }, kPrescanTimeoutMs));
        ASSERT_TRUE(document_->Capture().LastPrescanSucceeded());
        ASSERT_TRUE(QTest::qWaitFor([&] { return HistogramTotal() > 0; }, kPrescanTimeoutMs));
    }

    [[nodiscard]] long long HistogramTotal() const
    {
        long long total = 0;
        for (const std::int32_t count : view_->HistogramBins()) total += count;
        return total;
    }

    [[nodiscard]] QImage Displayed() const { return view_->Palette().grab().toImage(); }

    // Every pixel of the image shows as one grey, whatever the preview holds.
    void ShowPlainGrey(int level)
    {
        view_->SetCrop({0.0, 0.0, 100.0, 100.0});
        LevelSliders sliders;
        sliders.Assign(std::vector<LevelSliders::Slider>{
            {255, static_cast<std::uint32_t>(level * 0x010101), true}});
        view_->ApplySliders(sliders);
        view_->SetFalseColor(true);
    }

    // Turns the (empty) preview as an insert direction would.
    void Turn(int degrees)
    {
        ASSERT_TRUE(view_->Image().SetRotation(degrees));
        view_->RefreshDisplay();
        QTRY_COMPARE(view_->Palette().width(), view_->Mapping().WindowWidth());
    }

    // Moves the mouse over the image display to `at`. A move to where the mouse already is
    // (on screen) is not passed on, so it comes from one pixel aside.
    void Hover(QPoint at)
    {
        QTest::mouseMove(&view_->Palette(), at + QPoint(1, 0));
        QTest::mouseMove(&view_->Palette(), at);
    }

    // The point of the image display in the middle of the view, which is on screen.
    [[nodiscard]] QPoint VisibleMiddle() const
    {
        return view_->Palette().mapFrom(view_->viewport(), view_->viewport()->rect().center());
    }
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

TEST_F(QorvaneViewTest, SamplePointsAreRingedInTheirHistogramColours)
{
    ShowPlainGrey(160);
    view_->SetZoom(100.0, view_->viewport()->rect().center());
    QVExposure& exposure = app_->Exposure();
    const ViewMapping mapping = view_->Mapping();
    // Two points near the middle of the visible part: red (code 0) and yellow (code 1, selected).
    const QPoint middle = VisibleMiddle();
    const ViewPointF first = mapping.WindowToPreview({double(middle.x() - 20), double(middle.y())});
    const ViewPointF second =
        mapping.WindowToPreview({double(middle.x() + 20), double(middle.y())});
    ASSERT_TRUE(exposure.AddSamplePoint(int(first.x), int(first.y)));
    ASSERT_TRUE(exposure.AddSamplePoint(int(second.x), int(second.y)));
    const QImage shown = Displayed();
    auto centre = [&](const ViewPointF& p) {
        const ViewPointF at =
            mapping.PreviewToWindow({std::floor(p.x) + 0.5, std::floor(p.y) + 0.5});
        return QPoint(int(at.x), int(at.y));
    };
    const QPoint red = centre(first);
    const QPoint yellow = centre(second);
    EXPECT_EQ(shown.pixelColor(red + QPoint(5, 0)), QColor(255, 0, 0));
    EXPECT_EQ(shown.pixelColor(yellow + QPoint(0, 5)), QColor(255, 255, 0));
    // The selected one has a white ring further out; the image inside the rings is untouched.
    EXPECT_EQ(shown.pixelColor(yellow + QPoint(7, 0)), QColor(255, 255, 255));
    EXPECT_EQ(shown.pixelColor(red + QPoint(7, 0)), QColor(160, 160, 160));
    EXPECT_EQ(shown.pixelColor(red), QColor(160, 160, 160));
}

TEST_F(QorvaneViewTest, SamplePointsAreMeasuredOnTheShownPreviewAtItsRotation)
{
    Prescan();
    view_->FitToWindow();
    view_->SetTool(ToolKind::SamplePoints);
    const QPoint at = VisibleMiddle();
    QTest::mouseClick(&view_->Palette(), Qt::LeftButton, Qt::NoModifier, at);
    const QVExposure& exposure = app_->Exposure();
    ASSERT_EQ(exposure.SamplePoints().Count(), 1);
    const SamplePoint point = exposure.SamplePoints().Points().front();

    // The spot's means, worked out from the preview's own rows (preview coordinates, whatever
    // the display's rotation).
    const PreviewImage& image = view_->Image();
    ASSERT_NE(image.Rotation(), 0);
    const int half = exposure.GetSpotWidth() / 2;
    std::vector<std::uint16_t> row(3 * static_cast<std::size_t>(image.Width()));
    std::array<std::uint64_t, 3> sums{};
    std::uint64_t taken = 0;
    for (int y = point.y - half; y <= point.y + half; ++y) {
        if (!image.ReadPreviewRow(y, row))
            continue;
        for (int x = std::max(point.x - half, 0); x <= point.x + half && x < image.Width(); ++x) {
            for (std::size_t c = 0; c < 3; ++c) sums[c] += row[3 * static_cast<std::size_t>(x) + c];
            ++taken;
        }
    }
    ASSERT_GT(taken, 0u);
    const SpotMean16 mean = exposure.SampleMean(0);
    EXPECT_EQ(mean.red, sums[0] / taken);
    EXPECT_EQ(mean.green, sums[1] / taken);
    EXPECT_EQ(mean.blue, sums[2] / taken);
    EXPECT_GT(mean.red + mean.green + mean.blue, 0);
}

TEST_F(QorvaneViewTest, DraggingTheRightCropHandleNarrowsTheCrop)
{
    Prescan();
    view_->SetTool(ToolKind::Crop);
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
    ASSERT_TRUE(QTest::qWaitFor([&] { return document_->Capture().IsIdle(); }, kPrescanTimeoutMs));
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

TEST_F(QorvaneViewTest, FocusLineIsPlacedAtThePreviewPointAndMarked)
{
    ShowPlainGrey(160);
    view_->SetZoom(50.0, view_->viewport()->rect().center());
    QVImagePalette& palette = view_->Palette();
    const int p = view_->Image().Width();
    const int l = view_->Image().Height();
    struct Case {
        int degrees;
        QPoint click;
        QPoint preview;  // at zoom 50: 90 gives (y / z, L - x / z), 270 (P - y / z, x / z)
    };
    for (const Case c : {Case{270, {40, 60}, {p - 120, 80}}, Case{90, {40, 60}, {120, l - 80}}}) {
        SCOPED_TRACE(c.degrees);
        Turn(c.degrees);
        view_->SetTool(ToolKind::Hand);
        view_->SetTool(ToolKind::FocusLine);
        QSignalSpy placed(view_, &QorvaneView::focusLinePlaced);
        QTest::mouseClick(&palette, Qt::LeftButton, {}, c.click);
        ASSERT_EQ(placed.count(), 1);
        EXPECT_EQ(placed.at(0).at(0).toInt(), c.preview.x());
        EXPECT_EQ(placed.at(0).at(1).toInt(), c.preview.y());
        EXPECT_EQ(view_->FocusLine(), c.preview);
        // One press: the tool before comes back.
        EXPECT_EQ(view_->Tool(), ToolKind::Hand);
    }

    // While the tool is active again the placed line is marked: at rotation 90 the line stands
    // upright at x = 40, a dashed black frame 6 pixels wide along the window.
    const auto blackAround = [&](int x) {
        const QImage shown = Displayed();
        int black = 0;
        // Not the rows of the crop's frame.
        for (int y = 3; y < shown.height() - 3; ++y)
            for (int dx = -4; dx <= 4; ++dx)
                black += shown.pixel(x + dx, y) == qRgb(0, 0, 0) ? 1 : 0;
        return black;
    };
    EXPECT_EQ(blackAround(40), 0);
    view_->SetTool(ToolKind::FocusLine);
    const int marked = blackAround(40);
    EXPECT_GT(marked, 60);
    EXPECT_EQ(blackAround(200), 0);
    // The buffer being shown does not matter to the line.
    view_->ShowSuperPreview(true);
    EXPECT_EQ(view_->Tool(), ToolKind::SuperRegion);
    view_->SetTool(ToolKind::FocusLine);
    EXPECT_EQ(blackAround(40), marked);
    QSignalSpy placed(view_, &QorvaneView::focusLinePlaced);
    QTest::mouseClick(&palette, Qt::LeftButton, {}, QPoint(100, 60));
    EXPECT_EQ(placed.count(), 1);
}

TEST_F(QorvaneViewTest, RulerCornerCrossHairSetsTheRulersOrigin)
{
    ShowPlainGrey(200);
    view_->SetGuidesShown(true);
    view_->SetZoom(50.0, view_->viewport()->rect().center());
    view_->SetTool(ToolKind::Zoom);
    QVImagePalette& palette = view_->Palette();
    CRulerCorner* corner = view_->RulerCorner();
    ASSERT_TRUE(corner->isVisible());
    const auto inCorner = [&](QPoint onPalette) {
        return corner->mapFromGlobal(palette.mapToGlobal(onPalette));
    };

    QTest::mousePress(corner, Qt::LeftButton, {}, corner->rect().center());
    EXPECT_EQ(view_->Tool(), ToolKind::CrossHair);
    QTest::mouseMove(corner, inCorner({101, 61}));
    // The grey cross-hair runs across the window through the mouse.
    const QImage shown = Displayed();
    EXPECT_EQ(shown.pixel(5, 61), qRgb(128, 128, 128));
    EXPECT_EQ(shown.pixel(101, shown.height() - 3), qRgb(128, 128, 128));
    EXPECT_EQ(shown.pixel(5, 70), qRgb(200, 200, 200));
    QTest::mouseRelease(corner, Qt::LeftButton, {}, inCorner({101, 61}));
    Hover({30, 30});  // the rulers' mouse marks elsewhere

    // (101 / 0.5 + 0.5) truncated; label 0 at origin x zoom, which is the release point.
    CRulerView* horizontal = view_->Ruler(Qt::Horizontal);
    CRulerView* vertical = view_->Ruler(Qt::Vertical);
    EXPECT_EQ(horizontal->Origin(), 202);
    EXPECT_EQ(vertical->Origin(), 122);
    const int zeroX = horizontal->mapFromGlobal(palette.mapToGlobal(QPoint(101, 0))).x();
    const int zeroY = vertical->mapFromGlobal(palette.mapToGlobal(QPoint(0, 61))).y();
    EXPECT_NEAR(horizontal->ZeroPosition(), zeroX, 0.5);
    EXPECT_NEAR(vertical->ZeroPosition(), zeroY, 0.5);
    // The full-height tick of label 0 is drawn there.
    const QImage ruler = horizontal->grab().toImage();
    const QRgb face = ruler.pixel(zeroX, 1);
    EXPECT_EQ(ruler.pixel(zeroX, 2), ruler.pixel(zeroX, CRulerView::kThickness - 3));
    EXPECT_NE(face, horizontal->palette().color(QPalette::Button).rgb());
    EXPECT_EQ(view_->Tool(), ToolKind::Zoom);
    EXPECT_EQ(Displayed().pixel(5, 61), qRgb(200, 200, 200));

    // Moving without a button ends the cross-hair; so does a release outside the image, which
    // leaves the origin as it was.
    view_->BeginCrossHair();
    Hover({30, 30});
    EXPECT_EQ(view_->Tool(), ToolKind::Zoom);
    QTest::mousePress(corner, Qt::LeftButton, {}, corner->rect().center());
    QTest::mouseRelease(corner, Qt::LeftButton, {}, corner->rect().center());
    EXPECT_EQ(horizontal->Origin(), 202);
    EXPECT_EQ(view_->Tool(), ToolKind::Zoom);
}

TEST_F(QorvaneViewTest, CropCursorsFollowTheHandles)
{
    view_->SetZoom(50.0, view_->viewport()->rect().center());
    view_->SetCrop({20.0, 20.0, 50.0, 50.0});
    view_->SetTool(ToolKind::Crop);
    QVImagePalette& palette = view_->Palette();
    const ImageRect frame =
        CropEditor::WindowRect(view_->Crop(), palette.width(), palette.height());
    const std::array handles = CropEditor::HandleRects(frame);
    const auto centre = [&](int handle) {
        const ImageRect& r = handles[static_cast<std::size_t>(handle)];
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    };
    struct Case {
        int handle;
        ViewCursors::Id cursor;
        Qt::CursorShape shape;
    };
    for (const Case c :
         {Case{CropEditor::kLeft, ViewCursors::kCropLeftRight, Qt::SizeHorCursor},
          Case{CropEditor::kRight, ViewCursors::kCropLeftRight, Qt::SizeHorCursor},
          Case{CropEditor::kTop, ViewCursors::kCropTopBottom, Qt::SizeVerCursor},
          Case{CropEditor::kBottom, ViewCursors::kCropTopBottom, Qt::SizeVerCursor},
          Case{CropEditor::kTopLeft, ViewCursors::kCropFDiagonal, Qt::SizeFDiagCursor},
          Case{CropEditor::kBottomRight, ViewCursors::kCropFDiagonal, Qt::SizeFDiagCursor},
          Case{CropEditor::kTopRight, ViewCursors::kCropBDiagonal, Qt::SizeBDiagCursor},
          Case{CropEditor::kBottomLeft, ViewCursors::kCropBDiagonal, Qt::SizeBDiagCursor}}) {
        Hover(centre(c.handle));
        EXPECT_EQ(view_->ShownCursor(), c.cursor) << c.handle;
        EXPECT_EQ(palette.cursor().shape(), c.shape) << c.handle;
    }
    const QPoint inside((frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2);
    const QPoint outside(frame.left / 2, frame.top / 2);
    Hover(inside);
    EXPECT_EQ(palette.cursor().shape(), Qt::SizeAllCursor);
    Hover(outside);
    EXPECT_EQ(palette.cursor().shape(), Qt::ArrowCursor);

    // With both size locks on only the move inside the crop is left.
    app_->Size().SetCropRatioLocked(true);
    app_->Size().SetFileSizeLocked(true);
    Hover(centre(CropEditor::kRight));
    EXPECT_EQ(palette.cursor().shape(), Qt::ArrowCursor);
    Hover(inside);
    EXPECT_EQ(palette.cursor().shape(), Qt::SizeAllCursor);
}

TEST_F(QorvaneViewTest, ZoomCursorShowsTheStepAClickWouldTake)
{
    view_->SetTool(ToolKind::Zoom);
    Hover(VisibleMiddle());
    EXPECT_EQ(view_->ShownCursor(), ViewCursors::kZoomIn);
    EXPECT_EQ(view_->Palette().cursor().shape(), Qt::BitmapCursor);
    // Alt pressed and released over the image switches the cursor at once.
    QTest::keyPress(view_, Qt::Key_Alt);
    EXPECT_EQ(view_->ShownCursor(), ViewCursors::kZoomOut);
    QTest::keyRelease(view_, Qt::Key_Alt);
    EXPECT_EQ(view_->ShownCursor(), ViewCursors::kZoomIn);

    // At the largest zoom no step is left inwards, at the smallest none outwards.
    view_->SetZoom(1600.0, view_->viewport()->rect().center());
    Hover(VisibleMiddle());
    EXPECT_EQ(view_->ShownCursor(), ViewCursors::kZoomLimit);
    QTest::keyPress(view_, Qt::Key_Alt);
    EXPECT_EQ(view_->ShownCursor(), ViewCursors::kZoomOut);
    QTest::keyRelease(view_, Qt::Key_Alt);
    view_->SetZoom(1.0, view_->viewport()->rect().center());
    Hover({2, 2});
    EXPECT_EQ(view_->ShownCursor(), ViewCursors::kZoomIn);
    QTest::keyPress(view_, Qt::Key_Alt);
    EXPECT_EQ(view_->ShownCursor(), ViewCursors::kZoomLimit);
    QTest::keyRelease(view_, Qt::Key_Alt);

    // The hand closes while it drags.
    view_->SetZoom(100.0, view_->viewport()->rect().center());
    view_->SetTool(ToolKind::Hand);
    const QPoint at = VisibleMiddle();
    Hover(at);
    EXPECT_EQ(view_->Palette().cursor().shape(), Qt::OpenHandCursor);
    QTest::mousePress(&view_->Palette(), Qt::LeftButton, {}, at);
    EXPECT_EQ(view_->Palette().cursor().shape(), Qt::ClosedHandCursor);
    QTest::mouseRelease(&view_->Palette(), Qt::LeftButton, {}, at);
    EXPECT_EQ(view_->Palette().cursor().shape(), Qt::OpenHandCursor);
}

TEST_F(QorvaneViewTest, SampleAndGuideCursors)
{
    // A sample point has its own cursor over it.
    const QPoint middle = VisibleMiddle();
    const ViewPointF sample = view_->Mapping().WindowToPreview(
        {static_cast<double>(middle.x()), static_cast<double>(middle.y())});
    ASSERT_TRUE(
        app_->Exposure().AddSamplePoint(static_cast<int>(sample.x), static_cast<int>(sample.y)));
    Hover(middle);
    EXPECT_EQ(view_->ShownCursor(), ViewCursors::kSampleOver);
    Hover(middle + QPoint(30, 0));
    EXPECT_EQ(view_->ShownCursor(), ViewCursors::kSample);

    // A vertical line of the preview is horizontal on screen at rotation 270: its cursor says so.
    app_->Exposure().RemoveSamplePoint(0);
    view_->SetGuidesShown(true);
    auto& guides = app_->CameraSetting().Prefs().guides;
    guides.assign({Guide{50.0, false}});
    for (const auto& [degrees, cursor, shape] :
         {std::tuple{270, ViewCursors::kGuideHorizontal, Qt::SplitVCursor},
          std::tuple{0, ViewCursors::kGuideVertical, Qt::SplitHCursor}}) {
        Turn(degrees);
        view_->FitToWindow();
        const ViewMapping mapping = view_->Mapping();
        const ViewPointF on =
            mapping.PreviewToWindow({view_->Image().Width() / 2.0, view_->Image().Height() / 2.0});
        Hover(QPoint(static_cast<int>(on.x), static_cast<int>(on.y)));
        EXPECT_EQ(view_->ShownCursor(), cursor) << degrees;
        EXPECT_EQ(view_->Palette().cursor().shape(), shape) << degrees;
        EXPECT_EQ(view_->Tool(), ToolKind::Guide);
        // Away from it the tool before comes back.
        Hover(QPoint(static_cast<int>(on.x) + 40, static_cast<int>(on.y) + 40));
        EXPECT_EQ(view_->Tool(), ToolKind::SamplePoints);
    }
}

TEST(QorvaneViewSuperTest, SuperPrescanOfTheDraggedRegionFillsTheSecondBuffer)
{
    ui::test::StartedApp started;
    ASSERT_EQ(started.Start(), ui::QVCameraApp::StartResult::Started);
    ui::QVMainFrame& frame = started.Frame();
    QorvaneView& view = frame.View();
    ui::MainControl& panel = frame.Panel();
    AppContext& context = started.Context();
    QVImagePalette& palette = view.Palette();
    context.Size().SetInsertRotation(InsertRotation::kFromTop, false);
    const auto prescan = [&] {
        QTest::mouseClick(panel.Button(ui::MainControl::kPrescan), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return frame.Document().Capture().IsIdle(); },
                                    kPrescanTimeoutMs));
        ASSERT_TRUE(frame.Document().Capture().LastPrescanSucceeded());
        QTRY_VERIFY(panel.Button(ui::MainControl::kPrescan)->isEnabled());
    };
    prescan();
    const std::vector<std::uint16_t> normal(view.Image().Samples(false).begin(),
                                            view.Image().Samples(false).end());

    // A finer step, Super on: the region tool and the region's frame come up.
    context.Size().SetResolutionNumber(2);
    QAbstractButton* super = panel.Button(ui::MainControl::kSuper);
    QAbstractButton* show = panel.Button(ui::MainControl::kView);
    QTest::mouseClick(super, Qt::LeftButton);
    ASSERT_TRUE(view.SuperPrescan());
    EXPECT_EQ(view.Tool(), ToolKind::SuperRegion);

    // Drag the region by its middle 30 pixels left and 20 up.
    view.SetZoom(50.0, view.viewport()->rect().center());
    const SuperPrescanGeometry geometry = view.SuperGeometry();
    const SuperPrescanRegion& region = context.Size().SuperRegion();
    const SuperPrescanRegion::Frame before = region.FrameIn(geometry);
    const ViewMapping mapping = view.Mapping();
    const ViewPointF middle =
        mapping.PreviewToWindow({before.left + before.width / 2, before.top + before.height / 2});
    const QPoint grab(static_cast<int>(middle.x), static_cast<int>(middle.y));
    QTest::mousePress(&palette, Qt::LeftButton, {}, grab);
    QTest::mouseMove(&palette, grab + QPoint(-30, -20));
    QTest::mouseRelease(&palette, Qt::LeftButton, {}, grab + QPoint(-30, -20));
    const SuperPrescanRegion::Frame after = region.FrameIn(geometry);
    EXPECT_NEAR(after.left, before.left - 60, 2.0);
    EXPECT_NEAR(after.top, before.top - 40, 2.0);

    // The frame: black on the region, red one pixel outside and inside it.
    const ViewPointF corner = view.Mapping().PreviewToWindow({after.left, after.top});
    const QPoint topLeft(static_cast<int>(corner.x), static_cast<int>(corner.y));
    QImage shown = palette.grab().toImage();
    const QPoint along(12, 0);
    EXPECT_EQ(shown.pixel(topLeft + along), qRgb(0, 0, 0));
    EXPECT_EQ(shown.pixel(topLeft + along + QPoint(0, -1)), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(topLeft + along + QPoint(0, 1)), qRgb(255, 0, 0));

    // The mask dims everything outside what the super prescan will read.
    PreviewAppearance appearance = view.Appearance();
    appearance.maskColor = 0x00FF00;
    appearance.maskTransparency = 256;
    view.SetAppearance(appearance);
    view.SetMaskCrop(true);
    shown = palette.grab().toImage();
    EXPECT_EQ(shown.pixel(topLeft + QPoint(-10, -10)), qRgb(0, 255, 0));
    EXPECT_NE(shown.pixel(topLeft + QPoint(10, 10)), qRgb(0, 255, 0));

    prescan();
    // The second buffer is shown and holds what the camera read of the region.
    EXPECT_TRUE(view.Image().ShowingSuper());
    EXPECT_TRUE(show->isChecked());
    EXPECT_EQ(view.Tool(), ToolKind::SuperRegion);
    const auto recipe = context.Simulator()->LastCaptureRecipe();
    ASSERT_TRUE(recipe.has_value());
    EXPECT_EQ(recipe->geometry.sizeStep, 2);
    const SuperPrescanRegion::SensorOrigin origin = region.Origin(geometry);
    const int pitch = context.Camera().GetPixelPitch();
    EXPECT_EQ(recipe->geometry.firstPixelPosition, pitch * origin.pixel / 1000);
    EXPECT_EQ(recipe->geometry.firstLinePosition, pitch * origin.line / 1000);
    const camsim::SceneImage scene = camsim::RenderPreview(*recipe);
    const std::span<const std::uint16_t> second = view.Image().Samples(true);
    ASSERT_EQ(scene.samples.size(), second.size());
    EXPECT_TRUE(std::equal(second.begin(), second.end(), scene.samples.begin()));
    EXPECT_FALSE(std::equal(second.begin(), second.end(), normal.begin()));
    EXPECT_TRUE(std::equal(normal.begin(), normal.end(), view.Image().Samples(false).begin()));
    // All of the second buffer counts as inside: nothing is masked.
    QTRY_VERIFY(palette.grab().toImage().pixel(topLeft + QPoint(-10, -10)) != qRgb(0, 255, 0));

    // View off: the normal preview again; the region tool stays while Super is on.
    QTest::mouseClick(show, Qt::LeftButton);
    EXPECT_FALSE(view.Image().ShowingSuper());
    EXPECT_FALSE(show->isChecked());
    EXPECT_TRUE(std::equal(normal.begin(), normal.end(), view.Image().CurrentSamples().begin()));
    EXPECT_EQ(view.Tool(), ToolKind::SuperRegion);
    QTest::mouseClick(super, Qt::LeftButton);
    EXPECT_EQ(view.Tool(), ToolKind::SamplePoints);
    // View on again shows the super preview, with the region tool, until it is switched off.
    QTest::mouseClick(show, Qt::LeftButton);
    EXPECT_TRUE(view.Image().ShowingSuper());
    EXPECT_EQ(view.Tool(), ToolKind::SuperRegion);
    QTest::mouseClick(show, Qt::LeftButton);
    EXPECT_EQ(view.Tool(), ToolKind::SamplePoints);
}

}  // namespace
}  // namespace scanora
