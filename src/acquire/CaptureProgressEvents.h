#pragma once

#include <chrono>
#include <mutex>

#include "acquire/CaptureView.h"
#include "platform/JsonEvents.h"

namespace scanora {

// A capture's progress as "progress" events, on top of the view that shows it to a person: the
// lines done and in all, and the seconds remaining at the pace so far. At most one event in
// kMinimumGap per capture, and always the last line's.
class CaptureProgressEvents final : public CaptureView {
public:
    static constexpr std::chrono::milliseconds kMinimumGap{100};

    CaptureProgressEvents(JsonEvents& events, CaptureView& shown) : events_(events), shown_(shown)
    {
    }

    void ShowPrescanProgress(int done, int total) override;
    void ShowScanProgress(int done, int total) override;

    // Everything else goes to the view that shows the capture, as it is.
    void ShowPreviewRows(int first, int count) override { shown_.ShowPreviewRows(first, count); }
    void ShowProgressRow(int row) override { shown_.ShowProgressRow(row); }
    void ShowStageRow(int row) override { shown_.ShowStageRow(row); }
    void RepaintAndWait(std::chrono::milliseconds limit) override { shown_.RepaintAndWait(limit); }
    void RefreshAll() override { shown_.RefreshAll(); }
    void HoldPreview() override { shown_.HoldPreview(); }
    void SetCaptureControlsEnabled(bool enabled) override
    {
        shown_.SetCaptureControlsEnabled(enabled);
    }
    [[nodiscard]] bool AbortKeysDown() const override { return shown_.AbortKeysDown(); }

private:
    void Report(const char* capture, int done, int total);

    JsonEvents& events_;
    CaptureView& shown_;
    std::mutex mutex_;
    std::chrono::steady_clock::time_point started_{};
    std::chrono::steady_clock::time_point last_{};
    int lastDone_ = -1;
};

}  // namespace scanora
