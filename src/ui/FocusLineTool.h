#pragma once

#include <optional>

#include "camera/FocusWindowPlacement.h"
#include "ui/ViewTool.h"

namespace scanora {

class ToolHost;

// Tool 4, from the focus aid: one click picks the line the focus window reads, and the tool
// before comes back. While the tool is active the picked line is marked with a dashed frame as
// wide as the focus window.
class FocusLineTool : public ViewTool {
public:
    explicit FocusLineTool(ToolHost& host) : host_(host) {}

    [[nodiscard]] ToolKind Kind() const override { return ToolKind::FocusLine; }
    bool Press(QPoint window, Qt::KeyboardModifiers modifiers) override;
    void Paint(QPainter& painter) const override;
    [[nodiscard]] ViewCursors::Id Cursor(QPoint, Qt::KeyboardModifiers) const override
    {
        return ViewCursors::kFocusLine;
    }
    [[nodiscard]] bool ActsOnSuperPreview() const override { return true; }

    // The picked line in preview coordinates (column, line), if any.
    [[nodiscard]] std::optional<QPoint> Line() const { return line_; }
    // The focus window's width in sensor pixels.
    void SetWindowWidth(int sensorPixels);

private:
    // The marker in window coordinates.
    [[nodiscard]] QRect MarkerRect() const;

    ToolHost& host_;
    std::optional<QPoint> line_;
    int windowWidth_ = FocusWindowPlacement::kDefaultWidth;
};

}  // namespace scanora
