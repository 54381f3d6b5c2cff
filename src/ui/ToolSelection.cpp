#include "ui/ToolSelection.h"

namespace scanora {

void ToolSelection::Select(ToolKind tool)
{
    const bool temporary =
        tool == ToolKind::Guide || tool == ToolKind::CrossHair || tool == ToolKind::FocusLine;
    if (temporary && selected_ != tool)
        before_ = selected_;
    selected_ = tool;
}

void ToolSelection::EndTemporary()
{
    if (before_) {
        selected_ = *before_;
        before_.reset();
    }
}

void ToolSelection::TakeOver(ToolKind tool)
{
    before_ = selected_;
    selected_ = tool;
}

bool ToolSelection::Hold(ToolKind tool)
{
    if (held_)
        return false;
    held_ = tool;
    return true;
}

void ToolSelection::EnterSuperRegion()
{
    if (selected_ == ToolKind::SuperRegion)
        return;
    beforeSuper_ = selected_;
    selected_ = ToolKind::SuperRegion;
}

void ToolSelection::LeaveSuperRegion()
{
    // A tool the user chose meanwhile stays.
    if (selected_ == ToolKind::SuperRegion && beforeSuper_)
        selected_ = *beforeSuper_;
    beforeSuper_.reset();
}

}  // namespace scanora
