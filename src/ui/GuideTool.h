#pragma once

#include <cstddef>
#include <optional>

#include "ui/ViewTool.h"

namespace scanora {

class ToolHost;

// Tool 6: places a guide dragged out of a ruler, or drags a guide the mouse came near. A guide
// let go outside the view or off the image is removed.
class GuideTool : public ViewTool {
public:
    explicit GuideTool(ToolHost& host) : host_(host) {}

    [[nodiscard]] ToolKind Kind() const override { return ToolKind::Guide; }
    void Drag(QPoint window, Qt::KeyboardModifiers modifiers) override;
    void Release(QPoint window, Qt::KeyboardModifiers modifiers) override;
    void Cancel() override { placing_.reset(); }
    [[nodiscard]] ViewCursors::Id Cursor(QPoint window,
                                         Qt::KeyboardModifiers modifiers) const override;
    [[nodiscard]] bool EndsOnFreeMove(bool dragging) const override
    {
        return placing_.has_value() && !dragging;
    }

    // A new guide out of a ruler: from the horizontal ruler a guide vertical on screen.
    void BeginNew(bool fromHorizontalRuler);
    // Takes up the guide within a pixel of `window`, if there is one.
    [[nodiscard]] bool TakeUpNear(QPoint window);

private:
    ToolHost& host_;
    std::optional<std::size_t> placing_;  // index into the preferences' guides
};

}  // namespace scanora
