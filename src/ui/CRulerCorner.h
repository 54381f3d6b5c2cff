#pragma once

#include <QWidget>

namespace scanora {

class QorvaneView;

// The box where the two rulers meet. Pressing in it starts the cross-hair; while the button is
// held the cross-hair follows the mouse over the image, and releasing it there sets the rulers'
// origin.
class CRulerCorner : public QWidget {
    Q_OBJECT

public:
    explicit CRulerCorner(QorvaneView& view, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QorvaneView& view_;
    bool tracking_ = false;
};

}  // namespace scanora
