#include "ui/ViewCaptureDisplay.h"

#include "ui/GuiThread.h"
#include "ui/PreviewDocument.h"
#include "ui/QVImagePalette.h"
#include "ui/QorvaneView.h"
#include "ui/RectConversion.h"

namespace scanora {

ViewCaptureDisplay::ViewCaptureDisplay(QorvaneView& view, PreviewDocument& document)
    : view_(view), document_(document)
{
}

void ViewCaptureDisplay::ShowPreviewRows(int first, int count)
{
    SCANORA_ASSERT_GUI_THREAD();
    document_.ReleaseHold();
    const PreviewImage& image = document_.Image();
    const ImageRect rows =
        view_.Mapping().PreviewToWindowRect({0, first, image.Width(), first + count});
    view_.Palette().update(ToQRect(rows).adjusted(-1, -1, 1, 1));
}

void ViewCaptureDisplay::ShowProgressRow(int row)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (row == progressRow_)
        return;
    progressRow_ = row;
    QVImagePalette& palette = view_.Palette();
    if (!progressRect_.isNull())
        palette.update(progressRect_);
    progressRect_ = row >= 0 ? view_.ProgressLinesRect(row) : QRect();
    if (!progressRect_.isNull())
        palette.update(progressRect_);
}

void ViewCaptureDisplay::ShowStageRow(int row)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (row == stageRow_)
        return;
    stageRow_ = row;
    QVImagePalette& palette = view_.Palette();
    if (!stageRect_.isNull())
        palette.update(stageRect_);
    // The indicator covers no more than the progress lines would at its row.
    stageRect_ = row >= 0 ? view_.ProgressLinesRect(row) : QRect();
    if (!stageRect_.isNull())
        palette.update(stageRect_);
}

void ViewCaptureDisplay::RepaintAndWait(std::chrono::milliseconds /*limit*/)
{
    SCANORA_ASSERT_GUI_THREAD();
    // The seam waits for this call, within its bound: the repaint happens here and now.
    if (document_.Closing())
        return;
    QVImagePalette& palette = view_.Palette();
    palette.repaint(progressRect_.isNull() ? palette.rect() : progressRect_);
}

void ViewCaptureDisplay::RefreshAll()
{
    SCANORA_ASSERT_GUI_THREAD();
    document_.ReleaseHold();
    view_.FollowCapture();
}

void ViewCaptureDisplay::SetCaptureControlsEnabled(bool enabled)
{
    SCANORA_ASSERT_GUI_THREAD();
    view_.CaptureControlsEnabled(enabled);
}

}  // namespace scanora
