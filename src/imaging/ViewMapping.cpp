#include "imaging/ViewMapping.h"

#include <algorithm>
#include <cmath>

namespace scanora {

ViewMapping::ViewMapping(int degrees, int previewWidth, int previewHeight, double zoom)
    : degrees_(PreviewRotation::IsValid(degrees) ? degrees : 0),
      width_(std::max(previewWidth, 0)),
      height_(std::max(previewHeight, 0)),
      scale_(zoom > 0.0 ? zoom / 100.0 : 1.0)
{
}

int ViewMapping::WindowWidth() const
{
    return static_cast<int>(DisplayWidth() * scale_);
}

int ViewMapping::WindowHeight() const
{
    return static_cast<int>(DisplayHeight() * scale_);
}

ViewPointF ViewMapping::Rotate(ViewPointF p) const
{
    const double pw = width_;
    const double ph = height_;
    switch (degrees_) {
    case 90: return {ph - p.y, p.x};
    case 180: return {pw - p.x, ph - p.y};
    case 270: return {p.y, pw - p.x};
    default: return p;
    }
}

ViewPointF ViewMapping::PreviewToWindow(ViewPointF preview) const
{
    const ViewPointF display = Rotate(preview);
    return {display.x * scale_, display.y * scale_};
}

ViewPointF ViewMapping::WindowToPreview(ViewPointF window) const
{
    const double x = window.x / scale_;
    const double y = window.y / scale_;
    const double pw = width_;
    const double ph = height_;
    switch (degrees_) {
    case 90: return {y, ph - x};
    case 180: return {pw - x, ph - y};
    case 270: return {pw - y, x};
    default: return {x, y};
    }
}

ImageRect ViewMapping::DisplayToWindowRect(const ImageRect& display) const
{
    return {static_cast<int>(std::floor(display.left * scale_)),
            static_cast<int>(std::floor(display.top * scale_)),
            static_cast<int>(std::ceil(display.right * scale_)),
            static_cast<int>(std::ceil(display.bottom * scale_))};
}

ImageRect ViewMapping::PreviewToWindowRect(const ImageRect& preview) const
{
    const ViewPointF a =
        Rotate({static_cast<double>(preview.left), static_cast<double>(preview.top)});
    const ViewPointF b =
        Rotate({static_cast<double>(preview.right), static_cast<double>(preview.bottom)});
    const ImageRect display{
        static_cast<int>(std::min(a.x, b.x)), static_cast<int>(std::min(a.y, b.y)),
        static_cast<int>(std::max(a.x, b.x)), static_cast<int>(std::max(a.y, b.y))};
    return DisplayToWindowRect(display);
}

ImagePoint ViewMapping::WindowToDisplayPixel(ViewPointF window) const
{
    if (window.x < 0 || window.y < 0)
        return {-1, -1};
    const auto x = static_cast<int>(window.x / scale_);
    const auto y = static_cast<int>(window.y / scale_);
    if (x >= DisplayWidth() || y >= DisplayHeight())
        return {-1, -1};
    return {x, y};
}

}  // namespace scanora
