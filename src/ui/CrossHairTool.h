#pragma once

#include <optional>

#include "ui/ViewTool.h"

namespace scanora {

class ToolHost;

// Tool 8, dragged out of the ruler corner: a grey cross-hair follows the mouse over the image,
// and where the button comes up on the image the rulers count from. Over before the release
// when the mouse moves without the button (the release happened outside the program).
class CrossHairTool : public ViewTool {
public:
    explicit CrossHairTool(ToolHost& host) : host_(host) {}

    [[nodiscard]] ToolKind Kind() const override { return ToolKind::CrossHair; }
    bool Press(QPoint window, Qt::KeyboardModifiers modifiers) override;
    void Drag(QPoint window, Qt::KeyboardModifiers modifiers) override;
    void Release(QPoint window, Qt::KeyboardModifiers modifiers) override;
    void Cancel() override { at_.reset(); }
    void Paint(QPainter& painter) const override;
    [[nodiscard]] ViewCursors::Id Cursor(QPoint, Qt::KeyboardModifiers) const override
    {
        return ViewCursors::kCrossHair;
    }
    [[nodiscard]] bool EndsOnFreeMove(bool) const override { return true; }

private:
    ToolHost& host_;
    std::optional<QPoint> at_;
};

}  // namespace scanora
