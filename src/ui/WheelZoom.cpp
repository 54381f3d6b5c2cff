#include "ui/WheelZoom.h"

#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>
#include <optional>

#include "imaging/ZoomLevels.h"
#include "ui/GuiThread.h"
#include "ui/QVImagePalette.h"
#include "ui/QorvaneView.h"

namespace scanora::ui {

WheelZoom::WheelZoom(QorvaneView& view) : QObject(&view), view_(view)
{
    view_.viewport()->installEventFilter(this);
}

bool WheelZoom::ZoomAbout(QorvaneView& view, int steps, QPoint pointer)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (steps == 0 || !view.ShowsImage())
        return false;
    const double before = view.Zoom();
    double zoom = before;
    for (int i = 0; i < std::abs(steps); ++i) {
        const std::optional<double> next = steps > 0 ? ZoomLevels::In(zoom) : ZoomLevels::Out(zoom);
        if (!next)
            break;
        zoom = *next;
    }
    if (zoom == before)
        return false;

    // Where the pointer is on the image, as a share of the display window (any rotation).
    const QWidget& window = view.Palette();
    const QPoint onWindow = window.mapFrom(view.viewport(), pointer);
    const double shareX = window.width() > 0 ? double(onWindow.x()) / window.width() : 0.5;
    const double shareY = window.height() > 0 ? double(onWindow.y()) / window.height() : 0.5;

    view.SetZoom(zoom, pointer);

    // The zoom put that point in the middle; scroll it back under the pointer.
    const QPoint target(static_cast<int>(std::lround(shareX * window.width())),
                        static_cast<int>(std::lround(shareY * window.height())));
    const QPoint now = window.mapTo(view.viewport(), target);
    const QPoint off = now - pointer;
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->value() + off.x());
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->value() + off.y());
    return true;
}

bool WheelZoom::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Wheel)
        return QObject::eventFilter(watched, event);
    auto* wheel = static_cast<QWheelEvent*>(event);
    if (!(wheel->modifiers() & Qt::ControlModifier)) {
        travel_ = 0;
        return QObject::eventFilter(watched, event);
    }
    travel_ += wheel->angleDelta().y();
    const int steps = travel_ / kNotch;
    travel_ -= steps * kNotch;
    if (steps != 0)
        ZoomAbout(view_, steps, wheel->position().toPoint());
    wheel->accept();
    return true;  // Ctrl and the wheel never scroll
}

}  // namespace scanora::ui
