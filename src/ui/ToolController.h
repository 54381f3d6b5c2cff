#pragma once

#include <QPoint>
#include <Qt>

#include <array>
#include <memory>
#include <optional>

#include "ui/ToolKind.h"
#include "ui/ToolSelection.h"
#include "ui/ViewCursors.h"

class QPainter;
class QWidget;

namespace scanora {

class CrossHairTool;
class FocusLineTool;
class GuideTool;
class ToolHost;
class ViewTool;

// The image view's mouse tools and which of them is in use: it makes the tools, passes the mouse
// on the image display to the active one (a drag stays with the tool it began with), switches
// tools for the keys that hold one (Ctrl, Space) and for the ones that come in on their own, and
// keeps the image display's cursor.
class ToolController {
public:
    // `display` is the widget whose cursor follows the tools.
    ToolController(ToolHost& host, QWidget& display);
    ~ToolController();
    ToolController(const ToolController&) = delete;
    ToolController& operator=(const ToolController&) = delete;

    void Select(ToolKind tool);
    [[nodiscard]] ToolKind Selected() const { return selection_.Selected(); }
    [[nodiscard]] ToolKind Active() const { return selection_.Active(); }
    [[nodiscard]] ViewCursors::Id ShownCursor() const { return shownCursor_; }

    // Mouse on the image display (window coordinates).
    void Press(QPoint window, Qt::KeyboardModifiers modifiers);
    // A move without the button; ends the tools that end so.
    void FreeMove(QPoint window);
    // A move with the button down; false when the pixel readout is not to follow.
    bool DragMove(QPoint window, Qt::KeyboardModifiers modifiers);
    void Release(QPoint window, Qt::KeyboardModifiers modifiers);
    void Left() { hover_.reset(); }
    // The keys that hold a tool, and Alt, which changes the cursors; true when taken.
    bool KeyPress(int key, bool autoRepeat, Qt::KeyboardModifiers modifiers, bool gridShown);
    bool KeyRelease(int key, bool autoRepeat, Qt::KeyboardModifiers modifiers);
    // The active tool's overlays, with the crop's frame and on top.
    void PaintWithCrop(QPainter& painter) const;
    void Paint(QPainter& painter) const;

    void ShowCursor(ViewCursors::Id id);
    void UpdateCursor(QPoint window, Qt::KeyboardModifiers modifiers);
    // The cursor again at the last mouse position over the image (after keys and tool changes).
    void RefreshCursor(Qt::KeyboardModifiers modifiers);
    void EndTemporary();

    // A guide dragged out of a ruler, and the ruler corner's cross-hair: the drag is under way.
    void BeginGuideDrag(bool fromHorizontalRuler);
    void BeginCrossHair();
    // The super prescan region's tool comes in and goes again.
    void EnterSuperRegion();
    void LeaveSuperRegion();
    [[nodiscard]] FocusLineTool& FocusLine() const { return *focusLine_; }

private:
    [[nodiscard]] ViewTool& Tool(ToolKind kind) const;
    // Over the super preview only some tools act.
    [[nodiscard]] bool Acts(const ViewTool& tool) const;

    ToolHost& host_;
    QWidget& display_;
    std::array<std::unique_ptr<ViewTool>, kToolKindCount> tools_;
    GuideTool* guide_ = nullptr;          // in tools_
    CrossHairTool* crossHair_ = nullptr;  // in tools_
    FocusLineTool* focusLine_ = nullptr;  // in tools_
    ToolSelection selection_;
    std::optional<QPoint> hover_;  // the last mouse position over the image display
    ViewCursors cursors_;
    ViewCursors::Id shownCursor_ = ViewCursors::kArrow;
};

}  // namespace scanora
