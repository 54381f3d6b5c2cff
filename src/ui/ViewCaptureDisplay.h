#pragma once

#include <QRect>

#include <atomic>
#include <chrono>

#include "acquire/CaptureView.h"

namespace scanora {

class PreviewDocument;
class QorvaneView;

// The image view as the display a capture reports to, on the GUI thread: the capture threads
// reach it only through the thread seam (ui::CaptureViewOnGui), which carries each call over
// with its values. It keeps the row of the progress lines, and the abort keys' state, which is
// the one answer a capture thread reads directly.
class ViewCaptureDisplay : public CaptureView {
public:
    ViewCaptureDisplay(QorvaneView& view, PreviewDocument& document);

    void ShowPreviewRows(int first, int count) override;
    void ShowProgressRow(int row) override;
    void ShowStageRow(int row) override;
    void RepaintAndWait(std::chrono::milliseconds limit) override;
    void RefreshAll() override;
    void SetCaptureControlsEnabled(bool enabled) override;
    [[nodiscard]] bool AbortKeysDown() const override { return abortKeys_.load(); }

    void SetAbortKeysDown(bool down) { abortKeys_ = down; }
    // The row of the progress lines, negative for none.
    [[nodiscard]] int ProgressRow() const { return progressRow_; }
    void ClearProgressRow() { progressRow_ = -1; }
    // The row of the panorama position indicator, negative for none.
    [[nodiscard]] int StageRow() const { return stageRow_; }

private:
    QorvaneView& view_;
    PreviewDocument& document_;
    int progressRow_ = -1;
    QRect progressRect_;
    int stageRow_ = -1;
    QRect stageRect_;
    std::atomic<bool> abortKeys_{false};
};

}  // namespace scanora
