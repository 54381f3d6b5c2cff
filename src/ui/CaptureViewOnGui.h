#pragma once

#include <atomic>
#include <functional>

#include "acquire/CaptureView.h"

namespace scanora::ui {

class GuiThread;

// What the capture threads call: every call that draws runs on the GUI thread with copies of its
// values. RepaintAndWait waits for the paint, at most its limit; the abort keys are answered
// from the target's own atomic state without the GUI thread; HoldPreview runs `holdPreview` on
// the prescan thread itself, so that nothing reads the preview while the prescan may reallocate
// or write it (it must not touch a widget).
class CaptureViewOnGui final : public CaptureView {
public:
    CaptureViewOnGui(GuiThread& gui, CaptureView& target, std::function<void()> holdPreview);

    void ShowPreviewRows(int first, int count) override;
    void ShowProgressRow(int row) override;
    void ShowStageRow(int row) override;
    void RepaintAndWait(std::chrono::milliseconds limit) override;
    void RefreshAll() override;
    void HoldPreview() override;
    void SetCaptureControlsEnabled(bool enabled) override;
    void ShowPrescanProgress(int done, int total) override;
    void ShowScanProgress(int done, int total) override;
    [[nodiscard]] bool AbortKeysDown() const override;

private:
    GuiThread& gui_;
    CaptureView& target_;
    std::function<void()> holdPreview_;
    std::atomic<int> progressRow_{-1};  // the row last sent, so an unchanged row is not
};

}  // namespace scanora::ui
