#include "camsim/CaptureEngine.h"

#include <algorithm>
#include <utility>

#include "camsim/CommandOutcome.h"
#include "camsim/ParameterBlock.h"

namespace camsim {

CaptureEngine::CaptureEngine(const CameraModel& model, const SimClock& clock, SimDisk& disk)
    : clock_(clock), disk_(disk), setup_(model)
{
}

bool CaptureEngine::IsBusy() const
{
    return session_ && session_->IsRunning(clock_.Now());
}

unsigned CaptureEngine::ReceiveBlock(std::string_view block)
{
    if (IsBusy())
        return CameraErrorCode::kBusy;
    const unsigned result = setup_.ReceiveBlock(block);
    if (result == CameraErrorCode::kNone && ParameterBlock::Number(block) == 0) {
        session_.reset();
        recording_.reset();
    }
    return result;
}

unsigned CaptureEngine::SelectFrame(unsigned frame)
{
    return IsBusy() ? CameraErrorCode::kBusy : tables_.SelectFrame(frame);
}

unsigned CaptureEngine::LoadDefaults()
{
    if (IsBusy())
        return CameraErrorCode::kBusy;
    tables_.LoadDefaults();
    return CameraErrorCode::kNone;
}

unsigned CaptureEngine::LoadTable(unsigned slot)
{
    return IsBusy() ? CameraErrorCode::kBusy : tables_.Load(slot);
}

bool CaptureEngine::ReceivePlane(std::span<const std::uint8_t> plane)
{
    return !IsBusy() && tables_.ReceivePlane(plane);
}

unsigned CaptureEngine::Begin()
{
    return IsBusy() ? CameraErrorCode::kBusy : setup_.Begin();
}

unsigned CaptureEngine::SetExposureTime(std::uint16_t time)
{
    return IsBusy() ? CameraErrorCode::kBusy : setup_.SetExposureTime(time);
}

unsigned CaptureEngine::Prepare()
{
    if (IsBusy())
        return CameraErrorCode::kBusy;
    const unsigned result = setup_.Prepare();
    if (result != CameraErrorCode::kNone || setup_.Parameters().prescan)
        return result;
    if (!disk_.CanRecord(SimDisk::ImageBytes(RecipeOfSetup()))) {
        setup_.Consume();
        return CameraErrorCode::kDiskFull;
    }
    return CameraErrorCode::kNone;
}

unsigned CaptureEngine::Start()
{
    if (IsBusy())
        return CameraErrorCode::kBusy;
    if (!setup_.IsPrepared())
        return CameraErrorCode::kNotReady;
    const CaptureParameters& parameters = setup_.Parameters();
    CaptureRecipe recipe = RecipeOfSetup();
    recording_.reset();
    if (!parameters.prescan) {
        recording_.emplace();
        recording_->header = setup_.HeaderBlock();
        // The disk keeps 16-bit scans linear, 4 × the sensor value: the curve a wide table was
        // loaded with travels in the header, and the host applies it when it retrieves the
        // image. 8-bit scans are final as the 8-bit tables made them.
        recording_->recipe = recipe;
        recording_->recipe.tables.ResetWide();
        recording_->captureTime = parameters.captureTime;
    }
    session_.emplace(parameters.prescan ? CaptureKind::Prescan : CaptureKind::Scan,
                     std::move(recipe), parameters.linePeriod, clock_);
    if (stallAfter_ && !parameters.prescan)
        session_->StallAfter(*stallAfter_);
    setup_.Consume();
    return CameraErrorCode::kNone;
}

void CaptureEngine::Abort()
{
    if (!session_ || !session_->IsRunning(clock_.Now()))
        return;
    session_->Abort(clock_.Now());
    recording_.reset();
}

CaptureRecipe CaptureEngine::RecipeOfSetup() const
{
    const CaptureParameters& p = setup_.Parameters();
    CaptureRecipe recipe;
    recipe.geometry = {p.model, p.insertCode,         p.sizeStep,         p.pixelsPerLine,
                       p.lines, p.firstPixelPosition, p.firstLinePosition};
    recipe.exposure.integration = setup_.IntegrationTime();
    recipe.exposure.gainCodes = p.gainCodes;
    recipe.format = p.format;
    recipe.calibrated = tables_.IsCalibrated();
    recipe.tables = tables_.Tables();
    return recipe;
}

void CaptureEngine::Advance()
{
    if (!session_ || !recording_ || !session_->AwaitsRecording(clock_.Now()))
        return;
    if (!disk_.Record(*std::exchange(recording_, std::nullopt)))
        session_->SetClosingReply(CommandOutcome::Error(CameraErrorCode::kDiskFull).reply.value());
    session_->MarkRecorded();
}

std::uint16_t CaptureEngine::LinesScanned() const
{
    return session_ ? session_->LinesScanned(clock_.Now()) : 0;
}

void CaptureEngine::ReadLines(std::span<std::uint8_t> out)
{
    if (session_ && session_->Kind() == CaptureKind::Prescan)
        session_->ReadStream(out);
    else
        std::fill(out.begin(), out.end(), std::uint8_t{0});
}

bool CaptureEngine::NoteStatusQuery()
{
    if (!session_ || !session_->OwesClosingReply())
        return false;
    session_->NoteStatusQuery();
    return !session_->IsAborted() && LinesScanned() == session_->ImageLines();
}

void CaptureEngine::NoteLastLineReported()
{
    if (session_)
        session_->NoteLastLineReported();
}

void CaptureEngine::ClosingReplyCleared()
{
    if (session_)
        session_->MarkClosingReplyOwed();
}

std::optional<std::string> CaptureEngine::TakeDueClosingReply()
{
    if (!session_ || !session_->ClosingReplyDue(clock_.Now()))
        return std::nullopt;
    session_->MarkClosingReplyPosted();
    return session_->ClosingReply();
}

}  // namespace camsim
