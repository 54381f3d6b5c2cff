#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "acquire/CaptureRequestBuilder.h"
#include "acquire/CaptureStateMachine.h"
#include "acquire/CaptureTools.h"
#include "acquire/PreviewSaving.h"
#include "acquire/ScanWatch.h"
#include "imaging/ColorCorrectingToneCurve.h"

namespace scanora {

class CapturePreparation;
class CaptureStage;
class CaptureView;
class PreviewImage;
class ScanMonitor;
class StageIndicator;

// The pauses of a capture sequence. Tests shorten them; the program uses the defaults.
struct CaptureTiming {
    std::chrono::milliseconds finishPause{500};      // before the controls come back
    std::chrono::milliseconds monitorInterval{250};  // scan monitor
    std::chrono::milliseconds noCameraPrescan{100};  // after "No Camera Connected"
    std::chrono::milliseconds noCameraScan{1000};    // a scan without a camera
    std::chrono::milliseconds seriesPause{1000};     // between images of a plain series
    std::chrono::milliseconds second{1000};          // one second of a time-lapse wait
    std::chrono::milliseconds paintWait{750};        // for the display to repaint
    std::chrono::milliseconds closingReply{30000};   // for a scan's closing reply
    std::chrono::milliseconds noAnswerLimit{10000};  // a scan whose camera does not answer
    std::chrono::milliseconds stallLimit{30000};     // a scan whose line count stands still
};

// The capture sequence: prescans into the preview, scans that run on the camera while the
// program watches them, and series of scans (time lapse, Object mode). It owns the capture
// state (one CaptureStateMachine: every command asks it first whether the phase allows it), and
// the capture threads: the prescan thread, the scan start thread, the scan monitor (every
// 250 ms) and the time-lapse countdown.
//
// The commands (Prescan, Scan, NextImage, CaptureEnded, AbortKey) come from the program's user
// thread: the desktop program's main window, or the command-line program's command loop, which
// also receives the window commands the threads post through UiPort (36867 capture ended, 36872
// next image) and calls back here.
class CaptureSequence {
public:
    static constexpr int kMaxScanLines = 65000;
    static constexpr std::string_view kNoCamera = "No Camera Connected";
    static constexpr std::string_view kTimeLapseStatus = "Time Lapse Mode";

    // `image`, `view` and `stage` are borrowed for the sequence's life; `stage` may be null.
    CaptureSequence(CaptureTools app, PreviewImage& image, CaptureView& view,
                    CaptureStage* stage = nullptr, CaptureTiming timing = {});
    ~CaptureSequence();
    CaptureSequence(const CaptureSequence&) = delete;
    CaptureSequence& operator=(const CaptureSequence&) = delete;

    // --- Commands of the user thread ---

    // The Prescan command: refused with "Scan in Progress" during a scan or a series; starts
    // the prescan thread when the camera answers a status query. True when the prescan started.
    bool Prescan(const PrescanChoice& choice = {});
    // The Scan command: refused during a capture; refuses more than 65000 lines, sets the series
    // up and starts the scan. True when the scan thread started.
    bool Scan();
    // Window command 36872: the next image of a series (or the end of a series stopped while it
    // waited).
    void NextImage();
    // Window command 36867: the view's capture-finished step.
    void CaptureEnded();
    // The abort key (Ctrl and "."): aborts a running scan at once; otherwise asks a prescan, a
    // scan being started or a series to stop.
    void AbortKey();

    // --- State ---

    [[nodiscard]] CaptureState State() const { return state_.State(); }
    [[nodiscard]] CapturePhase Phase() const { return state_.Phase(); }
    [[nodiscard]] bool StopRequested() const { return state_.StopRequested(); }
    [[nodiscard]] int ImagesRemaining() const { return state_.ImagesRemaining(); }
    [[nodiscard]] int ImagesTotal() const { return state_.ImagesTotal(); }
    // No capture, no scan monitor, no countdown and no series wait in progress.
    [[nodiscard]] bool IsIdle() const;
    // The result of the last prescan (the camera's closing reply was good).
    [[nodiscard]] bool LastPrescanSucceeded() const { return state_.LastResults().prescanOk; }
    // Whether the last scan started on the camera.
    [[nodiscard]] bool LastScanStarted() const { return state_.LastResults().scanStarted; }
    // Whether every scan of the last Scan command started, ran to its last line and closed
    // with the camera's reply. A scan the camera refused, one it stopped counting in, one
    // during which it stopped answering, or one without a closing reply makes it false.
    [[nodiscard]] bool ScansSucceeded() const { return state_.LastResults().scansOk; }
    // The preview row the sensor has reached during a capture.
    [[nodiscard]] int ProgressRow() const { return progressRow_.load(); }

