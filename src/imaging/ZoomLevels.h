#pragma once

#include <optional>
#include <span>

namespace scanora {

// The zoom steps of the image view, in percent (100: one preview pixel per screen pixel), and the
// fit of the whole image into the view.
class ZoomLevels {
public:
    static constexpr double kSmallest = 1.0;
    static constexpr double kLargest = 1600.0;

    [[nodiscard]] static std::span<const double> Levels();
    // The next level above `zoom`: zoom + 1 is placed among the levels and the following level
    // taken, so 66.6 goes to 100. Nothing at 1600 % or above.
    [[nodiscard]] static std::optional<double> In(double zoom);
    // The next level below `zoom`; nothing at 1 % or below.
    [[nodiscard]] static std::optional<double> Out(double zoom);
    // The zoom that shows all of a display image of `imageWidth` x `imageHeight` pixels in a view
    // of `viewWidth` x `viewHeight`: the smaller of the two ratios, in percent. Nothing for an
    // empty image.
    [[nodiscard]] static std::optional<double> Fit(int viewWidth, int viewHeight, int imageWidth,
                                                   int imageHeight);
};

}  // namespace scanora
