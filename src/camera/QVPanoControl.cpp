#include "camera/QVPanoControl.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "camera/QVCamera.h"
#include "platform/UiPort.h"

namespace scanora {

namespace {

using std::chrono::milliseconds;

constexpr milliseconds kRotateFirstPause{250};
constexpr milliseconds kRotatePoll{50};
constexpr milliseconds kReturnPoll{100};
constexpr milliseconds kAfterScanPoll{5};
constexpr milliseconds kReturnPause{20};
constexpr int kCalibrationCoarseSteps = 500;
constexpr int kCalibrationFineSteps = 50;

bool IsStageType(std::int16_t type)
{
    return type >= StageValues::kLargeStage && type <= StageValues::kOrbiscanCamera;
}

std::int16_t ValidMode(std::int16_t mode)
{
    return (mode >= StageValues::kPanoOff && mode <= StageValues::kPanoObject)
               ? mode
               : StageValues::kPanoOff;
}

std::uint16_t Wrap16(std::int64_t value)
{
    return static_cast<std::uint16_t>(static_cast<std::uint64_t>(value) & 0xFFFF);
}

}  // namespace

QVPanoControl::QVPanoControl(QVCamera& camera, UiPort& ui, StageTiming timing)
    : camera_(camera), ui_(ui), motor_(camera, std::move(timing))
{
    state_.capturePixels = camera_.GetSensorWidth();
    // The panoramic camera's own stage starts with its own type and overshoots.
    ApplyStageValues(StageValues{});
}

QVPanoControl::~QVPanoControl()
{
    try {
        if (camera_.IsConnected())
            camera_.SetAuxMode(false);
    } catch (...) {
        // Nothing may leave a destructor; the camera switches back before its next capture.
    }
}

void QVPanoControl::SetRedraw(std::function<void()> redraw)
{
    std::lock_guard guard(mutex_);
    redraw_ = std::move(redraw);
}

void QVPanoControl::SetViewStateChanged(std::function<void()> changed)
{
    std::lock_guard guard(mutex_);
    viewStateChanged_ = std::move(changed);
}

// --- Values ---

StageValues QVPanoControl::CurrentStageValues() const
{
    const State state = Snapshot();
    StageValues values;
    values.stageType = state.stageType;
    values.motorParams = state.motorParams;
    values.focalLength = state.geometry.FocalLength();
    values.scanExtent = state.geometry.ScanExtent();
    values.numImages = static_cast<std::int16_t>(std::min(state.geometry.NumImages(), 32767));
    values.numDegrees = state.geometry.NumDegrees();
    values.returnAfterScan = state.returnAfterScan;
    values.panoMode = state.panoMode;
    values.latentPanoMode = state.latentPanoMode;
    values.rolloutHeight = state.geometry.RolloutHeight();
    values.rolloutDiameter = state.geometry.RolloutDiameter();
    return values;
}

void QVPanoControl::ApplyStageValues(const StageValues& values)
{
    // Asked before the lock: the camera is never called with the stage's lock held.
    const bool panoramic = camera_.IsOrbiscan();

    std::lock_guard guard(mutex_);
    std::int16_t type = IsStageType(values.stageType) ? values.stageType : state_.stageType;
    if (panoramic)
        type = StageValues::kOrbiscanCamera;
    else if (type == StageValues::kOrbiscanCamera)
        type = StageValues::kSmallStage;

    if (type == StageValues::kCustomStage) {
        StageValues::MotorParams params = values.motorParams;
        const int low = params[kMin];
        const int high = params[kMax];
        params[kCentre] = static_cast<std::uint16_t>(low + (high - low) / 2);
        state_.motorParams = params;
    } else {
        state_.motorParams = StageValues::DefaultMotorParams(type);
    }
    if (type != state_.stageType)
        SetOvershootsFor(type);
    state_.stageType = type;

    state_.panoMode = ValidMode(values.panoMode);
    state_.latentPanoMode = ValidMode(values.latentPanoMode);
    state_.geometry.SetFocalLength(values.focalLength);
    state_.geometry.SetScanExtent(values.scanExtent);
    state_.geometry.SetRolloutHeight(values.rolloutHeight);
    state_.geometry.SetRolloutDiameter(values.rolloutDiameter);
    state_.geometry.SetNumImages(values.numImages);
    state_.geometry.SetNumDegrees(values.numDegrees);
    state_.returnAfterScan = values.returnAfterScan;
}

bool QVPanoControl::StartUp(const StageValues& values)
{
    ApplyStageValues(values);
    const bool uploaded = UploadMotorParameters();
    if (!IsRotatingCapture())
        return uploaded;
    const State state = Snapshot();
    const int start = state.motorParams[kCentre] + ScaleOf(state).HalfExtentSteps();
    const int capped = std::min<int>(start, state.motorParams[kMax]);
    const bool positioned = PositionStage(static_cast<std::uint16_t>(capped));
    return uploaded && positioned;
}

std::int16_t QVPanoControl::StageType() const
{
    return Snapshot().stageType;
}

StageValues::MotorParams QVPanoControl::MotorParams() const
{
    return Snapshot().motorParams;
}

std::int16_t QVPanoControl::PanoMode() const
{
    return Snapshot().panoMode;
}

void QVPanoControl::SetPanoMode(std::int16_t mode)
{
    std::lock_guard guard(mutex_);
    state_.panoMode = ValidMode(mode);
}

StageGeometry QVPanoControl::Geometry() const
{
    return Snapshot().geometry;
}

void QVPanoControl::SetGeometry(const StageGeometry& geometry)
{
    std::lock_guard guard(mutex_);
    state_.geometry = geometry;
}

int QVPanoControl::CoarseOvershoot() const
{
    return Snapshot().coarseOvershoot;
}

int QVPanoControl::FineOvershoot() const
{
    return Snapshot().fineOvershoot;
}

bool QVPanoControl::ReturnAfterScan() const
{
    return Snapshot().returnAfterScan;
}

void QVPanoControl::SetReturnAfterScan(bool on)
{
    std::lock_guard guard(mutex_);
    state_.returnAfterScan = on;
}

bool QVPanoControl::UserMovedStage() const
{
    std::lock_guard guard(mutex_);
    return userMoved_;
}

void QVPanoControl::SetUserMovedStage(bool moved)
{
    std::lock_guard guard(mutex_);
    userMoved_ = moved;
}

bool QVPanoControl::StageReturned() const
{
    std::lock_guard guard(mutex_);
    return returned_;
}

void QVPanoControl::SetCapturePixels(int pixels)
{
    std::lock_guard guard(mutex_);
    state_.capturePixels = pixels;
}

// --- What the capture asks ---

bool QVPanoControl::IsRotatingCapture() const
{
    const std::int16_t mode = PanoMode();
    return mode == StageValues::kPanoOn || mode == StageValues::kPanoRollout;
}

bool QVPanoControl::IsObjectMode() const
{
    return PanoMode() == StageValues::kPanoObject;
}

int QVPanoControl::ObjectImageCount() const
{
    const ObjectRange range = ObjectSeriesRange();
    return range.last - range.first;
}

QVPanoControl::ObjectRange QVPanoControl::ObjectSeriesRange() const
{
    return RangeOf(Snapshot());
}

void QVPanoControl::SetObjectRange(int first, int last)
{
    std::lock_guard guard(mutex_);
    state_.rangeFirst = first;
    state_.rangeLast = last;
}

bool QVPanoControl::AdvanceToRangeStart()
{
    const int views = ObjectSeriesRange().first - 1;
    for (int view = 0; view < views; ++view) {
        if (!NextObjectView())
            return false;
    }
    return true;
}

QVPanoControl::ObjectRange QVPanoControl::RangeOf(const State& state)
{
    const int images = state.geometry.NumImages();
    if (state.rangeFirst <= 0 && state.rangeLast <= 0)
        return {1, images};
    const int first = std::clamp(state.rangeFirst, 1, images);
    return {first, std::clamp(state.rangeLast, first, images)};
}

double QVPanoControl::FocalLength() const
{
    return FocalLengthOf(Snapshot());
}

int QVPanoControl::RotatingCaptureLines() const
{
    const double lines = Scale().LinesForExtent();
    return lines > 0.0 && lines < 2.0e9 ? static_cast<int>(lines) : 0;
}

std::optional<StageMotion> QVPanoControl::RotatingStageMotion() const
{
    if (!IsRotatingCapture())
        return std::nullopt;
    const State state = Snapshot();
    return StageMotion{state.motorParams[kA], static_cast<int>(FocalLengthOf(state) * 10.0 + 0.5)};
}

std::pair<double, double> QVPanoControl::DescriptionValues() const
{
    const State state = Snapshot();
    if (state.panoMode == StageValues::kPanoRollout)
        return {state.geometry.RolloutDiameter(), state.geometry.RolloutHeight()};
    return {state.geometry.FocalLength(), state.geometry.ScanExtent()};
}

StageScale QVPanoControl::Scale() const
{
    return ScaleOf(Snapshot());
}

// --- Stage commands ---

bool QVPanoControl::UploadMotorParameters()
{
    return motor_.UploadParameters(MotorParams());
}

bool QVPanoControl::MoveStage(std::uint16_t destination)
{
    return motor_.Move(destination, MotorParams());
}

bool QVPanoControl::MoveCoarse(std::uint16_t destination)
{
    return motor_.MoveCoarse(destination, MotorParams());
}

bool QVPanoControl::MoveFine(std::uint16_t destination)
{
    return motor_.MoveFine(destination, MotorParams());
}

bool QVPanoControl::StopStage()
{
    const bool ok = motor_.Stop();
    NotifyViewStateChanged();
    return ok;
}

bool QVPanoControl::PositionStage(std::uint16_t position)
{
    return motor_.Preset(position);
}

std::optional<std::uint16_t> QVPanoControl::StagePosition()
{
    if (!camera_.SetAuxMode(true))
        return std::nullopt;
    return motor_.ReadPosition();
}

std::optional<QVPanoControl::StageStatus> QVPanoControl::ReadStageStatus()
{
    CameraStatus status;
    if (camera_.QueryStatus(status) != 0)
        return std::nullopt;
    return StageStatus{status.MotorMoving(), status.MotorPosition()};
}

std::optional<bool> QVPanoControl::StageMoving()
{
    const std::optional<StageStatus> status = ReadStageStatus();
    return status ? std::optional<bool>(status->moving) : std::nullopt;
}

int QVPanoControl::PreviewLineAt(std::uint16_t position) const
{
    const State state = Snapshot();
    const StageScale scale = ScaleOf(state);
    const double stepsPerLine = scale.StepsPerLine() * std::max(camera_.GetMaxSizeStep(), 1);
    if (!(stepsPerLine > 0.0))
        return 0;
    // A difference of 16-bit positions: the stage may have turned across the wrap.
    const int steps = static_cast<std::int16_t>(Wrap16(ExtentStartOf(state) - position));
    return static_cast<int>(steps / stepsPerLine);
}

std::uint16_t QVPanoControl::ReadStageOffset()
{
    return motor_.ReadOffset().value_or(0);
}

bool QVPanoControl::RotateTo(std::uint16_t target)
{
    const std::optional<std::uint16_t> current = motor_.ReadPosition();
    if (!current) {
        NotifyViewStateChanged();
        return false;
    }
    return RotateFrom(*current, target);
}

bool QVPanoControl::RotateToLine(int line)
{
    const State state = Snapshot();
    const StageScale scale = ScaleOf(state);
    const std::int64_t steps =
        scale.StepsForLines(static_cast<double>(line) * camera_.GetMaxSizeStep());
    const std::uint16_t start =
        static_cast<std::uint16_t>(state.motorParams[kCentre] + scale.HalfExtentSteps());
    return RotateTo(Wrap16(start - steps));
}

std::optional<QVPanoControl::Calibration> QVPanoControl::MeasureOvershoot()
{
    if (!camera_.SetAuxMode(true))
        return std::nullopt;
    const std::optional<std::uint16_t> a = motor_.ReadPosition();
    if (!a || !MoveCoarse(Wrap16(*a + kCalibrationCoarseSteps)) || !WaitAfterMove())
        return std::nullopt;
    const std::optional<std::uint16_t> b = motor_.ReadPosition();
    if (!b || !MoveFine(Wrap16(*b + kCalibrationFineSteps)) || !WaitAfterMove())
        return std::nullopt;
    const std::optional<std::uint16_t> c = motor_.ReadPosition();
    if (!c)
        return std::nullopt;
    // Differences of 16-bit positions, so a move across the wrap still measures right.
    const int coarse = static_cast<std::int16_t>(Wrap16(*b - *a - kCalibrationCoarseSteps));
    const int fine = static_cast<std::int16_t>(Wrap16(*c - *b - kCalibrationFineSteps));
    {
        std::lock_guard guard(mutex_);
        state_.coarseOvershoot = coarse;
        state_.fineOvershoot = fine;
    }
    return Calibration{coarse, fine};
}

bool QVPanoControl::Calibrate()
{
    const std::optional<Calibration> measured = MeasureOvershoot();
    if (!measured)
        return false;
    ui_.ShowMessage(CalibrationText(*measured), MessageIcon::Information, MessageButtons::Ok);
    return true;
}

std::string QVPanoControl::CalibrationText(const Calibration& calibration)
{
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), "Calibration: %d, %d", calibration.coarse,
                  calibration.fine);
    return text.data();
}

