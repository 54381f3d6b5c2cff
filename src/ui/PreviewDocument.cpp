#include "ui/PreviewDocument.h"

#include <QFileInfo>
#include <QImage>
#include <QString>

#include "acquire/CaptureRequestBuilder.h"
#include "acquire/DisplayCurve.h"
#include "acquire/LinePlacement.h"
#include "acquire/PreviewLoader.h"
#include "camera/QVCamera.h"
#include "camera/QVExposure.h"
#include "context/AppContext.h"
#include "imaging/QVCurveEditor.h"
#include "settings/QVCameraSetting.h"
#include "settings/QVSize.h"
#include "ui/RectConversion.h"

namespace scanora {

namespace {

constexpr auto kRenderPaintWait = std::chrono::milliseconds(1000);

bool Intersects(const ImageRect& a, const ImageRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

PreviewDocument::PreviewDocument(AppContext& app, CaptureTiming timing)
    : app_(app), timing_(timing), image_(std::make_unique<PreviewImage>())
{
    // The sample points are measured on the image shown, as it is at each measurement.
    app_.Exposure().SetPreviewSource([this] { return image_->MeasuredView(); });
    renderer_ = std::make_unique<TileRenderer>(RendererHooks());
}

PreviewDocument::~PreviewDocument()
{
    closing_ = true;
    painted_.Set();
    renderer_->Stop();
    // The capture threads may still wait for a paint: the closing flag lets them go at once.
    sequence_.reset();
    app_.Exposure().SetPreviewSource({});
}

void PreviewDocument::AttachDisplay(CaptureView& display)
{
    // The capture reports to the display, and through it its progress as events.
    progressEvents_ = std::make_unique<CaptureProgressEvents>(captureEvents_, display);
    sequence_ = std::make_unique<CaptureSequence>(app_.ForCapture(), *image_, *progressEvents_,
                                                  &app_.Stage(), timing_);
    sequence_->SetPreviewMarks(marks_);
}

void PreviewDocument::SetPreviewMarks(PreviewMarks marks)
{
    marks_ = std::move(marks);
    if (sequence_)
        sequence_->SetPreviewMarks(marks_);
}

bool PreviewDocument::CaptureRunning() const
{
    return sequence_ && sequence_->State() != CaptureState::Idle;
}

SuperPrescanGeometry PreviewDocument::SuperGeometry() const
{
    return {image_->Width(), image_->Height(), app_.Camera().GetMaxSizeStep(),
            app_.Size().GetResolutionNumber()};
}

PrescanChoice PreviewDocument::PrescanFor(bool superPrescan) const
{
    PrescanChoice choice;
    if (!superPrescan)
        return choice;
    const SuperPrescanRegion::SensorOrigin origin =
        app_.Size().SuperRegion().Origin(SuperGeometry());
    choice.superPrescan = true;
    choice.superOriginPixel = origin.pixel;
    choice.superOriginLine = origin.line;
    return choice;
}

bool PreviewDocument::AllocateForCamera()
{
    const PreviewGeometry geometry =
        CaptureRequestBuilder(app_.ForCapture()).PreviewGeometryFor(std::nullopt);
    if (!image_->Matches(geometry) && !image_->AllocatePreview(geometry))
        return false;
    image_->SetRotation(ViewRotationForInsert(app_.Size().GetInsertRotation()));
    return true;
}

void PreviewDocument::LoadSavedPreview(const FileChooser& choose)
{
    const PreviewGeometry geometry =
        CaptureRequestBuilder(app_.ForCapture()).PreviewGeometryFor(std::nullopt);
    PreviewLoader loader(app_.Ui());
    renderer_->Pause();
    PrepareDisplayCurve();
    if (loader.LoadPreview("PreviewPic.TIF", geometry, *image_, displayCurve_)) {
        previewLoaded_ = true;
        return;
    }
    const std::optional<std::string> path = choose();
    if (!path)
        return;
    const QString suffix = QFileInfo(QString::fromStdString(*path)).suffix().toUpper();
    if ((suffix == QLatin1String("TIF") || suffix == QLatin1String("TIFF")) &&
        loader.LoadPreview(*path, geometry, *image_, displayCurve_))
        previewLoaded_ = true;
}

void PreviewDocument::PrepareDisplayCurve()
{
    // The editor's table is current after every finished change: the display takes a copy of
    // it rather than building its own, so one change of the curve builds one table. The renderer
    // is idle whenever this runs, and the editor changes only on this thread.
    const QVCurveEditor& editor = app_.CurveEditor();
    CopyDisplayCurve(editor.Curve(), editor.IsNone14(),
                     app_.CameraSetting().Prefs().embedICCProfile, displayCurve_);
}

void PreviewDocument::Render(double zoom, const ImageRect& histogramCrop, int colorMode)
{
    PrepareDisplayCurve();
    {
        const std::lock_guard lock(renderMutex_);
        histogramCrop_ = histogramCrop;
        histogramMode_ = colorMode;
        renderZoom_ = zoom;
    }
    renderer_->Start(image_->DisplayWidth(), image_->DisplayHeight());
}

void PreviewDocument::PauseRendering()
{
    renderer_->Pause();
}

void PreviewDocument::RecomputeHistogram()
{
    renderer_->RecomputeHistogram();
}

void PreviewDocument::SetHistogramCrop(const ImageRect& crop)
{
    const std::lock_guard lock(renderMutex_);
    histogramCrop_ = crop;
}

void PreviewDocument::SetHistogramMode(int colorMode)
{
    const std::lock_guard lock(renderMutex_);
    histogramMode_ = colorMode;
}

void PreviewDocument::SetVisibleWindow(const ImageRect& window, double zoom)
{
    const std::lock_guard lock(renderMutex_);
    visibleWindow_ = window;
    renderZoom_ = zoom;
}

LevelHistogram::Bins PreviewDocument::HistogramBins() const
{
    const std::lock_guard lock(renderMutex_);
    return published_.Levels();
}

std::vector<std::int32_t> PreviewDocument::RawHistogram() const
{
    const std::lock_guard lock(renderMutex_);
    const std::span<const std::int32_t> raw = published_.Raw();
    return {raw.begin(), raw.end()};
}

void PreviewDocument::HoldForCapture()
{
    hold_ = true;
    renderer_->Pause();
}

void PreviewDocument::ManageColour(QImage& pixels, const QWidget& shownOn)
{
    colour_.Update(app_.CameraSetting(), displayProfile_.ForWidget(shownOn));
    colour_.Apply(pixels);
}

TileRenderer::Hooks PreviewDocument::RendererHooks()
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
        Q_EMIT areaRendered(ToQRect(window));
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
        Q_EMIT histogramCounted();
    };
    hooks.redrawAll = [this] { Q_EMIT redrawRequested(); };
    hooks.interrupt = [this] { painted_.Set(); };
    return hooks;
}

}  // namespace scanora
