#include "ui/QorvaneView.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSettings>
#include <QTimer>

#include <algorithm>
#include <array>

#include "acquire/CaptureSequence.h"
#include "camera/QVCamera.h"
#include "camera/QVExposure.h"
#include "context/AppContext.h"
#include "context/HeldSettingTools.h"
#include "imaging/ZoomLevels.h"
#include "platform/BusyMessages.h"
#include "settings/QVCameraSetting.h"
#include "settings/QVSize.h"
#include "ui/CRulerCorner.h"
#include "ui/CRulerView.h"
#include "ui/CaptureViewOnGui.h"
#include "ui/FocusLineTool.h"
#include "ui/GuiThread.h"
#include "ui/QVImagePalette.h"
#include "ui/RectConversion.h"
#include "ui/SamplePointTool.h"
#include "ui/ToolController.h"
#include "ui/ViewCaptureDisplay.h"
#include "ui/ViewOverlays.h"

namespace scanora {

namespace {

// The user profile's values for the view.
constexpr const char* kScanColorsKey = "Settings/Scan Colors";
constexpr const char* kMaskCropKey = "Settings/Mask Crop";
// Colour, red, green, blue, monochrome and luminance; any other number shows colour.
constexpr int kFirstColorMode = 0;
constexpr int kLastColorMode = 5;

const QColor kBackground(200, 200, 200);

}  // namespace

QorvaneView::QorvaneView(AppContext& app, PreviewDocument& document, QWidget* parent)
    : QScrollArea(parent),
      app_(app),
      document_(document),
      overlays_(std::make_unique<ViewOverlays>(static_cast<ToolHost&>(*this))),
      captureDisplay_(std::make_unique<ViewCaptureDisplay>(*this, document)),
      gui_(std::make_unique<ui::GuiThread>()),
      captureSeam_(std::make_unique<ui::CaptureViewOnGui>(
          *gui_, *captureDisplay_, [&document] { document.HoldForCapture(); }))
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

    tools_ = std::make_unique<ToolController>(static_cast<ToolHost&>(*this), *palette_);

    const CameraPreferences& prefs = app_.CameraSetting().Prefs();
    // The display mode and the crop mask as they were last left.
    const QSettings profile;
    colorMode_ = profile.value(kScanColorsKey, 0).toInt();
    if (colorMode_ < kFirstColorMode || colorMode_ > kLastColorMode)
        colorMode_ = 0;
    maskCrop_ = profile.value(kMaskCropKey, 0).toInt() != 0;
    guidesShown_ = prefs.enableRulers;
    appearance_ = {prefs.maskColor,  prefs.maskTransparency, prefs.gridColor,     prefs.gridWidth,
                   prefs.gridHeight, prefs.guideColor,       prefs.guidePatternID};
    grid_.SetSpacing(prefs.gridWidth, prefs.gridHeight);
    HistogramSetting histogram;
    app_.HeldTools().Capture(histogram);
    sliders_.Assign(histogram.GetSliders());

    horizontalRuler_ = new CRulerView(*this, Qt::Horizontal, this);
    verticalRuler_ = new CRulerView(*this, Qt::Vertical, this);
    rulerCorner_ = new CRulerCorner(*this, this);
    LayOutRulers();

    ObserveDocument();
    if (document_.AllocateForCamera()) {
        ApplyZoom();
        RefreshDisplay();
    }
    SyncCropFromSize();
    horizontalScrollBar()->setSingleStep(16);
    verticalScrollBar()->setSingleStep(16);
}

QorvaneView::~QorvaneView() = default;

void QorvaneView::ObserveDocument()
{
    // From the renderer thread: queued to this one.
    connect(&document_, &PreviewDocument::areaRendered, this,
            [this](QRect window) { palette_->update(window); });
    connect(&document_, &PreviewDocument::redrawRequested, this, [this] { palette_->update(); });
    connect(&document_, &PreviewDocument::histogramCounted, this,
            [this] { Q_EMIT previewChanged(); });
}