bool QVPanoControl::Jog(JogEnd end, JogSpeed speed, int orientation)
{
    const State state = Snapshot();
    const bool toMinimum = (end == JogEnd::Minimum) != (orientation == 3);
    const std::uint16_t destination = state.motorParams[toMinimum ? kMin : kMax];
    const bool moved = speed == JogSpeed::Fine ? MoveFine(destination) : MoveCoarse(destination);
    if (moved)
        SetUserMovedStage(true);
    return moved;
}

// --- Capture steps ---

bool QVPanoControl::PrepareStage(int firstLineOffset)
{
    {
        std::lock_guard guard(mutex_);
        if (userMoved_) {
            // The user placed the stage for this capture; the next one is positioned again.
            userMoved_ = false;
            return true;
        }
    }
    const State state = Snapshot();
    const std::uint16_t start = ExtentStartOf(state);
    const std::uint16_t target = Wrap16(start - ScaleOf(state).StepsForLines(firstLineOffset));
    if (!camera_.SetAuxMode(true))
        return false;
    const std::optional<std::uint16_t> current = motor_.ReadPosition();
    if (!current) {
        NotifyViewStateChanged();
        return false;
    }
    return RotateFrom(*current, target);
}

bool QVPanoControl::ReturnStage(int cropOffset)
{
    if (!motor_.WaitUntilStopped(milliseconds(0), kReturnPoll))
        return false;
    motor_.Sleep(kReturnPause);
    // Without the offset the preset would be wrong: the stage is left as it is.
    const std::optional<std::uint16_t> offset = motor_.ReadOffset();
    if (!offset)
        return false;
    motor_.Sleep(kReturnPause);
    if (!camera_.SetAuxMode(true))
        return false;
    motor_.Sleep(kReturnPause);
    const std::optional<std::uint16_t> current = motor_.ReadPosition();
    if (!current)
        return false;
    motor_.Sleep(kReturnPause);
    const State state = Snapshot();
    const std::int64_t position = static_cast<std::int64_t>(*current) + ExtentStartOf(state) -
                                  *offset - ScaleOf(state).StepsForLines(cropOffset);
    const bool ok = PositionStage(Wrap16(position));
    if (ok) {
        std::lock_guard guard(mutex_);
        returned_ = true;
    }
    return ok;
}

