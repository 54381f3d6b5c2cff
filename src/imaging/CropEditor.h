#pragma once

#include <array>
#include <optional>
#include <span>

#include "imaging/PreviewRotation.h"

namespace scanora {

// A crop in percent of an image: left, top, width, height.
struct CropPercent {
    double left = 0.0;
    double top = 0.0;
    double width = 100.0;
    double height = 100.0;

    [[nodiscard]] double Right() const { return left + width; }
    [[nodiscard]] double Bottom() const { return top + height; }
    friend bool operator==(const CropPercent&, const CropPercent&) = default;
};

// What a crop drag must keep: the smallest width and height in percent, and the output geometry's
// locks (ratio of width to height, and area).
struct CropLimits {
    double minWidth = 0.0;
    double minHeight = 0.0;
    bool ratioLocked = false;
    bool sizeLocked = false;
};

// The crop tool of the image view: the crop's frame and handles in the display window, the
// hit-test of a press, and the edit a drag makes.
class CropEditor {
public:
    // Hit-test codes: what a press grabbed.
    enum Handle : int {
        kLeft = 0,
        kTop = 1,
        kRight = 2,
        kBottom = 3,
        kTopLeft = 4,
        kTopRight = 5,
        kBottomLeft = 6,
        kBottomRight = 7,
        kInside = 8,
        kOutside = 9,
        kNoHandles = 10,
    };
    static constexpr int kHandleSize = 6;
    static constexpr int kHandleInset = 2;
    static constexpr int kSnapDistance = 5;

    // The crop in a window of `width` x `height` pixels: each edge truncated.
    [[nodiscard]] static ImageRect WindowRect(const CropPercent& crop, int width, int height);
    // The eight handle squares of a crop frame, indexed by handle code: 6 x 6, centred on the
    // corners and edge midpoints, moved 2 pixels inward.
    [[nodiscard]] static std::array<ImageRect, 8> HandleRects(const ImageRect& frame);
    // Which handle a press at `point` (window coordinates) grabbed; kNoHandles without handles.
    [[nodiscard]] static int HitTest(const CropPercent& crop, int width, int height,
                                     ImagePoint point, bool handlesShown);

    // The crop after a drag of handle `handle` by (dx, dy) percent from the crop at the press.
    // The result stays inside 0..100 and keeps the minimum size; under the ratio or size lock the
    // other dimension follows the dragged one, centred on the crop's previous centre; with both
    // locks only the whole crop moves. Handles 8 and 9 (a drag that began outside) move it.
    [[nodiscard]] static CropPercent Drag(const CropPercent& start, int handle, double dx,
                                          double dy, const CropLimits& limits);
    // A new crop drawn by a drag that began outside the crop, at (`anchorX`, `anchorY`) percent,
    // and has moved by `dx`, `dy` percent: the rectangle between the two points, at least the
    // minimum size, within 0..100 %; under the ratio lock it takes `current`'s ratio of width to
    // height. Under the size lock the area cannot change, so `current` moves instead.
    [[nodiscard]] static CropPercent DrawNew(const CropPercent& current, double anchorX,
                                             double anchorY, double dx, double dy,
                                             const CropLimits& limits);

    // A crop of the display image as the crop of the unrotated preview, and back.
    [[nodiscard]] static CropPercent DisplayToPreview(const CropPercent& display, int degrees);
    [[nodiscard]] static CropPercent PreviewToDisplay(const CropPercent& preview, int degrees);

    // `position` moved onto the nearest of `lines` when one lies within kSnapDistance pixels.
    [[nodiscard]] static int Snap(int position, std::span<const int> lines);
};

}  // namespace scanora
