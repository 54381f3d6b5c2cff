#pragma once

#include "ui/ViewTool.h"

namespace scanora {

class ToolHost;

// Tool 3 (and Space held): drags the image within the view; the hand closes while it drags.
class HandTool : public ViewTool {
public:
    explicit HandTool(ToolHost& host) : host_(host) {}

    [[nodiscard]] ToolKind Kind() const override { return ToolKind::Hand; }
    bool Press(QPoint window, Qt::KeyboardModifiers modifiers) override;
    void Drag(QPoint window, Qt::KeyboardModifiers modifiers) override;
    void Release(QPoint window, Qt::KeyboardModifiers modifiers) override;
    void Cancel() override { dragging_ = false; }
    [[nodiscard]] ViewCursors::Id Cursor(QPoint window,
                                         Qt::KeyboardModifiers modifiers) const override;
    [[nodiscard]] bool ActsOnSuperPreview() const override { return true; }
    [[nodiscard]] bool ReadsOutWhileDragging() const override { return false; }

private:
    ToolHost& host_;
    bool dragging_ = false;
    QPoint grab_;
};

}  // namespace scanora
