#pragma once

#include <QPoint>
#include <QRect>
#include <QScrollArea>
#include <QString>

#include <memory>
#include <optional>

#include "acquire/CaptureView.h"
#include "imaging/CropEditor.h"
#include "imaging/DisplayComposer.h"
#include "imaging/LevelHistogram.h"
#include "imaging/LevelSliders.h"
#include "imaging/PreviewGrid.h"
#include "imaging/ViewMapping.h"
#include "settings/SuperPrescanRegion.h"
#include "ui/PreviewDocument.h"
#include "ui/ToolController.h"
#include "ui/ToolHost.h"
#include "ui/ToolKind.h"
#include "ui/ViewCaptureDisplay.h"
#include "ui/ViewCursors.h"

class QPainter;
class QMouseEvent;

namespace scanora {

class AppContext;
class CRulerCorner;
class CRulerView;
class QVImagePalette;
class ViewOverlays;
namespace ui {
class CaptureViewOnGui;
class GuiThread;
}  // namespace ui

// The image view: a scrolling view whose only child is the image display. It shows the preview
// document's image at its zoom with the display effects and overlays, carries the rulers, and
// passes the mouse and keys on to its tools. What a capture shows reaches it through
// CaptureDisplay, the thread seam that carries every call over to the GUI thread.
class QorvaneView : public QScrollArea, private ToolHost {
    Q_OBJECT

public:
    // The view shows `document`. The document goes before the view does: it ends the capture
    // that reports here.
    QorvaneView(AppContext& app, PreviewDocument& document, QWidget* parent = nullptr);
    ~QorvaneView() override;

    [[nodiscard]] AppContext& App() const override { return app_; }
    [[nodiscard]] PreviewDocument& Document() { return document_; }
    [[nodiscard]] PreviewImage& Image() { return document_.Image(); }
    [[nodiscard]] const PreviewImage& Image() const override { return document_.Image(); }
    // What the capture sequence reports to, from its threads; the main frame hands it to the
    // document.
    [[nodiscard]] CaptureView& CaptureDisplay();
    // The window is closing: capture threads waiting for the display go on at once, and
    // nothing they send is shown any more. Called before the document ends its capture.
    void CloseCaptureSeam();
    // What a capture shows, on the GUI thread: the preview again after a capture or a change of
    // the shown buffer, the capture controls on or off, the place of the progress lines.
    void FollowCapture();
    void CaptureControlsEnabled(bool enabled);
    [[nodiscard]] QRect ProgressLinesRect(int row) const;

    // The Prescan command; with Alt held a saved preview is loaded instead, chosen with
    // `chooseSaved` when "PreviewPic.TIF" is not there.
    void PrescanCommand(bool altHeld, const PreviewDocument::FileChooser& chooseSaved = {});
    // Ignored while the focus aid runs: the carriage is parked for it.
    void ScanCommand()
    {
        if (!focusing_)
            document_.Capture().Scan();
    }
    void SetFocusing(bool focusing) { focusing_ = focusing; }
    // Ctrl and ".": aborts a scan at once, stops a prescan or a series.
    void AbortKey();
    // Window commands 36867 (capture ended) and 36872 (next image), routed by the main frame.
    void OnCaptureEnded();
    void OnNextImage() { document_.Capture().NextImage(); }

    void ZoomIn();
    void ZoomOut();
    void FitToWindow();
    void ZoomActual() { SetZoom(100.0, viewport()->rect().center()); }
    [[nodiscard]] double Zoom() const override { return zoom_; }
    // Sets the zoom in percent keeping the image point under `anchor` (viewport coordinates)
    // at the centre of the view.
    void SetZoom(double zoom, QPoint anchor);

