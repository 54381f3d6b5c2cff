#include "ui/QorvaneView.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include "acquire/AppContext.h"
#include "acquire/CaptureRequestBuilder.h"
#include "acquire/DisplayCurve.h"
#include "acquire/LinePlacement.h"
#include "camera/QVCamera.h"
#include "camera/QVExposure.h"
#include "imaging/ZoomLevels.h"
#include "output/PreviewLoader.h"
#include "settings/HeldSettingTools.h"
#include "settings/QVCameraSetting.h"
#include "settings/QVSize.h"
#include "ui/CRulerCorner.h"
#include "ui/CRulerView.h"
#include "ui/CaptureViewOnGui.h"
#include "ui/GuiThread.h"
#include "ui/QVImagePalette.h"
#include "ui/SamplePointColor.h"

namespace scanora {

namespace {

constexpr auto kRenderPaintWait = std::chrono::milliseconds(1000);
const QColor kBackground(200, 200, 200);

QColor FromColorRef(std::uint32_t color)
{
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

QRect ToQRect(const ImageRect& r)
{
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

ImageRect ToImageRect(const QRect& r)
{
    return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

bool Intersects(const ImageRect& a, const ImageRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

QorvaneView::QorvaneView(AppContext& app, QWidget* parent, CaptureTiming timing)
    : QScrollArea(parent),
      app_(app),
      timing_(timing),
      image_(std::make_unique<PreviewImage>()),
      gui_(std::make_unique<ui::GuiThread>()),
      captureView_(std::make_unique<ui::CaptureViewOnGui>(
          *gui_, static_cast<CaptureView&>(*this), [this] { ReleasePreview(); })),
      sequence_(std::make_unique<CaptureSequence>(app, *image_, *captureView_, &app.Stage(),
                                                  timing))
{
    setAlignment(Qt::AlignCenter);
    setWidgetResizable(false);
    setFocusPolicy(Qt::StrongFocus);
    QPalette background = viewport()->palette();
    background.setColor(QPalette::Window, kBackground);
    viewport()->setPalette(background);
    viewport()->setAutoFillBackground(true);

    palette_ = new QVImagePalette(*this);
    setWidget(palette_);
    // The sample points are measured on the image shown, as it is at each measurement.
    app_.Exposure().SetPreviewSource([this] { return image_->MeasuredView(); });

    const CameraPreferences& prefs = app_.CameraSetting().Prefs();
    colorMode_ = prefs.cameraColorMode;
    guidesShown_ = prefs.enableRulers;
    grid_.SetSpacing(prefs.gridWidth, prefs.gridHeight);
    HistogramSetting histogram;
    app_.HeldTools().Capture(histogram);
    sliders_.Assign(histogram.GetSliders());

    horizontalRuler_ = new CRulerView(*this, Qt::Horizontal, this);
    verticalRuler_ = new CRulerView(*this, Qt::Vertical, this);
    rulerCorner_ = new CRulerCorner(*this, this);
    LayOutRulers();

    renderer_ = std::make_unique<TileRenderer>(RendererHooks());
    AllocateForCamera();
    SyncCropFromSize();
    horizontalScrollBar()->setSingleStep(16);
    verticalScrollBar()->setSingleStep(16);
}

QorvaneView::~QorvaneView()
{
    closing_ = true;
    gui_->Close();
    painted_.Set();
    renderer_->Stop();
    // The capture threads may still wait for a paint: the closing flag lets them go at once.
    sequence_.reset();
    app_.Exposure().SetPreviewSource({});
}

// --- Capture commands ---

void QorvaneView::PrescanCommand(bool altHeld)
{
    if (sequence_->State() == CaptureState::Scan) {
        app_.Ui().ShowMessage(CaptureSequence::kScanInProgress, MessageIcon::Exclamation,
                              MessageButtons::Ok);
        return;
    }
    if (altHeld) {
        LoadPreviewFile();
        if (image_->HasImage())
            app_.Exposure().DropSamplePointsOutside(image_->Width(), image_->Height());
        return;
    }
    sequence_->Prescan(NextPrescan());
}

PrescanChoice QorvaneView::NextPrescan() const
{
    PrescanChoice choice;
    if (!superPrescan_)
        return choice;
    const SuperPrescanRegion::SensorOrigin origin =
        app_.Size().SuperRegion().Origin(SuperGeometry());
    choice.superPrescan = true;
    choice.superOriginPixel = origin.pixel;
    choice.superOriginLine = origin.line;
    return choice;
}

void QorvaneView::ScanCommand()
{
    sequence_->Scan();
}

void QorvaneView::AbortKey()
{
    SCANORA_ASSERT_GUI_THREAD();
    sequence_->AbortKey();
    if (sequence_->State() == CaptureState::Idle) {
        progressRow_ = -1;
        palette_->update();
    }
}

void QorvaneView::OnCaptureEnded()
{
    SCANORA_ASSERT_GUI_THREAD();
    // The capture-finished step without holding the GUI thread: the pause runs on a timer.
    QTimer::singleShot(timing_.finishPause, this, [this] {
        if (sequence_->StopRequested() || sequence_->ImagesRemaining() <= 0)
            Q_EMIT captureControlsEnabled(true);
    });
}

void QorvaneView::OnNextImage()
{
    SCANORA_ASSERT_GUI_THREAD();
    sequence_->NextImage();
}

void QorvaneView::LoadPreviewFile()
{
    const PreviewGeometry geometry = CaptureRequestBuilder(app_).PreviewGeometryFor(std::nullopt);
    PreviewLoader loader(app_.Ui());
    // A saved preview is a normal prescan: it goes into the normal preview, which is shown.
    ShowSuperPreview(false);
    renderer_->Pause();
    PrepareDisplayCurve();
    bool handled = loader.LoadPreview("PreviewPic.TIF", geometry, *image_, displayCurve_);
    if (!handled) {
        QFileDialog dialog(this, QString(), QString(),
                           QStringLiteral("Prescan Files (*.TIF *.tif);;All Files (*)"));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(QStringLiteral("tif"));
        dialog.selectFile(QStringLiteral("PreviewPic.TIF"));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            const QString path = dialog.selectedFiles().constFirst();
            const QString suffix = QFileInfo(path).suffix().toUpper();
            if (suffix == QLatin1String("TIF") || suffix == QLatin1String("TIFF"))
                loader.LoadPreview(path.toStdString(), geometry, *image_, displayCurve_);
        }
    }
    ApplyZoom();
    RefreshDisplay();
}

// --- CaptureView, on the GUI thread ---

void QorvaneView::ShowPreviewRows(int first, int count)
{
    SCANORA_ASSERT_GUI_THREAD();
    hold_ = false;
    const ImageRect rows = Mapping().PreviewToWindowRect({0, first, image_->Width(), first + count});
    palette_->update(ToQRect(rows).adjusted(-1, -1, 1, 1));
}

void QorvaneView::ShowProgressRow(int row)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (row == progressRow_)
        return;
    progressRow_ = row;
    if (!progressRect_.isNull())
        palette_->update(progressRect_);
    progressRect_ = row >= 0 ? ProgressLinesRect(row) : QRect();
    if (!progressRect_.isNull())
        palette_->update(progressRect_);
}

void QorvaneView::RepaintAndWait(std::chrono::milliseconds /*limit*/)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (closing_.load())
        return;
    palette_->repaint(progressRect_.isNull() ? palette_->rect() : progressRect_);
}

void QorvaneView::RefreshAll()
{
    SCANORA_ASSERT_GUI_THREAD();
    hold_ = false;
    SyncShownBuffer();
    RefreshDisplay();
}

void QorvaneView::ReleasePreview()
{
    hold_ = true;
    renderer_->Pause();
}

void QorvaneView::SetCaptureControlsEnabled(bool enabled)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (enabled)
        SyncShownBuffer();
    Q_EMIT captureControlsEnabled(enabled);
}

bool QorvaneView::CaptureRunning() const
{
    return sequence_->State() != CaptureState::Idle;
}

// --- Display ---

void QorvaneView::AllocateForCamera()
{
    const PreviewGeometry geometry = CaptureRequestBuilder(app_).PreviewGeometryFor(std::nullopt);
    if (!image_->Matches(geometry) && !image_->AllocatePreview(geometry))
        return;
    image_->SetRotation(ViewRotationForInsert(app_.Size().GetInsertRotation()));
    ApplyZoom();
    RefreshDisplay();
}

void QorvaneView::PrepareDisplayCurve()
{
    BuildDisplayCurve(app_, displayCurve_);
}

ViewMapping QorvaneView::Mapping() const
{
    return ViewMapping(image_->Rotation(), image_->Width(), image_->Height(), zoom_);
}

void QorvaneView::ApplyZoom()
{
    SCANORA_ASSERT_GUI_THREAD();
    const ViewMapping mapping = Mapping();
    const QSize size(std::max(mapping.WindowWidth(), 1), std::max(mapping.WindowHeight(), 1));
    if (palette_->size() != size) {
        setUpdatesEnabled(false);
        palette_->resize(size);
        setUpdatesEnabled(true);
    }
    palette_->update();
    horizontalRuler_->update();
    verticalRuler_->update();
    UpdateVisibleRect();
}

void QorvaneView::RefreshDisplay()
{
    SCANORA_ASSERT_GUI_THREAD();
    if (hold_.load() || !image_->HasImage())
        return;
    renderer_->Pause();
    ApplyZoom();
    PrepareDisplayCurve();
    HistogramSetting histogram;
    app_.HeldTools().Capture(histogram);
    sliders_.Assign(histogram.GetSliders());
    {
        const std::lock_guard lock(renderMutex_);
        const ViewMapping mapping = Mapping();
        histogramCrop_ =
            CropEditor::WindowRect(crop_, mapping.DisplayWidth(), mapping.DisplayHeight());
        histogramMode_ = colorMode_;
        renderZoom_ = zoom_;
    }
    renderer_->Start(image_->DisplayWidth(), image_->DisplayHeight());
}

TileRenderer::Hooks QorvaneView::RendererHooks()
{
    TileRenderer::Hooks hooks;
    hooks.isVisible = [this](const ImageRect& tile) {
        const std::lock_guard lock(renderMutex_);
        return Intersects(ViewMapping(0, 1, 1, renderZoom_).DisplayToWindowRect(tile),
                          visibleWindow_);
    };
    hooks.render = [this](const ImageRect& tile) {
        if (closing_.load())
            return true;
        image_->ConvertRect(tile, displayCurve_);
        ImageRect window;
        bool onScreen = false;
        {
            const std::lock_guard lock(renderMutex_);
            window = ViewMapping(0, 1, 1, renderZoom_).DisplayToWindowRect(tile);
            onScreen = Intersects(window, visibleWindow_);
        }
        if (!onScreen) {
            // Nothing of it is on screen, so no paint will come: it shows when scrolled to.
            return true;
        }
        painted_.Reset();
        gui_->Run([this, window] { palette_->update(ToQRect(window)); });
        return painted_.WaitFor(kRenderPaintWait);
    };
    hooks.beginHistogram = [this] { working_.Clear(); };
    hooks.accumulate = [this](const ImageRect& tile) {
        ImageRect crop;
        int mode = 0;
        {
            const std::lock_guard lock(renderMutex_);
            crop = histogramCrop_;
            mode = histogramMode_;
        }
        working_.Accumulate(image_->DisplayCopy(), image_->DisplayWidth(), image_->DisplayHeight(),
                            tile, crop, mode);
        working_.AccumulateRaw(image_->CurrentSamples(), image_->DisplayWidth(),
                               image_->DisplayHeight(), tile);
    };
    hooks.histogramDone = [this] {
        {
            const std::lock_guard lock(renderMutex_);
            published_ = working_;
        }
        gui_->Run([this] { Q_EMIT previewChanged(); });
    };
    hooks.redrawAll = [this] {
        gui_->Run([this] { palette_->update(); });
    };
    hooks.interrupt = [this] { painted_.Set(); };
    return hooks;
}

LevelHistogram::Bins QorvaneView::HistogramBins() const
{
    const std::lock_guard lock(renderMutex_);
    return published_.Levels();
}

void QorvaneView::UpdateVisibleRect()
{
    const QRect visible =
        QRect(palette_->mapFrom(viewport(), QPoint(0, 0)), viewport()->size()) & palette_->rect();
    const std::lock_guard lock(renderMutex_);
    visibleWindow_ = ToImageRect(visible);
    renderZoom_ = zoom_;
}

DisplayEffects QorvaneView::Effects(int windowWidth, int windowHeight) const
{
    const CameraPreferences& prefs = app_.CameraSetting().Prefs();
    DisplayEffects effects;
    effects.colorMode = colorMode_;
    effects.falseColor = falseColor_;
    effects.maskCrop = maskCrop_;
    // While super prescan is on, what counts as inside is what it will read.
    effects.inside = superPrescan_ && !image_->ShowingSuper()
                         ? ToImageRect(SuperRegionWindowRect())
                         : CropEditor::WindowRect(crop_, windowWidth, windowHeight);
    effects.everythingInside = image_->ShowingSuper();
    effects.falseColors = sliders_.FalseColorTable();
    effects.maskColor = prefs.maskColor;
    effects.maskTransparency = prefs.maskTransparency;
    return effects;
}

void QorvaneView::PaintImage(QPainter& painter, const QRect& area)
{
    if (hold_.load() || !image_->HasImage()) {
        painter.fillRect(area, Qt::black);
        return;
    }
    const int width = palette_->width();
    const int height = palette_->height();
    const DisplayComposer::Source source{image_->DisplayCopy(), image_->DisplayWidth(),
                                         image_->DisplayHeight()};
    QImage pixels(area.size(), QImage::Format_RGB888);
    const auto stride = static_cast<std::size_t>(pixels.bytesPerLine());
    const std::span<std::uint8_t> out(pixels.bits(),
                                      static_cast<std::size_t>(pixels.sizeInBytes()));
    if (!DisplayComposer::Compose(source, width, height, ToImageRect(area), Effects(width, height),
                                  out, stride)) {
        painter.fillRect(area, Qt::black);
        return;
    }
    // Colour management: from the chosen profile (sRGB while none is embedded) into the
    // profile of the screen the image is on.
    colour_.Update(app_.CameraSetting(), displayProfile_.ForWidget(*palette_));
    colour_.Apply(pixels);
    painter.drawImage(area.topLeft(), pixels);
}

void QorvaneView::PaintOverlays(QPainter& painter)
{
    const bool super = image_->ShowingSuper();
    if (!super)
        PaintSamplePoints(painter);
    if (!super)
        PaintCrop(painter);
    if (gridShown_)
        PaintGrid(painter);
    if (!super && guidesShown_)
        PaintGuides(painter);
    if (ActiveTool() == kCrossHair && crossHair_) {
        painter.setPen(QPen(QColor(128, 128, 128), 1));
        painter.drawLine(0, crossHair_->y(), palette_->width(), crossHair_->y());
        painter.drawLine(crossHair_->x(), 0, crossHair_->x(), palette_->height());
    }
    if (ActiveTool() == kFocusLine && focusLine_)
        PaintFocusLine(painter);
    if (superPrescan_ && !super)
        PaintSuperRegion(painter);
    const int row = progressRow_;
    if (row >= 0 && CaptureRunning())
        PaintProgressLines(painter, row);
}

QRect QorvaneView::FocusLineWindowRect() const
{
    if (!focusLine_)
        return {};
    const QVCamera& camera = app_.Camera();
    const FocusWindowPlacement placement(camera.GetSensorWidth(), camera.GetMaxSizeStep(),
                                         camera.GetMinSizeStep());
    const FocusWindowPlacement::PreviewSpan span =
        placement.Span(focusLine_->x(), focusWindowWidth_);
    const double line = focusLine_->y() + 0.5;
    const ViewMapping mapping = Mapping();
    const ViewPointF a = mapping.PreviewToWindow({span.first, line});
    const ViewPointF b = mapping.PreviewToWindow({span.last, line});
    // Six pixels across the line, as long as the window along it.
    constexpr double kHalfHeight = 3.0;
    const bool alongX = std::abs(a.y - b.y) < std::abs(a.x - b.x);
    const QRectF marker = alongX ? QRectF(QPointF(std::min(a.x, b.x), a.y - kHalfHeight),
                                          QPointF(std::max(a.x, b.x), a.y + kHalfHeight))
                                 : QRectF(QPointF(a.x - kHalfHeight, std::min(a.y, b.y)),
                                          QPointF(a.x + kHalfHeight, std::max(a.y, b.y)));
    return marker.toAlignedRect();
}

void QorvaneView::PaintFocusLine(QPainter& painter) const
{
    painter.save();
    painter.setClipRect(palette_->rect());
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 2, Qt::DashLine));
    painter.drawRect(FocusLineWindowRect());
    painter.restore();
}

