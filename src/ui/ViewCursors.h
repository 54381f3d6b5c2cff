#pragma once

#include <QCursor>

#include <map>
#include <utility>

namespace scanora {

// The image view's mouse cursors, one for each tool and state: the system's shapes where one
// says what the tool does, and small drawings (the magnifiers of the zoom tool, the sample
// target, the grid, the focus line and the super prescan region) made at the screen's device
// pixel ratio.
class ViewCursors {
public:
    enum Id : int {
        kArrow,
        kSample,           // tool 0
        kSampleOver,       // tool 0 over a sample point
        kCropLeftRight,    // tool 1: left and right edge handles
        kCropTopBottom,    // top and bottom edge handles
        kCropFDiagonal,    // top-left and bottom-right corners
        kCropBDiagonal,    // top-right and bottom-left corners
        kCropMove,         // inside the crop
        kZoomIn,           // tool 2
        kZoomOut,          // tool 2 with Alt
        kZoomLimit,        // tool 2 with no further zoom step
        kHandOpen,         // tool 3
        kHandClosed,       // tool 3 while dragging
        kFocusLine,        // tool 4
        kGrid,             // tool 5
        kGuideVertical,    // tool 6, a guide that is vertical on screen
        kGuideHorizontal,  // tool 6, horizontal on screen
        kMarker,           // tool 7
        kCrossHair,        // tool 8
        kSuperRegion,      // tool 9
    };

    // The cursor for `id` on a screen of `devicePixelRatio`.
    [[nodiscard]] QCursor Cursor(Id id, qreal devicePixelRatio);

private:
    [[nodiscard]] static QCursor Drawn(Id id, qreal devicePixelRatio);

    std::map<std::pair<int, qreal>, QCursor> drawn_;
};

}  // namespace scanora
