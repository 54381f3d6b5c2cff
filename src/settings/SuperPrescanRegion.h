#pragma once

namespace scanora {

// What a super prescan region is measured against: the preview (P pixels along the camera line,
// L camera lines, made at the coarsest step) and the camera's size steps.
struct SuperPrescanGeometry {
    int previewWidth = 0;  // P
    int previewLines = 0;  // L
    int maxSizeStep = 0;   // M: one preview pixel covers M sensor pixels
    int sizeStep = 0;      // the current size step s, at which the super prescan reads

    friend bool operator==(const SuperPrescanGeometry&, const SuperPrescanGeometry&) = default;
};

// The part of the preview that a super prescan reads. The camera reads a preview-sized window,
// P pixels by L lines, at the current size step s instead of the preview's coarsest one: a
// pixel at step s covers M / (M - s) sensor pixels where a preview pixel covers M, so the window
// is P / (M - s) by L / (M - s) preview pixels. The region keeps its corner on whole preview
// pixels, in preview coordinates (x along the camera line, y along the travel), and always lies
// inside the preview; its size follows the step. Until it is first placed it sits in the
// middle of the preview.
class SuperPrescanRegion {
public:
    // A rectangle of the preview with fractional size.
    struct Frame {
        double left = 0.0;
        double top = 0.0;
        double width = 0.0;
        double height = 0.0;
    };
    // Where the camera starts to read: sensor pixels along the line, sensor lines along the
    // travel.
    struct SensorOrigin {
        int pixel = 0;
        int line = 0;

        friend bool operator==(const SensorOrigin&, const SensorOrigin&) = default;
    };

    // The region's length along an axis of `previewSize` pixels: previewSize / (M - s), never
    // more than the preview. Zero for an empty preview or a step outside 0 < M - s.
    [[nodiscard]] static double Extent(int previewSize, int maxSizeStep, int sizeStep);

    // The region in `geometry`, moved inside the preview when the preview or the step changed
    // since it was placed.
    [[nodiscard]] Frame FrameIn(const SuperPrescanGeometry& geometry) const;
    [[nodiscard]] bool Contains(const SuperPrescanGeometry& geometry, double x, double y) const;
    [[nodiscard]] SensorOrigin Origin(const SuperPrescanGeometry& geometry) const;
    [[nodiscard]] bool IsPlaced() const { return placed_; }

    // A press of the region tool at preview point (x, y): inside the region the point is
    // grabbed where it lies; outside, the region is centred at the point first and grabbed at
    // its middle. True when the press was inside.
    bool Press(const SuperPrescanGeometry& geometry, double x, double y);
    // Moves the region so that the grabbed point lies under (x, y), as far as the preview
    // allows.
    void DragTo(const SuperPrescanGeometry& geometry, double x, double y);
    void CentreAt(const SuperPrescanGeometry& geometry, double x, double y);
    // Puts the region's corner at (left, top), kept inside the preview.
    void MoveTo(const SuperPrescanGeometry& geometry, double left, double top);

private:
    int left_ = 0;
    int top_ = 0;
    bool placed_ = false;
    double grabX_ = 0.0;  // the grabbed point, from the corner
    double grabY_ = 0.0;
};

}  // namespace scanora
