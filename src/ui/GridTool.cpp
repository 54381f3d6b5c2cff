#include "ui/GridTool.h"

#include <cstdint>

#include "context/AppContext.h"
#include "imaging/PreviewGrid.h"
#include "settings/QVCameraSetting.h"
#include "ui/ToolHost.h"

namespace scanora {

bool GridTool::Press(QPoint window, Qt::KeyboardModifiers)
{
    last_ = window;
    return true;
}

void GridTool::Drag(QPoint window, Qt::KeyboardModifiers modifiers)
{
    const QPoint delta = window - last_;
    last_ = window;
    PreviewGrid& grid = host_.Grid();
    if (modifiers & Qt::ShiftModifier) {
        grid.Resize(delta.x(), delta.y());
        CameraPreferences& prefs = host_.App().CameraSetting().Prefs();
        prefs.gridWidth = static_cast<std::int16_t>(grid.SpacingX());
        prefs.gridHeight = static_cast<std::int16_t>(grid.SpacingY());
    } else {
        grid.Move(delta.x(), delta.y());
    }
    host_.Redraw();
}

}  // namespace scanora
