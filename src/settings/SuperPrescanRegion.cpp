#include "settings/SuperPrescanRegion.h"

#include <algorithm>
#include <cmath>

namespace scanora {

namespace {

// The largest corner that keeps an extent inside the preview, on whole pixels.
int LastCorner(int previewSize, double extent)
{
    return std::max(static_cast<int>(std::floor(previewSize - extent + 1e-9)), 0);
}

// A corner on whole pixels inside 0 ... last; NaN counts as 0.
int ClampCorner(double corner, int last)
{
    if (!(corner > 0.0))
        return 0;
    return corner >= last ? last : static_cast<int>(std::lround(corner));
}

}  // namespace

double SuperPrescanRegion::Extent(int previewSize, int maxSizeStep, int sizeStep)
{
    const int samples = maxSizeStep - sizeStep;
    if (previewSize <= 0 || samples <= 0)
        return 0.0;
    return static_cast<double>(previewSize) / samples;
}

SuperPrescanRegion::Frame SuperPrescanRegion::FrameIn(const SuperPrescanGeometry& geometry) const
{
    Frame frame;
    frame.width = Extent(geometry.previewWidth, geometry.maxSizeStep, geometry.sizeStep);
    frame.height = Extent(geometry.previewLines, geometry.maxSizeStep, geometry.sizeStep);
    const int lastLeft = LastCorner(geometry.previewWidth, frame.width);
    const int lastTop = LastCorner(geometry.previewLines, frame.height);
    if (placed_) {
        frame.left = std::min(left_, lastLeft);
        frame.top = std::min(top_, lastTop);
    } else {
        frame.left = ClampCorner((geometry.previewWidth - frame.width) / 2.0, lastLeft);
        frame.top = ClampCorner((geometry.previewLines - frame.height) / 2.0, lastTop);
    }
    return frame;
}

bool SuperPrescanRegion::Contains(const SuperPrescanGeometry& geometry, double x, double y) const
{
    const Frame frame = FrameIn(geometry);
    return x >= frame.left && x < frame.left + frame.width && y >= frame.top &&
           y < frame.top + frame.height;
}

SuperPrescanRegion::SensorOrigin SuperPrescanRegion::Origin(
    const SuperPrescanGeometry& geometry) const
{
    const Frame frame = FrameIn(geometry);
    const int step = std::max(geometry.maxSizeStep, 0);
    return {static_cast<int>(frame.left) * step, static_cast<int>(frame.top) * step};
}

bool SuperPrescanRegion::Press(const SuperPrescanGeometry& geometry, double x, double y)
{
    const bool inside = Contains(geometry, x, y);
    if (!inside)
        CentreAt(geometry, x, y);
    const Frame frame = FrameIn(geometry);
    grabX_ = x - frame.left;
    grabY_ = y - frame.top;
    return inside;
}

void SuperPrescanRegion::DragTo(const SuperPrescanGeometry& geometry, double x, double y)
{
    MoveTo(geometry, x - grabX_, y - grabY_);
}

void SuperPrescanRegion::CentreAt(const SuperPrescanGeometry& geometry, double x, double y)
{
    const Frame frame = FrameIn(geometry);
    MoveTo(geometry, x - frame.width / 2.0, y - frame.height / 2.0);
}

void SuperPrescanRegion::MoveTo(const SuperPrescanGeometry& geometry, double left, double top)
{
    const Frame frame = FrameIn(geometry);
    left_ = ClampCorner(left, LastCorner(geometry.previewWidth, frame.width));
    top_ = ClampCorner(top, LastCorner(geometry.previewLines, frame.height));
    placed_ = true;
}

}  // namespace scanora
