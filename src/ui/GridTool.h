#pragma once

#include "ui/ViewTool.h"

namespace scanora {

class ToolHost;

// Tool 5 (Ctrl held while the grid is shown): a drag moves the grid; with Shift it changes the
// grid's spacing, which the preferences keep.
class GridTool : public ViewTool {
public:
    explicit GridTool(ToolHost& host) : host_(host) {}

    [[nodiscard]] ToolKind Kind() const override { return ToolKind::Grid; }
    bool Press(QPoint window, Qt::KeyboardModifiers modifiers) override;
    void Drag(QPoint window, Qt::KeyboardModifiers modifiers) override;
    [[nodiscard]] ViewCursors::Id Cursor(QPoint, Qt::KeyboardModifiers) const override
    {
        return ViewCursors::kGrid;
    }

private:
    ToolHost& host_;
    QPoint last_;
};

}  // namespace scanora
