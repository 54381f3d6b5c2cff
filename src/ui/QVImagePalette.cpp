#include "ui/QVImagePalette.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>

#include "imaging/DisplayComposer.h"
#include "ui/QorvaneView.h"

namespace scanora {

QVImagePalette::QVImagePalette(QorvaneView& view, QWidget* parent) : QWidget(parent), view_(view)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

void QVImagePalette::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect area = event->rect() & rect();
    if (!area.isEmpty())
        view_.PaintImage(painter, area);
    view_.PaintOverlays(painter);
    view_.Painted().Set();
}

}  // namespace scanora

namespace scanora {

void QVImagePalette::mousePressEvent(QMouseEvent* event)
{
    view_.setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton)
        view_.PaletteMousePress(*event);
}

void QVImagePalette::mouseMoveEvent(QMouseEvent* event)
{
    view_.PaletteMouseMove(*event);
}

void QVImagePalette::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        view_.PaletteMouseRelease(*event);
}

void QVImagePalette::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    view_.PaletteLeft();
}

}  // namespace scanora
