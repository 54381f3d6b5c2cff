#pragma once

#include <QRect>

#include <atomic>
#include <chrono>

#include "acquire/CaptureView.h"

namespace scanora {

class PreviewDocument;
class QorvaneView;

// The image view as the display a capture reports to. Every call comes from a capture thread
// and is carried over to the GUI thread; only RepaintAndWait blocks its thread until the
// display has painted, at most its limit. It also keeps the progress lines' row and the abort
// keys' state, which the capture threads read.
class ViewCaptureDisplay : public CaptureView {
public:
    ViewCaptureDisplay(QorvaneView& view, PreviewDocument& document);

    void ShowPreviewRows(int first, int count) override;
    void ShowProgressRow(int row) override;
    void RepaintAndWait(std::chrono::milliseconds limit) override;
    void RefreshAll() override;
    void SetCaptureControlsEnabled(bool enabled) override;
    [[nodiscard]] bool AbortKeysDown() const override { return abortKeys_.load(); }

    // The zoom as the capture threads read it.
    void SetZoom(double zoom) { zoom_ = zoom; }
    void SetAbortKeysDown(bool down) { abortKeys_ = down; }
    // The row of the progress lines, negative for none.
    [[nodiscard]] int ProgressRow() const { return progressRow_.load(); }
    void ClearProgressRow() { progressRow_ = -1; }

private:
    // Runs `work` on the GUI thread: at once when called there, else queued.
    template <typename Work>
    void OnGuiThread(Work work);
    [[nodiscard]] bool OnGuiThread() const;

    QorvaneView& view_;
    PreviewDocument& document_;
    std::atomic<double> zoom_{100.0};
    std::atomic<int> progressRow_{-1};
    QRect progressRect_;  // GUI thread only
    std::atomic<bool> abortKeys_{false};
};

}  // namespace scanora
