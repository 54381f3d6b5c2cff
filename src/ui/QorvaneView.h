#pragma once

#include <QPoint>
#include <QRect>
#include <QScrollArea>
#include <QString>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>

#include "acquire/CaptureSequence.h"
#include "acquire/CaptureView.h"
#include "acquire/PaintEvent.h"
#include "acquire/PreviewImage.h"
#include "acquire/TileRenderer.h"
#include "camera/FocusWindowPlacement.h"
#include "imaging/ColorCorrectingToneCurve.h"
#include "imaging/CropEditor.h"
#include "imaging/DisplayComposer.h"
#include "imaging/LevelHistogram.h"
#include "imaging/LevelSliders.h"
#include "imaging/PreviewGrid.h"
#include "imaging/ViewMapping.h"
#include "settings/SuperPrescanRegion.h"
#include "ui/DisplayProfile.h"
#include "ui/PreviewColorManagement.h"
#include "ui/ViewCursors.h"

class QPainter;
class QMouseEvent;

namespace scanora {

class AppContext;
class CRulerCorner;
class CRulerView;
class QVImagePalette;
namespace ui {
class CaptureViewOnGui;
class GuiThread;
}  // namespace ui

// The image view: a scrolling view whose only child is the image display. It owns the preview
// image, the capture sequence and the display renderer, shows the prescan as it arrives, and
// carries the zoom and the mouse tools. The capture threads reach it through CaptureViewOnGui,
// which carries every CaptureView call over to the GUI thread; only RepaintAndWait blocks its
// (capture) thread until the display has painted, at most its limit.
class QorvaneView : public QScrollArea, private CaptureView {
    Q_OBJECT

public:
    // Mouse tools.
    enum Tool : int {
        kSamplePoints = 0,
        kCrop = 1,
        kZoom = 2,
        kHand = 3,
        kFocusLine = 4,
        kGrid = 5,
        kGuide = 6,
        kMarker = 7,
        kCrossHair = 8,
        kSuperRegion = 9,
    };
    static constexpr int kNoDrag = 10;

    explicit QorvaneView(AppContext& app, QWidget* parent = nullptr, CaptureTiming timing = {});
    ~QorvaneView() override;

    CaptureSequence& Capture() { return *sequence_; }
    AppContext& App() { return app_; }
    PreviewImage& Image() { return *image_; }

    // The Prescan command; with Alt held a saved preview is loaded instead.
    void PrescanCommand(bool altHeld);
    void ScanCommand();
    // Ctrl and ".": aborts a scan at once, stops a prescan or a series.
    void AbortKey();
    // Window commands 36867 (capture ended) and 36872 (next image), routed by the main frame.
    void OnCaptureEnded();
    void OnNextImage();

    void ZoomIn();
    void ZoomOut();
    void FitToWindow();
    void ZoomActual();
    [[nodiscard]] double Zoom() const { return zoom_; }
    // Sets the zoom in percent keeping the image point under `anchor` (viewport coordinates)
    // at the centre of the view.
    void SetZoom(double zoom, QPoint anchor);

    void SetMouseTool(int tool);
    [[nodiscard]] int MouseTool() const { return tool_; }
    // The tool the mouse works with now: a key-held tool (Ctrl, Space) before the selected one.
    [[nodiscard]] int ActiveTool() const;
    // The cursor the image display shows.
    [[nodiscard]] ViewCursors::Id ShownCursor() const { return shownCursor_; }

    // Super prescan: the next prescan reads the super prescan region at the current size step
    // into the second buffer. While it is on the region tool is selected and the region shown.
    void SetSuperPrescan(bool on);
    [[nodiscard]] bool SuperPrescan() const { return superPrescan_; }
    // Shows the second buffer (the super preview) or the normal one. Refused during a capture.
    void ShowSuperPreview(bool second);
    // The preview and steps the super prescan region is measured against.
    [[nodiscard]] SuperPrescanGeometry SuperGeometry() const;
    // What the next Prescan command asks for.
    [[nodiscard]] PrescanChoice NextPrescan() const;

    // The focus line picked with tool 4, in preview coordinates (column, line), if any.
    [[nodiscard]] std::optional<QPoint> FocusLine() const { return focusLine_; }
    // The focus window's width in sensor pixels (it follows the focus aid's zoom).
    void SetFocusWindowWidth(int sensorPixels);

    // The ruler corner's cross-hair: from now until the button is released.
    void BeginCrossHair();

    // Converts the preview into the display copy again (after curve or colour changes) and
    // counts the histogram anew.
    void RefreshDisplay();

