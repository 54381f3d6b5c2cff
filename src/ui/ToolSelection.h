#pragma once

#include <optional>

#include "ui/ToolKind.h"

namespace scanora {

// Which of the image view's mouse tools is in use: the one the user chose, one that came in for
// a while (a guide, the cross-hair, the focus line, the super prescan region) and gives way to
// the tool before it, one held with a key (Ctrl, Space), and the one whose drag is under way.
class ToolSelection {
public:
    // The chosen tool; a guide, the cross-hair and the focus line remember the tool before them.
    void Select(ToolKind tool);
    [[nodiscard]] ToolKind Selected() const { return selected_; }
    // The tool the mouse works with now: a key-held tool before the chosen one.
    [[nodiscard]] ToolKind Active() const { return held_.value_or(selected_); }

    // A temporary tool's work is done: the tool before it comes back.
    void EndTemporary();
    // `tool` takes over until EndTemporary (a guide the mouse came near).
    void TakeOver(ToolKind tool);

    // A tool held with a key; refused while another is held.
    bool Hold(ToolKind tool);
    void LetGo() { held_.reset(); }
    [[nodiscard]] std::optional<ToolKind> Held() const { return held_; }

    // The super prescan region's tool comes in, and the tool before it comes back after unless
    // the user chose another meanwhile.
    void EnterSuperRegion();
    void LeaveSuperRegion();

    // The tool whose drag is under way, if any.
    void BeginDrag(ToolKind tool) { dragging_ = tool; }
    void EndDrag() { dragging_.reset(); }
    [[nodiscard]] std::optional<ToolKind> Dragging() const { return dragging_; }

private:
    ToolKind selected_ = ToolKind::SamplePoints;
    std::optional<ToolKind> before_;       // the tool a temporary one gives way to
    std::optional<ToolKind> beforeSuper_;  // the tool the super region gives way to
    std::optional<ToolKind> held_;
    std::optional<ToolKind> dragging_;
};

}  // namespace scanora
