#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "imaging/ColorCorrectingToneCurve.h"
#include "imaging/CurveGraph.h"
#include "settings/CurveSetting.h"
#include "settings/CurveSource.h"

namespace scanora {

// The editor state behind the tone curve graph, and the program's one current tone curve: it
// owns the live curve (a byte table over all 65536 raw values) that the preview is converted
// through, keeps the handle rules while the user drags or reshapes the curve, and exchanges the
// curve with curve setting records. Every finished change rebuilds the raw table and tells the
// listener, so that the preview can be converted again.
class QVCurveEditor final : public CurveSource {
public:
    // Neighbouring handles stay this many levels apart, in x and in y.
    static constexpr int kMinGap = 3;
    // A press within this many pixels of a handle's centre (either way) picks it.
    static constexpr int kPickRadius = 3;
    // With Alt held a drag moves the handle by a fifth of the pointer's travel.
    static constexpr int kFineDivisor = 5;
    static constexpr int kShiftStep = 4;
    static constexpr double kCompressFactor = 0.9;
    static constexpr double kExpandFactor = 1.11;
    static constexpr int kInitialReference = 127;
    static constexpr std::size_t kHistogramBins = 256;
    using Histogram = std::array<std::int64_t, kHistogramBins>;

    // Called after every finished change (the raw table is current again).
    using Listener = std::function<void()>;

    QVCurveEditor();

    void SetListener(Listener listener) { listener_ = std::move(listener); }

    // The live curve. The exposure sets its channel gains.
    [[nodiscard]] const ColorCorrectingToneCurve& Curve() const { return curve_; }
    [[nodiscard]] ColorCorrectingToneCurve& Curve() { return curve_; }
    [[nodiscard]] std::span<const CurveHandle> Handles() const { return curve_.Handles(); }
    [[nodiscard]] const CurveGraph& Graph() const { return graph_; }
    // The graph control's client rectangle.
    void SetClientArea(int left, int top, int right, int bottom);

    [[nodiscard]] bool IsBlackOnTop() const { return blackOnTop_; }
    void SetBlackOnTop(bool blackOnTop);
    [[nodiscard]] bool IsNegative() const { return curve_.IsNegative(); }
    void ToggleNegative();
    // The no-curve state: the raw samples are passed on unchanged ("None14").
    [[nodiscard]] bool IsNone14() const { return none14_; }

    // With "None14" set only the no-curve state is turned on and the handles stay; otherwise it
    // is turned off and the handles, "BlackOnTop" and "Negative" are taken.
    void Apply(const CurveSetting& record);
    // The handles, "BlackOnTop" and "Negative"; "None14" stays as the record has it.
    void Capture(CurveSetting& record) const;
    [[nodiscard]] CurveState CurrentCurve() const override;

    // Mouse on the graph, in pixels. Press picks the first handle whose 7 x 7 square holds the
    // point and starts dragging it (false: none there). Move drags it; `fine` (Alt) moves it by
    // a fifth of the pointer's travel. Release ends the drag: true when the curve changed.
    bool Press(int x, int y);
    void Move(int x, int y, bool fine);
    bool Release();
    [[nodiscard]] bool IsDragging() const { return dragging_; }
    // The handle picked last (-1: none yet).
    [[nodiscard]] int SelectedHandle() const { return selected_; }
    // Which ways a drag may move a handle.
    void SetDragDirections(bool horizontal, bool vertical);

    // Every handle 4 levels left or right, less where the end handle meets the graph's edge.
    void ShiftLeft();
    void ShiftRight();
    // Narrows or widens the gaps between handles by a tenth, about the middle handle or, with
    // `aboutReference` (Alt), about the reference level.
    void Compress(bool aboutReference);
    void Expand(bool aboutReference);
    // Between 5 and 7 handles.
    void ToggleHandleCount();

    // The level the stop labels count from; the user drags its mark along the horizontal axis.
    [[nodiscard]] int ReferenceLevel() const { return reference_; }
    void StartReferenceDrag(int x);
    void MoveReference(int x);
    // A curve index in stops from the reference level, as the drag guide labels it.
    [[nodiscard]] double StopsFromReference(int index) const;

    // The editor's histogram from the view's raw histogram (one count per 16-bit raw level),
    // with the mean channel gain applied: 256 bins over the graph's horizontal axis.
    void FillHistogram(std::span<const std::int32_t> raw);
    [[nodiscard]] const Histogram& HistogramBins() const { return histogram_; }
    // The drawn height of a bin: three quarters of the plot for the largest bin.
    [[nodiscard]] double HistogramBarHeight(std::size_t bin) const;

    // Where a colour sample point is marked: the curve index of its mean-gained raw value (held
    // to the graph's range) and the curve's level there, in pixels.
    struct Point {
        int x = 0;
        int y = 0;
    };
    [[nodiscard]] Point SamplePointPosition(double meanGainedRaw) const;

    // The end handles, which two controls of the main control panel follow.
    [[nodiscard]] bool FirstHandleAboveZero() const { return Handles().front().x > 0; }
    [[nodiscard]] bool LastHandleBelowTop() const;

private:
    using HandleList = std::vector<CurveHandle>;

    [[nodiscard]] HandleList CopyHandles() const;
    // Keeps handle `c` inside the grid and kMinGap away from its neighbours; the upper
    // neighbour wins.
    void ApplyRules(HandleList& handles, std::size_t c) const;
    // Moves every handle's gap to the fixed point (the middle handle or the reference level) by
    // `factor`, applying the rules to each handle placed, and finishes the change.
    void Scale(double factor, bool aboutReference);
    // Moves every handle by `by` levels, applying the rules to each, and finishes the change.
    void Shift(int by);
    // Rebuilds the raw table and tells the listener.
    void Finish();

    ColorCorrectingToneCurve curve_;
    CurveGraph graph_;
    Listener listener_;
    bool blackOnTop_ = false;
    bool none14_ = false;
    bool allowHorizontal_ = true;
    bool allowVertical_ = true;

    int selected_ = -1;
    bool dragging_ = false;
    bool changed_ = false;
    int startX_ = 0;
    int startY_ = 0;
    int lastY_ = 0;
    CurveHandle startHandle_;
    bool movedUp_ = false;
    bool movedDown_ = false;

    int reference_ = kInitialReference;
    int referenceAtStart_ = kInitialReference;
    int referenceStartX_ = 0;
    Histogram histogram_{};
};

}  // namespace scanora
