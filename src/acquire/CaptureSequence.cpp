#include "acquire/CaptureSequence.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "acquire/CaptureStage.h"
#include "acquire/CaptureView.h"
#include "acquire/DisplayCurve.h"
#include "acquire/LinePlacement.h"
#include "acquire/PrescanReadout.h"
#include "acquire/PreviewImage.h"
#include "acquire/ScanMonitor.h"
#include "acquire/StageIndicator.h"
#include "camera/CapturePreparation.h"
#include "camera/QVCamera.h"
#include "camera/QVExposure.h"
#include "output/CaptureSound.h"
#include "output/ScanNaming.h"
#include "platform/BusyMessages.h"
#include "settings/CurveSource.h"
#include "settings/QVCameraSetting.h"
#include "settings/QVSize.h"

namespace scanora {

namespace {

// Reading a reply the camera already holds.
constexpr int kWaitingReplyTicks = 60;

// Milliseconds as the camera's reply ticks of 1/60 s, at least one.
int Ticks(std::chrono::milliseconds wait)
{
    return std::max(1, static_cast<int>(wait.count() * 60 / 1000));
}

std::int64_t Now()
{
    return static_cast<std::int64_t>(std::time(nullptr));
}

}  // namespace

CaptureSequence::CaptureSequence(CaptureTools app, PreviewImage& image, CaptureView& view,
                                 CaptureStage* stage, CaptureTiming timing)
    : app_(app),
      image_(image),
      view_(view),
      stage_(stage),
      timing_(timing),
      preparation_(std::make_unique<CapturePreparation>(app.Camera())),
      monitor_(std::make_unique<ScanMonitor>(*this)),
      saving_(std::make_unique<PreviewSaving>(app, image, *preparation_, displayCurve_))
{
    if (stage_) {
        indicator_ = std::make_unique<StageIndicator>(
            *stage_, view_,
            StageIndicator::Timing{std::chrono::milliseconds(10), std::chrono::milliseconds(500),
                                   timing_.paintWait});
    }
}

CaptureSequence::~CaptureSequence()
{
    // A scan still being started or watched is left to the camera; the threads end first.
    state_.ShutDown();
    monitor_->StopAndWait();
    if (indicator_)
        indicator_->TurnOff();
    const std::lock_guard lock(threadMutex_);
    for (std::thread* thread : {&prescanThread_, &scanThread_, &countdownThread_}) {
        if (thread->joinable())
            thread->join();
    }
}

int CaptureSequence::ScanProgressRow(int firstLine, std::uint32_t linesScanned, int maxStep,
                                     int minStep, int sizeStep)
{
    const int usable = maxStep - std::max(minStep, 0);
    if (usable <= 0 || maxStep - sizeStep <= 0)
        return 0;
    // R: the prescan's resolution percent; S: the scan's.
    const double prescanPercent = 100.0 * (maxStep - (maxStep - 1)) / usable;
    const double scanPercent = 100.0 * (maxStep - sizeStep) / usable;
    const double lines = static_cast<double>(firstLine) + static_cast<double>(linesScanned);
    return static_cast<int>(std::trunc(lines * prescanPercent / scanPercent));
}

std::string CaptureSequence::TimeLapseText(int k, int n, int seconds)
{
    return "Time Lapse " + std::to_string(k) + " of " + std::to_string(n) + ", in " +
           std::to_string(seconds) + " seconds";
}

std::string CaptureSequence::ScanningText(int k, int n)
{
    return "Scanning image " + std::to_string(k) + " of " + std::to_string(n);
}

bool CaptureSequence::IsIdle() const
{
    return state_.Quiet() && !monitor_->HasThread();
}

std::optional<std::string_view> CaptureSequence::Refusal(CaptureCall call) const
{
    switch (state_.Admit(call)) {
    case CaptureRefusal::None: return std::nullopt;
    case CaptureRefusal::Quietly: return std::string_view();
    case CaptureRefusal::ScanInProgress: return kScanInProgressMessage;
    case CaptureRefusal::CaptureRunning: return kCaptureRunningMessage;
    }
    return std::string_view();
}

bool CaptureSequence::Admitted(CaptureCall call)
{
    const std::optional<std::string_view> refusal = Refusal(call);
    if (!refusal)
        return true;
    if (!refusal->empty())
        app_.Ui().ShowMessage(*refusal, MessageIcon::Exclamation, MessageButtons::Ok);
    return false;
}

void CaptureSequence::SetUserText(std::string text)
{
    const std::lock_guard lock(textMutex_);
    userText_ = std::move(text);
}

std::string CaptureSequence::UserText() const
{
    const std::lock_guard lock(textMutex_);
    return userText_;
}

void CaptureSequence::SetPreviewMarks(PreviewMarks marks)
{
    saving_->SetMarks(std::move(marks));
}

std::optional<RotatingCapture> CaptureSequence::Rotating() const
{
    return stage_ ? stage_->Rotating() : std::optional<RotatingCapture>{};
}

std::string CaptureSequence::NextCaptureNotes() const
{
    if (!app_.Camera().IsConnected())
        return {};
    const std::unique_ptr<PreparedCapture> capture =
        CaptureRequestBuilder(app_).Scan(Rotating(), Now(), {});
    const std::string description =
        ParameterBlocks::BuildDescription(capture->request.blocks, capture->request.description);
    return description.substr(0, description.find('\r'));
}

int CaptureSequence::CurrentImage() const
{
    return state_.ImagesTotal() + 1 - state_.ImagesRemaining();
}

void CaptureSequence::SetAfterScanRetrieval(AfterScanRetrieval retrieve)
{
    afterScanRetrieval_ = std::move(retrieve);
}

bool CaptureSequence::TimeLapseMode() const
{
    return app_.CameraSetting().Prefs().timeLapse;
}

void CaptureSequence::ShowStatus(std::string_view text)
{
    app_.Ui().PostCommand(WindowCommand::ShowStatus, text);
}

void CaptureSequence::ResetTimeDisplays()
{
    const QVExposure& exposure = app_.Exposure();
    app_.Ui().PostCommand(WindowCommand::SetElapsedTime,
                          std::to_string(exposure.GetPrescanSeconds()));
    app_.Ui().PostCommand(WindowCommand::SetRemainingTime,
                          std::to_string(exposure.GetScanSeconds()));
}

void CaptureSequence::JoinFinished(std::thread& thread)
{
    if (thread.joinable())
        thread.join();
}

// --- Prescan ---

bool CaptureSequence::Prescan(const PrescanChoice& choice)
{
    if (!Admitted(CaptureCall::Prescan) || app_.Camera().QueryStatus() != 0)
        return false;
    // The time displays and the colour sample points are settled before the thread starts to
    // write the preview and the exposure's prescan record.
    ResetTimeDisplays();
    if (image_.HasImage())
        app_.Exposure().DropSamplePointsOutside(image_.Width(), image_.Height());
    // The preview is sized for the camera and turned the way the insert is mounted here, before
    // the thread starts: only the thread writes it from then on.
    const std::optional<RotatingCapture> rotating = Rotating();
    const PreviewGeometry geometry = CaptureRequestBuilder(app_).PreviewGeometryFor(rotating);
    prescanImageReady_ = image_.Matches(geometry) || image_.AllocatePreview(geometry);
    if (prescanImageReady_) {
        const int rotation = ViewRotationForInsert(app_.Size().GetInsertRotation());
        if (image_.Rotation() != rotation && image_.SetRotation(rotation))
            view_.RefreshAll();
    }
    if (!state_.Move(CapturePhase::Idle, CapturePhase::Prescan))
        return false;
    {
        const std::lock_guard lock(threadMutex_);
        JoinFinished(prescanThread_);
        state_.WorkerStarted();
        prescanThread_ = std::thread(&CaptureSequence::PrescanThread, this, choice);
    }
    return true;
}

void CaptureSequence::PrepareDisplayCurve()
{
    BuildDisplayCurve(app_, displayCurve_);
}

void CaptureSequence::PrescanThread(PrescanChoice choice)
{
    view_.HoldPreview();
    view_.SetCaptureControlsEnabled(false);
    QVCamera& camera = app_.Camera();
    if (!camera.IsConnected()) {
        app_.Ui().ShowMessage(kNoCamera, MessageIcon::Exclamation, MessageButtons::Ok);
        std::this_thread::sleep_for(timing_.noCameraPrescan);
        state_.Finish(CapturePhase::Prescan, CapturePhase::Idle);
        app_.Ui().PostCommand(WindowCommand::CaptureEnded, {});
        state_.WorkerEnded();
        return;
    }

    const std::optional<RotatingCapture> rotating = Rotating();
    const CaptureRequestBuilder builder(app_);
    const std::unique_ptr<PreparedCapture> capture =
        builder.Prescan(choice, rotating, Now(), UserText());

    bool ok = false;
    if (!prescanImageReady_) {
        camera.Errors().ReportNoMemory();
    } else {
        PrepareDisplayCurve();
        PrescanReadout::Hooks hooks;
        if (stage_) {
            hooks.prepareStage = [this] { stage_->PrepareStage(); };
            if (rotating || stage_->IsObjectMode())
                hooks.finishStage = [this] { stage_->FinishPrescan(); };
        }
        hooks.autoSave = [this] { saving_->AutoSave(); };
        PrescanReadout readout(
            {camera, *preparation_, app_.Exposure(), image_, view_, app_.Ui(), &displayCurve_},
            std::move(hooks));
        ok = readout.Run(*capture, choice.superPrescan, state_.StopFlag());
    }
    state_.SetPrescanResult(ok);
    CaptureSound::PlayAfter(CaptureSound::Capture::Prescan, app_.CameraSetting().Prefs(),
                            app_.Ui());
    state_.Finish(CapturePhase::Prescan, CapturePhase::Idle);
    FinishCapture();
    app_.Ui().PostCommand(WindowCommand::CaptureEnded, {});
    state_.WorkerEnded();
}

bool CaptureSequence::SavePreview(const std::filesystem::path& path)
{
    // Refused (by the saver, with its message) while a capture writes the preview.
    const bool capturing = state_.Admit(CaptureCall::SavePreview) != CaptureRefusal::None;
    PrepareDisplayCurve();
    return saving_->Save(path, capturing);
}

void CaptureSequence::FinishCapture()
{
    std::this_thread::sleep_for(timing_.finishPause);
    if (state_.StopRequested() || state_.ImagesRemaining() <= 0)
        view_.SetCaptureControlsEnabled(true);
}

void CaptureSequence::CaptureEnded()
{
    FinishCapture();
}

// --- Scan ---

bool CaptureSequence::Scan()
{
    // A refused command leaves a running series and its counters alone.
    if (!Admitted(CaptureCall::Scan) || app_.Camera().QueryStatus() != 0)
        return false;
    const int lines = app_.Size().NumberOfLines();
    if (lines > kMaxScanLines) {
        app_.Ui().ShowMessage("The requested scan size exceeds the maximum number of lines (" +
                                  std::to_string(kMaxScanLines) + ").",
                              MessageIcon::Exclamation, MessageButtons::Ok);
        return false;
    }
    // The series: Object mode's views, overruled by a time lapse; otherwise a single scan.
    int series = 0;
    if (stage_ && stage_->IsObjectMode())
        series = std::max(stage_->ObjectSeriesRemaining(), 0);
    if (TimeLapseMode())
        series = std::max(app_.CameraSetting().Prefs().timeLapseImages - 1, 0);
    if (!state_.Move(CapturePhase::Idle, CapturePhase::ScanStarting))
        return false;
    state_.SetSeries(series);
    state_.BeginScans();
    StartScanThread();
    return true;
}

void CaptureSequence::NextImage()
{
    if (!Admitted(CaptureCall::NextImage))
        return;
    if (!state_.Move(CapturePhase::SeriesWaiting, CapturePhase::ScanStarting)) {
        // Stopped after the wait had ended: the series ends here.
        EndStoppedSeries(true);
        return;
    }
    if (stage_ && stage_->IsObjectMode())
        stage_->NextObjectView();
    // The scan thread shows "Scanning image k of n" for every image of a series.
    StartScanThread();
}

void CaptureSequence::StartScanThread()
{
    const std::lock_guard lock(threadMutex_);
    JoinFinished(scanThread_);
    state_.WorkerStarted();
    scanThread_ = std::thread(&CaptureSequence::ScanThread, this);
}

void CaptureSequence::ScanThread()
{
    view_.SetCaptureControlsEnabled(false);
    if (stage_ && stage_->Rotating())
        stage_->PrepareStage();

    if (!app_.Camera().IsConnected()) {
        state_.ScanFailed();
        std::this_thread::sleep_for(timing_.noCameraScan);
        state_.Finish(CapturePhase::ScanStarting, CapturePhase::Idle);
        app_.Ui().PostCommand(WindowCommand::CaptureEnded, {});
    } else {
        if ((stage_ && stage_->IsObjectMode()) || TimeLapseMode())
            ShowStatus(ScanningText(CurrentImage(), SeriesLength()));
        const bool started = StartCameraScan();
        state_.SetScanStarted(started);
        if (!started) {
            state_.EndSeries();
            state_.Finish(CapturePhase::ScanStarting, CapturePhase::Idle);
            preparation_->SetScanRunning(false);
            FinishCapture();
        } else if (!state_.Move(CapturePhase::ScanStarting, CapturePhase::Scanning)) {
            // The abort key came while the scan was being started: it is stopped on the
            // camera now that it runs there.
            state_.Finish(CapturePhase::ScanStarting, CapturePhase::Idle);
            state_.ScanFailed();
            StopScan(true);
        }
        monitor_->Start(static_cast<int>(timing_.monitorInterval.count()));
        if (started && indicator_ && Rotating())
            indicator_->TurnOn();
    }
    ResetTimeDisplays();
    state_.WorkerEnded();
}

bool CaptureSequence::StartCameraScan()
{
    QVCamera& camera = app_.Camera();
    if (!camera.IsConnected()) {
        camera.ReportNotResponding();
        return false;
    }
    preparation_->SetScanRunning(true);
    preparation_->BeginCapture(CaptureKind::Scan);
    camera.SetAuxMode(false);

    const std::optional<RotatingCapture> rotating = Rotating();
    const std::unique_ptr<PreparedCapture> capture =
        CaptureRequestBuilder(app_).Scan(rotating, Now(), UserText());
    const QVSize& size = app_.Size();
    scan_ = {size.ScanWindow().firstLine, capture->totalLines, size.GetResolutionNumber()};
    progressRow_ = -1;
    const ScanWatch::Limits limits{
        timing_.noAnswerLimit,
        ScanWatch::StallLimit(timing_.stallLimit, app_.Exposure().GetSecondsPerLine())};
    watch_.Start(static_cast<std::uint32_t>(std::max(capture->totalLines, 0)), limits,
                 ScanWatch::Clock::now());
    return preparation_->PrepareCapture(capture->request);
}

void CaptureSequence::MonitorStep()
{
    if (state_.Phase() != CapturePhase::Scanning) {
        view_.RefreshAll();
        monitor_->RequestStop();
        return;
    }
    QVCamera& camera = app_.Camera();
    // A reply before the last line is the camera ending the scan by itself: "#OK" when it has
    // finished early, an error reply when it refused to start or failed on the way.
    if (camera.ReplyWaiting()) {
        if (camera.AwaitReply(kWaitingReplyTicks, "#OK")) {
            const bool keepStatus = ScanComplete(true);
            SeriesStep();
            if (!keepStatus)
                ShowStatus({});
        } else {
            GiveUpScan(false);
        }
        return;
    }
    CameraStatus status;
    const bool answered = camera.IsConnected() && camera.QueryStatus(status) == 0;
    const std::optional<std::uint32_t> scanned =
        answered ? std::optional<std::uint32_t>(status.LinesScanned()) : std::nullopt;
    switch (watch_.Observe(scanned, ScanWatch::Clock::now())) {
    case ScanWatch::Verdict::Scanning:
        // A query that failed shows nothing new; the next one may.
        if (scanned)
            ShowScanProgress(*scanned);
        return;
    case ScanWatch::Verdict::Complete: {
        ShowScanProgress(*scanned);
        const bool keepStatus = ScanComplete(false);
        SeriesStep();
        if (!keepStatus)
            ShowStatus({});
        return;
    }
    case ScanWatch::Verdict::NoAnswer:
        camera.ReportNotResponding();
        GiveUpScan(false);
        return;
    case ScanWatch::Verdict::Stalled:
        camera.Errors().ReportTimeout();
        camera.ReportNotResponding();
        GiveUpScan(true);
        return;
    }
}

void CaptureSequence::ShowScanProgress(std::uint32_t scanned)
{
    QVCamera& camera = app_.Camera();
    const int total = scan_.lines;
    const int row = ScanProgressRow(scan_.firstLine, scanned, camera.GetMaxSizeStep(),
                                    camera.GetMinSizeStep(), scan_.sizeStep);
    if (row != progressRow_.load()) {
        view_.RepaintAndWait(timing_.paintWait);
        progressRow_ = row;
        view_.ShowProgressRow(row);
        const double left = static_cast<double>(total) - static_cast<double>(scanned);
        const int seconds =
            static_cast<int>(std::trunc(app_.Exposure().GetSecondsPerLine() * std::max(left, 0.0)));
        app_.Ui().PostCommand(WindowCommand::SetRemainingTime, std::to_string(seconds));
    }
    view_.ShowScanProgress(static_cast<int>(std::min<std::uint32_t>(scanned, INT32_MAX)), total);
}

bool CaptureSequence::ScanComplete(bool closed)
{
    QVCamera& camera = app_.Camera();
    // A closing reply that does not come is reported by the camera's error record and the scan
    // still counts as done; an error reply instead means the camera did not keep the image, so
    // there is nothing to bring home and the name is not used up.
    bool kept = true;
    if (!closed && !camera.AwaitReply(Ticks(timing_.closingReply), "#OK")) {
        state_.ScanFailed();
        kept = camera.GetLastCameraError() == 0;
    }
    CameraPreferences& prefs = app_.CameraSetting().Prefs();
    CaptureSound::PlayAfter(CaptureSound::Capture::Scan, prefs, app_.Ui());

    // The after-scan step.
    AfterRotatingScan();
    if (kept && prefs.useAutoSuffixes)
        prefs.scanName = ScanNaming::AdvanceScanName(app_.CameraSetting());
    std::string status;
    if (kept && prefs.autoSaveScans && afterScanRetrieval_)
        status = afterScanRetrieval_();
    if (!status.empty())
        ShowStatus(status);

    preparation_->SetScanRunning(false);
    // The abort key may have ended the scan meanwhile; then it has done the rest.
    const bool ended = state_.Move(CapturePhase::Scanning, state_.ImagesRemaining() > 0
                                                               ? CapturePhase::SeriesWaiting
                                                               : CapturePhase::Idle);
    if (ended) {
        FinishCapture();
        ClearScanDisplay();
    }
    monitor_->RequestStop();
    return !status.empty();
}

void CaptureSequence::GiveUpScan(bool abort)
{
    state_.ScanFailed();
    if (state_.Move(CapturePhase::Scanning, CapturePhase::Idle))
        StopScan(abort);
    ShowStatus({});
    monitor_->RequestStop();
}

void CaptureSequence::StopScan(bool abort)
{
    if (abort)
        preparation_->AbortCapture();
    else
        preparation_->SetScanRunning(false);
    // A stopped scan ends its series too, so the capture controls come back.
    state_.EndSeries();
    FinishCapture();
    AfterRotatingScan();
    ClearScanDisplay();
}

void CaptureSequence::AfterRotatingScan()
{
    if (!stage_ || !stage_->Rotating())
        return;
    indicator_->TurnOff();
    stage_->AfterRotatingScan();
}

void CaptureSequence::ClearScanDisplay()
{
    progressRow_ = -1;
    app_.Ui().PostCommand(WindowCommand::SetRemainingTime,
                          std::to_string(app_.Exposure().GetScanSeconds()));
    view_.ShowProgressRow(-1);
    view_.RefreshAll();
}

void CaptureSequence::SeriesStep()
{
    if (state_.Phase() != CapturePhase::SeriesWaiting || !state_.TakeSeriesImage())
        return;
    bool waited = true;
    if (TimeLapseMode()) {
        const int interval = app_.CameraSetting().Prefs().timeLapseSeconds;
        {
            const std::lock_guard lock(threadMutex_);
            JoinFinished(countdownThread_);
            state_.WorkerStarted();
            countdownThread_ = std::thread(&CaptureSequence::CountdownThread, this);
        }
        waited = state_.Sleep(timing_.second * std::max(interval, 0));
    } else {
        waited = state_.Sleep(timing_.seriesPause);
    }
    if (!waited && state_.ShuttingDown())
        return;
    // The next image is asked for while the series still waits; a stop that comes later ends
    // the series when the next image is called for.
    if (state_.Phase() == CapturePhase::SeriesWaiting)
        app_.Ui().PostCommand(WindowCommand::NextImage, {});
    else
        EndStoppedSeries(false);
}

void CaptureSequence::EndStoppedSeries(bool userThread)
{
    // No further image, and the capture controls come back (the capture-finished step of the
    // last scan left them off for the series). The user thread does not wait for that step.
    state_.EndSeries();
    if (!state_.Finish(CapturePhase::SeriesWaiting, CapturePhase::Idle))
        return;
    if (userThread)
        app_.Ui().PostCommand(WindowCommand::CaptureEnded, {});
    else
        FinishCapture();
}

void CaptureSequence::CountdownThread()
{
    const auto start = std::chrono::steady_clock::now();
    const int interval = app_.CameraSetting().Prefs().timeLapseSeconds;
    int elapsed = 0;
    bool stopped = false;
    while (interval > 0) {
        if (!preparation_->IsScanRunning()) {
            elapsed = static_cast<int>((std::chrono::steady_clock::now() - start) / timing_.second);
            ShowStatus(TimeLapseText(CurrentImage(), SeriesLength(), interval - elapsed));
        }
        if (!state_.Sleep(timing_.second)) {
            stopped = true;
            break;
        }
        if (elapsed >= interval)
            break;
    }
    if (stopped) {
        // Stopped: the series ends here.
        state_.EndSeries();
        ShowStatus({});
    }
    state_.WorkerEnded();
}

void CaptureSequence::AbortKey()
{
    if (!Admitted(CaptureCall::AbortKey))
        return;
    // A running scan is aborted at once; anything else stops at its next step.
    if (state_.RequestStop() == CapturePhase::Scanning &&
        state_.Move(CapturePhase::Scanning, CapturePhase::Idle)) {
        state_.ScanFailed();
        StopScan(true);
    }
}

}  // namespace scanora
