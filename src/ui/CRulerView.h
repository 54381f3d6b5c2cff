#pragma once

#include <QWidget>

namespace scanora {

class QorvaneView;

// A ruler beside the image view, labelled in the output geometry's units. It follows the view's
// scroll position, zoom and origin, marks the mouse position, and a drag out of it places a new
// guide. The corner box between the two rulers starts the cross-hair that sets their origin.
class CRulerView : public QWidget {
    Q_OBJECT

public:
    static constexpr int kThickness = 20;

    // A horizontal ruler runs along the top of the view, a vertical one down its left side.
    CRulerView(QorvaneView& view, Qt::Orientation orientation, QWidget* parent = nullptr);

    // Label 0 sits at preview pixel `origin` of this ruler's axis.
    void SetOrigin(int origin);
    [[nodiscard]] int Origin() const { return origin_; }
    // Where label 0 lies along the ruler: the origin at the view's zoom, from the image's edge.
    [[nodiscard]] double ZeroPosition() const;
    // The mouse position along the ruler, in display window pixels; negative hides the mark.
    void SetMouse(int position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Display window pixels per unit of the output geometry along this ruler.
    [[nodiscard]] double PixelsPerUnit() const;
    // Where display window position 0 lies on the ruler.
    [[nodiscard]] int WindowOffset() const;
    [[nodiscard]] bool Horizontal() const { return orientation_ == Qt::Horizontal; }

    QorvaneView& view_;
    const Qt::Orientation orientation_;
    int origin_ = 0;
    int mouse_ = -1;
    bool draggingGuide_ = false;
};

}  // namespace scanora
