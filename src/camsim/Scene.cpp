#include "camsim/Scene.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace camsim {

namespace {

// Where the parts of the scene lie, as fractions of the field.
struct Box {
    double left, top, right, bottom;

    [[nodiscard]] bool Contains(double u, double v) const
    {
        return u >= left && u < right && v >= top && v < bottom;
    }
};

constexpr Box kChart{0.04, 0.04, 0.52, 0.36};
constexpr double kChartGap = 0.008;  // the dark frame around each patch, at each side
constexpr double kChartFrame = 0.03;
constexpr Box kWedge{0.04, 0.40, 0.52, 0.48};
constexpr Box kEdgeTarget{0.58, 0.04, 0.96, 0.36};
constexpr FieldPoint kSquareCentre{0.77, 0.20};
constexpr double kSquareHalfSide = 0.1;  // of the shorter side
constexpr double kSquareTurn = 5.0 * std::numbers::pi / 180.0;
constexpr Box kHueRamp{0.04, 0.52, 0.96, 0.58};
constexpr Box kGreyRamp{0.04, 0.60, 0.96, 0.66};
constexpr Box kFineBarsAcross{0.04, 0.72, 0.20, 0.96};  // vertical bars, 2 pixels' period
constexpr Box kFineBarsDown{0.22, 0.72, 0.38, 0.96};    // horizontal bars, 2 pixels' period
constexpr Box kCoarseBars{0.40, 0.72, 0.56, 0.96};      // vertical bars, 6 pixels' period
constexpr FieldPoint kStarCentre{0.78, 0.84};
constexpr double kStarRadius = 0.11;  // of the shorter side
constexpr int kStarSpokes = 48;
constexpr double kDark = 0.04;
constexpr double kLight = 0.8;

// The classic 24-patch chart in 8-bit sRGB.
constexpr std::array<std::array<int, 3>, Scene::kChartPatches> kChartSrgb{{
    {115, 82, 68},   {194, 150, 130}, {98, 122, 157}, {87, 108, 67},   {133, 128, 177},
    {103, 189, 170}, {214, 126, 44},  {80, 91, 166},  {193, 90, 99},   {94, 60, 108},
    {157, 188, 64},  {224, 163, 46},  {56, 61, 150},  {70, 148, 73},   {175, 54, 60},
    {231, 199, 31},  {187, 86, 149},  {8, 133, 161},  {243, 243, 242}, {200, 200, 200},
    {160, 160, 160}, {122, 122, 121}, {85, 85, 85},   {52, 52, 52},
}};

double SrgbToLinear(int value)
{
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

const std::array<Reflectance, Scene::kChartPatches>& ChartReflectances()
{
    static const std::array<Reflectance, Scene::kChartPatches> patches = [] {
        std::array<Reflectance, Scene::kChartPatches> linear{};
        for (std::size_t i = 0; i < linear.size(); ++i) {
            for (std::size_t c = 0; c < 3; ++c) linear[i][c] = SrgbToLinear(kChartSrgb[i][c]);
        }
        return linear;
    }();
    return patches;
}

Reflectance Grey(double level)
{
    return {level, level, level};
}

// A fully saturated hue (0 = red, 1/3 = green, 2/3 = blue) at the brightness 0.7.
Reflectance Hue(double hue)
{
    Reflectance colour{};
    for (std::size_t c = 0; c < 3; ++c) {
        // Each colour peaks at its own third of the circle and falls off linearly.
        double distance = std::abs(hue - static_cast<double>(c) / 3.0);
        distance = std::min(distance, 1.0 - distance);
        colour[c] = 0.7 * std::clamp(2.0 - 6.0 * distance, 0.0, 1.0);
    }
    return colour;
}

// Bars of `period` native pixels along `position`: dark in the first half of each period.
// The step of the background's gradient at the height v.
double BackgroundStep(double v)
{
    return std::floor(v * Scene::kBackgroundSteps);
}

double Bars(double position, double period)
{
    const double phase = position / period - std::floor(position / period);
    return phase < 0.5 ? kDark : kLight;
}

}  // namespace

Scene::Scene(double width, double height)
    : width_(width), height_(height), shorter_(std::min(width, height))
{
}

namespace {

// The parts of the scene that are boxes, in the order a point is tested against them.
enum BoxIndex : std::size_t {
    kChartBox,
    kWedgeBox,
    kEdgeTargetBox,
    kHueRampBox,
    kGreyRampBox,
    kFineBarsAcrossBox,
    kFineBarsDownBox,
    kCoarseBarsBox,
    kBoxCount
};

constexpr std::array<Box, kBoxCount> kBoxes{kChart,    kWedge,          kEdgeTarget,   kHueRamp,
                                            kGreyRamp, kFineBarsAcross, kFineBarsDown, kCoarseBars};

}  // namespace

struct Scene::Reach {
    bool inField = false;                 // the fixed coordinate lies within the field
    std::array<bool, kBoxCount> boxes{};  // and within each box's span of it
};

template <bool kRow>
Scene::Reach Scene::ReachOf(double fixed) const
{
    // A row's fixed coordinate is its height v, a column's its position u.
    const double share = kRow ? fixed / height_ : fixed / width_;
    Reach reach;
    reach.inField = share >= 0.0 && share < 1.0;
    for (std::size_t i = 0; i < kBoxCount; ++i) {
        const Box& box = kBoxes[i];
        reach.boxes[i] =
            kRow ? share >= box.top && share < box.bottom : share >= box.left && share < box.right;
    }
    return reach;
}

template <bool kRow>
Reflectance Scene::OnLine(const Reach& reach, double u, double v, double x, double y) const
{
    // The box test of a point: the line has decided the fixed coordinate's part.
    const auto in = [&reach, u, v](BoxIndex index) {
        const Box& box = kBoxes[index];
        return reach.boxes[index] &&
               (kRow ? u >= box.left && u < box.right : v >= box.top && v < box.bottom);
    };
    if (in(kChartBox)) {
        const double cellWidth = (kChart.right - kChart.left) / kChartColumns;
        const double cellHeight = (kChart.bottom - kChart.top) / kChartRows;
        const auto column =
            std::min(kChartColumns - 1, static_cast<std::size_t>((u - kChart.left) / cellWidth));
        const auto row =
            std::min(kChartRows - 1, static_cast<std::size_t>((v - kChart.top) / cellHeight));
        const double inU = u - kChart.left - static_cast<double>(column) * cellWidth;
        const double inV = v - kChart.top - static_cast<double>(row) * cellHeight;
        if (inU < kChartGap || inU > cellWidth - kChartGap || inV < kChartGap ||
            inV > cellHeight - kChartGap)
            return Grey(kChartFrame);
        return ChartPatch(row * kChartColumns + column);
    }
    if (in(kWedgeBox)) {
        const double stepWidth = (kWedge.right - kWedge.left) / kWedgeSteps;
        return Grey(WedgeStep(
            std::min(kWedgeSteps - 1, static_cast<std::size_t>((u - kWedge.left) / stepWidth))));
    }
    if (in(kEdgeTargetBox))
        return Grey(SlantedSquare(x, y));
    if (in(kHueRampBox))
        return Hue((u - kHueRamp.left) / (kHueRamp.right - kHueRamp.left) * 5.0 / 6.0);
    if (in(kGreyRampBox))
        return Grey(0.9 * (u - kGreyRamp.left) / (kGreyRamp.right - kGreyRamp.left));
    if (in(kFineBarsAcrossBox))
        return Grey(Bars(x, 2.0));
    if (in(kFineBarsDownBox))
        return Grey(Bars(y, 2.0));
    if (in(kCoarseBarsBox))
        return Grey(Bars(x, 6.0));
    const double star = Star(x, y);
    if (star >= 0.0)
        return Grey(star);
    // The background: a gentle gradient, warmer to the right and cooler towards the bottom.
    return {0.16 + 0.08 * u, 0.18, 0.16 + 0.08 * BackgroundStep(v) / kBackgroundSteps};
}

template <bool kRow>
void Scene::Line(double fixed, std::span<const double> along, std::span<Reflectance> out) const
{
    const Reach reach = ReachOf<kRow>(fixed);
    if (!reach.inField) {
        std::fill(out.begin(), out.end(), Grey(kSurround));
        return;
    }
    const double fixedShare = kRow ? fixed / height_ : fixed / width_;
    const double alongSize = kRow ? width_ : height_;
    for (std::size_t i = 0; i < along.size(); ++i) {
        const double share = along[i] / alongSize;
        if (!(share >= 0.0 && share < 1.0)) {
            out[i] = Grey(kSurround);
            continue;
        }
        if constexpr (kRow)
            out[i] = OnLine<true>(reach, share, fixedShare, along[i], fixed);
        else
            out[i] = OnLine<false>(reach, fixedShare, share, fixed, along[i]);
    }
}

Scene::RowPlan Scene::PlanRow(double y) const
{
    RowPlan plan;
    const double v = y / height_;
    const Reach reach = ReachOf<true>(y);
    if (!reach.inField)
        return plan;  // the surround all along
    long long boxes = 0;
    for (std::size_t i = 0; i < kBoxCount; ++i) boxes |= reach.boxes[i] ? 1LL << i : 0;
    long long chart = -1;
    if (reach.boxes[kChartBox]) {
        // The patch row, and whether the row runs through the frame between two rows of patches.
        const double cellHeight = (kChart.bottom - kChart.top) / kChartRows;
        const auto row =
            std::min(kChartRows - 1, static_cast<std::size_t>((v - kChart.top) / cellHeight));
        const double inV = v - kChart.top - static_cast<double>(row) * cellHeight;
        const bool frame = inV < kChartGap || inV > cellHeight - kChartGap;
        chart = static_cast<long long>(2 * row) + (frame ? 1 : 0);
    }
    const long long bars = reach.boxes[kFineBarsDownBox] ? (Bars(y, 2.0) == kDark ? 1 : 2) : 0;
    // The star's disc, with a pixel to spare against rounding.
    const double radius = kStarRadius * shorter_ + 1.0;
    const double dy = y - kStarCentre[1] * height_;
    const bool star = std::abs(dy) <= radius;
    plan.key = {1, boxes, chart, bars, static_cast<long long>(BackgroundStep(v)), star ? 1 : 0};
    if (reach.boxes[kEdgeTargetBox])
        plan.spans[plan.spanCount++] = {kEdgeTarget.left * width_ - 1.0,
                                        kEdgeTarget.right * width_ + 1.0};
    if (star) {
        const double centre = kStarCentre[0] * width_;
        plan.spans[plan.spanCount++] = {centre - radius - 1.0, centre + radius + 1.0};
    }
    return plan;
}

Reflectance Scene::At(double x, double y) const
{
    const double u = x / width_;
    const double v = y / height_;
    if (!(u >= 0.0 && u < 1.0 && v >= 0.0 && v < 1.0))
        return Grey(kSurround);
    return OnLine<true>(ReachOf<true>(y), u, v, x, y);
}

void Scene::Row(double y, std::span<const double> xs, std::span<Reflectance> out) const
{
    Line<true>(y, xs, out);
}

void Scene::Column(double x, std::span<const double> ys, std::span<Reflectance> out) const
{
    Line<false>(x, ys, out);
}

double Scene::SlantedSquare(double x, double y) const
{
    // Turn the point back by the square's angle around its centre and test it against the axes.
    const double dx = x - kSquareCentre[0] * width_;
    const double dy = y - kSquareCentre[1] * height_;
    const double along = dx * std::cos(kSquareTurn) + dy * std::sin(kSquareTurn);
    const double across = -dx * std::sin(kSquareTurn) + dy * std::cos(kSquareTurn);
    const double half = kSquareHalfSide * shorter_;
    return std::abs(along) <= half && std::abs(across) <= half ? kDark : kLight;
}

double Scene::Star(double x, double y) const
{
    const double dx = x - kStarCentre[0] * width_;
    const double dy = y - kStarCentre[1] * height_;
    const double radius = kStarRadius * shorter_;
    if (dx * dx + dy * dy > radius * radius)
        return -1.0;
    const double turn = (std::atan2(dy, dx) + std::numbers::pi) / (2.0 * std::numbers::pi);
    const auto spoke = static_cast<int>(turn * kStarSpokes);
    return spoke % 2 == 0 ? kDark : kLight;
}

Reflectance Scene::ChartPatch(std::size_t index)
{
    return ChartReflectances()[std::min(index, kChartPatches - 1)];
}

FieldPoint Scene::ChartPatchCentre(std::size_t index)
{
    const double cellWidth = (kChart.right - kChart.left) / kChartColumns;
    const double cellHeight = (kChart.bottom - kChart.top) / kChartRows;
    const std::size_t column = index % kChartColumns;
    const std::size_t row = std::min(index / kChartColumns, kChartRows - 1);
    return {kChart.left + (static_cast<double>(column) + 0.5) * cellWidth,
            kChart.top + (static_cast<double>(row) + 0.5) * cellHeight};
}

double Scene::WedgeStep(std::size_t step)
{
    return 0.9 * std::exp2(-static_cast<double>(step) / 2.0);
}

FieldPoint Scene::WedgeStepCentre(std::size_t step)
{
    const double stepWidth = (kWedge.right - kWedge.left) / kWedgeSteps;
    return {kWedge.left + (static_cast<double>(step) + 0.5) * stepWidth,
            (kWedge.top + kWedge.bottom) / 2.0};
}

}  // namespace camsim
