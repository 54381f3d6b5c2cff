#pragma once

#include "imaging/PreviewRotation.h"

namespace scanora {

// A point with fractional coordinates, for positions between pixels (zoomed views, guides).
struct ViewPointF {
    double x = 0.0;
    double y = 0.0;
};

// The image view's coordinate mappings between the preview (P pixels along the camera line, L
// camera lines), the display image (the preview turned by the view's rotation) and the display
// window (the display image at the zoom). Points use the view's forms of the rotation:
//   0: (x, y)   90: (L - y, x)   180: (P - x, L - y)   270: (y, P - x).
class ViewMapping {
public:
    // `zoom` in percent; a rotation other than 0, 90, 180, 270 counts as 0.
    ViewMapping(int degrees, int previewWidth, int previewHeight, double zoom);

    [[nodiscard]] double Scale() const { return scale_; }
    [[nodiscard]] int Degrees() const { return degrees_; }
    [[nodiscard]] int DisplayWidth() const { return Turned() ? height_ : width_; }
    [[nodiscard]] int DisplayHeight() const { return Turned() ? width_ : height_; }
    // The display window's size: the display image times the zoom, truncated.
    [[nodiscard]] int WindowWidth() const;
    [[nodiscard]] int WindowHeight() const;

    // Preview point -> window point (rotated, then times the zoom).
    [[nodiscard]] ViewPointF PreviewToWindow(ViewPointF preview) const;
    // Window point -> preview point (divided by the zoom, then turned back).
    [[nodiscard]] ViewPointF WindowToPreview(ViewPointF window) const;
    // A preview rectangle in the window: turned, then left and top rounded down, right and
    // bottom rounded up after the zoom.
    [[nodiscard]] ImageRect PreviewToWindowRect(const ImageRect& preview) const;
    // A display-image rectangle in the window, rounded outward.
    [[nodiscard]] ImageRect DisplayToWindowRect(const ImageRect& display) const;
    // The display-image pixel under a window point (truncated), or (-1, -1) outside the image.
    [[nodiscard]] ImagePoint WindowToDisplayPixel(ViewPointF window) const;

private:
    [[nodiscard]] bool Turned() const { return degrees_ == 90 || degrees_ == 270; }
    [[nodiscard]] ViewPointF Rotate(ViewPointF preview) const;

    int degrees_;
    int width_;
    int height_;
    double scale_;
};

}  // namespace scanora
