#pragma once

#include "ui/ViewTool.h"

namespace scanora {

class ToolHost;

// Tool 2: a click zooms one step in (with Alt out) about the clicked point.
class ZoomTool : public ViewTool {
public:
    explicit ZoomTool(ToolHost& host) : host_(host) {}

    [[nodiscard]] ToolKind Kind() const override { return ToolKind::Zoom; }
    void Release(QPoint window, Qt::KeyboardModifiers modifiers) override;
    [[nodiscard]] ViewCursors::Id Cursor(QPoint window,
                                         Qt::KeyboardModifiers modifiers) const override;
    [[nodiscard]] bool ActsOnSuperPreview() const override { return true; }

private:
    ToolHost& host_;
};

}  // namespace scanora