QRect QorvaneView::SuperRegionWindowRect() const
{
    const SuperPrescanRegion::Frame frame = app_.Size().SuperRegion().FrameIn(SuperGeometry());
    const ViewMapping mapping = Mapping();
    const ViewPointF a = mapping.PreviewToWindow({frame.left, frame.top});
    const ViewPointF b =
        mapping.PreviewToWindow({frame.left + frame.width, frame.top + frame.height});
    const int left = static_cast<int>(std::floor(std::min(a.x, b.x)));
    const int top = static_cast<int>(std::floor(std::min(a.y, b.y)));
    const int right = static_cast<int>(std::ceil(std::max(a.x, b.x)));
    const int bottom = static_cast<int>(std::ceil(std::max(a.y, b.y)));
    return ToQRect({left, top, right, bottom});
}

void QorvaneView::PaintSuperRegion(QPainter& painter) const
{
    const QRect region = SuperRegionWindowRect();
    // A rectangle's outline on its own pixels (right and bottom inclusive).
    const auto frame = [&painter](const QRect& r, const QColor& color) {
        painter.setPen(QPen(color, 1));
        painter.drawRect(r.adjusted(0, 0, -1, -1));
    };
    painter.save();
    painter.setBrush(Qt::NoBrush);
    frame(region.adjusted(-1, -1, 1, 1), Qt::red);
    frame(region, Qt::black);
    frame(region.adjusted(1, 1, -1, -1), Qt::red);
    painter.restore();
}

