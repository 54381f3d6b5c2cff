#pragma once

#include "imaging/CropEditor.h"
#include "ui/ViewTool.h"

namespace scanora {

class ToolHost;

// Tool 1: drags the crop's edges, corners or the whole crop within the image, or draws a new
// crop from a press beside it, keeping the output geometry's minimum size and locks, snapping to
// the guides (Ctrl does not snap). The crop goes into the output geometry when the button comes
// up.
class CropTool : public ViewTool {
public:
    // How far the mouse must move before a press beside the crop draws a new one.
    static constexpr int kDrawDistance = 3;

    explicit CropTool(ToolHost& host) : host_(host) {}

    [[nodiscard]] ToolKind Kind() const override { return ToolKind::Crop; }
    bool Press(QPoint window, Qt::KeyboardModifiers modifiers) override;
    void Drag(QPoint window, Qt::KeyboardModifiers modifiers) override;
    void Release(QPoint window, Qt::KeyboardModifiers modifiers) override;
    void Cancel() override { handle_ = CropEditor::kNoHandles; }
    // The handles on the crop's frame.
    void PaintWithCrop(QPainter& painter) const override;
    [[nodiscard]] ViewCursors::Id Cursor(QPoint window,
                                         Qt::KeyboardModifiers modifiers) const override;

private:
    [[nodiscard]] int HandleAt(QPoint window) const;

    ToolHost& host_;
    int handle_ = CropEditor::kNoHandles;
    CropPercent atPress_;
    QPoint pressPoint_;
};

}  // namespace scanora
