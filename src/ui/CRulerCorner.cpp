#include "ui/CRulerCorner.h"

#include <QMouseEvent>
#include <QPainter>

#include "ui/QorvaneView.h"

namespace scanora {

CRulerCorner::CRulerCorner(QorvaneView& view, QWidget* parent) : QWidget(parent), view_(view)
{
    setAutoFillBackground(true);
    setCursor(Qt::CrossCursor);
    setToolTip(QStringLiteral("Drag to set the rulers' origin"));
}

void CRulerCorner::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawLine(width() - 1, 0, width() - 1, height());
    painter.drawLine(0, height() - 1, width(), height() - 1);
    // A small cross-hair says what the box does.
    const QPoint centre = rect().center();
    painter.drawLine(centre.x(), 4, centre.x(), height() - 5);
    painter.drawLine(4, centre.y(), width() - 5, centre.y());
}

void CRulerCorner::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    tracking_ = true;
    view_.BeginCrossHair();
}

void CRulerCorner::mouseMoveEvent(QMouseEvent* event)
{
    if (!tracking_)
        return;
    // The box holds the mouse while the button is down: the image hears of it from here.
    view_.ForwardDragMove(*event);
}

void CRulerCorner::mouseReleaseEvent(QMouseEvent* event)
{
    if (!tracking_ || event->button() != Qt::LeftButton)
        return;
    tracking_ = false;
    view_.ForwardDragRelease(*event);
}

}  // namespace scanora
