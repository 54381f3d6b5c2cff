#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace scanora {

// 1 idle, 2 prescan running, 3 scan running: the numbers the program has always used.
enum class CaptureState : int { Idle = 1, Prescan = 2, Scan = 3 };

// What the capture sequence is doing.
enum class CapturePhase {
    Idle,           // nothing runs
    Prescan,        // the prescan thread reads the preview
    ScanStarting,   // the scan thread sends the scan to the camera
    Scanning,       // the camera scans; the scan monitor watches it
    SeriesWaiting,  // between two images of a series
    Stopping,       // the user stopped a prescan, a scan being started or a series wait
};

// The commands of the user thread that depend on the phase.
enum class CaptureCall { Prescan, Scan, NextImage, AbortKey, SavePreview };

// What the phase makes of a command.
enum class CaptureRefusal {
    None,            // allowed
    Quietly,         // nothing to do, or the same already runs: ignored without a word
    ScanInProgress,  // "Scan in Progress"
    CaptureRunning,  // "Prescan/Scan in Progress"
};

// The state of a capture sequence under one lock: the phase, the series counters, the results
// of the last capture and the worker threads still running. The threads and the user thread
// change it only through these calls, so a command never sees half a change; nothing here
// calls out while holding the lock.
class CaptureStateMachine {
public:
    // The one state check of the commands.
    [[nodiscard]] static CaptureRefusal Check(CaptureCall call, CapturePhase phase);
    // The capture state the program shows for a phase; a phase being stopped keeps the state
    // of what is being stopped until it has ended.
    [[nodiscard]] static CaptureState StateOf(CapturePhase phase, CapturePhase stopping);

    [[nodiscard]] CaptureRefusal Admit(CaptureCall call) const;
    [[nodiscard]] CapturePhase Phase() const;
    [[nodiscard]] CaptureState State() const;

    // Moves from `from` to `to`; false, changing nothing, when the phase is not `from`.
    bool Move(CapturePhase from, CapturePhase to);
    // Ends what `from` was doing, or its stop: from `from` or from Stopping (of `from`) to
    // `to`. Returns whether it moved.
    bool Finish(CapturePhase from, CapturePhase to);
    // The user's stop: a prescan, a scan being started or a series wait go to Stopping and
    // sleepers wake. Returns the phase it found; a scanning phase is left to the caller, which
    // aborts the scan at once.
    CapturePhase RequestStop();
    // The stop request: set by a stop the phase allowed, kept after the stopped work has ended,
    // and cleared when the next prescan or scan starts.
    [[nodiscard]] bool StopRequested() const;
    // The flag a prescan's readout polls between blocks: the stop request, or the end of the
    // sequence.
    [[nodiscard]] const std::atomic<bool>& StopFlag() const { return stopFlag_; }

    // Sleeps `duration`, cut short by the stop request or the end of the sequence. False when
    // cut short.
    bool Sleep(std::chrono::milliseconds duration);
    // The sequence is being destroyed: every sleeper and readout ends at once.
    void ShutDown();
    [[nodiscard]] bool ShuttingDown() const;

    // The series: `images` more after the current one.
    void SetSeries(int images);
    void EndSeries();
    // Takes one image off the series; false when none remained.
    bool TakeSeriesImage();
    [[nodiscard]] int ImagesRemaining() const;
    [[nodiscard]] int ImagesTotal() const;

    // A worker thread starts and ends (the prescan, the scan start, the countdown).
    void WorkerStarted();
    void WorkerEnded();
    // Idle with no worker thread left.
    [[nodiscard]] bool Quiet() const;

    // Results of the last capture.
    struct Results {
        bool prescanOk = false;    // the last prescan read its closing reply
        bool scanStarted = false;  // the last scan started on the camera
        bool scansOk = true;       // every scan of the last Scan command ended well
    };
    [[nodiscard]] Results LastResults() const;
    void SetPrescanResult(bool ok);
    void SetScanStarted(bool started);
    void ScanFailed();
    void BeginScans();

private:
    void SetPhaseLocked(CapturePhase phase);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    CapturePhase phase_ = CapturePhase::Idle;
    CapturePhase stopping_ = CapturePhase::Idle;  // what Stopping stops
    int remaining_ = 0;
    int total_ = 0;
    int workers_ = 0;
    bool stopRequested_ = false;
    bool shuttingDown_ = false;
    Results results_;
    std::atomic<bool> stopFlag_{false};
};

}  // namespace scanora
