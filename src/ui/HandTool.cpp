#include "ui/HandTool.h"

#include "ui/ToolHost.h"

namespace scanora {

bool HandTool::Press(QPoint window, Qt::KeyboardModifiers)
{
    dragging_ = true;
    grab_ = window;
    host_.ShowCursor(ViewCursors::kHandClosed);
    return true;
}

void HandTool::Drag(QPoint window, Qt::KeyboardModifiers)
{
    // The image moves with the mouse, so the grabbed point stays where it was on the image and
    // the next travel counts from it again.
    host_.ScrollBy(grab_ - window);
}

void HandTool::Release(QPoint window, Qt::KeyboardModifiers modifiers)
{
    dragging_ = false;
    host_.UpdateCursor(window, modifiers);
}

ViewCursors::Id HandTool::Cursor(QPoint, Qt::KeyboardModifiers) const
{
    return dragging_ ? ViewCursors::kHandClosed : ViewCursors::kHandOpen;
}

}  // namespace scanora
