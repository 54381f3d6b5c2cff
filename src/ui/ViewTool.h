#pragma once

#include <QPoint>
#include <Qt>

#include "ui/ToolKind.h"
#include "ui/ViewCursors.h"

class QPainter;

namespace scanora {

// One mouse tool of the image view. The view passes the mouse on the image display to the tool
// that is active (positions in window coordinates, that is on the image display); the tool
// keeps its own state and reaches the view's mapping, crop, grid and the like through the
// ToolHost it was made with.
class ViewTool {
public:
    virtual ~ViewTool() = default;

    [[nodiscard]] virtual ToolKind Kind() const = 0;
    // The button went down; true when a drag began (its moves and release come to this tool).
    virtual bool Press(QPoint /*window*/, Qt::KeyboardModifiers /*modifiers*/) { return true; }
    // The mouse moved with the button down during this tool's drag.
    virtual void Drag(QPoint /*window*/, Qt::KeyboardModifiers /*modifiers*/) {}
    // The button came up at the end of this tool's drag.
    virtual void Release(QPoint /*window*/, Qt::KeyboardModifiers /*modifiers*/) {}
    // Drops what a drag or a placement left behind (the tool is put away).
    virtual void Cancel() {}
    // Overlays the tool draws on the image while it is active: over the crop's frame and under
    // the grid and guides, and over everything else.
    virtual void PaintWithCrop(QPainter& /*painter*/) const {}
    virtual void Paint(QPainter& /*painter*/) const {}
    [[nodiscard]] virtual ViewCursors::Id Cursor(QPoint window,
                                                 Qt::KeyboardModifiers modifiers) const = 0;
    // True for the tools that also act on the super preview.
    [[nodiscard]] virtual bool ActsOnSuperPreview() const { return false; }
    // True when a move without the button ends this (temporary) tool; `dragging` says whether
    // the tool's drag is still under way.
    [[nodiscard]] virtual bool EndsOnFreeMove(bool /*dragging*/) const { return false; }
    // False for a tool whose drag moves the window under the mouse, where the pixel readout
    // would only flicker.
    [[nodiscard]] virtual bool ReadsOutWhileDragging() const { return true; }
};

}  // namespace scanora