    // The user's notes for the next capture.
    void SetUserText(std::string text);
    [[nodiscard]] std::string UserText() const;
    // The capture notes the camera would be given for a scan with the current settings (the
    // description line, without its closing carriage return); empty without a camera.
    [[nodiscard]] std::string NextCaptureNotes() const;
    // What the after-scan step runs when "AutoSaveScans" is on: the camera disk retrieval of the
    // new image. It returns the status text that stays shown once the scan has ended (empty: the
    // status is cleared as after any scan). Set before the first scan.
    using AfterScanRetrieval = std::function<std::string()>;
    void SetAfterScanRetrieval(AfterScanRetrieval retrieve);

    CapturePreparation& Preparation() { return *preparation_; }

    // Called by the window whenever its crop or false colour changes.
    void SetPreviewMarks(PreviewMarks marks);

    // Saves the preview as a TIFF file at `path` with the samples the curve settings choose
    // (raw, 16-bit curve or the display copy) and the preferences' metadata. Refused while a
    // capture runs. False, after the message, when it could not be written.
    bool SavePreview(const std::filesystem::path& path);

    // The preview row of the sensor during a scan: truncate((s + c) * R / S), with s the scan's
    // first line, c the lines scanned, R the prescan's resolution percent and S the scan's.
    [[nodiscard]] static int ScanProgressRow(int firstLine, std::uint32_t linesScanned, int maxStep,
                                             int minStep, int sizeStep);
    // The time-lapse status text for image k of n with `seconds` left.
    [[nodiscard]] static std::string TimeLapseText(int k, int n, int seconds);
    [[nodiscard]] static std::string ScanningText(int k, int n);

    // What the capture makes of `call` now: nothing when it may go on, else the refusal's
    // message (empty for a call that is dropped without a word). Shows nothing.
    [[nodiscard]] std::optional<std::string_view> Refusal(CaptureCall call) const;

private:
    friend class ScanMonitor;

    // The state check of a command: shows the refusal's message, if it has one. True when the
    // command may go on.
    bool Admitted(CaptureCall call);
    void PrescanThread(PrescanChoice choice);
    void ScanThread();
    // Starts the scan thread; the phase is ScanStarting already.
    void StartScanThread();
    bool StartCameraScan();
    // One round of the scan monitor; false when the monitor is to stop.
    void MonitorStep();
    // The scan is over: `closed` tells whether the camera's closing reply has been read. True
    // when the after-scan step left a status text to keep.
    bool ScanComplete(bool closed);
    // The lines scanned so far, drawn as the progress lines and the remaining time.
    void ShowScanProgress(std::uint32_t scanned);
    // The program stops watching a scan that cannot end normally; `abort` stops it on the
    // camera first.
    void GiveUpScan(bool abort);
    // Ends a running scan and its series before their end; `abort` stops it on the camera.
    void StopScan(bool abort);
    // The progress lines and the remaining time of a scan that has ended.
    void ClearScanDisplay();
    void SeriesStep();
    // A series stopped during its wait ends: no further image. `userThread`: called by the
    // user thread, which does not wait for the capture-finished step.
    void EndStoppedSeries(bool userThread);
    void CountdownThread();
    // The capture-finished step: a pause, then the controls come back unless a series goes on.
    void FinishCapture();
    void PrepareDisplayCurve();
    void ShowStatus(std::string_view text);
    void ResetTimeDisplays();
    // Image k of the series and the series' length.
    [[nodiscard]] int CurrentImage() const;
    [[nodiscard]] int SeriesLength() const { return state_.ImagesTotal() + 1; }
    [[nodiscard]] bool TimeLapseMode() const;
    void JoinFinished(std::thread& thread);
    // The rotating stage's capture, when the stage turns during captures.
    [[nodiscard]] std::optional<RotatingCapture> Rotating() const;
    // After a rotating scan or its abort: the indicator goes, the stage returns.
    void AfterRotatingScan();

    // The scan the monitor watches; written by the scan thread before the monitor starts.
    struct WatchedScan {
        int firstLine = 0;
        int lines = 0;
        int sizeStep = 0;
    };

    CaptureTools app_;
    PreviewImage& image_;
    CaptureView& view_;
    CaptureStage* stage_;
    const CaptureTiming timing_;
    std::unique_ptr<CapturePreparation> preparation_;
    std::unique_ptr<ScanMonitor> monitor_;
    std::unique_ptr<StageIndicator> indicator_;  // with a stage only
    ColorCorrectingToneCurve displayCurve_;
    std::unique_ptr<PreviewSaving> saving_;
    AfterScanRetrieval afterScanRetrieval_;

    CaptureStateMachine state_;
    ScanWatch watch_;  // the scan monitor's
    WatchedScan scan_;
    std::atomic<int> progressRow_{-1};
    bool prescanImageReady_ = false;  // set before the prescan thread starts

    mutable std::mutex textMutex_;
    std::string userText_;

    std::mutex threadMutex_;
    std::thread prescanThread_;
    std::thread scanThread_;
    std::thread countdownThread_;
};

}  // namespace scanora
