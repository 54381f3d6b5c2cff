#include "ui/GuideTool.h"

#include <algorithm>
#include <cstdlib>

#include "acquire/PreviewImage.h"
#include "context/AppContext.h"
#include "settings/QVCameraSetting.h"
#include "ui/ToolHost.h"

namespace scanora {

void GuideTool::BeginNew(bool fromHorizontalRuler)
{
    // A vertical guide on screen is a vertical line of the preview unless the view is turned.
    const bool horizontalInPreview = fromHorizontalRuler == host_.Turned();
    auto& guides = host_.App().CameraSetting().Prefs().guides;
    guides.push_back(Guide{0.0, horizontalInPreview});
    placing_ = guides.size() - 1;
}

bool GuideTool::TakeUpNear(QPoint window)
{
    const auto lines = host_.GuideLines();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QLine& line = lines[i];
        const bool vertical = line.x1() == line.x2();
        const bool near = vertical ? std::abs(window.x() - line.x1()) <= 1
                                   : std::abs(window.y() - line.y1()) <= 1;
        if (near) {
            placing_ = i;
            return true;
        }
    }
    return false;
}

void GuideTool::Drag(QPoint window, Qt::KeyboardModifiers)
{
    if (!placing_)
        return;
    auto& guides = host_.App().CameraSetting().Prefs().guides;
    if (*placing_ < guides.size()) {
        const PreviewImage& image = host_.Image();
        const ViewPointF p = host_.Mapping().WindowToPreview(
            {static_cast<double>(window.x()), static_cast<double>(window.y())});
        Guide& guide = guides[*placing_];
        guide.position = guide.horizontal ? p.y / std::max(image.Height(), 1) * 100.0
                                          : p.x / std::max(image.Width(), 1) * 100.0;
    }
    host_.Redraw();
}

void GuideTool::Release(QPoint window, Qt::KeyboardModifiers)
{
    auto& guides = host_.App().CameraSetting().Prefs().guides;
    if (placing_ && *placing_ < guides.size()) {
        const double position = guides[*placing_].position;
        if (!host_.InViewport(window) || !(position >= 0.0 && position <= 100.0))
            guides.erase(guides.begin() + static_cast<std::ptrdiff_t>(*placing_));
    }
    host_.EndTemporaryTool();
}

ViewCursors::Id GuideTool::Cursor(QPoint, Qt::KeyboardModifiers) const
{
    const auto& guides = host_.App().CameraSetting().Prefs().guides;
    if (!placing_ || *placing_ >= guides.size())
        return ViewCursors::kArrow;
    // A horizontal line of the preview stands upright on a turned view.
    const bool verticalOnScreen = guides[*placing_].horizontal == host_.Turned();
    return verticalOnScreen ? ViewCursors::kGuideVertical : ViewCursors::kGuideHorizontal;
}

}  // namespace scanora
