#include "imaging/QVCurveEditor.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace scanora {

namespace {

// Even when the pointer moved up, odd when it moved down (inside the grid's ends).
int WithParity(int x, bool movedUp, bool movedDown)
{
    if (movedUp)
        return x - x % 2;
    if (movedDown && x > 0 && x < CurveGraph::kTopLevel && x % 2 == 0)
        return x + 1;
    return x;
}

}  // namespace

QVCurveEditor::QVCurveEditor()
{
    curve_.SetRawBits(16);
    curve_.SetSixteenBit(false);
    curve_.BuildRawTable();
}

void QVCurveEditor::SetClientArea(int left, int top, int right, int bottom)
{
    graph_.SetClientArea(left, top, right, bottom);
}

void QVCurveEditor::SetBlackOnTop(bool blackOnTop)
{
    blackOnTop_ = blackOnTop;
    graph_.SetFlipped(blackOnTop_ != curve_.IsNegative());
}

void QVCurveEditor::ToggleNegative()
{
    curve_.SetNegative(!curve_.IsNegative());
    graph_.SetFlipped(blackOnTop_ != curve_.IsNegative());
    curve_.Recalculate();
    Finish();
}

void QVCurveEditor::Apply(const CurveSetting& record)
{
    none14_ = record.IsNone14();
    if (!none14_) {
        if (record.GetHandleCount() > 0)
            curve_.SetHandles(record.GetHandles());
        curve_.SetNegative(record.IsNegative());
        SetBlackOnTop(record.IsBlackOnTop());
    }
    curve_.Recalculate();
    Finish();
}

void QVCurveEditor::Capture(CurveSetting& record) const
{
    record.SetHandles(Handles());
    record.SetBlackOnTop(blackOnTop_);
    record.SetNegative(curve_.IsNegative());
}

CurveState QVCurveEditor::CurrentCurve() const
{
    return {CopyHandles(), curve_.IsNegative(), none14_};
}

bool QVCurveEditor::Press(int x, int y)
{
    const auto handles = Handles();
    for (std::size_t i = 0; i < handles.size(); ++i) {
        if (std::abs(x - graph_.LevelToX(handles[i].x)) > kPickRadius ||
            std::abs(y - graph_.LevelToY(handles[i].y)) > kPickRadius)
            continue;
        selected_ = static_cast<int>(i);
        dragging_ = true;
        changed_ = false;
        startX_ = x;
        startY_ = y;
        lastY_ = y;
        startHandle_ = handles[i];
        movedUp_ = movedDown_ = false;
        return true;
    }
    return false;
}

void QVCurveEditor::Move(int x, int y, bool fine)
{
    if (!dragging_)
        return;
    int dx = graph_.XToLevel(x) - graph_.XToLevel(startX_);
    int dy = graph_.YToLevel(y) - graph_.YToLevel(startY_);
    if (fine) {
        dx = static_cast<int>(std::lround(dx / static_cast<double>(kFineDivisor)));
        dy = static_cast<int>(std::lround(dy / static_cast<double>(kFineDivisor)));
    } else if (graph_.PlotHeight() < 256 && y != lastY_) {
        // On a plot shorter than the grid, one pixel is more than one level.
        movedUp_ = y < lastY_;
        movedDown_ = y > lastY_;
        lastY_ = y;
    }
    HandleList handles = CopyHandles();
    CurveHandle& handle = handles[static_cast<std::size_t>(selected_)];
    int newX = handle.x;
    if (allowVertical_)
        handle.y = static_cast<std::int16_t>(startHandle_.y + dy);
    if (allowHorizontal_)
        newX = startHandle_.x + dx;
    newX = std::min(WithParity(newX, movedUp_, movedDown_), int{CurveGraph::kTopLevel});
    handle.x = static_cast<std::int16_t>(newX);
    ApplyRules(handles, static_cast<std::size_t>(selected_));
    if (!std::ranges::equal(handles, Handles())) {
        curve_.SetHandles(handles);
        changed_ = true;
    }
}

bool QVCurveEditor::Release()
{
    if (!dragging_)
        return false;
    dragging_ = false;
    if (changed_)
        Finish();
    return std::exchange(changed_, false);
}

void QVCurveEditor::SetDragDirections(bool horizontal, bool vertical)
{
    allowHorizontal_ = horizontal;
    allowVertical_ = vertical;
}

void QVCurveEditor::ShiftLeft()
{
    Shift(-std::min(kShiftStep, int{Handles().front().x}));
}

void QVCurveEditor::ShiftRight()
{
    Shift(std::min(kShiftStep, CurveGraph::kTopLevel - Handles().back().x));
}

void QVCurveEditor::Shift(int by)
{
    // Every handle moves first and the rules come after: a handle checked against a neighbour
    // that has not moved yet would be held back by it.
    HandleList handles = CopyHandles();
    for (CurveHandle& handle : handles) handle.x = static_cast<std::int16_t>(handle.x + by);
    for (std::size_t i = 0; i < handles.size(); ++i) ApplyRules(handles, i);
    curve_.SetHandles(handles);
    Finish();
}

void QVCurveEditor::Compress(bool aboutReference)
{
    Scale(kCompressFactor, aboutReference);
}