bool QVPanoControl::FinishPrescan()
{
    if (!IsRotatingCapture())
        return true;
    return motor_.WaitUntilStopped(milliseconds(0), kAfterScanPoll);
}

bool QVPanoControl::AfterRotatingScan(int cropOffset)
{
    bool ok = motor_.WaitUntilStopped(milliseconds(0), kAfterScanPoll);
    if (ok && ReturnAfterScan())
        ok = ReturnStage(cropOffset);
    return camera_.SetAuxMode(true) && ok;
}

bool QVPanoControl::NextObjectView()
{
    if (!camera_.SetAuxMode(true))
        return false;
    const std::optional<std::uint16_t> current = motor_.ReadPosition();
    bool ok = current.has_value();
    if (ok) {
        const State state = Snapshot();
        const std::int64_t turn =
            ScaleOf(state).StepsForDegrees(state.geometry.DegreesBetweenImages());
        ok = RotateFrom(*current, Wrap16(*current - turn));
    }
    return camera_.SetAuxMode(false) && ok;
}

// --- Helpers ---

QVPanoControl::State QVPanoControl::Snapshot() const
{
    std::lock_guard guard(mutex_);
    return state_;
}

StageScale QVPanoControl::ScaleOf(const State& state) const
{
    return StageScale(FocalLengthOf(state), camera_.GetPixelPitch(), state.motorParams[kA],
                      state.geometry.ScanExtent());
}