void QorvaneView::PaintSamplePoints(QPainter& painter) const
{
    const ViewMapping mapping = Mapping();
    painter.save();
    painter.setClipRect(palette_->rect());
    for (const SamplePoint& point : app_.Exposure().SamplePoints().Points()) {
        const ViewPointF at = mapping.PreviewToWindow(
            {static_cast<double>(point.x) + 0.5, static_cast<double>(point.y) + 0.5});
        const QPointF centre(at.x, at.y);
        // A black ring, then the point's own colour merged into it (the inverse colour's
        // complement or'ed with the pixels): the ring shows the colour the histogram marks the
        // point with, on any image.
        const auto ring = [&](double radius, const QColor& inverse) {
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            painter.setPen(QPen(Qt::black, 4));
            painter.drawEllipse(centre, radius, radius);
            painter.setCompositionMode(QPainter::RasterOp_NotSourceOrDestination);
            painter.setPen(QPen(inverse, 2));
            painter.drawEllipse(centre, radius, radius);
        };
        ring(5, QColor::fromRgb(SamplePointColor(point.colorCode).rgb() ^ 0x00FFFFFFu));
        // The selected point has a second, white ring two pixels further out.
        if (point.selected)
            ring(7, Qt::black);
    }
    painter.restore();
}

void QorvaneView::PaintCrop(QPainter& painter) const
{
    const ImageRect frame = CropEditor::WindowRect(crop_, palette_->width(), palette_->height());
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(QRect(frame.left + 1, frame.top + 1, frame.Width() - 3, frame.Height() - 3));
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(QRect(frame.left, frame.top, frame.Width() - 1, frame.Height() - 1));
    if (ActiveTool() != kCrop)
        return;
    for (const ImageRect& handle : CropEditor::HandleRects(frame)) {
        const QRect square = ToQRect(handle);
        painter.setPen(QPen(Qt::white, 1));
        painter.drawRect(square.adjusted(-1, -1, 0, 0));
        painter.fillRect(square, Qt::black);
    }
}