void QVCurveEditor::Expand(bool aboutReference)
{
    Scale(kExpandFactor, aboutReference);
}

void QVCurveEditor::Scale(double factor, bool aboutReference)
{
    HandleList handles = CopyHandles();
    // The positions before the change, with the fixed point among them: the middle handle, or
    // the reference level inserted in order.
    std::vector<int> xs;
    for (const CurveHandle& handle : handles) xs.push_back(handle.x);
    std::size_t fixed = handles.size() / 2;
    if (aboutReference) {
        fixed = static_cast<std::size_t>(std::ranges::count_if(
            handles, [this](const CurveHandle& h) { return h.x < reference_; }));
        xs.insert(xs.begin() + static_cast<std::ptrdiff_t>(fixed), reference_);
    }
    const auto handleAt = [&](std::size_t i) { return aboutReference && i > fixed ? i - 1 : i; };
    const auto gap = [factor](int from, int to) {
        return static_cast<int>(factor * (to - from) + 0.5);
    };
    for (std::size_t i = 0; i < fixed; ++i) {
        const std::size_t h = handleAt(i);
        handles[h].x = static_cast<std::int16_t>(xs[i + 1] - gap(xs[i], xs[i + 1]));
        ApplyRules(handles, h);
    }
    for (std::size_t i = xs.size() - 1; i > fixed; --i) {
        const std::size_t h = handleAt(i);
        handles[h].x = static_cast<std::int16_t>(xs[i - 1] + gap(xs[i - 1], xs[i]));
        ApplyRules(handles, h);
    }
    curve_.SetHandles(handles);
    Finish();
}

void QVCurveEditor::ToggleHandleCount()
{
    if (curve_.HandleCount() == 5)
        curve_.AddHandles();
    else
        curve_.RemoveHandles();
    Finish();
}

void QVCurveEditor::StartReferenceDrag(int x)
{
    referenceAtStart_ = reference_;
    referenceStartX_ = x;
}

void QVCurveEditor::MoveReference(int x)
{
    const int travel = graph_.XToLevel(x) - graph_.XToLevel(referenceStartX_);
    reference_ = std::clamp(referenceAtStart_ + travel, 0, int{CurveGraph::kTopLevel});
}

double QVCurveEditor::StopsFromReference(int index) const
{
    return (index - reference_) / CurveGraph::kLevelsPerStop;
}

void QVCurveEditor::FillHistogram(std::span<const std::int32_t> raw)
{
    histogram_.fill(0);
    const double leftEdge = CurveGraph::LeftEdgeRaw();
    const std::size_t levels = std::min(raw.size(), std::size_t{65536});
    for (std::size_t r = 0; r < levels; ++r) {
        const double s = curve_.ScaleMean(static_cast<std::uint16_t>(r));
        if (raw[r] == 0 || s > CurveGraph::kRawKnee || s < leftEdge)
            continue;
        const int bin = CurveGraph::RawToIndex(s);
        if (bin >= 0 && bin < static_cast<int>(kHistogramBins))
            histogram_[static_cast<std::size_t>(bin)] += raw[r];
    }
}

double QVCurveEditor::HistogramBarHeight(std::size_t bin) const
{
    const std::int64_t largest = *std::ranges::max_element(histogram_);
    if (largest <= 0 || bin >= kHistogramBins)
        return 0.0;
    return 0.75 * static_cast<double>(histogram_[bin]) /
           (static_cast<double>(largest) / graph_.PlotHeight());
}

QVCurveEditor::Point QVCurveEditor::SamplePointPosition(double meanGainedRaw) const
{
    const double raw = std::clamp(meanGainedRaw, CurveGraph::LeftEdgeRaw(), CurveGraph::kRawKnee);
    const int index = std::clamp(CurveGraph::RawToIndex(raw), 0, CurveGraph::kTopLevel);
    const double level = curve_.Levels()[static_cast<std::size_t>(index)];
    return {graph_.LevelToX(index), graph_.LevelToY(level)};
}

bool QVCurveEditor::LastHandleBelowTop() const
{
    return Handles().back().x < CurveGraph::kTopLevel;
}

QVCurveEditor::HandleList QVCurveEditor::CopyHandles() const
{
    return {Handles().begin(), Handles().end()};
}

void QVCurveEditor::ApplyRules(HandleList& handles, std::size_t c) const
{
    constexpr int top = CurveGraph::kTopLevel;
    int x = std::clamp(int{handles[c].x}, 0, top);
    int y = std::clamp(int{handles[c].y}, 0, top);
    // On the flipped graph the curve falls from left to right.
    const bool flipped = graph_.IsFlipped();
    if (c > 0) {
        const CurveHandle& lower = handles[c - 1];
        x = std::max(x, lower.x + kMinGap);
        y = flipped ? std::min(y, lower.y - kMinGap) : std::max(y, lower.y + kMinGap);
    }
    if (c + 1 < handles.size()) {
        const CurveHandle& upper = handles[c + 1];
        x = std::min(x, upper.x - kMinGap);
        y = flipped ? std::max(y, upper.y + kMinGap) : std::min(y, upper.y - kMinGap);
    }
    handles[c] = {static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)};
}

void QVCurveEditor::Finish()
{
    curve_.BuildRawTable();
    if (listener_)
        listener_();
}

}  // namespace scanora