double QVPanoControl::FocalLengthOf(const State& state) const
{
    if (state.panoMode == StageValues::kPanoRollout)
        return state.geometry.RolloutFocalLength(camera_.GetPixelPitch(), state.capturePixels);
    return state.geometry.FocalLength();
}

std::uint16_t QVPanoControl::ExtentStartOf(const State& state) const
{
    return static_cast<std::uint16_t>(state.motorParams[kCentre] +
                                      ScaleOf(state).HalfExtentSteps());
}

void QVPanoControl::SetOvershootsFor(std::int16_t stageType)
{
    const bool panoramic = stageType == StageValues::kOrbiscanCamera;
    state_.coarseOvershoot = panoramic ? kPanoramicCoarseOvershoot : kCoarseOvershoot;
    state_.fineOvershoot = panoramic ? kPanoramicFineOvershoot : kFineOvershoot;
}

void QVPanoControl::NotifyViewStateChanged()
{
    CallHook(viewStateChanged_);
}

void QVPanoControl::CallHook(const std::function<void()>& hook)
{
    // Called outside the lock: the hook may well ask the stage control something.
    std::function<void()> copy;
    {
        std::lock_guard guard(mutex_);
        copy = hook;
    }
    if (copy)
        copy();
}

bool QVPanoControl::RotateFrom(std::uint16_t current, std::uint16_t target)
{
    ui_.PostCommand(WindowCommand::ShowStatus, kRotatingText);
    bool ok = true;
    if (current != target) {
        const State state = Snapshot();
        const int coarse = state.coarseOvershoot;
        const int fine = state.fineOvershoot;
        const int distance = std::abs(static_cast<int>(current) - static_cast<int>(target));
        // Stop short on the side the stage comes from; it coasts the rest of the way.
        const int side = current < target ? -1 : 1;
        const auto shortOf = [&](int overshoot) { return Wrap16(target + side * overshoot); };
        if (distance < 2 * coarse)
            ok = MoveFine(distance > 2 * fine ? shortOf(fine) : target);
        else
            ok = MoveCoarse(shortOf(coarse));
        ok = ok && WaitAfterMove();
    }
    NotifyViewStateChanged();
    return ok;
}

bool QVPanoControl::WaitAfterMove()
{
    return motor_.WaitUntilStopped(kRotateFirstPause, kRotatePoll, [this] { CallHook(redraw_); });
}

}  // namespace scanora
