#include "ui/ViewCaptureDisplay.h"

#include <QMetaObject>
#include <QThread>

#include "ui/QVImagePalette.h"
#include "ui/QorvaneView.h"
#include "ui/RectConversion.h"

namespace scanora {

ViewCaptureDisplay::ViewCaptureDisplay(QorvaneView& view, PreviewDocument& document)
    : view_(view), document_(document)
{
}

bool ViewCaptureDisplay::OnGuiThread() const
{
    return QThread::currentThread() == view_.thread();
}

template <typename Work>
void ViewCaptureDisplay::OnGuiThread(Work work)
{
    if (OnGuiThread())
        work();
    else
        QMetaObject::invokeMethod(&view_, std::move(work), Qt::QueuedConnection);
}

void ViewCaptureDisplay::ShowPreviewRows(int first, int count)
{
    document_.ReleaseHold();
    const PreviewImage& image = document_.Image();
    const ViewMapping mapping(image.Rotation(), image.Width(), image.Height(), zoom_.load());
    const ImageRect rows = mapping.PreviewToWindowRect({0, first, image.Width(), first + count});
    OnGuiThread([this, rows] { view_.Palette().update(ToQRect(rows).adjusted(-1, -1, 1, 1)); });
}

void ViewCaptureDisplay::ShowProgressRow(int row)
{
    const int old = progressRow_.exchange(row);
    if (old == row)
        return;
    OnGuiThread([this, row] {
        QVImagePalette& palette = view_.Palette();
        if (!progressRect_.isNull())
            palette.update(progressRect_);
        progressRect_ = row >= 0 ? view_.ProgressLinesRect(row) : QRect();
        if (!progressRect_.isNull())
            palette.update(progressRect_);
    });
}

void ViewCaptureDisplay::RepaintAndWait(std::chrono::milliseconds limit)
{
    if (document_.Closing())
        return;
    if (OnGuiThread()) {
        view_.Palette().repaint();
        return;
    }
    PaintEvent& painted = document_.Painted();
    painted.Reset();
    OnGuiThread([this] {
        QVImagePalette& palette = view_.Palette();
        palette.update(progressRect_.isNull() ? palette.rect() : progressRect_);
    });
    painted.WaitFor(limit);
}

void ViewCaptureDisplay::RefreshAll()
{
    document_.ReleaseHold();
    OnGuiThread([this] { view_.FollowCapture(); });
}

void ViewCaptureDisplay::SetCaptureControlsEnabled(bool enabled)
{
    if (!enabled && !OnGuiThread()) {
        // A capture may reallocate the preview: the renderer lets go of it first.
        document_.HoldForCapture();
    }
    OnGuiThread([this, enabled] { view_.CaptureControlsEnabled(enabled); });
}

}  // namespace scanora
