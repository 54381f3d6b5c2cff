#include "ui/CRulerView.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

#include "context/AppContext.h"
#include "imaging/RulerScale.h"
#include "settings/QVSize.h"
#include "settings/SizeUnits.h"
#include "ui/QVImagePalette.h"
#include "ui/QorvaneView.h"

namespace scanora {

CRulerView::CRulerView(QorvaneView& view, Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), view_(view), orientation_(orientation)
{
    setAutoFillBackground(true);
    setCursor(Horizontal() ? Qt::SplitVCursor : Qt::SplitHCursor);
}

void CRulerView::SetOrigin(int origin)
{
    origin_ = origin;
    update();
}

void CRulerView::SetMouse(int position)
{
    if (position == mouse_)
        return;
    mouse_ = position;
    update();
}

double CRulerView::PixelsPerUnit() const
{
    const QVSize& size = view_.App().Size();
    const int degrees = view_.Image().Rotation();
    // The display's horizontal axis is the camera line's unless the view is turned.
    const bool across = Horizontal() == (degrees == 0 || degrees == 180);
    const double crop = across ? size.GetCropWidth() : size.GetCropHeight();
    const double output = across ? size.GetOutputWidth() : size.GetOutputHeight();
    const QVImagePalette& palette = view_.Palette();
    const double window = Horizontal() ? palette.width() : palette.height();
    if (!(crop > 0.0) || !(output > 0.0))
        return 0.0;
    const double fullUnits = output * 100.0 / crop;
    return window / fullUnits;
}

int CRulerView::WindowOffset() const
{
    const QPoint at = mapFromGlobal(view_.Palette().mapToGlobal(QPoint(0, 0)));
    return Horizontal() ? at.x() : at.y();
}

double CRulerView::ZeroPosition() const
{
    return WindowOffset() + origin_ * view_.Zoom() / 100.0;
}

void CRulerView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    painter.setPen(palette().color(QPalette::WindowText));
    const int length = Horizontal() ? width() : height();
    if (Horizontal())
        painter.drawLine(0, height() - 1, width(), height() - 1);
    else
        painter.drawLine(width() - 1, 0, width() - 1, height());

    const double perUnit = PixelsPerUnit();
    if (!(perUnit > 0.0))
        return;
    const QVSize& size = view_.App().Size();
    const double zero = ZeroPosition();
    const int largest = static_cast<int>(std::ceil(length / perUnit)) + 1;
    const int step = RulerScale::LabelStep(perUnit, largest);
    const int ticks = RulerScale::MinorTicks(perUnit, step, size.GetUnits() == SizeUnits::kInches);
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(9);
    painter.setFont(font);

    const double stepPixels = step * perUnit;
    const auto firstLabel = static_cast<long long>(std::floor(-zero / stepPixels));
    for (long long n = firstLabel; n * stepPixels + zero < length; ++n) {
        const double at = zero + n * stepPixels;
        for (int t = 0; t < ticks; ++t) {
            const int p = static_cast<int>(at + t * stepPixels / ticks);
            const int tick = t == 0 ? kThickness : (t * 2 == ticks ? kThickness / 2 : 4);
            if (Horizontal())
                painter.drawLine(p, kThickness - tick, p, kThickness - 1);
            else
                painter.drawLine(kThickness - tick, p, kThickness - 1, p);
        }
        const QString label = QString::asprintf("%d", static_cast<int>(n * step));
        const int p = static_cast<int>(at);
        if (Horizontal()) {
            painter.drawText(p + 2, 9, label);
        } else {
            painter.save();
            painter.translate(9, p + 2);
            painter.rotate(90);
            painter.drawText(0, 0, label);
            painter.restore();
        }
    }
    if (mouse_ >= 0) {
        painter.setPen(Qt::red);
        const int p = WindowOffset() + mouse_;
        if (Horizontal())
            painter.drawLine(p, 0, p, kThickness);
        else
            painter.drawLine(0, p, kThickness, p);
    }
}

void CRulerView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    draggingGuide_ = true;
    view_.BeginGuideDrag(Horizontal());
}

void CRulerView::mouseMoveEvent(QMouseEvent* event)
{
    if (!draggingGuide_)
        return;
    view_.ForwardDragMove(*event);
}

void CRulerView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!draggingGuide_ || event->button() != Qt::LeftButton)
        return;
    draggingGuide_ = false;
    view_.ForwardDragRelease(*event);
}

}  // namespace scanora
