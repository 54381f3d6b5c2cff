#include "acquire/CaptureStateMachine.h"

namespace scanora {

CaptureRefusal CaptureStateMachine::Check(CaptureCall call, CapturePhase phase)
{
    using enum CapturePhase;
    switch (call) {
    case CaptureCall::Prescan:
        switch (phase) {
        case Idle: return CaptureRefusal::None;
        case Prescan:
        case Stopping: return CaptureRefusal::Quietly;
        case ScanStarting:
        case Scanning:
        case SeriesWaiting: return CaptureRefusal::ScanInProgress;
        }
        break;
    case CaptureCall::Scan:
        switch (phase) {
        case Idle: return CaptureRefusal::None;
        case Prescan: return CaptureRefusal::CaptureRunning;
        case ScanStarting:
        case Stopping: return CaptureRefusal::Quietly;
        case Scanning:
        case SeriesWaiting: return CaptureRefusal::ScanInProgress;
        }
        break;
    case CaptureCall::NextImage:
        // A stopped series ends when its next image is called for.
        switch (phase) {
        case SeriesWaiting:
        case Stopping: return CaptureRefusal::None;
        case Scanning: return CaptureRefusal::ScanInProgress;
        case Idle:
        case Prescan:
        case ScanStarting: return CaptureRefusal::Quietly;
        }
        break;
    case CaptureCall::AbortKey:
        return phase == Idle || phase == Stopping ? CaptureRefusal::Quietly : CaptureRefusal::None;
    case CaptureCall::SavePreview:
        return phase == Idle || phase == SeriesWaiting ? CaptureRefusal::None
                                                       : CaptureRefusal::CaptureRunning;
    }
    return CaptureRefusal::Quietly;
}

CaptureState CaptureStateMachine::StateOf(CapturePhase phase, CapturePhase stopping)
{
    switch (phase) {
    case CapturePhase::Prescan: return CaptureState::Prescan;
    case CapturePhase::ScanStarting:
    case CapturePhase::Scanning: return CaptureState::Scan;
    case CapturePhase::Stopping:
        return stopping == CapturePhase::Stopping ? CaptureState::Idle
                                                  : StateOf(stopping, CapturePhase::Idle);
    case CapturePhase::Idle:
    case CapturePhase::SeriesWaiting: break;
    }
    return CaptureState::Idle;
}

CaptureRefusal CaptureStateMachine::Admit(CaptureCall call) const
{
    const std::lock_guard lock(mutex_);
    return Check(call, phase_);
}

CapturePhase CaptureStateMachine::Phase() const
{
    const std::lock_guard lock(mutex_);
    return phase_;
}

CaptureState CaptureStateMachine::State() const
{
    const std::lock_guard lock(mutex_);
    return StateOf(phase_, stopping_);
}

void CaptureStateMachine::SetPhaseLocked(CapturePhase phase)
{
    // A prescan or a scan start clears the stop request when it begins and when it has ended;
    // a stopped series keeps it, so its countdown sees it.
    const CapturePhase leaving = phase_ == CapturePhase::Stopping ? stopping_ : phase_;
    if (phase == CapturePhase::Prescan || phase == CapturePhase::ScanStarting ||
        (phase == CapturePhase::Idle &&
         (leaving == CapturePhase::Prescan || leaving == CapturePhase::ScanStarting)))
        stopRequested_ = false;
    else if (phase == CapturePhase::Stopping)
        stopRequested_ = true;
    phase_ = phase;
    stopFlag_ = stopRequested_ || shuttingDown_;
    changed_.notify_all();
}

bool CaptureStateMachine::Move(CapturePhase from, CapturePhase to)
{
    const std::lock_guard lock(mutex_);
    if (phase_ != from)
        return false;
    SetPhaseLocked(to);
    return true;
}

bool CaptureStateMachine::Finish(CapturePhase from, CapturePhase to)
{
    const std::lock_guard lock(mutex_);
    if (phase_ != from && !(phase_ == CapturePhase::Stopping && stopping_ == from))
        return false;
    SetPhaseLocked(to);
    return true;
}

CapturePhase CaptureStateMachine::RequestStop()
{
    const std::lock_guard lock(mutex_);
    const CapturePhase found = phase_;
    if (found == CapturePhase::Prescan || found == CapturePhase::ScanStarting ||
        found == CapturePhase::SeriesWaiting) {
        stopping_ = found;
        SetPhaseLocked(CapturePhase::Stopping);
    }
    return found;
}

bool CaptureStateMachine::StopRequested() const
{
    const std::lock_guard lock(mutex_);
    return stopRequested_;
}

bool CaptureStateMachine::Sleep(std::chrono::milliseconds duration)
{
    std::unique_lock lock(mutex_);
    return !changed_.wait_for(lock, duration, [this] { return shuttingDown_ || stopRequested_; });
}

void CaptureStateMachine::ShutDown()
{
    const std::lock_guard lock(mutex_);
    shuttingDown_ = true;
    stopFlag_ = true;
    changed_.notify_all();
}

bool CaptureStateMachine::ShuttingDown() const
{
    const std::lock_guard lock(mutex_);
    return shuttingDown_;
}

void CaptureStateMachine::SetSeries(int images)
{
    const std::lock_guard lock(mutex_);
    remaining_ = images;
    total_ = images;
}

void CaptureStateMachine::EndSeries()
{
    SetSeries(0);
}

bool CaptureStateMachine::TakeSeriesImage()
{
    const std::lock_guard lock(mutex_);
    if (remaining_ <= 0)
        return false;
    --remaining_;
    return true;
}

int CaptureStateMachine::ImagesRemaining() const
{
    const std::lock_guard lock(mutex_);
    return remaining_;
}

int CaptureStateMachine::ImagesTotal() const
{
    const std::lock_guard lock(mutex_);
    return total_;
}

void CaptureStateMachine::WorkerStarted()
{
    const std::lock_guard lock(mutex_);
    ++workers_;
}

void CaptureStateMachine::WorkerEnded()
{
    const std::lock_guard lock(mutex_);
    --workers_;
    changed_.notify_all();
}

bool CaptureStateMachine::Quiet() const
{
    const std::lock_guard lock(mutex_);
    return phase_ == CapturePhase::Idle && workers_ == 0;
}

CaptureStateMachine::Results CaptureStateMachine::LastResults() const
{
    const std::lock_guard lock(mutex_);
    return results_;
}

void CaptureStateMachine::SetPrescanResult(bool ok)
{
    const std::lock_guard lock(mutex_);
    results_.prescanOk = ok;
}

void CaptureStateMachine::SetScanStarted(bool started)
{
    const std::lock_guard lock(mutex_);
    results_.scanStarted = started;
    if (!started)
        results_.scansOk = false;
}

void CaptureStateMachine::ScanFailed()
{
    const std::lock_guard lock(mutex_);
    results_.scansOk = false;
}

void CaptureStateMachine::BeginScans()
{
    const std::lock_guard lock(mutex_);
    results_.scansOk = true;
}

}  // namespace scanora