void QorvaneView::PaintGrid(QPainter& painter) const
{
    QRect area = palette_->rect();
    if (maskCrop_)
        area = ToQRect(CropEditor::WindowRect(crop_, palette_->width(), palette_->height()));
    painter.setPen(QPen(FromColorRef(app_.CameraSetting().Prefs().gridColor), 1));
    for (const int x :
         PreviewGrid::Lines(area.left(), area.right() + 1, grid_.OffsetX(), grid_.SpacingX()))
        painter.drawLine(x, area.top(), x, area.bottom());
    for (const int y :
         PreviewGrid::Lines(area.top(), area.bottom() + 1, grid_.OffsetY(), grid_.SpacingY()))
        painter.drawLine(area.left(), y, area.right(), y);
}

std::vector<QLine> QorvaneView::GuideLines() const
{
    std::vector<QLine> lines;
    const ViewMapping mapping = Mapping();
    const double pw = image_->Width();
    const double ph = image_->Height();
    for (const Guide& guide : app_.CameraSetting().Prefs().guides) {
        if (!(guide.position >= 0.0 && guide.position <= 100.0))
            continue;
        ViewPointF a;
        ViewPointF b;
        if (guide.horizontal) {
            const double y = guide.position * ph / 100.0;
            a = mapping.PreviewToWindow({0.0, y});
            b = mapping.PreviewToWindow({pw, y});
        } else {
            const double x = guide.position * pw / 100.0;
            a = mapping.PreviewToWindow({x, 0.0});
            b = mapping.PreviewToWindow({x, ph});
        }
        QLine line(static_cast<int>(a.x), static_cast<int>(a.y), static_cast<int>(b.x),
                   static_cast<int>(b.y));
        if (std::abs(line.x1() - line.x2()) == 1)
            line.setP2(QPoint(line.x1(), line.y2()));
        if (std::abs(line.y1() - line.y2()) == 1)
            line.setP2(QPoint(line.x2(), line.y1()));
        lines.push_back(line);
    }
    return lines;
}

void QorvaneView::PaintGuides(QPainter& painter) const
{
    const CameraPreferences& prefs = app_.CameraSetting().Prefs();
    QPen pen(FromColorRef(prefs.guideColor), 1);
    switch (prefs.guidePatternID) {
    case 1: pen.setDashPattern({5, 5}); break;
    case 2: pen.setDashPattern({2, 5}); break;
    case 3: pen.setStyle(Qt::DotLine); break;
    default: break;
    }
    painter.setPen(pen);
    for (const QLine& line : GuideLines()) painter.drawLine(line);
}

QRect QorvaneView::ProgressLinesRect(int row) const
{
    const ViewMapping mapping = Mapping();
    const ViewPointF a = mapping.PreviewToWindow({0.0, static_cast<double>(row)});
    const ViewPointF b =
        mapping.PreviewToWindow({static_cast<double>(image_->Width()), static_cast<double>(row)});
    const int x0 = static_cast<int>(a.x);
    const int y0 = static_cast<int>(a.y);
    const int x1 = static_cast<int>(b.x);
    const int y1 = static_cast<int>(b.y);
    ImageRect r;
    switch (image_->Rotation()) {
    case 90: r = {x0 - 4, y0, x1, y1 + 1}; break;
    case 180: r = {x1, y0 - 4, x0 + 1, y0 - 1}; break;
    case 270: r = {x1, y1, x0 + 4, y0 + 1}; break;
    default: r = {x0, y0, x1 + 1, y0 + 3}; break;
    }
    return QRect(QPoint(std::min(r.left, r.right), std::min(r.top, r.bottom)),
                 QPoint(std::max(r.left, r.right), std::max(r.top, r.bottom)))
        .adjusted(-1, -1, 1, 1);
}

void QorvaneView::PaintProgressLines(QPainter& painter, int row) const
{
    const ViewMapping mapping = Mapping();
    const ViewPointF a = mapping.PreviewToWindow({0.0, static_cast<double>(row)});
    const ViewPointF b =
        mapping.PreviewToWindow({static_cast<double>(image_->Width()), static_cast<double>(row)});
    const QLineF base(a.x, a.y, b.x, b.y);
    // Each line one pixel further in the direction of travel.
    QPointF step;
    QPointF first;
    switch (image_->Rotation()) {
    case 90:
        first = {-2, 0};
        step = {-1, 0};
        break;
    case 180:
        first = {0, -2};
        step = {0, -1};
        break;
    case 270:
        first = {0, 0};
        step = {1, 0};
        break;
    default:
        first = {0, 0};
        step = {0, 1};
        break;
    }
    painter.save();
    painter.setClipRect(palette_->rect());
    const QColor colors[] = {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255)};
    for (int i = 0; i < 3; ++i) {
        painter.setPen(QPen(colors[i], 1));
        painter.drawLine(base.translated(first + step * i));
    }
    painter.restore();
}

// --- Effects and crop ---

void QorvaneView::SetColorMode(int mode)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (mode == colorMode_)
        return;
    colorMode_ = mode;
    palette_->update();
    {
        const std::lock_guard lock(renderMutex_);
        histogramMode_ = mode;
    }
    renderer_->RecomputeHistogram();
}

void QorvaneView::SetMaskCrop(bool on)
{
    SCANORA_ASSERT_GUI_THREAD();
    maskCrop_ = on;
    palette_->update();
}

void QorvaneView::SetFalseColor(bool on)
{
    SCANORA_ASSERT_GUI_THREAD();
    falseColor_ = on;
    palette_->update();
}

void QorvaneView::SetGridShown(bool on)
{
    SCANORA_ASSERT_GUI_THREAD();
    gridShown_ = on;
    palette_->update();
}

void QorvaneView::SetGuidesShown(bool on)
{
    SCANORA_ASSERT_GUI_THREAD();
    guidesShown_ = on;
    LayOutRulers();
    palette_->update();
}

