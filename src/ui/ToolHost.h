#pragma once

#include <QLine>
#include <QPoint>
#include <QRect>
#include <Qt>

#include <vector>

#include "acquire/PreviewImage.h"
#include "imaging/CropEditor.h"
#include "imaging/ViewMapping.h"
#include "settings/PreferenceDisplays.h"
#include "settings/SuperPrescanRegion.h"
#include "ui/ViewCursors.h"

namespace scanora {

class AppContext;
class PreviewGrid;

// What the mouse tools reach of the image view: its mapping between preview and window, the
// zoom and scrolling, the crop, the grid and guides, the cursor, and the notices a tool gives.
// Window coordinates are those of the image display.
class ToolHost {
public:
    virtual ~ToolHost() = default;

    [[nodiscard]] virtual AppContext& App() const = 0;
    [[nodiscard]] virtual const PreviewImage& Image() const = 0;
    // True when the view is turned a quarter: the preview's axes change places on screen.
    [[nodiscard]] bool Turned() const
    {
        const int degrees = Image().Rotation();
        return degrees == 90 || degrees == 270;
    }
    [[nodiscard]] virtual ViewMapping Mapping() const = 0;
    // The image display's own rectangle.
    [[nodiscard]] virtual QRect ImageArea() const = 0;
    // True when `window` is inside the visible part of the view.
    [[nodiscard]] virtual bool InViewport(QPoint window) const = 0;
    [[nodiscard]] virtual bool CaptureRunning() const = 0;

    virtual void Redraw() = 0;
    virtual void ShowCursor(ViewCursors::Id id) = 0;
    // The cursor for the tool and place under `window` now.
    virtual void UpdateCursor(QPoint window, Qt::KeyboardModifiers modifiers) = 0;
    // A temporary tool's work is done: the tool before it comes back.
    virtual void EndTemporaryTool() = 0;

    [[nodiscard]] virtual double Zoom() const = 0;
    // Sets the zoom keeping the image point under `window` at the centre of the view.
    virtual void ZoomAround(double zoom, QPoint window) = 0;
    // Moves the view's scroll position by `delta` pixels.
    virtual void ScrollBy(QPoint delta) = 0;

    [[nodiscard]] virtual const CropPercent& Crop() const = 0;
    virtual void SetCrop(const CropPercent& crop) = 0;
    // The crop as it is now goes into the output geometry.
    virtual void CommitCrop() = 0;
    [[nodiscard]] virtual bool GuidesShown() const = 0;
    // The guides as lines in window coordinates, in the order of the preferences' list.
    [[nodiscard]] virtual std::vector<QLine> GuideLines() const = 0;
    [[nodiscard]] virtual PreviewGrid& Grid() = 0;
    // The colours and pattern of the mask, grid and guides as the view shows them now.
    [[nodiscard]] virtual const PreviewAppearance& Appearance() const = 0;
    // The rulers count from `window` on.
    virtual void SetRulerOrigin(QPoint window) = 0;

    [[nodiscard]] virtual bool SuperPrescan() const = 0;
    [[nodiscard]] virtual SuperPrescanGeometry SuperGeometry() const = 0;

    // The sample points changed (added, moved, removed).
    virtual void SamplePointsChanged() = 0;
    // The focus line was placed at preview column `column` of preview line `line`.
    virtual void FocusLinePlaced(int column, int line) = 0;
};

}  // namespace scanora
