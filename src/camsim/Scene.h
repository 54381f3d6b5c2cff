#pragma once

#include <array>
#include <cstddef>
#include <span>

namespace camsim {

// The share of light a point of the scene returns in red, green and blue (0 to 1).
using Reflectance = std::array<double, 3>;
// A point of the field as fractions of its width and height, from the top left corner.
using FieldPoint = std::array<double, 2>;

// The picture in front of the camera: a synthetic scene rich enough to show every fault of a host
// that assembles it. Upright as the user sees it, it holds
//   - a colour chart of 6 × 4 patches with known reflectances (top left),
//   - a neutral step wedge of 12 steps, half a stop apart (below the chart),
//   - a dark square turned by 5 degrees on a light ground, whose four edges are slanted (top
//   right),
//   - a hue ramp and a grey ramp across the field (the middle),
//   - fine bars of 2 and 6 native pixels' period and a star of 48 spokes, for focus (bottom),
//   - a gradient as the background, smooth across and in fine steps down the field.
// The layout stretches with the field, so every model sees all of it whichever way the insert
// is turned; the fine patterns keep their size in native pixels. Outside the field lies a dark
// surround (which the trailing colour rows of a capture see). Nothing in it is symmetric, so a
// mirrored or turned reconstruction shows.
class Scene {
public:
    // What a row of the scene is made of: two rows with the same key are the same everywhere but
    // in their spans, the stretches (in native pixels along the row) that must be worked out for
    // each row itself (the slanted square, the star). A renderer keeps a row by its key and
    // works out only the spans of the next row with that key.
    struct RowPlan {
        std::array<long long, 6> key{};
        std::array<std::array<double, 2>, 2> spans{};  // [from, to] in x
        std::size_t spanCount = 0;
    };

    static constexpr std::size_t kChartColumns = 6;
    static constexpr std::size_t kChartRows = 4;
    static constexpr std::size_t kChartPatches = kChartColumns * kChartRows;
    static constexpr std::size_t kWedgeSteps = 12;
    static constexpr double kSurround = 0.02;
    // The background's gradient down the field comes in this many steps.
    static constexpr double kBackgroundSteps = 256.0;

    // A field of `width` × `height` native pixels (in the upright orientation).
    Scene(double width, double height);

    // The scene at (x, y), in native pixels from the top left corner of the field.
    [[nodiscard]] Reflectance At(double x, double y) const;
    // The scene along a row: out[i] = At(xs[i], y). Much faster than asking point by point, as
    // the row's height decides once which parts of the scene it can meet.
    void Row(double y, std::span<const double> xs, std::span<Reflectance> out) const;
    [[nodiscard]] RowPlan PlanRow(double y) const;
    // The scene along a column: out[i] = At(x, ys[i]).
    void Column(double x, std::span<const double> ys, std::span<Reflectance> out) const;

    // Patch `index` of the chart (row by row from the top left): the colours of the classic
    // 24-patch chart, sRGB-decoded to linear reflectances.
    [[nodiscard]] static Reflectance ChartPatch(std::size_t index);
    [[nodiscard]] static FieldPoint ChartPatchCentre(std::size_t index);
    // Step `step` of the wedge (from the left): 0.9 × 2^(−step / 2), the same in every colour.
    [[nodiscard]] static double WedgeStep(std::size_t step);
    [[nodiscard]] static FieldPoint WedgeStepCentre(std::size_t step);

private:
    // Which parts of the scene a line can meet, as its fixed coordinate decides.
    struct Reach;

    template <bool kRow>
    [[nodiscard]] Reach ReachOf(double fixed) const;
    template <bool kRow>
    [[nodiscard]] Reflectance OnLine(const Reach& reach, double u, double v, double x,
                                     double y) const;
    template <bool kRow>
    void Line(double fixed, std::span<const double> along, std::span<Reflectance> out) const;
    [[nodiscard]] double SlantedSquare(double x, double y) const;
    [[nodiscard]] double Star(double x, double y) const;

    double width_;
    double height_;
    double shorter_;  // the shorter side, which sizes the shapes that must stay square
};

}  // namespace camsim
