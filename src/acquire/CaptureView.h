#pragma once

#include <chrono>

namespace scanora {

// The image view's side of a capture: what the capture threads show while a prescan fills the
// preview and while a scan runs on the camera. The desktop program's view redraws and waits for
// its paint; the command-line program draws a progress bar; the default shows nothing. Every
// call comes from a capture thread.
class CaptureView {
public:
    virtual ~CaptureView() = default;

    // Preview rows [first, first + count) (camera lines of the unrotated preview) hold new
    // pixels, already converted into the display copy.
    virtual void ShowPreviewRows(int /*first*/, int /*count*/) {}
    // The three progress lines move to preview row `row`; nothing is drawn for a negative row.
    virtual void ShowProgressRow(int /*row*/) {}
    // The panorama position indicator moves to preview row `row`; a negative row hides it.
    virtual void ShowStageRow(int /*row*/) {}
    // Redraws what the last progress lines covered and waits until the display has painted, at
    // most `limit`.
    virtual void RepaintAndWait(std::chrono::milliseconds /*limit*/) {}
    // The whole preview is to be converted and drawn again.
    virtual void RefreshAll() {}
    // A prescan is about to write the preview: the display stops reading it until new rows or
    // a refresh come. Called on the capture thread itself, before any write; a scan does not
    // touch the preview, which stays shown under the progress lines.
    virtual void HoldPreview() {}
    // The capture controls are switched off while a capture runs and on again after it.
    virtual void SetCaptureControlsEnabled(bool /*enabled*/) {}
    // A prescan has read `done` of `total` lines; a scan has recorded `done` of `total` lines.
    virtual void ShowPrescanProgress(int /*done*/, int /*total*/) {}
    virtual void ShowScanProgress(int /*done*/, int /*total*/) {}
    // True while the user holds the abort keys (Ctrl and "."); polled before every prescan block.
    [[nodiscard]] virtual bool AbortKeysDown() const { return false; }
};

}  // namespace scanora