// --- Capture commands ---

void QorvaneView::PrescanCommand(bool altHeld, const PreviewDocument::FileChooser& chooseSaved)
{
    if (document_.Capture().State() == CaptureState::Scan) {
        app_.Ui().ShowMessage(kScanInProgressMessage, MessageIcon::Exclamation, MessageButtons::Ok);
        return;
    }
    if (altHeld) {
        LoadSavedPreview(chooseSaved);
        if (Image().HasImage())
            app_.Exposure().DropSamplePointsOutside(Image().Width(), Image().Height());
        return;
    }
    document_.Capture().Prescan(NextPrescan());
}

void QorvaneView::AbortKey()
{
    CaptureSequence& capture = document_.Capture();
    capture.AbortKey();
    if (capture.State() == CaptureState::Idle) {
        captureDisplay_->ClearProgressRow();
        palette_->update();
    }
}

void QorvaneView::OnCaptureEnded()
{
    // The capture-finished step without holding the GUI thread: the pause runs on a timer.
    QTimer::singleShot(document_.Timing().finishPause, this, [this] {
        CaptureSequence& capture = document_.Capture();
        if (capture.StopRequested() || capture.ImagesRemaining() <= 0)
            Q_EMIT captureControlsEnabled(true);
    });
}

void QorvaneView::LoadSavedPreview(const PreviewDocument::FileChooser& choose)
{
    // A saved preview is a normal prescan: it goes into the normal preview, which is shown.
    ShowSuperPreview(false);
    document_.LoadSavedPreview(choose ? choose : [] { return std::optional<std::string>(); });
    ApplyZoom();
    RefreshDisplay();
}

// --- What a capture shows ---

void QorvaneView::FollowCapture()
{
    SyncShownBuffer();
    RefreshDisplay();
}

void QorvaneView::CaptureControlsEnabled(bool enabled)
{
    if (enabled)
        SyncShownBuffer();
    // The first preview of the session is shown whole.
    if (enabled && !fittedFirstPreview_ && document_.Capture().LastPrescanSucceeded()) {
        fittedFirstPreview_ = true;
        FitToWindow();
    }
    Q_EMIT captureControlsEnabled(enabled);
}

QRect QorvaneView::ProgressLinesRect(int row) const
{
    return overlays_->ProgressLinesRect(row);
}

// --- Display ---

CaptureView& QorvaneView::CaptureDisplay()
{
    return *captureSeam_;
}

void QorvaneView::CloseCaptureSeam()
{
    gui_->Close();
}

ViewMapping QorvaneView::Mapping() const
{
    const PreviewImage& image = Image();
    return ViewMapping(image.Rotation(), image.Width(), image.Height(), zoom_);
}

