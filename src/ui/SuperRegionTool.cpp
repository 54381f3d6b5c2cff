#include "ui/SuperRegionTool.h"

#include "context/AppContext.h"
#include "settings/QVSize.h"
#include "ui/ToolHost.h"

namespace scanora {

namespace {

ViewPointF ToPreview(const ToolHost& host, QPoint window)
{
    return host.Mapping().WindowToPreview(
        {static_cast<double>(window.x()), static_cast<double>(window.y())});
}

}  // namespace

bool SuperRegionTool::Press(QPoint window, Qt::KeyboardModifiers)
{
    if (!host_.SuperPrescan())
        return false;
    const ViewPointF p = ToPreview(host_, window);
    host_.App().Size().SuperRegion().Press(host_.SuperGeometry(), p.x, p.y);
    host_.Redraw();
    return true;
}

void SuperRegionTool::Drag(QPoint window, Qt::KeyboardModifiers)
{
    const ViewPointF p = ToPreview(host_, window);
    host_.App().Size().SuperRegion().DragTo(host_.SuperGeometry(), p.x, p.y);
    host_.Redraw();
}

ViewCursors::Id SuperRegionTool::Cursor(QPoint, Qt::KeyboardModifiers) const
{
    return host_.SuperPrescan() ? ViewCursors::kSuperRegion : ViewCursors::kArrow;
}

}  // namespace scanora