void QorvaneView::ClearGuides()
{
    SCANORA_ASSERT_GUI_THREAD();
    app_.CameraSetting().Prefs().guides.clear();
    palette_->update();
}

void QorvaneView::SetCrop(const CropPercent& crop)
{
    SCANORA_ASSERT_GUI_THREAD();
    crop_ = crop;
    {
        const std::lock_guard lock(renderMutex_);
        const ViewMapping mapping = Mapping();
        histogramCrop_ =
            CropEditor::WindowRect(crop_, mapping.DisplayWidth(), mapping.DisplayHeight());
    }
    palette_->update();
}

void QorvaneView::SyncCropFromSize()
{
    SCANORA_ASSERT_GUI_THREAD();
    const QVSize& size = app_.Size();
    const CropPercent preview{size.GetXOffset(), size.GetYOffset(), size.GetCropWidth(),
                              size.GetCropHeight()};
    SetCrop(CropEditor::PreviewToDisplay(preview, image_->Rotation()));
}

void QorvaneView::CommitCropToSize()
{
    const CropPercent preview = CropEditor::DisplayToPreview(crop_, image_->Rotation());
    app_.Size().SetCropFromRectangle(preview.width, preview.height, preview.left, preview.top);
    SyncCropFromSize();
    renderer_->RecomputeHistogram();
    Q_EMIT cropChanged();
}

void QorvaneView::ApplySliders(const LevelSliders& sliders)
{
    SCANORA_ASSERT_GUI_THREAD();
    HistogramSetting record;
    record.SetSliders(sliders.Sliders());
    app_.HeldTools().Apply(record);
    sliders_ = sliders;
    palette_->update();
}

// --- Zoom ---

void QorvaneView::SetZoom(double zoom, QPoint anchor)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (zoom == zoom_ || !(zoom > 0.0))
        return;
    const ViewMapping before = Mapping();
    const QPoint inWindow = palette_->mapFrom(viewport(), anchor);
    const ViewPointF preview = before.WindowToPreview(
        {static_cast<double>(inWindow.x()), static_cast<double>(inWindow.y())});
    zoom_ = zoom;
    ApplyZoom();
    const ViewPointF window = Mapping().PreviewToWindow(preview);
    const int x = static_cast<int>(window.x) - viewport()->width() / 2;
    const int y = static_cast<int>(window.y) - viewport()->height() / 2;
    horizontalScrollBar()->setValue(std::max(x, 0));
    verticalScrollBar()->setValue(std::max(y, 0));
    UpdateVisibleRect();
    Q_EMIT statusText(QString::asprintf("%d%%", static_cast<int>(zoom_)));
}

void QorvaneView::ZoomIn()
{
    if (const std::optional<double> next = ZoomLevels::In(zoom_))
        SetZoom(*next, viewport()->rect().center());
}

void QorvaneView::ZoomOut()
{
    if (const std::optional<double> next = ZoomLevels::Out(zoom_))
        SetZoom(*next, viewport()->rect().center());
}

void QorvaneView::FitToWindow()
{
    const QSize room = maximumViewportSize();
    if (const std::optional<double> fit = ZoomLevels::Fit(
            room.width(), room.height(), image_->DisplayWidth(), image_->DisplayHeight()))
        SetZoom(*fit, viewport()->rect().center());
}

void QorvaneView::ZoomActual()
{
    SetZoom(100.0, viewport()->rect().center());
}

void QorvaneView::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    LayOutRulers();
    UpdateVisibleRect();
}

void QorvaneView::scrollContentsBy(int dx, int dy)
{
    QScrollArea::scrollContentsBy(dx, dy);
    UpdateVisibleRect();
    horizontalRuler_->update();
    verticalRuler_->update();
}

void QorvaneView::LayOutRulers()
{
    // The rulers are shown exactly when the guides are.
    const int thickness = guidesShown_ ? CRulerView::kThickness : 0;
    setViewportMargins(thickness, thickness, 0, 0);
    const QRect area = viewport()->geometry();
    horizontalRuler_->setGeometry(area.left(), area.top() - thickness, area.width(), thickness);
    verticalRuler_->setGeometry(area.left() - thickness, area.top(), thickness, area.height());
    rulerCorner_->setGeometry(area.left() - thickness, area.top() - thickness, thickness,
                              thickness);
    horizontalRuler_->setVisible(guidesShown_);
    verticalRuler_->setVisible(guidesShown_);
    rulerCorner_->setVisible(guidesShown_);
}

// --- Tools ---

int QorvaneView::ActiveTool() const
{
    return temporaryTool_ >= 0 ? temporaryTool_ : tool_;
}

void QorvaneView::SetMouseTool(int tool)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (tool < kSamplePoints || tool > kSuperRegion)
        return;
    const bool redraw =
        tool == kCrop || tool_ == kCrop || tool == kFocusLine || tool_ == kFocusLine;
    if ((tool == kGuide || tool == kCrossHair || tool == kFocusLine) && tool_ != tool)
        previousTool_ = tool_;
    tool_ = tool;
    if (redraw)
        palette_->update();
    RefreshCursor(QApplication::keyboardModifiers());
}

void QorvaneView::EndTemporaryTool()
{
    placingGuide_.reset();
    crossHair_.reset();
    if (previousTool_ != kNoDrag) {
        tool_ = previousTool_;
        previousTool_ = kNoDrag;
    }
    palette_->update();
    RefreshCursor(QApplication::keyboardModifiers());
}

void QorvaneView::BeginGuideDrag(bool fromHorizontalRuler)
{
    const int degrees = image_->Rotation();
    const bool turned = degrees == 90 || degrees == 270;
    // A vertical guide on screen is a vertical line of the preview unless the view is turned.
    const bool horizontalInPreview = fromHorizontalRuler == turned;
    auto& guides = app_.CameraSetting().Prefs().guides;
    guides.push_back(Guide{0.0, horizontalInPreview});
    placingGuide_ = guides.size() - 1;
    SetMouseTool(kGuide);
    dragMode_ = kGuide;
}

void QorvaneView::BeginCrossHair()
{
    crossHair_.reset();
    SetMouseTool(kCrossHair);
    dragMode_ = kCrossHair;
}

// --- Super prescan ---

SuperPrescanGeometry QorvaneView::SuperGeometry() const
{
    return {image_->Width(), image_->Height(), app_.Camera().GetMaxSizeStep(),
            app_.Size().GetResolutionNumber()};
}