void QorvaneView::ApplyZoom()
{
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

ImageRect QorvaneView::HistogramCrop() const
{
    const ViewMapping mapping = Mapping();
    return CropEditor::WindowRect(crop_, mapping.DisplayWidth(), mapping.DisplayHeight());
}

void QorvaneView::RefreshDisplay()
{
    if (document_.Held() || !Image().HasImage())
        return;
    document_.PauseRendering();
    ApplyZoom();
    HistogramSetting histogram;
    app_.HeldTools().Capture(histogram);
    sliders_.Assign(histogram.GetSliders());
    SharePreviewMarks();
    document_.Render(zoom_, HistogramCrop(), colorMode_);
}

void QorvaneView::UpdateVisibleRect()
{
    const QRect visible =
        QRect(palette_->mapFrom(viewport(), QPoint(0, 0)), viewport()->size()) & palette_->rect();
    document_.SetVisibleWindow(ToImageRect(visible), zoom_);
}

DisplayEffects QorvaneView::Effects(int windowWidth, int windowHeight) const
{
    const bool super = Image().ShowingSuper();
    DisplayEffects effects;
    effects.colorMode = colorMode_;
    effects.falseColor = falseColor_;
    effects.maskCrop = maskCrop_;
    // While super prescan is on, what counts as inside is what it will read.
    effects.inside = superPrescan_ && !super
                         ? ToImageRect(overlays_->SuperRegionRect())
                         : CropEditor::WindowRect(crop_, windowWidth, windowHeight);
    effects.everythingInside = super;
    effects.falseColors = sliders_.FalseColorTable();
    effects.maskColor = appearance_.maskColor;
    effects.maskTransparency = appearance_.maskTransparency;
    return effects;
}

void QorvaneView::PaintImage(QPainter& painter, const QRect& area)
{
    const PreviewImage& image = Image();
    if (document_.Held() || !image.HasImage()) {
        painter.fillRect(area, Qt::black);
        return;
    }
    const int width = palette_->width();
    const int height = palette_->height();
    const DisplayComposer::Source source{image.DisplayCopy(), image.DisplayWidth(),
                                         image.DisplayHeight()};
    QImage pixels(area.size(), QImage::Format_RGB888);
    const auto stride = static_cast<std::size_t>(pixels.bytesPerLine());
    const std::span<std::uint8_t> out(pixels.bits(),
                                      static_cast<std::size_t>(pixels.sizeInBytes()));
    if (!DisplayComposer::Compose(source, width, height, ToImageRect(area), Effects(width, height),
                                  out, stride)) {
        painter.fillRect(area, Qt::black);
        return;
    }
    document_.ManageColour(pixels, *palette_);
    painter.drawImage(area.topLeft(), pixels);
}

void QorvaneView::PaintOverlays(QPainter& painter)
{
    const bool super = Image().ShowingSuper();
    if (!super) {
        overlays_->PaintSamplePoints(painter);
        overlays_->PaintCropFrame(painter);
        tools_->PaintWithCrop(painter);
    }
    if (gridShown_)
        overlays_->PaintGrid(painter, maskCrop_);
    if (!super && guidesShown_)
        overlays_->PaintGuides(painter);
    tools_->Paint(painter);
    if (superPrescan_ && !super)
        overlays_->PaintSuperRegion(painter);
    const int row = captureDisplay_->ProgressRow();
    if (row >= 0 && CaptureRunning())
        overlays_->PaintProgressLines(painter, row);
    if (const int stageRow = captureDisplay_->StageRow(); stageRow >= 0)
        overlays_->PaintStageIndicator(painter, stageRow);
}

std::vector<QLine> QorvaneView::GuideLines() const
{
    return overlays_->GuideLines();
}

// --- Effects and crop ---

void QorvaneView::SetColorMode(int mode)
{
    if (mode == colorMode_)
        return;
    colorMode_ = mode;
    QSettings().setValue(kScanColorsKey, mode);
    palette_->update();
    document_.SetHistogramMode(mode);
    document_.RecomputeHistogram();
}

void QorvaneView::SetMaskCrop(bool on)
{
    if (on != maskCrop_)
        QSettings().setValue(kMaskCropKey, on ? 1 : 0);
    maskCrop_ = on;
    Redraw();
}

void QorvaneView::SetAppearance(const PreviewAppearance& appearance)
{
    SCANORA_ASSERT_GUI_THREAD();
    appearance_ = appearance;
    grid_.SetSpacing(appearance.gridWidth, appearance.gridHeight);
    palette_->update();
}

void QorvaneView::SetGuidesShown(bool on)
{
    guidesShown_ = on;
    LayOutRulers();
    palette_->update();
}

void QorvaneView::ClearGuides()
{
    app_.CameraSetting().Prefs().guides.clear();
    palette_->update();
}

void QorvaneView::SetCrop(const CropPercent& crop)
{
    crop_ = crop;
    document_.SetHistogramCrop(HistogramCrop());
    SharePreviewMarks();
    palette_->update();
}

void QorvaneView::SetFalseColor(bool on)
{
    falseColor_ = on;
    SharePreviewMarks();
    Redraw();
}

void QorvaneView::SharePreviewMarks()
{
    PreviewMarks marks{crop_, {}};
    if (falseColor_) {
        const std::array<std::int32_t, 256> table = sliders_.FalseColorTable();
        marks.falseColorByLevel.assign(table.begin(), table.end());
    }
    document_.SetPreviewMarks(std::move(marks));
}

void QorvaneView::SyncCropFromSize()
{
    const QVSize& size = app_.Size();
    const CropPercent preview{size.GetXOffset(), size.GetYOffset(), size.GetCropWidth(),
                              size.GetCropHeight()};
    SetCrop(CropEditor::PreviewToDisplay(preview, Image().Rotation()));
}

void QorvaneView::CommitCrop()
{
    const CropPercent preview = CropEditor::DisplayToPreview(crop_, Image().Rotation());
    app_.Size().SetCropFromRectangle(preview.width, preview.height, preview.left, preview.top);
    SyncCropFromSize();
    document_.RecomputeHistogram();
    Q_EMIT cropChanged();
}

void QorvaneView::ApplySliders(const LevelSliders& sliders)
{
    HistogramSetting record;
    record.SetSliders(sliders.Sliders());
    app_.HeldTools().Apply(record);
    sliders_ = sliders;
    SharePreviewMarks();
    palette_->update();
}

// --- Zoom and scrolling ---

void QorvaneView::SetZoom(double zoom, QPoint anchor)
{
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

void QorvaneView::ZoomAround(double zoom, QPoint window)
{
    SetZoom(zoom, palette_->mapTo(viewport(), window));
}

void QorvaneView::ScrollBy(QPoint delta)
{
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + delta.x());
    verticalScrollBar()->setValue(verticalScrollBar()->value() + delta.y());
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
            room.width(), room.height(), Image().DisplayWidth(), Image().DisplayHeight()))
        SetZoom(*fit, viewport()->rect().center());
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

