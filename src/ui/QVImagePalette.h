#pragma once

#include <QWidget>

namespace scanora {

class QorvaneView;

// The image display: the one child of the image view, sized to the preview at the current zoom.
// It paints the display copy with the view's colour mode, false colour and crop mask, then the
// overlays, and sets the view's paint event after every paint so that the capture threads
// waiting on it go on.
class QVImagePalette : public QWidget {
    Q_OBJECT

public:
    explicit QVImagePalette(QorvaneView& view, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QorvaneView& view_;
};

}  // namespace scanora
