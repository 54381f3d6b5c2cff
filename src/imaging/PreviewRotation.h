#pragma once

#include <cstddef>

namespace scanora {

// A pixel position: column x, row y.
struct ImagePoint {
    int x = 0;
    int y = 0;

    friend bool operator==(const ImagePoint&, const ImagePoint&) = default;
};

// A rectangle of pixels; right and bottom are exclusive.
struct ImageRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    [[nodiscard]] int Width() const { return right - left; }
    [[nodiscard]] int Height() const { return bottom - top; }
    [[nodiscard]] bool IsEmpty() const { return right <= left || bottom <= top; }

    friend bool operator==(const ImageRect&, const ImageRect&) = default;
};

// The one mapping between the preview (camera pixel x along the line, camera line y: P wide and
// L high) and its display orientation after a clockwise rotation of 0, 90, 180 or 270 degrees.
// Line placement, the in-place rotation of the buffers, the display and the saved preview all
// go through it, so a preview written at any rotation reads back the same at any other:
//   0: (x, y)   90: (L - 1 - y, x)   180: (P - 1 - x, L - 1 - y)   270: (y, P - 1 - x).
// These are the pixel forms of the view's point mapping (90: (L - y, x), 270: (y, P - x)).
class PreviewRotation {
public:
    // Where preview pixel (x, y) lies in a display-ordered buffer, counted in pixels:
    // base + x * strideX + y * strideY.
    struct IndexMap {
        std::ptrdiff_t base = 0;
        std::ptrdiff_t strideX = 1;
        std::ptrdiff_t strideY = 0;

        [[nodiscard]] std::size_t operator()(int x, int y) const
        {
            return static_cast<std::size_t>(base + x * strideX + y * strideY);
        }
    };

    [[nodiscard]] static bool IsValid(int degrees)
    {
        return degrees == 0 || degrees == 90 || degrees == 180 || degrees == 270;
    }

    // An angle that is not one of the four counts as 0.
    PreviewRotation(int degrees, int previewWidth, int previewHeight);

    [[nodiscard]] int Degrees() const { return degrees_; }
    [[nodiscard]] int DisplayWidth() const { return Turned() ? height_ : width_; }
    [[nodiscard]] int DisplayHeight() const { return Turned() ? width_ : height_; }

    [[nodiscard]] ImagePoint ToDisplay(ImagePoint preview) const;
    [[nodiscard]] ImagePoint ToPreview(ImagePoint display) const;
    [[nodiscard]] ImageRect ToDisplayRect(const ImageRect& preview) const;
    [[nodiscard]] ImageRect ToPreviewRect(const ImageRect& display) const;
    [[nodiscard]] IndexMap Indices() const;

private:
    [[nodiscard]] bool Turned() const { return degrees_ == 90 || degrees_ == 270; }

    int degrees_;
    int width_;
    int height_;
};

}  // namespace scanora