    // The tool chosen from the menus and tool bar (and the ones that come in on their own).
    void SetTool(ToolKind tool) { tools_->Select(tool); }
    [[nodiscard]] ToolKind Tool() const { return tools_->Selected(); }
    // The tool the mouse works with now: a key-held tool (Ctrl, Space) before the selected one.
    [[nodiscard]] ToolKind ActiveTool() const { return tools_->Active(); }
    // The cursor the image display shows.
    [[nodiscard]] ViewCursors::Id ShownCursor() const { return tools_->ShownCursor(); }

    // Super prescan: the next prescan reads the super prescan region at the current size step
    // into the second buffer. While it is on the region tool is selected and the region shown.
    void SetSuperPrescan(bool on);
    [[nodiscard]] bool SuperPrescan() const override { return superPrescan_; }
    // Shows the second buffer (the super preview) or the normal one. Refused during a capture.
    void ShowSuperPreview(bool second);
    // The preview and steps the super prescan region is measured against.
    [[nodiscard]] SuperPrescanGeometry SuperGeometry() const override
    {
        return document_.SuperGeometry();
    }
    // What the next Prescan command asks for.
    [[nodiscard]] PrescanChoice NextPrescan() const { return document_.PrescanFor(superPrescan_); }

    // The focus line picked with the focus line tool, in preview coordinates, if any.
    [[nodiscard]] std::optional<QPoint> FocusLine() const;
    // The focus window's width in sensor pixels (it follows the focus aid's zoom).
    void SetFocusWindowWidth(int sensorPixels);

    // The ruler corner's cross-hair: from now until the button is released.
    void BeginCrossHair() { tools_->BeginCrossHair(); }

    // Converts the preview into the display copy again (after curve or colour changes) and
    // counts the histogram anew.
    void RefreshDisplay();
    // After the stage has turned: the cursor for the tool and the place under the pointer, and
    // the preview drawn again.
    void RestoreViewState();
    // Draws the preview and its marks again (ToolHost).
    void Redraw() override;

    // Display effects.
    void SetColorMode(int mode);
    [[nodiscard]] int ColorMode() const { return colorMode_; }
    // The two are kept in the user profile ("Scan Colors", "Mask Crop") as they change.
    void SetMaskCrop(bool on);
    [[nodiscard]] bool MaskCrop() const { return maskCrop_; }
    void SetFalseColor(bool on);
    [[nodiscard]] bool FalseColor() const { return falseColor_; }
    void SetGridShown(bool on)
    {
        gridShown_ = on;
        Redraw();
    }
    [[nodiscard]] bool GridShown() const { return gridShown_; }
    void SetGuidesShown(bool on);
    [[nodiscard]] bool GuidesShown() const override { return guidesShown_; }
    void ClearGuides();
    [[nodiscard]] const PreviewGrid& Grid() const { return grid_; }
    // The mask, grid and guides are drawn with `appearance` from now on (the grid takes its
    // spacing); the preferences dialog shows its choices this way before they are kept.
    void SetAppearance(const PreviewAppearance& appearance);
    [[nodiscard]] const PreviewAppearance& Appearance() const override { return appearance_; }

    // The crop in percent of the display image.
    void SetCrop(const CropPercent& crop) override;
    [[nodiscard]] const CropPercent& Crop() const override { return crop_; }
    // Takes the crop from the output geometry (after the size page changed it).
    void SyncCropFromSize();

    // The histogram's level sliders (the current histogram setting's) and the histogram of the
    // displayed image.
    [[nodiscard]] const LevelSliders& Sliders() const { return sliders_; }
    // Replaces the sliders: they become the current histogram setting's and the display follows.
    void ApplySliders(const LevelSliders& sliders);
    [[nodiscard]] LevelHistogram::Bins HistogramBins() const { return document_.HistogramBins(); }
    // True while the view shows an image (the slider bar reacts only then).
    [[nodiscard]] bool ShowsImage() const { return Image().HasImage(); }

    // A guide dragged out of a ruler: from the horizontal ruler a vertical guide on screen.
    void BeginGuideDrag(bool fromHorizontalRuler) { tools_->BeginGuideDrag(fromHorizontalRuler); }

