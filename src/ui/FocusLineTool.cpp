#include "ui/FocusLineTool.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

#include "acquire/PreviewImage.h"
#include "camera/QVCamera.h"
#include "context/AppContext.h"
#include "ui/ToolHost.h"

namespace scanora {

bool FocusLineTool::Press(QPoint window, Qt::KeyboardModifiers)
{
    const PreviewImage& image = host_.Image();
    if (!host_.ImageArea().contains(window) || !image.HasImage())
        return false;
    const ViewPointF p = host_.Mapping().WindowToPreview(
        {static_cast<double>(window.x()), static_cast<double>(window.y())});
    const int column = std::clamp(static_cast<int>(p.x), 0, image.Width() - 1);
    const int line = std::clamp(static_cast<int>(p.y), 0, image.Height() - 1);
    line_ = QPoint(column, line);
    host_.FocusLinePlaced(column, line);
    host_.EndTemporaryTool();
    return false;
}

void FocusLineTool::SetWindowWidth(int sensorPixels)
{
    windowWidth_ = std::max(sensorPixels, 1);
}

QRect FocusLineTool::MarkerRect() const
{
    const QVCamera& camera = host_.App().Camera();
    const FocusWindowPlacement placement(camera.GetSensorWidth(), camera.GetMaxSizeStep(),
                                         camera.GetMinSizeStep());
    const FocusWindowPlacement::PreviewSpan span = placement.Span(line_->x(), windowWidth_);
    const double line = line_->y() + 0.5;
    const ViewMapping mapping = host_.Mapping();
    const ViewPointF a = mapping.PreviewToWindow({span.first, line});
    const ViewPointF b = mapping.PreviewToWindow({span.last, line});
    // Six pixels across the line, as long as the window along it.
    constexpr double kHalfHeight = 3.0;
    const bool alongX = std::abs(a.y - b.y) < std::abs(a.x - b.x);
    const QRectF marker = alongX ? QRectF(QPointF(std::min(a.x, b.x), a.y - kHalfHeight),
                                          QPointF(std::max(a.x, b.x), a.y + kHalfHeight))
                                 : QRectF(QPointF(a.x - kHalfHeight, std::min(a.y, b.y)),
                                          QPointF(a.x + kHalfHeight, std::max(a.y, b.y)));
    return marker.toAlignedRect();
}

void FocusLineTool::Paint(QPainter& painter) const
{
    if (!line_)
        return;
    painter.save();
    painter.setClipRect(host_.ImageArea());
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 2, Qt::DashLine));
    painter.drawRect(MarkerRect());
    painter.restore();
}

}  // namespace scanora
