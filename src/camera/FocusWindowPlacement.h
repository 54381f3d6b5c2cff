#pragma once

namespace scanora {

// Where the focus aid's window lies along the sensor row when the user picks a column of the
// preview: the window is centred on the column, scaled by M / (M - m) (M the largest size step,
// m the smallest), and kept on the sensor. The same scale taken back gives the window's extent
// in preview columns, for the marker the image view draws.
class FocusWindowPlacement {
public:
    // The window's width in sensor pixels at the focus aid's finest zoom.
    static constexpr int kDefaultWidth = 100;

    // A span of preview columns with fractional ends.
    struct PreviewSpan {
        double first = 0.0;
        double last = 0.0;
    };

    FocusWindowPlacement(int sensorWidth, int maxSizeStep, int minSizeStep);

    // The first sensor pixel of a window `width` pixels wide for preview column `column`:
    // round(column * M / (M - m)) - width / 2, kept within 0 ... sensor width - width.
    [[nodiscard]] int WindowStart(int column, int width) const;
    // The columns of the preview that window covers.
    [[nodiscard]] PreviewSpan Span(int column, int width) const;

private:
    // Sensor pixels per preview column.
    [[nodiscard]] double Scale() const;

    int sensorWidth_;
    int maxSizeStep_;
    int minSizeStep_;
};

}  // namespace scanora
