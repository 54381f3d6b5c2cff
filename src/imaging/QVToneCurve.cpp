#include "imaging/QVToneCurve.h"

#include "imaging/ToneTableSmoothing.h"

#include <algorithm>
#include <cmath>

namespace scanora {

namespace {

// The handles of a new curve; every user replaces them before use.
constexpr std::array<CurveHandle, QVToneCurve::kMaxHandles> kInitialHandles{{
    {30, 3},
    {80, 28},
    {113, 56},
    {142, 106},
    {194, 220},
    {212, 245},
    {230, 255},
}};

constexpr double kTopLevel = 255.0;
constexpr double kWordMax = 65535.0;

// Slope from handle a to handle b. Handles on the same x are outside the curve's domain; they
// give a flat slope so that the levels stay finite.
double Secant(const CurveHandle& a, const CurveHandle& b)
{
    const double dx = static_cast<double>(b.x) - a.x;
    return dx != 0.0 ? (static_cast<double>(b.y) - a.y) / dx : 0.0;
}

// Level of curve index `index` on the curve through `handles` with the given tangents.
double EvaluateCurve(int index, std::span<const CurveHandle> handles,
                     std::span<const double> tangents)
{
    const double h = index;
    const CurveHandle& first = handles.front();
    const CurveHandle& last = handles.back();
    // Outside the handles: straight lines, the one above the last handle at half its tangent.
    if (h < first.x)
        return first.y - (first.x - h) * tangents.front();
    if (h > last.x)
        return last.y + (h - last.x) * tangents[handles.size() - 1] / 2;
    for (const CurveHandle& handle : handles) {
        if (index == handle.x)
            return handle.y;
    }
    // Between two handles: the cubic Hermite curve through both with their tangents.
    for (std::size_t k = 0; k + 1 < handles.size(); ++k) {
        const double x0 = handles[k].x;
        const double x1 = handles[k + 1].x;
        if (x0 < h && h < x1) {
            const double y0 = handles[k].y;
            const double y1 = handles[k + 1].y;
            const double d = x1 - x0;
            const double a = (h - x0) / d;
            const double b = (x1 - h) / d;
            const double s = (y1 - y0) / d;
            return a * (y1 - (x1 - h) * (a * tangents[k + 1] + b * s)) +
                   b * (y0 + (h - x0) * (a * s + b * tangents[k]));
        }
    }
    // Not reached: an index between the first and the last handle lies in a rising segment or
    // on a handle, whatever the order of the handles.
    return last.y;
}

// trunc(value) as a table entry, limited to 0..maxOut.
std::uint16_t ToEntry(double value, std::uint16_t maxOut)
{
    if (!(value > 0.0))
        return 0;
    if (value >= maxOut)
        return maxOut;
    return static_cast<std::uint16_t>(value);
}

}  // namespace

QVToneCurve::QVToneCurve() : handles_(kInitialHandles), rawTable_(kRawTableSize, 0)
{
    Recalculate();
}

void QVToneCurve::SetHandles(std::span<const CurveHandle> handles)
{
    if (handles.empty())
        return;
    const std::size_t count = std::min<std::size_t>(handles.size(), kMaxHandles);
    std::copy_n(handles.begin(), count, handles_.begin());
    handleCount_ = static_cast<std::int16_t>(count);
    Recalculate();
}

void QVToneCurve::Recalculate()
{
    const std::span<const CurveHandle> handles = Handles();
    const std::size_t count = handles.size();
    // Tangents: the secant at the first handle, the mean of the two secants at inner handles.
    // The last handle averages its secant with the slope to the top corner of the grid, or
    // takes half its secant when it sits on the top index. A single handle has no slope.
    std::array<double, kMaxHandles> tangents{};
    if (count >= 2) {
        tangents[0] = Secant(handles[0], handles[1]);
        for (std::size_t k = 1; k + 1 < count; ++k)
            tangents[k] =
                (Secant(handles[k - 1], handles[k]) + Secant(handles[k], handles[k + 1])) / 2;
        const CurveHandle& last = handles[count - 1];
        const double lastSecant = Secant(handles[count - 2], last);
        tangents[count - 1] = kTopIndex > last.x
                                  ? (lastSecant + (kTopLevel - last.y) / (kTopIndex - last.x)) / 2
                                  : lastSecant / 2;
    }
    const auto used = std::span<const double>(tangents).first(count);
    for (int index = 0; index < kLevelCount; ++index)
        levels_[index] = std::clamp(EvaluateCurve(index, handles, used), 0.0, kTopLevel);
}

void QVToneCurve::AddHandles()
{
    if (handleCount_ != 5)
        return;
    const auto onCurve = [this](int x) {
        const double level = levels_[static_cast<std::size_t>(std::clamp(x, 0, kTopIndex))];
        return CurveHandle{static_cast<std::int16_t>(x), static_cast<std::int16_t>(level)};
    };
    const std::array<CurveHandle, kMaxHandles> old = handles_;
    const int thirdX = old[1].x + (old[2].x - old[1].x) / 3;
    const int fifthX = old[2].x + (2 * (old[3].x - old[2].x)) / 3;
    handles_ = {old[0], old[1], onCurve(thirdX), old[2], onCurve(fifthX), old[3], old[4]};
    handleCount_ = 7;
    Recalculate();
}

void QVToneCurve::RemoveHandles()
{
    if (handleCount_ != 7)
        return;
    handles_[2] = handles_[3];
    handles_[3] = handles_[5];
    handles_[4] = handles_[6];
    handleCount_ = 5;
    Recalculate();
}

void QVToneCurve::SetRawBits(int bits)
{
    rawBits_ = static_cast<std::int16_t>(std::clamp(bits, 1, kMaxRawBits));
}

std::int32_t QVToneCurve::NodeRaw(int j) const
{
    const double stops = static_cast<double>(j - kTopIndex) / kStepsPerStop;
    return static_cast<std::int32_t>(kneeRaw_ * std::pow(2.0, stops) + 0.5);
}

void QVToneCurve::BuildRawTable()
{
    const std::uint16_t outMax = OutputMax();
    std::array<double, kLevelCount> level = levels_;
    if (sixteenBit_) {
        for (double& value : level) value = value / kTopLevel * kWordMax;
    }

    maxRaw_ = (std::int32_t{1} << rawBits_) - 1;
    kneeRaw_ = static_cast<std::int32_t>(0.9 * maxRaw_);
    if (passThrough_) {
        FillPassThrough();
        return;
    }
    std::array<std::int32_t, kLevelCount> node{};
    for (int j = 0; j < kLevelCount; ++j) node[j] = NodeRaw(j);

    std::uint16_t* const table = rawTable_.data();

    // Below the first node: the slope of the first stop, extended down to raw 0 and held to the
    // output range (a falling curve would otherwise climb past the maximum there).
    const std::int32_t firstNode = node[0];
    const double firstRise = level[kStepsPerStop] - level[0];
    const double firstRun = node[kStepsPerStop] - firstNode;
    for (std::int32_t v = 0; v < firstNode; ++v) {
        const double below = firstRun > 0 ? (firstNode - v) * firstRise / firstRun : 0.0;
        table[v] = ToEntry(level[0] - below + 0.5, outMax);
    }

    // Between nodes: linear in the raw value. Where nodes lie closer than two raw values apart
    // the node's own entry takes the level, truncated.
    for (int j = 0; j < kTopIndex; ++j) {
        const std::int32_t start = node[j];
        const std::int32_t gap = node[j + 1] - start;
        if (gap > 1) {
            const double rise = level[j + 1] - level[j];
            for (std::int32_t v = start; v < start + gap; ++v)
                table[v] = ToEntry(level[j] + (v - start) * rise / gap + 0.5, outMax);
        } else {
            table[start] = ToEntry(level[j], outMax);
        }
    }

    // From the knee to full scale: the slope of the top half stop.
    const int halfStopBelowTop = kTopIndex - kStepsPerStop / 2;
    const double topRise = level[kTopIndex] - level[halfStopBelowTop];
    const double topRun = kneeRaw_ - node[halfStopBelowTop];
    for (std::int32_t v = kneeRaw_; v <= maxRaw_; ++v) {
        const double above = topRun > 0 ? (v - kneeRaw_) * topRise / topRun : 0.0;
        table[v] = ToEntry(level[kTopIndex] + above + 0.5, outMax);
    }

    const std::span<std::uint16_t> filled =
        std::span(rawTable_).first(static_cast<std::size_t>(maxRaw_) + 1);
    SmoothRisingSteps(filled, outMax);
    SmoothFallingSteps(filled);
    if (negative_) {
        for (std::uint16_t& entry : filled) entry = static_cast<std::uint16_t>(outMax - entry);
    }
}

void QVToneCurve::FillPassThrough()
{
    const std::uint32_t mask = sixteenBit_ ? 0xFFFF : 0xFF;
    for (std::uint32_t raw = 0; raw < kRawTableSize; ++raw)
        rawTable_[raw] = static_cast<std::uint16_t>(raw & mask);
}

}  // namespace scanora