    // Display effects.
    void SetColorMode(int mode);
    [[nodiscard]] int ColorMode() const { return colorMode_; }
    void SetMaskCrop(bool on);
    [[nodiscard]] bool MaskCrop() const { return maskCrop_; }
    void SetFalseColor(bool on);
    [[nodiscard]] bool FalseColor() const { return falseColor_; }
    void SetGridShown(bool on);
    [[nodiscard]] bool GridShown() const { return gridShown_; }
    void SetGuidesShown(bool on);
    [[nodiscard]] bool GuidesShown() const { return guidesShown_; }
    void ClearGuides();
    [[nodiscard]] const PreviewGrid& Grid() const { return grid_; }

    // The crop in percent of the display image.
    void SetCrop(const CropPercent& crop);
    [[nodiscard]] const CropPercent& Crop() const { return crop_; }
    // Takes the crop from the output geometry (after the size page changed it).
    void SyncCropFromSize();

    // The histogram's level sliders (the current histogram setting's) and the histogram of the
    // displayed image.
    [[nodiscard]] const LevelSliders& Sliders() const { return sliders_; }
    // Replaces the sliders: they become the current histogram setting's and the display follows.
    void ApplySliders(const LevelSliders& sliders);
    [[nodiscard]] LevelHistogram::Bins HistogramBins() const;
    // True while the view shows an image (the slider bar reacts only then).
    [[nodiscard]] bool ShowsImage() const { return image_->HasImage(); }

    // A guide dragged out of a ruler: from the horizontal ruler a vertical guide on screen.
    void BeginGuideDrag(bool fromHorizontalRuler);

    // The current mapping between preview, display image and display window.
    [[nodiscard]] ViewMapping Mapping() const;
    // Paint of the image display: the image in `area` (window coordinates), then the overlays.
    void PaintImage(QPainter& painter, const QRect& area);
    void PaintOverlays(QPainter& painter);
    [[nodiscard]] QVImagePalette& Palette() { return *palette_; }
    [[nodiscard]] PaintEvent& Painted() { return painted_; }

    // A drag that began on a ruler or the ruler corner keeps the mouse there: its moves and its
    // release are passed on to the image display at the same place on screen.
    void ForwardDragMove(const QMouseEvent& event);
    void ForwardDragRelease(const QMouseEvent& event);
    // Mouse on the image display (window coordinates).
    void PaletteMousePress(QMouseEvent* event);
    void PaletteMouseMove(QMouseEvent* event);
    void PaletteMouseRelease(QMouseEvent* event);
    void PaletteLeft();
    [[nodiscard]] CRulerView* Ruler(Qt::Orientation orientation) const
    {
        return orientation == Qt::Horizontal ? horizontalRuler_ : verticalRuler_;
    }
    [[nodiscard]] CRulerCorner* RulerCorner() const { return rulerCorner_; }

Q_SIGNALS:
    void statusText(const QString& text);
    void captureControlsEnabled(bool enabled);
    void previewChanged();
    void cropChanged();
    // The pixel under the cursor: R, G, B display levels, the value, its display position; a
    // negative red means no pixel.
    void pixelReadout(int red, int green, int blue, double value, int x, int y);
    // The level to mark in the histogram; negative hides it.
    void cursorLevel(int level);
    // The second buffer is shown (true) or the normal one, after the user or a prescan switched.
    void superViewChanged(bool shown);
    // The focus line was placed at preview column `column` of preview line `line`.
    void focusLinePlaced(int column, int line);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // CaptureView, on the GUI thread (the capture threads call the adapter).
    void ShowPreviewRows(int first, int count) override;
    void ShowProgressRow(int row) override;
    void RepaintAndWait(std::chrono::milliseconds limit) override;
    void RefreshAll() override;
    void SetCaptureControlsEnabled(bool enabled) override;
    // The one answer given on the capture thread: the key events keep it in an atomic.
    [[nodiscard]] bool AbortKeysDown() const override { return abortKeys_.load(); }

    // Before a capture switches the controls off, on its thread: the renderer lets go of the
    // preview, which the capture may reallocate.
    void ReleasePreview();