void QorvaneView::SetRulerOrigin(QPoint window)
{
    // In display pixels.
    const double z = zoom_ / 100.0;
    horizontalRuler_->SetOrigin(static_cast<int>(window.x() / z + 0.5));
    verticalRuler_->SetOrigin(static_cast<int>(window.y() / z + 0.5));
}

// --- Tools ---

std::optional<QPoint> QorvaneView::FocusLine() const
{
    return tools_->FocusLine().Line();
}

void QorvaneView::SetFocusWindowWidth(int sensorPixels)
{
    tools_->FocusLine().SetWindowWidth(sensorPixels);
    if (ActiveTool() == ToolKind::FocusLine)
        palette_->update();
}

QRect QorvaneView::ImageArea() const
{
    return palette_->rect();
}

void QorvaneView::Redraw()
{
    palette_->update();
}

void QorvaneView::RestoreViewState()
{
    SCANORA_ASSERT_GUI_THREAD();
    UpdateCursor(palette_->mapFromGlobal(QCursor::pos()), QGuiApplication::keyboardModifiers());
    Redraw();
}

bool QorvaneView::InViewport(QPoint window) const
{
    return viewport()->rect().contains(palette_->mapTo(viewport(), window));
}

// --- Super prescan ---

void QorvaneView::SetSuperPrescan(bool on)
{
    superPrescan_ = on;
    if (on)
        tools_->EnterSuperRegion();
    else if (!Image().ShowingSuper())
        tools_->LeaveSuperRegion();
    palette_->update();
}

void QorvaneView::ShowSuperPreview(bool second)
{
    // A prescan writes the buffer it chose; the other one is not shown meanwhile.
    if (!CaptureRunning() && Image().SelectPreviewBuffer(second))
        RefreshDisplay();
    const bool before = shownSuper_;
    SyncShownBuffer();
    // The box follows what is shown, also when the switch was refused.
    if (shownSuper_ == before)
        Q_EMIT superViewChanged(shownSuper_);
}

