#pragma once

#include <QLine>
#include <QRect>

#include <vector>

class QPainter;

namespace scanora {

class ToolHost;

// What the image view draws over the image, whatever the tool: the sample points, the crop's
// frame, the grid, the guides, the super prescan region and the capture's progress lines, all in
// window coordinates of the image display.
class ViewOverlays {
public:
    explicit ViewOverlays(ToolHost& host) : host_(host) {}

    void PaintSamplePoints(QPainter& painter) const;
    void PaintCropFrame(QPainter& painter) const;
    // The grid over the whole image, or only over the crop while the crop is masked.
    void PaintGrid(QPainter& painter, bool inCropOnly) const;
    void PaintGuides(QPainter& painter) const;
    void PaintSuperRegion(QPainter& painter) const;
    void PaintProgressLines(QPainter& painter, int row) const;
    // The panorama position indicator: the preview row in front of the sensor as the stage
    // turns, one dashed line in the colour of a marker.
    void PaintStageIndicator(QPainter& painter, int row) const;

    // The guides as lines in the window, in the order of the preferences' list.
    [[nodiscard]] std::vector<QLine> GuideLines() const;
    // The super prescan region in the window.
    [[nodiscard]] QRect SuperRegionRect() const;
    // What the progress lines at preview row `row` cover, with a pixel to spare.
    [[nodiscard]] QRect ProgressLinesRect(int row) const;

private:
    ToolHost& host_;
};

}  // namespace scanora
