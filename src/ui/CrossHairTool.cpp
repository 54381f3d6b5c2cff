#include "ui/CrossHairTool.h"

#include <QPainter>

#include "ui/ToolHost.h"

namespace scanora {

bool CrossHairTool::Press(QPoint window, Qt::KeyboardModifiers)
{
    at_ = window;
    return true;
}

void CrossHairTool::Drag(QPoint window, Qt::KeyboardModifiers)
{
    // Drawn only while the mouse is over the image.
    if (host_.ImageArea().contains(window))
        at_ = window;
    else
        at_.reset();
    host_.Redraw();
}

void CrossHairTool::Release(QPoint window, Qt::KeyboardModifiers)
{
    if (host_.ImageArea().contains(window))
        host_.SetRulerOrigin(window);
    host_.EndTemporaryTool();
}

void CrossHairTool::Paint(QPainter& painter) const
{
    if (!at_)
        return;
    const QRect area = host_.ImageArea();
    painter.setPen(QPen(QColor(128, 128, 128), 1));
    painter.drawLine(0, at_->y(), area.width(), at_->y());
    painter.drawLine(at_->x(), 0, at_->x(), area.height());
}

}  // namespace scanora
