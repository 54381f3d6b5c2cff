#pragma once

namespace scanora {

// The plot area of the tone curve graph and the conversions between curve levels and graph
// pixels. The plot leaves 8 pixels on the left and 15 at the bottom for the axis labels. The
// graph is flipped (level 0 at the top) when exactly one of "BlackOnTop" and "Negative" is on.
// The horizontal axis is the curve index; raw values map onto it logarithmically.
class CurveGraph {
public:
    static constexpr int kLeftMargin = 8;
    static constexpr int kBottomMargin = 15;
    static constexpr int kTopLevel = 255;
    // Curve levels per stop of raw value, as the axis labels count them.
    static constexpr double kLevelsPerStop = 25.5;
    // The 16-bit raw full scale and the raw value at the graph's right edge (90 % of it).
    static constexpr double kRawFullScale = 65535.0;
    static constexpr double kRawKnee = 0.9 * kRawFullScale;

    // The raw value at the graph's left edge: ten stops below the knee.
    [[nodiscard]] static double LeftEdgeRaw();
    // The curve index a raw value falls on: trunc(254.5 + 25.5 * log2(raw / knee)).
    [[nodiscard]] static int RawToIndex(double raw);

    // The graph control's client rectangle; the plot is placed inside it.
    void SetClientArea(int left, int top, int right, int bottom);
    void SetFlipped(bool flipped) { flipped_ = flipped; }
    [[nodiscard]] bool IsFlipped() const { return flipped_; }

    [[nodiscard]] int PlotLeft() const { return left_; }
    [[nodiscard]] int PlotTop() const { return top_; }
    [[nodiscard]] int PlotRight() const { return left_ + width_; }
    [[nodiscard]] int PlotBottom() const { return top_ + height_; }
    [[nodiscard]] int PlotWidth() const { return width_; }
    [[nodiscard]] int PlotHeight() const { return height_; }
    // The distance between two stop labels.
    [[nodiscard]] int LabelStep() const { return width_ / 10; }

    // Level 0..255 on the horizontal axis to a pixel column and back.
    [[nodiscard]] int LevelToX(double level) const;
    [[nodiscard]] int XToLevel(int x) const;
    // Output level to a pixel row and back, upside down when flipped.
    [[nodiscard]] int LevelToY(double level) const;
    [[nodiscard]] int YToLevel(int y) const;

private:
    // A plot of no size still converts (as if one pixel wide or tall).
    [[nodiscard]] double Width() const { return width_ > 0 ? width_ : 1; }
    [[nodiscard]] double Height() const { return height_ > 0 ? height_ : 1; }

    int left_ = kLeftMargin;
    int top_ = 0;
    int width_ = 256;
    int height_ = 256;
    bool flipped_ = false;
};

}  // namespace scanora
