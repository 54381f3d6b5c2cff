#pragma once

#include "ui/ViewTool.h"

namespace scanora {

// Tool 7: shows its cursor and does nothing else on the image.
class MarkerTool : public ViewTool {
public:
    [[nodiscard]] ToolKind Kind() const override { return ToolKind::Marker; }
    [[nodiscard]] ViewCursors::Id Cursor(QPoint, Qt::KeyboardModifiers) const override
    {
        return ViewCursors::kMarker;
    }
};

}  // namespace scanora