void QorvaneView::EnterSuperTool()
{
    if (tool_ == kSuperRegion)
        return;
    toolBeforeSuper_ = tool_;
    tool_ = kSuperRegion;
    RefreshCursor(QApplication::keyboardModifiers());
}

void QorvaneView::LeaveSuperTool()
{
    // A tool the user chose meanwhile stays.
    if (tool_ == kSuperRegion && toolBeforeSuper_ != kNoDrag)
        tool_ = toolBeforeSuper_;
    toolBeforeSuper_ = kNoDrag;
    RefreshCursor(QApplication::keyboardModifiers());
}

void QorvaneView::SetSuperPrescan(bool on)
{
    SCANORA_ASSERT_GUI_THREAD();
    superPrescan_ = on;
    if (on)
        EnterSuperTool();
    else if (!image_->ShowingSuper())
        LeaveSuperTool();
    palette_->update();
}

void QorvaneView::ShowSuperPreview(bool second)
{
    SCANORA_ASSERT_GUI_THREAD();
    // A prescan writes the buffer it chose; the other one is not shown meanwhile.
    if (!CaptureRunning() && image_->SelectPreviewBuffer(second))
        RefreshDisplay();
    const bool before = shownSuper_;
    SyncShownBuffer();
    // The box follows what is shown, also when the switch was refused.
    if (shownSuper_ == before)
        Q_EMIT superViewChanged(shownSuper_);
}

void QorvaneView::SyncShownBuffer()
{
    SCANORA_ASSERT_GUI_THREAD();
    const bool shown = image_->ShowingSuper();
    if (shown == shownSuper_)
        return;
    shownSuper_ = shown;
    if (shown)
        EnterSuperTool();
    else if (!superPrescan_)
        LeaveSuperTool();
    palette_->update();
    Q_EMIT superViewChanged(shown);
}

// --- Focus line ---

void QorvaneView::SetFocusWindowWidth(int sensorPixels)
{
    focusWindowWidth_ = std::max(sensorPixels, 1);
    if (ActiveTool() == kFocusLine)
        palette_->update();
}

void QorvaneView::PlaceFocusLine(QPoint window)
{
    if (!palette_->rect().contains(window) || !image_->HasImage())
        return;
    const ViewPointF p = WindowToPreview(window);
    const int column = std::clamp(static_cast<int>(p.x), 0, image_->Width() - 1);
    const int line = std::clamp(static_cast<int>(p.y), 0, image_->Height() - 1);
    focusLine_ = QPoint(column, line);
    Q_EMIT focusLinePlaced(column, line);
    EndTemporaryTool();
}

// --- Mouse ---

ViewPointF QorvaneView::WindowToPreview(QPoint window) const
{
    return Mapping().WindowToPreview(
        {static_cast<double>(window.x()), static_cast<double>(window.y())});
}

void QorvaneView::ForwardDragMove(const QMouseEvent& event)
{
    const QPoint at = palette_->mapFromGlobal(event.globalPosition().toPoint());
    QMouseEvent moved(QEvent::MouseMove, at, event.globalPosition(), Qt::NoButton, Qt::LeftButton,
                      event.modifiers());
    PaletteMouseMove(&moved);
}

void QorvaneView::ForwardDragRelease(const QMouseEvent& event)
{
    const QPoint at = palette_->mapFromGlobal(event.globalPosition().toPoint());
    QMouseEvent released(QEvent::MouseButtonRelease, at, event.globalPosition(), Qt::LeftButton,
                         Qt::NoButton, event.modifiers());
    PaletteMouseRelease(&released);
}

int QorvaneView::SamplePointAt(QPoint window) const
{
    const ViewMapping mapping = Mapping();
    const auto points = app_.Exposure().SamplePoints().Points();
    int found = -1;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const ViewPointF p = mapping.PreviewToWindow({points[i].x + 0.5, points[i].y + 0.5});
        if (std::abs(p.x - window.x()) <= 6 && std::abs(p.y - window.y()) <= 6)
            found = static_cast<int>(i);
    }
    return found;
}

void QorvaneView::PaletteMousePress(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    pressPoint_ = at;
    lastPoint_ = at;
    const int tool = ActiveTool();
    if (image_->ShowingSuper() && tool != kZoom && tool != kHand && tool != kFocusLine)
        return;
    dragMode_ = tool;
    switch (tool) {
    case kCrop:
        cropHandle_ = CropEditor::HitTest(crop_, palette_->width(), palette_->height(),
                                          {at.x(), at.y()}, true);
        cropAtPress_ = crop_;
        break;
    case kSamplePoints: grabbedPoint_ = SamplePointAt(at); break;
    case kHand: ShowCursor(ViewCursors::kHandClosed); break;
    case kFocusLine:
        dragMode_ = kNoDrag;
        PlaceFocusLine(at);
        break;
    case kSuperRegion: {
        if (!superPrescan_) {
            dragMode_ = kNoDrag;
            break;
        }
        const ViewPointF p = WindowToPreview(at);
        app_.Size().SuperRegion().Press(SuperGeometry(), p.x, p.y);
        palette_->update();
        break;
    }
    case kCrossHair: crossHair_ = at; break;
    default: break;
    }
}

void QorvaneView::CropDrag(QPoint window, bool ctrl)
{
    if (guidesShown_ && !ctrl) {
        std::vector<int> xs;
        std::vector<int> ys;
        for (const QLine& line : GuideLines()) {
            if (line.x1() == line.x2())
                xs.push_back(line.x1());
            else
                ys.push_back(line.y1());
        }
        window = QPoint(CropEditor::Snap(window.x(), xs), CropEditor::Snap(window.y(), ys));
    }
    const double dx = 100.0 * (window.x() - pressPoint_.x()) / std::max(palette_->width(), 1);
    const double dy = 100.0 * (window.y() - pressPoint_.y()) / std::max(palette_->height(), 1);
    const QVSize& size = app_.Size();
    // The minimum crop is that of the preview axes; on a turned view they change places.
    const int degrees = image_->Rotation();
    const bool turned = degrees == 90 || degrees == 270;
    CropLimits limits;
    limits.minWidth = turned ? size.MinimumCropHeight() : size.MinimumCropWidth();
    limits.minHeight = turned ? size.MinimumCropWidth() : size.MinimumCropHeight();
    limits.ratioLocked = size.IsCropRatioLocked();
    limits.sizeLocked = size.IsFileSizeLocked();
    SetCrop(CropEditor::Drag(cropAtPress_, cropHandle_, dx, dy, limits));
}

