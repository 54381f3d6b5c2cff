#pragma once

#include "ui/ViewTool.h"

namespace scanora {

class ToolHost;

// Tool 9, while super prescan is on or the super preview is shown: drags the super prescan
// region over the preview.
class SuperRegionTool : public ViewTool {
public:
    explicit SuperRegionTool(ToolHost& host) : host_(host) {}

    [[nodiscard]] ToolKind Kind() const override { return ToolKind::SuperRegion; }
    bool Press(QPoint window, Qt::KeyboardModifiers modifiers) override;
    void Drag(QPoint window, Qt::KeyboardModifiers modifiers) override;
    [[nodiscard]] ViewCursors::Id Cursor(QPoint window,
                                         Qt::KeyboardModifiers modifiers) const override;

private:
    ToolHost& host_;
};

}  // namespace scanora
