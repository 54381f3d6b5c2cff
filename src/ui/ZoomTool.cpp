#include "ui/ZoomTool.h"

#include <optional>

#include "imaging/ZoomLevels.h"
#include "ui/ToolHost.h"

namespace scanora {

namespace {

std::optional<double> NextZoom(double zoom, Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::AltModifier) ? ZoomLevels::Out(zoom) : ZoomLevels::In(zoom);
}

}  // namespace

void ZoomTool::Release(QPoint window, Qt::KeyboardModifiers modifiers)
{
    if (!host_.ImageArea().contains(window))
        return;
    if (const std::optional<double> next = NextZoom(host_.Zoom(), modifiers))
        host_.ZoomAround(*next, window);
    // The zoom-in cursor turns into the one without a step at the last level.
    host_.UpdateCursor(window, modifiers);
}

ViewCursors::Id ZoomTool::Cursor(QPoint, Qt::KeyboardModifiers modifiers) const
{
    if (!NextZoom(host_.Zoom(), modifiers))
        return ViewCursors::kZoomLimit;
    return (modifiers & Qt::AltModifier) ? ViewCursors::kZoomOut : ViewCursors::kZoomIn;
}

}  // namespace scanora