void QorvaneView::PaletteMouseMove(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const bool pressed = event->buttons() & Qt::LeftButton;
    if (palette_->rect().contains(at))
        hover_ = at;
    if (!pressed) {
        // Moving without a button ends the temporary guide and cross-hair tools.
        if (ActiveTool() == kGuide && placingGuide_ && dragMode_ != kGuide) {
            EndTemporaryTool();
        } else if (ActiveTool() == kCrossHair) {
            // The release was not seen (it happened outside the program).
            dragMode_ = kNoDrag;
            EndTemporaryTool();
        }
        ShowCursorStatus(at);
        UpdateCursor(at, event->modifiers());
        return;
    }
    switch (dragMode_) {
    case kCrop: CropDrag(at, event->modifiers() & Qt::ControlModifier); break;
    case kHand: {
        const QPoint delta = at - lastPoint_;
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - delta.x());
        verticalScrollBar()->setValue(verticalScrollBar()->value() - delta.y());
        // The window moved under the mouse: the next travel counts from the new place.
        lastPoint_ = at - delta;
        return;
    }
    case kGrid: {
        const QPoint delta = at - lastPoint_;
        if (event->modifiers() & Qt::ShiftModifier) {
            grid_.Resize(delta.x(), delta.y());
            CameraPreferences& prefs = app_.CameraSetting().Prefs();
            prefs.gridWidth = static_cast<std::int16_t>(grid_.SpacingX());
            prefs.gridHeight = static_cast<std::int16_t>(grid_.SpacingY());
        } else {
            grid_.Move(delta.x(), delta.y());
        }
        palette_->update();
        break;
    }
    case kGuide:
        if (placingGuide_) {
            auto& guides = app_.CameraSetting().Prefs().guides;
            if (*placingGuide_ < guides.size()) {
                const ViewPointF p = WindowToPreview(at);
                Guide& guide = guides[*placingGuide_];
                guide.position = guide.horizontal ? p.y / std::max(image_->Height(), 1) * 100.0
                                                  : p.x / std::max(image_->Width(), 1) * 100.0;
            }
            palette_->update();
        }
        break;
    case kCrossHair:
        // Drawn only while the mouse is over the image.
        if (palette_->rect().contains(at))
            crossHair_ = at;
        else
            crossHair_.reset();
        palette_->update();
        break;
    case kSuperRegion: {
        const ViewPointF p = WindowToPreview(at);
        app_.Size().SuperRegion().DragTo(SuperGeometry(), p.x, p.y);
        palette_->update();
        break;
    }
    case kSamplePoints:
        if (grabbedPoint_ >= 0)
            palette_->update();
        break;
    default: break;
    }
    lastPoint_ = at;
    ShowCursorStatus(at);
}

void QorvaneView::PaletteMouseRelease(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const int mode = dragMode_;
    dragMode_ = kNoDrag;
    const bool insideImage = palette_->rect().contains(at);
    switch (mode) {
    case kCrop:
        if (crop_ != cropAtPress_)
            CommitCropToSize();
        break;
    case kZoom:
        if (insideImage) {
            const QPoint anchor = palette_->mapTo(viewport(), at);
            const std::optional<double> next = (event->modifiers() & Qt::AltModifier)
                                                   ? ZoomLevels::Out(zoom_)
                                                   : ZoomLevels::In(zoom_);
            if (next)
                SetZoom(*next, anchor);
            // The zoom-in cursor turns into the one without a step at the last level.
            UpdateCursor(at, event->modifiers());
        }
        break;
    case kHand: UpdateCursor(at, event->modifiers()); break;
    case kSamplePoints: {
        if (CaptureRunning())
            break;
        const ViewPointF p = WindowToPreview(at);
        const bool inside =
            insideImage && p.x >= 0 && p.y >= 0 && p.x < image_->Width() && p.y < image_->Height();
        QVExposure& exposure = app_.Exposure();
        if (grabbedPoint_ >= 0) {
            if (inside)
                exposure.MoveSamplePoint(grabbedPoint_, static_cast<int>(p.x),
                                         static_cast<int>(p.y));
            else
                exposure.RemoveSamplePoint(grabbedPoint_);
        } else if (inside) {
            exposure.AddSamplePoint(static_cast<int>(p.x), static_cast<int>(p.y));
        }
        grabbedPoint_ = -1;
        palette_->update();
        Q_EMIT previewChanged();
        break;
    }
    case kGuide:
        if (placingGuide_) {
            auto& guides = app_.CameraSetting().Prefs().guides;
            const QPoint inView = palette_->mapTo(viewport(), at);
            if (*placingGuide_ < guides.size()) {
                const double position = guides[*placingGuide_].position;
                if (!viewport()->rect().contains(inView) || !(position >= 0.0 && position <= 100.0))
                    guides.erase(guides.begin() + static_cast<std::ptrdiff_t>(*placingGuide_));
            }
        }
        EndTemporaryTool();
        break;
    case kCrossHair:
        // Over the image the rulers count from the release point, in display pixels.
        if (insideImage) {
            const double z = zoom_ / 100.0;
            horizontalRuler_->SetOrigin(static_cast<int>(at.x() / z + 0.5));
            verticalRuler_->SetOrigin(static_cast<int>(at.y() / z + 0.5));
        }
        EndTemporaryTool();
        break;
    default: break;
    }
}

void QorvaneView::PaletteLeft()
{
    hover_.reset();
    Q_EMIT pixelReadout(-1, -1, -1, 0.0, 0, 0);
    Q_EMIT cursorLevel(-1);
}

void QorvaneView::ShowCursorStatus(QPoint window)
{
    const ImagePoint pixel = Mapping().WindowToDisplayPixel(
        {static_cast<double>(window.x()), static_cast<double>(window.y())});
    horizontalRuler_->SetMouse(window.x());
    verticalRuler_->SetMouse(window.y());
    if (pixel.x < 0 || !image_->HasImage()) {
        PaletteLeft();
        return;
    }
    const auto index = (static_cast<std::size_t>(pixel.y) * image_->DisplayWidth() + pixel.x) * 3;
    const std::span<const std::uint16_t> samples = image_->CurrentSamples();
    const std::span<const std::uint8_t> display = image_->DisplayCopy();
    if (index + 2 >= samples.size() || index + 2 >= display.size())
        return;
    if (sequence_->State() != CaptureState::Scan)
        Q_EMIT statusText(QString::asprintf(
            "%d%%    (%d, %d)    R: %u  G: %u  B: %u", static_cast<int>(zoom_), pixel.x, pixel.y,
            samples[index], samples[index + 1], samples[index + 2]));
    const int r = display[index];
    const int g = display[index + 1];
    const int b = display[index + 2];
    const double value =
        (samples[index] + samples[index + 1] + samples[index + 2]) / 3.0 / 65535.0 * 100.0;
    Q_EMIT pixelReadout(r, g, b, value, pixel.x, pixel.y);
    Q_EMIT cursorLevel(LevelHistogram::Level(colorMode_, r, g, b));
}

