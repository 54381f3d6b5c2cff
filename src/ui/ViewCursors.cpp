#include "ui/ViewCursors.h"

#include <QPainter>
#include <QPixmap>

#include <cmath>

namespace scanora {

namespace {

constexpr int kSize = 32;  // logical pixels

// Draws a shape twice, a wide white outline under a black line, so that it shows on any image.
template <typename Shape>
void Outlined(QPainter& painter, Shape shape)
{
    painter.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap));
    shape();
    painter.setPen(QPen(Qt::black, 1.5, Qt::SolidLine, Qt::RoundCap));
    shape();
}

// A magnifier: the lens centred at (12, 12), the handle to the bottom right; the sign inside
// says whether a click zooms in (+), out (-) or cannot (none).
void Magnifier(QPainter& painter, ViewCursors::Id id)
{
    Outlined(painter, [&] {
        painter.drawEllipse(QPointF(12, 12), 8, 8);
        painter.drawLine(QPointF(18, 18), QPointF(27, 27));
        if (id != ViewCursors::kZoomLimit)
            painter.drawLine(QPointF(8, 12), QPointF(16, 12));
        if (id == ViewCursors::kZoomIn)
            painter.drawLine(QPointF(12, 8), QPointF(12, 16));
    });
}

}  // namespace

QCursor ViewCursors::Cursor(Id id, qreal devicePixelRatio)
{
    switch (id) {
    case kArrow: return QCursor(Qt::ArrowCursor);
    case kSampleOver: return QCursor(Qt::PointingHandCursor);
    case kCropLeftRight: return QCursor(Qt::SizeHorCursor);
    case kCropTopBottom: return QCursor(Qt::SizeVerCursor);
    case kCropFDiagonal: return QCursor(Qt::SizeFDiagCursor);
    case kCropBDiagonal: return QCursor(Qt::SizeBDiagCursor);
    case kCropMove: return QCursor(Qt::SizeAllCursor);
    case kHandOpen: return QCursor(Qt::OpenHandCursor);
    case kHandClosed: return QCursor(Qt::ClosedHandCursor);
    case kGuideVertical: return QCursor(Qt::SplitHCursor);
    case kGuideHorizontal: return QCursor(Qt::SplitVCursor);
    case kMarker: return QCursor(Qt::UpArrowCursor);
    case kCrossHair: return QCursor(Qt::CrossCursor);
    default: break;
    }
    const qreal ratio = devicePixelRatio > 0.0 ? devicePixelRatio : 1.0;
    const auto key = std::make_pair(static_cast<int>(id), ratio);
    auto it = drawn_.find(key);
    if (it == drawn_.end())
        it = drawn_.emplace(key, Drawn(id, ratio)).first;
    return it->second;
}

QCursor ViewCursors::Drawn(Id id, qreal devicePixelRatio)
{
    const int device = static_cast<int>(std::ceil(kSize * devicePixelRatio));
    QPixmap pixmap(device, device);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    QPoint hotSpot(kSize / 2, kSize / 2);
    switch (id) {
    case kZoomIn:
    case kZoomOut:
    case kZoomLimit:
        Magnifier(painter, id);
        hotSpot = QPoint(12, 12);
        break;
    case kSample:
        // A target: a ring with a cross whose middle is left open over the pixel.
        Outlined(painter, [&] {
            painter.drawEllipse(QPointF(16, 16), 7, 7);
            painter.drawLine(QPointF(16, 4), QPointF(16, 13));
            painter.drawLine(QPointF(16, 19), QPointF(16, 28));
            painter.drawLine(QPointF(4, 16), QPointF(13, 16));
            painter.drawLine(QPointF(19, 16), QPointF(28, 16));
        });
        break;
    case kFocusLine:
        // The focus line's window: a bar with end stops.
        Outlined(painter, [&] {
            painter.drawRect(QRectF(5, 13, 22, 6));
            painter.drawLine(QPointF(16, 6), QPointF(16, 26));
        });
        break;
    case kGrid:
        Outlined(painter, [&] {
            for (const int at : {10, 22}) {
                painter.drawLine(QPointF(at, 4), QPointF(at, 28));
                painter.drawLine(QPointF(4, at), QPointF(28, at));
            }
        });
        break;
    case kSuperRegion:
    default:
        // A frame with arrows out of its middle: the region is moved.
        Outlined(painter, [&] {
            painter.drawRect(QRectF(8, 8, 16, 16));
            painter.drawLine(QPointF(16, 3), QPointF(16, 29));
            painter.drawLine(QPointF(3, 16), QPointF(29, 16));
        });
        break;
    }
    painter.end();
    return QCursor(pixmap, hotSpot.x(), hotSpot.y());
}

}  // namespace scanora
