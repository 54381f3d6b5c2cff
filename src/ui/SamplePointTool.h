#pragma once

#include "ui/ViewTool.h"

namespace scanora {

class QVExposure;
class ToolHost;

// Tool 0: a click on the image adds a sample point, a drag moves one, and a point dragged off
// the image is removed. Not while a capture runs.
class SamplePointTool : public ViewTool {
public:
    explicit SamplePointTool(ToolHost& host) : host_(host) {}

    [[nodiscard]] ToolKind Kind() const override { return ToolKind::SamplePoints; }
    bool Press(QPoint window, Qt::KeyboardModifiers modifiers) override;
    void Drag(QPoint window, Qt::KeyboardModifiers modifiers) override;
    void Release(QPoint window, Qt::KeyboardModifiers modifiers) override;
    void Cancel() override { grabbed_ = -1; }
    [[nodiscard]] ViewCursors::Id Cursor(QPoint window,
                                         Qt::KeyboardModifiers modifiers) const override;

    // Removes the selected sample point and selects the last one left (the Backspace key).
    static void RemoveSelected(QVExposure& exposure);

private:
    // The sample point under a window point, or -1.
    [[nodiscard]] int PointAt(QPoint window) const;

    ToolHost& host_;
    int grabbed_ = -1;
};

}  // namespace scanora