// --- Cursors ---

void QorvaneView::ShowCursor(ViewCursors::Id id)
{
    if (id == shownCursor_ && palette_->testAttribute(Qt::WA_SetCursor))
        return;
    shownCursor_ = id;
    palette_->setCursor(cursors_.Cursor(id, palette_->devicePixelRatioF()));
}

void QorvaneView::RefreshCursor(Qt::KeyboardModifiers modifiers)
{
    if (hover_ && dragMode_ == kNoDrag)
        UpdateCursor(*hover_, modifiers);
}

ViewCursors::Id QorvaneView::ToolCursor(int tool, QPoint window,
                                        Qt::KeyboardModifiers modifiers) const
{
    using C = ViewCursors;
    switch (tool) {
    case kSamplePoints: return SamplePointAt(window) >= 0 ? C::kSampleOver : C::kSample;
    case kCrop: {
        const int handle = CropEditor::HitTest(crop_, palette_->width(), palette_->height(),
                                               {window.x(), window.y()}, true);
        const QVSize& size = app_.Size();
        // With both locks on only a move of the whole crop is possible.
        if (size.IsCropRatioLocked() && size.IsFileSizeLocked())
            return handle == CropEditor::kInside ? C::kCropMove : C::kArrow;
        switch (handle) {
        case CropEditor::kLeft:
        case CropEditor::kRight: return C::kCropLeftRight;
        case CropEditor::kTop:
        case CropEditor::kBottom: return C::kCropTopBottom;
        case CropEditor::kTopLeft:
        case CropEditor::kBottomRight: return C::kCropFDiagonal;
        case CropEditor::kTopRight:
        case CropEditor::kBottomLeft: return C::kCropBDiagonal;
        case CropEditor::kInside: return C::kCropMove;
        default: return C::kArrow;
        }
    }
    case kZoom: {
        const bool out = modifiers & Qt::AltModifier;
        const bool possible =
            out ? ZoomLevels::Out(zoom_).has_value() : ZoomLevels::In(zoom_).has_value();
        return !possible ? C::kZoomLimit : out ? C::kZoomOut : C::kZoomIn;
    }
    case kHand: return dragMode_ == kHand ? C::kHandClosed : C::kHandOpen;
    case kFocusLine: return C::kFocusLine;
    case kGrid: return C::kGrid;
    case kGuide: {
        const auto& guides = app_.CameraSetting().Prefs().guides;
        if (!placingGuide_ || *placingGuide_ >= guides.size())
            return C::kArrow;
        const int degrees = image_->Rotation();
        const bool turned = degrees == 90 || degrees == 270;
        // A horizontal line of the preview stands upright on a turned view.
        const bool verticalOnScreen = guides[*placingGuide_].horizontal == turned;
        return verticalOnScreen ? C::kGuideVertical : C::kGuideHorizontal;
    }
    case kMarker: return C::kMarker;
    case kCrossHair: return C::kCrossHair;
    case kSuperRegion: return superPrescan_ ? C::kSuperRegion : C::kArrow;
    default: return C::kArrow;
    }
}

void QorvaneView::UpdateCursor(QPoint window, Qt::KeyboardModifiers modifiers)
{
    if (!palette_->rect().contains(window)) {
        ShowCursor(ViewCursors::kArrow);
        return;
    }
    // Near a guide line the guide tool takes over so that the guide can be dragged.
    if (guidesShown_ && ActiveTool() != kGuide && dragMode_ == kNoDrag && !image_->ShowingSuper()) {
        const auto lines = GuideLines();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const QLine& line = lines[i];
            const bool vertical = line.x1() == line.x2();
            const bool near = vertical ? std::abs(window.x() - line.x1()) <= 1
                                       : std::abs(window.y() - line.y1()) <= 1;
            if (near) {
                placingGuide_ = i;
                previousTool_ = tool_;
                tool_ = kGuide;
                dragMode_ = kNoDrag;
                ShowCursor(vertical ? ViewCursors::kGuideVertical : ViewCursors::kGuideHorizontal);
                return;
            }
        }
    }
    const int tool = ActiveTool();
    // Over the super preview only zoom, hand and the focus line act.
    if (image_->ShowingSuper() && tool != kZoom && tool != kHand && tool != kFocusLine) {
        ShowCursor(ViewCursors::kArrow);
        return;
    }
    ShowCursor(ToolCursor(tool, window, modifiers));
}

// --- Keys ---

void QorvaneView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Period && (event->modifiers() & Qt::ControlModifier)) {
        abortKeys_ = true;
        AbortKey();
        return;
    }
    if (event->key() == Qt::Key_Backspace) {
        QVExposure& exposure = app_.Exposure();
        const auto points = exposure.SamplePoints().Points();
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (points[i].selected) {
                exposure.RemoveSamplePoint(static_cast<int>(i));
                const auto left = exposure.SamplePoints().Points().size();
                if (left > 0)
                    exposure.SelectSamplePoint(static_cast<int>(left - 1));
                break;
            }
        }
        palette_->update();
        Q_EMIT previewChanged();
        return;
    }
    if (!event->isAutoRepeat() && temporaryTool_ < 0) {
        if (event->key() == Qt::Key_Control && tool_ != kFocusLine)
            temporaryTool_ = gridShown_ ? kGrid : kZoom;
        else if (event->key() == Qt::Key_Space)
            temporaryTool_ = kHand;
        if (temporaryTool_ >= 0) {
            RefreshCursor(event->modifiers());
            return;
        }
    }
    if (event->key() == Qt::Key_Alt) {
        // The cursors show the Alt variant of the tool while the key is down.
        RefreshCursor(event->modifiers() | Qt::AltModifier);
        return;
    }
    QScrollArea::keyPressEvent(event);
}

void QorvaneView::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Period || event->key() == Qt::Key_Control)
        abortKeys_ = false;
    if (!event->isAutoRepeat() && ((event->key() == Qt::Key_Control && temporaryTool_ != kHand) ||
                                   (event->key() == Qt::Key_Space && temporaryTool_ == kHand))) {
        temporaryTool_ = -1;
        RefreshCursor(event->modifiers());
        return;
    }
    if (event->key() == Qt::Key_Alt) {
        RefreshCursor(event->modifiers() & ~Qt::AltModifier);
        return;
    }
    QScrollArea::keyReleaseEvent(event);
}

}  // namespace scanora
