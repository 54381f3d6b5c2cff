#include "ui/SamplePointTool.h"

#include <cmath>

#include "acquire/PreviewImage.h"
#include "camera/QVExposure.h"
#include "context/AppContext.h"
#include "ui/ToolHost.h"

namespace scanora {

int SamplePointTool::PointAt(QPoint window) const
{
    const ViewMapping mapping = host_.Mapping();
    const auto points = host_.App().Exposure().SamplePoints().Points();
    int found = -1;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const ViewPointF p = mapping.PreviewToWindow({points[i].x + 0.5, points[i].y + 0.5});
        if (std::abs(p.x - window.x()) <= 6 && std::abs(p.y - window.y()) <= 6)
            found = static_cast<int>(i);
    }
    return found;
}

bool SamplePointTool::Press(QPoint window, Qt::KeyboardModifiers)
{
    grabbed_ = PointAt(window);
    return true;
}

void SamplePointTool::Drag(QPoint, Qt::KeyboardModifiers)
{
    if (grabbed_ >= 0)
        host_.Redraw();
}

void SamplePointTool::Release(QPoint window, Qt::KeyboardModifiers)
{
    if (host_.CaptureRunning())
        return;
    const PreviewImage& image = host_.Image();
    const ViewPointF p = host_.Mapping().WindowToPreview(
        {static_cast<double>(window.x()), static_cast<double>(window.y())});
    const bool inside = host_.ImageArea().contains(window) && p.x >= 0 && p.y >= 0 &&
                        p.x < image.Width() && p.y < image.Height();
    QVExposure& exposure = host_.App().Exposure();
    if (grabbed_ >= 0) {
        if (inside)
            exposure.MoveSamplePoint(grabbed_, static_cast<int>(p.x), static_cast<int>(p.y));
        else
            exposure.RemoveSamplePoint(grabbed_);
    } else if (inside) {
        exposure.AddSamplePoint(static_cast<int>(p.x), static_cast<int>(p.y));
    }
    grabbed_ = -1;
    host_.Redraw();
    host_.SamplePointsChanged();
}

ViewCursors::Id SamplePointTool::Cursor(QPoint window, Qt::KeyboardModifiers) const
{
    return PointAt(window) >= 0 ? ViewCursors::kSampleOver : ViewCursors::kSample;
}

void SamplePointTool::RemoveSelected(QVExposure& exposure)
{
    const auto points = exposure.SamplePoints().Points();
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (points[i].selected) {
            exposure.RemoveSamplePoint(static_cast<int>(i));
            const auto left = exposure.SamplePoints().Points().size();
            if (left > 0)
                exposure.SelectSamplePoint(static_cast<int>(left - 1));
            break;
        }
    }
}

}  // namespace scanora
