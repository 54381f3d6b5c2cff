#include "ui/CaptureViewOnGui.h"

#include "ui/GuiThread.h"

namespace scanora::ui {

CaptureViewOnGui::CaptureViewOnGui(GuiThread& gui, CaptureView& target,
                                   std::function<void()> holdPreview)
    : gui_(gui), target_(target), holdPreview_(std::move(holdPreview))
{
}

void CaptureViewOnGui::ShowPreviewRows(int first, int count)
{
    gui_.Run([&target = target_, first, count] { target.ShowPreviewRows(first, count); });
}

void CaptureViewOnGui::ShowProgressRow(int row)
{
    if (progressRow_.exchange(row) == row)
        return;
    gui_.Run([&target = target_, row] { target.ShowProgressRow(row); });
}

void CaptureViewOnGui::ShowStageRow(int row)
{
    gui_.Run([&target = target_, row] { target.ShowStageRow(row); });
}

void CaptureViewOnGui::RepaintAndWait(std::chrono::milliseconds limit)
{
    gui_.RunAndWait([this, limit] { target_.RepaintAndWait(limit); }, limit);
}

void CaptureViewOnGui::RefreshAll()
{
    gui_.Run([&target = target_] { target.RefreshAll(); });
}

void CaptureViewOnGui::HoldPreview()
{
    if (holdPreview_)
        holdPreview_();
}

void CaptureViewOnGui::SetCaptureControlsEnabled(bool enabled)
{
    gui_.Run([&target = target_, enabled] { target.SetCaptureControlsEnabled(enabled); });
}

void CaptureViewOnGui::ShowPrescanProgress(int done, int total)
{
    gui_.Run([&target = target_, done, total] { target.ShowPrescanProgress(done, total); });
}

void CaptureViewOnGui::ShowScanProgress(int done, int total)
{
    gui_.Run([&target = target_, done, total] { target.ShowScanProgress(done, total); });
}

bool CaptureViewOnGui::AbortKeysDown() const
{
    return target_.AbortKeysDown();
}

}  // namespace scanora::ui
