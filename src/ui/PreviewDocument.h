#pragma once

#include <QObject>
#include <QRect>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "acquire/CaptureProgressEvents.h"
#include "acquire/CaptureSequence.h"
#include "acquire/PaintEvent.h"
#include "acquire/PreviewImage.h"
#include "acquire/TileRenderer.h"
#include "imaging/ColorCorrectingToneCurve.h"
#include "imaging/LevelHistogram.h"
#include "platform/JsonEvents.h"
#include "settings/SuperPrescanRegion.h"
#include "ui/DisplayProfile.h"
#include "ui/PreviewColorManagement.h"

class QImage;

namespace scanora {

class AppContext;
class CaptureView;

// The preview the main window shows and the capture that fills it: the preview image, the
// capture sequence, the renderer that converts the preview into its display copy in tiles and
// counts the histogram on its own thread, and the colour management of what is painted. The
// image view observes it: a converted tile, a redraw of everything and a fresh histogram come
// as signals (from the renderer thread, so they arrive queued).
class PreviewDocument : public QObject {
    Q_OBJECT

public:
    // Asks for a saved preview's file; nothing when the user cancelled.
    using FileChooser = std::function<std::optional<std::string>()>;

    PreviewDocument(AppContext& app, CaptureTiming timing);
    // Lets the capture threads go and ends the renderer; before the display it reports to.
    ~PreviewDocument() override;
    PreviewDocument(const PreviewDocument&) = delete;
    PreviewDocument& operator=(const PreviewDocument&) = delete;

    // Makes the capture sequence, which reports to `display` from its threads. Once, before any
    // capture command.
    void AttachDisplay(CaptureView& display);
    // What a saved prescan takes from the view; kept for a capture attached later.
    void SetPreviewMarks(PreviewMarks marks);

    [[nodiscard]] PreviewImage& Image() { return *image_; }
    [[nodiscard]] const PreviewImage& Image() const { return *image_; }
    [[nodiscard]] CaptureSequence& Capture() { return *sequence_; }
    // The captures' progress as events (their sink set by whoever follows them, else none).
    [[nodiscard]] JsonEvents& CaptureEvents() { return captureEvents_; }
    [[nodiscard]] bool CaptureRunning() const;
    [[nodiscard]] const CaptureTiming& Timing() const { return timing_; }

    // The preview and steps the super prescan region is measured against.
    [[nodiscard]] SuperPrescanGeometry SuperGeometry() const;
    // What a prescan asks for: with `superPrescan` the super prescan region at the current
    // size step into the second buffer.
    [[nodiscard]] PrescanChoice PrescanFor(bool superPrescan) const;

    // Gives the preview the current camera's size and insert rotation; false when it could not
    // be allocated.
    bool AllocateForCamera();
    // Loads the saved preview "PreviewPic.TIF", or one the user picks when that is not there.
    void LoadSavedPreview(const FileChooser& choose);
    // True once a saved preview was loaded into the preview.
    [[nodiscard]] bool PreviewLoaded() const { return previewLoaded_; }

    // The renderer. Render converts the whole preview again, visible tiles first, then counts
    // the histogram of `histogramCrop` (display pixels) in `colorMode`.
    void Render(double zoom, const ImageRect& histogramCrop, int colorMode);
    void PauseRendering();
    void RecomputeHistogram();
    void SetHistogramCrop(const ImageRect& crop);
    void SetHistogramMode(int colorMode);
    // The part of the display window on screen, at `zoom`: tiles outside it are not waited for.
    void SetVisibleWindow(const ImageRect& window, double zoom);
    [[nodiscard]] LevelHistogram::Bins HistogramBins() const;
    // The raw histogram counted with it: one count per mean 16-bit level, over every pixel.
    [[nodiscard]] std::vector<std::int32_t> RawHistogram() const;
    // Set by every paint of the display; the renderer and the capture wait on it.
    [[nodiscard]] PaintEvent& Painted() { return painted_; }

    // While a capture may reallocate the preview nothing reads it: the renderer is paused and
    // the display paints black. Called from a capture thread.
    void HoldForCapture();
    void ReleaseHold() { hold_ = false; }
    [[nodiscard]] bool Held() const { return hold_.load(); }
    [[nodiscard]] bool Closing() const { return closing_.load(); }

    // Converts composed display pixels from the chosen profile (sRGB while none is embedded)
    // into the profile of the screen `shownOn` is on.
    void ManageColour(QImage& pixels, const QWidget& shownOn);

Q_SIGNALS:
    // A tile was converted; `window` is where it shows in the display window.
    void areaRendered(QRect window);
    // A tile did not get painted in time: everything is to be painted again.
    void redrawRequested();
    // The histogram was counted anew.
    void histogramCounted();

private:
    [[nodiscard]] TileRenderer::Hooks RendererHooks();
    void PrepareDisplayCurve();

    AppContext& app_;
    const CaptureTiming timing_;
    std::unique_ptr<PreviewImage> image_;
    JsonEvents captureEvents_{{}, "capture"};
    std::unique_ptr<CaptureProgressEvents> progressEvents_;
    std::unique_ptr<CaptureSequence> sequence_;
    PreviewMarks marks_;
    ColorCorrectingToneCurve displayCurve_;
    PaintEvent painted_;

    // The renderer and what its thread reads, set on the GUI thread before each start.
    std::unique_ptr<TileRenderer> renderer_;
    mutable std::mutex renderMutex_;
    ImageRect visibleWindow_;
    ImageRect histogramCrop_;
    int histogramMode_ = 0;
    double renderZoom_ = 100.0;
    LevelHistogram working_;
    LevelHistogram published_;

    DisplayProfile displayProfile_;
    PreviewColorManagement colour_;

    bool previewLoaded_ = false;
    std::atomic<bool> hold_{false};
    std::atomic<bool> closing_{false};
};

}  // namespace scanora