    // The current mapping between preview, display image and display window.
    [[nodiscard]] ViewMapping Mapping() const override;
    // Paint of the image display: the image in `area` (window coordinates), then the overlays.
    void PaintImage(QPainter& painter, const QRect& area);
    void PaintOverlays(QPainter& painter);
    [[nodiscard]] QVImagePalette& Palette() { return *palette_; }
    [[nodiscard]] PaintEvent& Painted() { return document_.Painted(); }

    // A drag that began on a ruler or the ruler corner keeps the mouse there: its moves and its
    // release are passed on to the image display at the same place on screen.
    void ForwardDragMove(const QMouseEvent& event);
    void ForwardDragRelease(const QMouseEvent& event);
    // Mouse on the image display (window coordinates).
    void PaletteMousePress(const QMouseEvent& event);
    void PaletteMouseMove(const QMouseEvent& event);
    void PaletteMouseRelease(const QMouseEvent& event);
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
    // ToolHost, for the mouse tools.
    [[nodiscard]] QRect ImageArea() const override;
    [[nodiscard]] bool InViewport(QPoint window) const override;
    [[nodiscard]] bool CaptureRunning() const override { return document_.CaptureRunning(); }
    void ShowCursor(ViewCursors::Id id) override { tools_->ShowCursor(id); }
    void UpdateCursor(QPoint window, Qt::KeyboardModifiers modifiers) override
    {
        tools_->UpdateCursor(window, modifiers);
    }
    void EndTemporaryTool() override { tools_->EndTemporary(); }
    void ZoomAround(double zoom, QPoint window) override;
    void ScrollBy(QPoint delta) override;
    void CommitCrop() override;
    [[nodiscard]] std::vector<QLine> GuideLines() const override;
    [[nodiscard]] PreviewGrid& Grid() override { return grid_; }
    void SetRulerOrigin(QPoint window) override;
    void SamplePointsChanged() override { Q_EMIT previewChanged(); }
    void FocusLinePlaced(int column, int line) override { Q_EMIT focusLinePlaced(column, line); }

    void ObserveDocument();
    void ApplyZoom();
    void LoadSavedPreview(const PreviewDocument::FileChooser& choose);
    void UpdateVisibleRect();
    void LayOutRulers();
    [[nodiscard]] DisplayEffects Effects(int windowWidth, int windowHeight) const;
    [[nodiscard]] ImageRect HistogramCrop() const;
    // Tells the capture what a saved prescan takes from the view: the crop and false colour.
    void SharePreviewMarks();
    void ShowCursorStatus(QPoint window);
    // Follows a change of the shown buffer, made here or by a prescan.
    void SyncShownBuffer();

    AppContext& app_;
    PreviewDocument& document_;
    QVImagePalette* palette_ = nullptr;  // owned by the scroll area
    CRulerView* horizontalRuler_ = nullptr;
    CRulerView* verticalRuler_ = nullptr;
    CRulerCorner* rulerCorner_ = nullptr;
    std::unique_ptr<ViewOverlays> overlays_;
    std::unique_ptr<ViewCaptureDisplay> captureDisplay_;  // on the GUI thread
    std::unique_ptr<ui::GuiThread> gui_;
    std::unique_ptr<ui::CaptureViewOnGui> captureSeam_;  // what the capture threads call

    double zoom_ = 100.0;
    std::unique_ptr<ToolController> tools_;
    bool focusing_ = false;  // the focus aid runs
    CropPercent crop_;

    bool superPrescan_ = false;
    bool shownSuper_ = false;  // the buffer the view last followed

    int colorMode_ = 0;
    bool maskCrop_ = false;
    bool fittedFirstPreview_ = false;
    bool falseColor_ = false;
    bool gridShown_ = false;
    bool guidesShown_ = false;
    PreviewGrid grid_{PreviewGrid::kDefaultSpacing, PreviewGrid::kDefaultSpacing};
    PreviewAppearance appearance_;
    LevelSliders sliders_;
};

}  // namespace scanora
