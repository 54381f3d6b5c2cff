#include "ui/ViewOverlays.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "acquire/PreviewImage.h"
#include "camera/QVExposure.h"
#include "context/AppContext.h"
#include "imaging/PreviewGrid.h"
#include "settings/QVCameraSetting.h"
#include "settings/QVSize.h"
#include "ui/ColorRef.h"
#include "ui/RectConversion.h"
#include "ui/SamplePointColor.h"
#include "ui/ToolHost.h"

namespace scanora {

using ui::FromColorRef;

void ViewOverlays::PaintSamplePoints(QPainter& painter) const
{
    const ViewMapping mapping = host_.Mapping();
    painter.save();
    painter.setClipRect(host_.ImageArea());
    for (const SamplePoint& point : host_.App().Exposure().SamplePoints().Points()) {
        const ViewPointF at = mapping.PreviewToWindow(
            {static_cast<double>(point.x) + 0.5, static_cast<double>(point.y) + 0.5});
        const QPointF centre(at.x, at.y);
        // A black ring, then the point's own colour merged into it (the inverse colour's
        // complement or'ed with the pixels): the ring shows the colour the histogram marks the
        // point with, on any image.
        const auto ring = [&](double radius, const QColor& inverse) {
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            painter.setPen(QPen(Qt::black, 4));
            painter.drawEllipse(centre, radius, radius);
            painter.setCompositionMode(QPainter::RasterOp_NotSourceOrDestination);
            painter.setPen(QPen(inverse, 2));
            painter.drawEllipse(centre, radius, radius);
        };
        ring(5, QColor::fromRgb(SamplePointColor(point.colorCode).rgb() ^ 0x00FFFFFFu));
        // The selected point has a second, white ring two pixels further out.
        if (point.selected)
            ring(7, Qt::black);
    }
    painter.restore();
}

void ViewOverlays::PaintCropFrame(QPainter& painter) const
{
    const QRect area = host_.ImageArea();
    const ImageRect frame = CropEditor::WindowRect(host_.Crop(), area.width(), area.height());
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(QRect(frame.left + 1, frame.top + 1, frame.Width() - 3, frame.Height() - 3));
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(QRect(frame.left, frame.top, frame.Width() - 1, frame.Height() - 1));
}

void ViewOverlays::PaintGrid(QPainter& painter, bool inCropOnly) const
{
    QRect area = host_.ImageArea();
    if (inCropOnly)
        area = ToQRect(CropEditor::WindowRect(host_.Crop(), area.width(), area.height()));
    const PreviewGrid& grid = host_.Grid();
    painter.setPen(QPen(FromColorRef(host_.Appearance().gridColor), 1));
    for (const int x :
         PreviewGrid::Lines(area.left(), area.right() + 1, grid.OffsetX(), grid.SpacingX()))
        painter.drawLine(x, area.top(), x, area.bottom());
    for (const int y :
         PreviewGrid::Lines(area.top(), area.bottom() + 1, grid.OffsetY(), grid.SpacingY()))
        painter.drawLine(area.left(), y, area.right(), y);
}

std::vector<QLine> ViewOverlays::GuideLines() const
{
    std::vector<QLine> lines;
    const ViewMapping mapping = host_.Mapping();
    const double pw = host_.Image().Width();
    const double ph = host_.Image().Height();
    for (const Guide& guide : host_.App().CameraSetting().Prefs().guides) {
        if (!(guide.position >= 0.0 && guide.position <= 100.0))
            continue;
        ViewPointF a;
        ViewPointF b;
        if (guide.horizontal) {
            const double y = guide.position * ph / 100.0;
            a = mapping.PreviewToWindow({0.0, y});
            b = mapping.PreviewToWindow({pw, y});
        } else {
            const double x = guide.position * pw / 100.0;
            a = mapping.PreviewToWindow({x, 0.0});
            b = mapping.PreviewToWindow({x, ph});
        }
        QLine line(static_cast<int>(a.x), static_cast<int>(a.y), static_cast<int>(b.x),
                   static_cast<int>(b.y));
        if (std::abs(line.x1() - line.x2()) == 1)
            line.setP2(QPoint(line.x1(), line.y2()));
        if (std::abs(line.y1() - line.y2()) == 1)
            line.setP2(QPoint(line.x2(), line.y1()));
        lines.push_back(line);
    }
    return lines;
}

void ViewOverlays::PaintGuides(QPainter& painter) const
{
    const PreviewAppearance& appearance = host_.Appearance();
    QPen pen(FromColorRef(appearance.guideColor), 1);
    switch (appearance.guidePattern) {
    case 1: pen.setDashPattern({5, 5}); break;
    case 2: pen.setDashPattern({2, 5}); break;
    case 3: pen.setStyle(Qt::DotLine); break;
    default: break;
    }
    painter.setPen(pen);
    for (const QLine& line : GuideLines()) painter.drawLine(line);
}

QRect ViewOverlays::SuperRegionRect() const
{
    const SuperPrescanRegion::Frame frame =
        host_.App().Size().SuperRegion().FrameIn(host_.SuperGeometry());
    const ViewMapping mapping = host_.Mapping();
    const ViewPointF a = mapping.PreviewToWindow({frame.left, frame.top});
    const ViewPointF b =
        mapping.PreviewToWindow({frame.left + frame.width, frame.top + frame.height});
    const int left = static_cast<int>(std::floor(std::min(a.x, b.x)));
    const int top = static_cast<int>(std::floor(std::min(a.y, b.y)));
    const int right = static_cast<int>(std::ceil(std::max(a.x, b.x)));
    const int bottom = static_cast<int>(std::ceil(std::max(a.y, b.y)));
    return ToQRect({left, top, right, bottom});
}

void ViewOverlays::PaintSuperRegion(QPainter& painter) const
{
    const QRect region = SuperRegionRect();
    // A rectangle's outline on its own pixels (right and bottom inclusive).
    const auto frame = [&painter](const QRect& r, const QColor& color) {
        painter.setPen(QPen(color, 1));
        painter.drawRect(r.adjusted(0, 0, -1, -1));
    };
    painter.save();
    painter.setBrush(Qt::NoBrush);
    frame(region.adjusted(-1, -1, 1, 1), Qt::red);
    frame(region, Qt::black);
    frame(region.adjusted(1, 1, -1, -1), Qt::red);
    painter.restore();
}

QRect ViewOverlays::ProgressLinesRect(int row) const
{
    const ViewMapping mapping = host_.Mapping();
    const ViewPointF a = mapping.PreviewToWindow({0.0, static_cast<double>(row)});
    const ViewPointF b = mapping.PreviewToWindow(
        {static_cast<double>(host_.Image().Width()), static_cast<double>(row)});
    const int x0 = static_cast<int>(a.x);
    const int y0 = static_cast<int>(a.y);
    const int x1 = static_cast<int>(b.x);
    const int y1 = static_cast<int>(b.y);
    ImageRect r;
    switch (host_.Image().Rotation()) {
    case 90: r = {x0 - 4, y0, x1, y1 + 1}; break;
    case 180: r = {x1, y0 - 4, x0 + 1, y0 - 1}; break;
    case 270: r = {x1, y1, x0 + 4, y0 + 1}; break;
    default: r = {x0, y0, x1 + 1, y0 + 3}; break;
    }
    return QRect(QPoint(std::min(r.left, r.right), std::min(r.top, r.bottom)),
                 QPoint(std::max(r.left, r.right), std::max(r.top, r.bottom)))
        .adjusted(-1, -1, 1, 1);
}

void ViewOverlays::PaintProgressLines(QPainter& painter, int row) const
{
    const ViewMapping mapping = host_.Mapping();
    const ViewPointF a = mapping.PreviewToWindow({0.0, static_cast<double>(row)});
    const ViewPointF b = mapping.PreviewToWindow(
        {static_cast<double>(host_.Image().Width()), static_cast<double>(row)});
    const QLineF base(a.x, a.y, b.x, b.y);
    // Each line one pixel further in the direction of travel.
    QPointF step;
    QPointF first;
    switch (host_.Image().Rotation()) {
    case 90:
        first = {-2, 0};
        step = {-1, 0};
        break;
    case 180:
        first = {0, -2};
        step = {0, -1};
        break;
    case 270:
        first = {0, 0};
        step = {1, 0};
        break;
    default:
        first = {0, 0};
        step = {0, 1};
        break;
    }
    painter.save();
    painter.setClipRect(host_.ImageArea());
    const QColor colors[] = {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255)};
    for (int i = 0; i < 3; ++i) {
        painter.setPen(QPen(colors[i], 1));
        painter.drawLine(base.translated(first + step * i));
    }
    painter.restore();
}

void ViewOverlays::PaintStageIndicator(QPainter& painter, int row) const
{
    const ViewMapping mapping = host_.Mapping();
    const ViewPointF a = mapping.PreviewToWindow({0.0, static_cast<double>(row)});
    const ViewPointF b = mapping.PreviewToWindow(
        {static_cast<double>(host_.Image().Width()), static_cast<double>(row)});
    painter.save();
    painter.setClipRect(host_.ImageArea());
    painter.setPen(QPen(QColor(0, 255, 255), 2, Qt::DashLine));
    painter.drawLine(QLineF(a.x, a.y, b.x, b.y));
    painter.restore();
}

}  // namespace scanora