void QorvaneView::SyncShownBuffer()
{
    const bool shown = Image().ShowingSuper();
    if (shown == shownSuper_)
        return;
    shownSuper_ = shown;
    if (shown)
        tools_->EnterSuperRegion();
    else if (!superPrescan_)
        tools_->LeaveSuperRegion();
    palette_->update();
    Q_EMIT superViewChanged(shown);
}

// --- Mouse ---

void QorvaneView::ForwardDragMove(const QMouseEvent& event)
{
    const QPoint at = palette_->mapFromGlobal(event.globalPosition().toPoint());
    QMouseEvent moved(QEvent::MouseMove, at, event.globalPosition(), Qt::NoButton, Qt::LeftButton,
                      event.modifiers());
    PaletteMouseMove(moved);
}

void QorvaneView::ForwardDragRelease(const QMouseEvent& event)
{
    const QPoint at = palette_->mapFromGlobal(event.globalPosition().toPoint());
    QMouseEvent released(QEvent::MouseButtonRelease, at, event.globalPosition(), Qt::LeftButton,
                         Qt::NoButton, event.modifiers());
    PaletteMouseRelease(released);
}

void QorvaneView::PaletteMousePress(const QMouseEvent& event)
{
    tools_->Press(event.position().toPoint(), event.modifiers());
}

void QorvaneView::PaletteMouseRelease(const QMouseEvent& event)
{
    tools_->Release(event.position().toPoint(), event.modifiers());
}

void QorvaneView::PaletteMouseMove(const QMouseEvent& event)
{
    const QPoint at = event.position().toPoint();
    if (!(event.buttons() & Qt::LeftButton)) {
        tools_->FreeMove(at);
        ShowCursorStatus(at);
        tools_->UpdateCursor(at, event.modifiers());
        return;
    }
    if (tools_->DragMove(at, event.modifiers()))
        ShowCursorStatus(at);
}

void QorvaneView::PaletteLeft()
{
    tools_->Left();
    Q_EMIT pixelReadout(-1, -1, -1, 0.0, 0, 0);
    Q_EMIT cursorLevel(-1);
}

void QorvaneView::ShowCursorStatus(QPoint window)
{
    const PreviewImage& image = Image();
    const ImagePoint pixel = Mapping().WindowToDisplayPixel(
        {static_cast<double>(window.x()), static_cast<double>(window.y())});
    horizontalRuler_->SetMouse(window.x());
    verticalRuler_->SetMouse(window.y());
    if (pixel.x < 0 || !image.HasImage()) {
        PaletteLeft();
        return;
    }
    const auto index = (static_cast<std::size_t>(pixel.y) * image.DisplayWidth() + pixel.x) * 3;
    const std::span<const std::uint16_t> samples = image.CurrentSamples();
    const std::span<const std::uint8_t> display = image.DisplayCopy();
    if (index + 2 >= samples.size() || index + 2 >= display.size())
        return;
    if (document_.Capture().State() != CaptureState::Scan)
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

// --- Keys ---

void QorvaneView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Period && (event->modifiers() & Qt::ControlModifier)) {
        captureDisplay_->SetAbortKeysDown(true);
        AbortKey();
        return;
    }
    if (event->key() == Qt::Key_Backspace) {
        SamplePointTool::RemoveSelected(app_.Exposure());
        palette_->update();
        Q_EMIT previewChanged();
        return;
    }
    if (tools_->KeyPress(event->key(), event->isAutoRepeat(), event->modifiers(), gridShown_))
        return;
    QScrollArea::keyPressEvent(event);
}

void QorvaneView::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Period || event->key() == Qt::Key_Control)
        captureDisplay_->SetAbortKeysDown(false);
    if (tools_->KeyRelease(event->key(), event->isAutoRepeat(), event->modifiers()))
        return;
    QScrollArea::keyReleaseEvent(event);
}

}  // namespace scanora
