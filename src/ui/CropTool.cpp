#include "ui/CropTool.h"

#include <QPainter>

#include <algorithm>
#include <vector>

#include "acquire/PreviewImage.h"
#include "context/AppContext.h"
#include "settings/QVSize.h"
#include "ui/RectConversion.h"
#include "ui/ToolHost.h"

namespace scanora {

int CropTool::HandleAt(QPoint window) const
{
    const QRect area = host_.ImageArea();
    return CropEditor::HitTest(host_.Crop(), area.width(), area.height(), {window.x(), window.y()},
                               true);
}

bool CropTool::Press(QPoint window, Qt::KeyboardModifiers)
{
    handle_ = HandleAt(window);
    atPress_ = host_.Crop();
    pressPoint_ = window;
    return true;
}

void CropTool::Drag(QPoint window, Qt::KeyboardModifiers modifiers)
{
    if (host_.GuidesShown() && !(modifiers & Qt::ControlModifier)) {
        std::vector<int> xs;
        std::vector<int> ys;
        for (const QLine& line : host_.GuideLines()) {
            if (line.x1() == line.x2())
                xs.push_back(line.x1());
            else
                ys.push_back(line.y1());
        }
        window = QPoint(CropEditor::Snap(window.x(), xs), CropEditor::Snap(window.y(), ys));
    }
    const QRect area = host_.ImageArea();
    const double dx = 100.0 * (window.x() - pressPoint_.x()) / std::max(area.width(), 1);
    const double dy = 100.0 * (window.y() - pressPoint_.y()) / std::max(area.height(), 1);
    const QVSize& size = host_.App().Size();
    // The minimum crop is that of the preview axes; on a turned view they change places.
    const bool turned = host_.Turned();
    CropLimits limits;
    limits.minWidth = turned ? size.MinimumCropHeight() : size.MinimumCropWidth();
    limits.minHeight = turned ? size.MinimumCropWidth() : size.MinimumCropHeight();
    limits.ratioLocked = size.IsCropRatioLocked();
    limits.sizeLocked = size.IsFileSizeLocked();
    if (handle_ != CropEditor::kOutside) {
        host_.SetCrop(CropEditor::Drag(atPress_, handle_, dx, dy, limits));
        return;
    }
    // A press beside the crop draws a new one, once the mouse has really moved.
    if ((window - pressPoint_).manhattanLength() < kDrawDistance) {
        host_.SetCrop(atPress_);
        return;
    }
    const double anchorX = 100.0 * pressPoint_.x() / std::max(area.width(), 1);
    const double anchorY = 100.0 * pressPoint_.y() / std::max(area.height(), 1);
    host_.SetCrop(CropEditor::DrawNew(atPress_, anchorX, anchorY, dx, dy, limits));
}

void CropTool::Release(QPoint, Qt::KeyboardModifiers)
{
    if (host_.Crop() != atPress_)
        host_.CommitCrop();
    handle_ = CropEditor::kNoHandles;
}

void CropTool::PaintWithCrop(QPainter& painter) const
{
    if (host_.Image().ShowingSuper())
        return;
    const QRect area = host_.ImageArea();
    const ImageRect frame = CropEditor::WindowRect(host_.Crop(), area.width(), area.height());
    for (const ImageRect& handle : CropEditor::HandleRects(frame)) {
        const QRect square = ToQRect(handle);
        painter.setPen(QPen(Qt::white, 1));
        painter.drawRect(square.adjusted(-1, -1, 0, 0));
        painter.fillRect(square, Qt::black);
    }
}

ViewCursors::Id CropTool::Cursor(QPoint window, Qt::KeyboardModifiers) const
{
    using C = ViewCursors;
    const int handle = HandleAt(window);
    const QVSize& size = host_.App().Size();
    // With both locks on only a move of the whole crop is possible.
    if (size.IsCropRatioLocked() && size.IsFileSizeLocked())
        return handle == CropEditor::kInside ? C::kCropMove : C::kArrow;
    switch (handle) {
    case CropEditor::kLeft:
    case CropEditor::kRight: return C::kCropLeftRight;
    case CropEditor::kTop:
    case CropEditor::kBottom: return C::kCropTopBottom;
    case CropEditor::kTopLeft:
    case CropEditor::kBottomRight: return C::kCropFDiagonal;
    case CropEditor::kTopRight:
    case CropEditor::kBottomLeft: return C::kCropBDiagonal;
    case CropEditor::kInside: return C::kCropMove;
    default: return C::kArrow;
    }
}

}  // namespace scanora
