#include "ui/ToolController.h"

#include <QApplication>
#include <QWidget>

#include "acquire/PreviewImage.h"
#include "ui/CropTool.h"
#include "ui/CrossHairTool.h"
#include "ui/FocusLineTool.h"
#include "ui/GridTool.h"
#include "ui/GuideTool.h"
#include "ui/HandTool.h"
#include "ui/MarkerTool.h"
#include "ui/SamplePointTool.h"
#include "ui/SuperRegionTool.h"
#include "ui/ToolHost.h"
#include "ui/ZoomTool.h"

namespace scanora {

ToolController::ToolController(ToolHost& host, QWidget& display) : host_(host), display_(display)
{
    auto guide = std::make_unique<GuideTool>(host);
    auto crossHair = std::make_unique<CrossHairTool>(host);
    auto focusLine = std::make_unique<FocusLineTool>(host);
    guide_ = guide.get();
    crossHair_ = crossHair.get();
    focusLine_ = focusLine.get();
    const auto put = [this](std::unique_ptr<ViewTool> tool) {
        tools_[static_cast<std::size_t>(tool->Kind())] = std::move(tool);
    };
    put(std::make_unique<SamplePointTool>(host));
    put(std::make_unique<CropTool>(host));
    put(std::make_unique<ZoomTool>(host));
    put(std::make_unique<HandTool>(host));
    put(std::move(focusLine));
    put(std::make_unique<GridTool>(host));
    put(std::move(guide));
    put(std::make_unique<MarkerTool>());
    put(std::move(crossHair));
    put(std::make_unique<SuperRegionTool>(host));
}

ToolController::~ToolController() = default;

ViewTool& ToolController::Tool(ToolKind kind) const
{
    return *tools_[static_cast<std::size_t>(kind)];
}

bool ToolController::Acts(const ViewTool& tool) const
{
    return !host_.Image().ShowingSuper() || tool.ActsOnSuperPreview();
}

void ToolController::Select(ToolKind tool)
{
    selection_.Select(tool);
    host_.Redraw();
    RefreshCursor(QApplication::keyboardModifiers());
}

void ToolController::EndTemporary()
{
    for (const auto& tool : tools_) tool->Cancel();
    selection_.EndTemporary();
    host_.Redraw();
    RefreshCursor(QApplication::keyboardModifiers());
}

void ToolController::BeginGuideDrag(bool fromHorizontalRuler)
{
    guide_->BeginNew(fromHorizontalRuler);
    Select(ToolKind::Guide);
    selection_.BeginDrag(ToolKind::Guide);
}

void ToolController::BeginCrossHair()
{
    crossHair_->Cancel();
    Select(ToolKind::CrossHair);
    selection_.BeginDrag(ToolKind::CrossHair);
}

void ToolController::EnterSuperRegion()
{
    if (selection_.Selected() == ToolKind::SuperRegion)
        return;
    selection_.EnterSuperRegion();
    RefreshCursor(QApplication::keyboardModifiers());
}

void ToolController::LeaveSuperRegion()
{
    selection_.LeaveSuperRegion();
    RefreshCursor(QApplication::keyboardModifiers());
}

// --- Mouse ---

void ToolController::Press(QPoint window, Qt::KeyboardModifiers modifiers)
{
    ViewTool& tool = Tool(Active());
    if (!Acts(tool))
        return;
    selection_.EndDrag();
    if (tool.Press(window, modifiers))
        selection_.BeginDrag(tool.Kind());
}

void ToolController::FreeMove(QPoint window)
{
    if (host_.ImageArea().contains(window))
        hover_ = window;
    const ViewTool& active = Tool(Active());
    if (active.EndsOnFreeMove(selection_.Dragging() == active.Kind())) {
        // No button is down, so no drag is under way any more (its release was not seen).
        selection_.EndDrag();
        EndTemporary();
    }
}

bool ToolController::DragMove(QPoint window, Qt::KeyboardModifiers modifiers)
{
    const std::optional<ToolKind> dragging = selection_.Dragging();
    if (!dragging)
        return true;
    ViewTool& tool = Tool(*dragging);
    tool.Drag(window, modifiers);
    return tool.ReadsOutWhileDragging();
}

void ToolController::Release(QPoint window, Qt::KeyboardModifiers modifiers)
{
    const std::optional<ToolKind> dragging = selection_.Dragging();
    selection_.EndDrag();
    if (dragging)
        Tool(*dragging).Release(window, modifiers);
}

void ToolController::PaintWithCrop(QPainter& painter) const
{
    Tool(Active()).PaintWithCrop(painter);
}

void ToolController::Paint(QPainter& painter) const
{
    Tool(Active()).Paint(painter);
}

// --- Keys ---

bool ToolController::KeyPress(int key, bool autoRepeat, Qt::KeyboardModifiers modifiers,
                              bool gridShown)
{
    if (!autoRepeat && !selection_.Held()) {
        std::optional<ToolKind> hold;
        if (key == Qt::Key_Control && Selected() != ToolKind::FocusLine)
            hold = gridShown ? ToolKind::Grid : ToolKind::Zoom;
        else if (key == Qt::Key_Space)
            hold = ToolKind::Hand;
        if (hold) {
            selection_.Hold(*hold);
            RefreshCursor(modifiers);
            return true;
        }
    }
    if (key == Qt::Key_Alt) {
        // The cursors show the Alt variant of the tool while the key is down.
        RefreshCursor(modifiers | Qt::AltModifier);
        return true;
    }
    return false;
}

bool ToolController::KeyRelease(int key, bool autoRepeat, Qt::KeyboardModifiers modifiers)
{
    const bool heldHand = selection_.Held() == ToolKind::Hand;
    if (!autoRepeat &&
        ((key == Qt::Key_Control && !heldHand) || (key == Qt::Key_Space && heldHand))) {
        selection_.LetGo();
        RefreshCursor(modifiers);
        return true;
    }
    if (key == Qt::Key_Alt) {
        RefreshCursor(modifiers & ~Qt::AltModifier);
        return true;
    }
    return false;
}

// --- Cursors ---

void ToolController::ShowCursor(ViewCursors::Id id)
{
    if (id == shownCursor_ && display_.testAttribute(Qt::WA_SetCursor))
        return;
    shownCursor_ = id;
    display_.setCursor(cursors_.Cursor(id, display_.devicePixelRatioF()));
}

void ToolController::RefreshCursor(Qt::KeyboardModifiers modifiers)
{
    if (hover_ && !selection_.Dragging())
        UpdateCursor(*hover_, modifiers);
}

void ToolController::UpdateCursor(QPoint window, Qt::KeyboardModifiers modifiers)
{
    if (!host_.ImageArea().contains(window)) {
        ShowCursor(ViewCursors::kArrow);
        return;
    }
    // Near a guide line the guide tool takes over so that the guide can be dragged.
    const bool super = host_.Image().ShowingSuper();
    if (host_.GuidesShown() && Active() != ToolKind::Guide && !selection_.Dragging() && !super &&
        guide_->TakeUpNear(window)) {
        selection_.TakeOver(ToolKind::Guide);
        ShowCursor(guide_->Cursor(window, modifiers));
        return;
    }
    const ViewTool& tool = Tool(Active());
    ShowCursor(Acts(tool) ? tool.Cursor(window, modifiers) : ViewCursors::kArrow);
}

}  // namespace scanora
