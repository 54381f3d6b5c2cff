#pragma once

#include <QColor>
#include <QWidget>

#include <vector>

class QPainter;

namespace scanora {
class QVCurveEditor;
}

namespace scanora::ui {

// The tone curve graph: draws what the curve editor holds (the curve, its handles, the editor's
// histogram, the colour sample points and the reference level) and hands the mouse to the
// editor. All the arithmetic is the editor's; this widget only paints it and forwards presses,
// moves and releases, with Alt as the fine step.
class TonePalette : public QWidget {
    Q_OBJECT

public:
    // A colour sample point as the graph marks it: where its mean-gained raw value falls, the
    // colour it is drawn in and the red, green and blue levels its swatch is labelled with.
    struct SampleMark {
        double meanGainedRaw = 0.0;
        QColor color;
        int red = 0;
        int green = 0;
        int blue = 0;
    };

    // Below this height the plot is shorter than the grid and a pixel spans more than a level.
    static constexpr int kMinimumWidth = 264;
    static constexpr int kMinimumHeight = 170;
    // The reference mark: a triangle under the plot, picked within this many pixels.
    static constexpr int kReferencePick = 5;

    explicit TonePalette(QVCurveEditor& editor, QWidget* parent = nullptr);

    void SetSampleMarks(std::vector<SampleMark> marks);
    [[nodiscard]] bool DraggingReference() const { return draggingReference_; }

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

Q_SIGNALS:
    // The handles moved during a drag (the curve's end handles may have changed).
    void handlesMoved();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The client rectangle the editor lays its plot in: the widget less a small rim at the top
    // and right, so that the handles at the grid's ends are drawn whole.
    void PlaceGraph();
    void PaintGraph(QPainter& painter) const;
    void PaintHistogram(QPainter& painter) const;
    void PaintGrid(QPainter& painter) const;
    void PaintCurve(QPainter& painter) const;
    void PaintSampleMarks(QPainter& painter) const;
    void PaintHandles(QPainter& painter) const;
    void PaintGuides(QPainter& painter) const;
    void PaintReference(QPainter& painter) const;
    [[nodiscard]] bool OnReferenceMark(QPoint at) const;

    QVCurveEditor& editor_;
    std::vector<SampleMark> marks_;
    bool draggingReference_ = false;
};

}  // namespace scanora::ui