    void AllocateForCamera();
    void ApplyZoom();
    void PrepareDisplayCurve();
    void LoadPreviewFile();
    void UpdateVisibleRect();
    void LayOutRulers();
    [[nodiscard]] TileRenderer::Hooks RendererHooks();
    [[nodiscard]] DisplayEffects Effects(int windowWidth, int windowHeight) const;
    [[nodiscard]] QRect ProgressLinesRect(int row) const;
    [[nodiscard]] std::vector<QLine> GuideLines() const;
    void PaintProgressLines(QPainter& painter, int row) const;
    void PaintCrop(QPainter& painter) const;
    void PaintGrid(QPainter& painter) const;
    void PaintGuides(QPainter& painter) const;
    void PaintSamplePoints(QPainter& painter) const;
    void PaintFocusLine(QPainter& painter) const;
    void PaintSuperRegion(QPainter& painter) const;
    // The super prescan region and the focus line's marker in window coordinates.
    [[nodiscard]] QRect SuperRegionWindowRect() const;
    [[nodiscard]] QRect FocusLineWindowRect() const;
    void ShowCursorStatus(QPoint window);
    void CropDrag(QPoint window, bool ctrl);
    void CommitCropToSize();
    void EndTemporaryTool();
    void UpdateCursor(QPoint window, Qt::KeyboardModifiers modifiers);
    // The cursor again at the last mouse position over the image (after keys and tool changes).
    void RefreshCursor(Qt::KeyboardModifiers modifiers);
    void ShowCursor(ViewCursors::Id id);
    [[nodiscard]] ViewCursors::Id ToolCursor(int tool, QPoint window,
                                             Qt::KeyboardModifiers modifiers) const;
    // The sample point under a window point, or -1.
    [[nodiscard]] int SamplePointAt(QPoint window) const;
    // The preview point under a window point.
    [[nodiscard]] ViewPointF WindowToPreview(QPoint window) const;
    void PlaceFocusLine(QPoint window);
    // The region tool comes in while the second buffer is shown or super prescan is on, and the
    // tool before it comes back after.
    void EnterSuperTool();
    void LeaveSuperTool();
    // Follows a change of the shown buffer, made here or by a prescan.
    void SyncShownBuffer();
    [[nodiscard]] bool CaptureRunning() const;

    AppContext& app_;
    const CaptureTiming timing_;
    std::unique_ptr<PreviewImage> image_;
    std::unique_ptr<ui::GuiThread> gui_;
    std::unique_ptr<ui::CaptureViewOnGui> captureView_;
    std::unique_ptr<CaptureSequence> sequence_;
    ColorCorrectingToneCurve displayCurve_;
    PaintEvent painted_;
    QVImagePalette* palette_ = nullptr;  // owned by the scroll area
    CRulerView* horizontalRuler_ = nullptr;
    CRulerView* verticalRuler_ = nullptr;
    CRulerCorner* rulerCorner_ = nullptr;

    // The renderer and what its thread reads, set on the GUI thread before each start.
    std::unique_ptr<TileRenderer> renderer_;
    mutable std::mutex renderMutex_;
    ImageRect visibleWindow_;
    ImageRect histogramCrop_;
    int histogramMode_ = 0;
    double renderZoom_ = 100.0;
    LevelHistogram working_;
    LevelHistogram published_;

    double zoom_ = 100.0;
    int tool_ = kSamplePoints;
    int previousTool_ = kNoDrag;
    int temporaryTool_ = -1;  // Ctrl or Space held: the tool in use instead of tool_
    int dragMode_ = kNoDrag;
    int cropHandle_ = CropEditor::kNoHandles;
    CropPercent crop_;
    CropPercent cropAtPress_;
    QPoint pressPoint_;
    QPoint lastPoint_;
    std::optional<QPoint> crossHair_;
    int grabbedPoint_ = -1;
    std::optional<std::size_t> placingGuide_;
    std::optional<QPoint> hover_;  // the last mouse position over the image display
    ViewCursors cursors_;
    ViewCursors::Id shownCursor_ = ViewCursors::kArrow;

    bool superPrescan_ = false;
    bool shownSuper_ = false;  // the buffer the view last followed
    int toolBeforeSuper_ = kNoDrag;

    std::optional<QPoint> focusLine_;
    int focusWindowWidth_ = FocusWindowPlacement::kDefaultWidth;

    int colorMode_ = 0;
    bool maskCrop_ = false;
    bool falseColor_ = false;
    bool gridShown_ = false;
    bool guidesShown_ = false;
    PreviewGrid grid_{PreviewGrid::kDefaultSpacing, PreviewGrid::kDefaultSpacing};
    LevelSliders sliders_;

    // The display's colour profile and the preview's conversion into it.
    DisplayProfile displayProfile_;
    PreviewColorManagement colour_;

    int progressRow_ = -1;
    QRect progressRect_;
    std::atomic<bool> hold_{false};
    std::atomic<bool> abortKeys_{false};
    std::atomic<bool> closing_{false};
};

}  // namespace scanora
