#include "camera/QVFocus.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "camera/FocusWindowPlacement.h"
#include "camera/QVCamera.h"
#include "camera/QVPanoControl.h"
#include "imaging/QVToneCurve.h"
#include "settings/CurveSource.h"

namespace scanora {

namespace {

// The camera steps of the four zoom levels: the models with the finer size steps, and the others.
constexpr std::array<int, QVFocus::kZoomLevels> kFineModelSteps{11, 10, 8, 4};
constexpr std::array<int, QVFocus::kZoomLevels> kModelSteps{7, 6, 4, 0};
// The carriage comes down onto its target from this far above.
constexpr int kApproachSteps = 200;
// Where the panoramic camera parks its carriage while the stage turns.
constexpr int kPanoramicCarriage = 4221;

std::string WindowCommandText(const char* name, int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%s%.4X\r", name, static_cast<unsigned>(value) & 0xFFFFu);
    return text;
}

}  // namespace

QVFocus::QVFocus(QVCamera& camera, QVPanoControl& pano, const CurveSource& curve,
                 FocusDisplays& displays)
    : camera_(camera), pano_(pano), curve_(curve), displays_(displays), preparation_(camera)
{
    // The window starts in the middle of the sensor row.
    state_.windowStart = std::max(camera_.GetSensorWidth() - WidthAt(state_.zoom), 0) / 2;
}

int QVFocus::CameraStep(std::uint16_t modelCode, int level)
{
    const auto& steps = modelCode == 6 || modelCode == 7 ? kFineModelSteps : kModelSteps;
    return steps[static_cast<std::size_t>(std::clamp(level, 0, kZoomLevels - 1))];
}

int QVFocus::WindowWidth(int maxSizeStep, int step)
{
    const int samples = maxSizeStep - step;
    if (samples <= 0)
        return FocusReading::kPixels;
    return FocusReading::kPixels * maxSizeStep / samples;
}

int QVFocus::CarriageTarget(int line, int lines, int travel)
{
    int target = CarriagePositions::kFocusUpperLimit;
    if (lines > 0) {
        const double offset = static_cast<double>(line) * travel / lines;
        target = static_cast<int>(CarriagePositions::kFocusUpperLimit - offset);
    }
    return std::clamp(target, CarriagePositions::kFocusLowerLimit,
                      CarriagePositions::kFocusUpperLimit);
}

int QVFocus::WidthAt(int zoom) const
{
    return WindowWidth(camera_.GetMaxSizeStep(), CameraStep(camera_.GetModelCode(), zoom));
}

FocusWindowWidth QVFocus::WidthOf(int pixels) const
{
    return {pixels, static_cast<double>(pixels) * camera_.GetPixelPitch() / 100000.0};
}

bool QVFocus::RotatingStage() const
{
    return pano_.IsRotatingCapture();
}

int QVFocus::Zoom() const
{
    std::lock_guard lock(mutex_);
    return state_.zoom;
}

int QVFocus::WindowStart() const
{
    std::lock_guard lock(mutex_);
    return state_.windowStart;
}

int QVFocus::PickedLine() const
{
    std::lock_guard lock(mutex_);
    return state_.pickedLine;
}

bool QVFocus::IsRunning() const
{
    std::lock_guard lock(mutex_);
    return state_.running;
}

bool QVFocus::IsWindowPlaced() const
{
    std::lock_guard lock(mutex_);
    return state_.placed;
}

std::array<bool, FocusReading::kChannels> QVFocus::ChannelsEnabled() const
{
    std::lock_guard lock(mutex_);
    return state_.enabled;
}

FocusWindowWidth QVFocus::Width() const
{
    return WidthOf(WidthAt(Zoom()));
}

FocusReading QVFocus::LastReading() const
{
    std::lock_guard lock(mutex_);
    return state_.reading;
}

void QVFocus::SetZoom(int level)
{
    const int sensorWidth = camera_.GetSensorWidth();
    bool running = false;
    int width = 0;
    {
        std::lock_guard lock(mutex_);
        const int centre = state_.windowStart + WidthAt(state_.zoom) / 2;
        state_.zoom = std::clamp(level, 0, kZoomLevels - 1);
        width = WidthAt(state_.zoom);
        // The wider window stays on the sensor.
        state_.windowStart = std::clamp(centre - width / 2, 0, std::max(sensorWidth - width, 0));
        running = state_.running;
        if (running)
            state_.score.ResetRemainders();
    }
    displays_.ShowWindowWidth(WidthOf(width));
    if (running)
        ConfigureWindow();
}

void QVFocus::PlaceWindow(int column, int line)
{
    const FocusWindowPlacement placement(camera_.GetSensorWidth(), camera_.GetMaxSizeStep(),
                                         camera_.GetMinSizeStep());
    bool running = false;
    {
        std::lock_guard lock(mutex_);
        state_.pickedLine = line;
        state_.windowStart = placement.WindowStart(column, WidthAt(state_.zoom));
        state_.placed = true;
        running = state_.running;
    }
    if (running)
        StartFocus();
}

std::pair<int, int> QVFocus::CentrePlace() const
{
    // The inverse of the placement's scale, M / (M - m), taken at the sensor's middle.
    const int maxSizeStep = std::max(camera_.GetMaxSizeStep(), 1);
    const int steps = std::max(maxSizeStep - camera_.GetMinSizeStep(), 1);
    const int column = camera_.GetSensorWidth() / 2 * steps / maxSizeStep;
    const int line = camera_.GetMaxLines() / maxSizeStep / 2;
    return {column, line};
}

void QVFocus::SetChannelEnabled(int channel, bool enabled)
{
    if (channel < 0 || channel >= FocusReading::kChannels)
        return;
    bool running = false;
    {
        std::lock_guard lock(mutex_);
        state_.enabled[static_cast<std::size_t>(channel)] = enabled;
        running = state_.running;
    }
    if (running)
        ConfigureWindow();
}

bool QVFocus::ConfigureWindow()
{
    int zoom = 0;
    int start = 0;
    {
        std::lock_guard lock(mutex_);
        zoom = state_.zoom;
        start = state_.windowStart;
    }
    const int timing =
        camera_.GetTransportKind() == TransportKind::Usb ? kUsbWindowTiming : kScsiWindowTiming;
    const bool zoomed =
        camera_.Command(WindowCommandText("EZ", CameraStep(camera_.GetModelCode(), zoom)), "EZ");
    const bool started = camera_.Command(WindowCommandText("EK", start), "EK");
    const bool counted = camera_.Command(WindowCommandText("EN", FocusReading::kPixels), "EN");
    const bool timed = camera_.Command(WindowCommandText("EY", timing));
    return zoomed && started && counted && timed;
}

void QVFocus::MoveToFocusLine(int line)
{
    displays_.ShowBusy(true);
    const int maxSizeStep = camera_.GetMaxSizeStep();
    const int maxLines = camera_.GetMaxLines();
    const int lines = maxSizeStep > 0 ? maxLines / maxSizeStep : 0;
    const int travel = maxLines * camera_.GetPixelPitch() / CarriagePositions::kPitchPerStep;
    // The motor output belongs to the carriage for the whole move (a stage jogged before
    // would otherwise be read and moved in its place).
    camera_.SetAuxMode(false);
    if (RotatingStage()) {
        const int position = camera_.IsOrbiscan()
                                 ? kPanoramicCarriage
                                 : CarriagePositions::kFocusUpperLimit - travel / 2;
        preparation_.MoveCarriage(static_cast<std::uint16_t>(position));
        pano_.RotateToLine(line);
    } else {
        const int target = CarriageTarget(line, lines, travel);
        // The carriage always comes down onto its target, so the gear's play is taken up the
        // same way every time.
        if (camera_.QueryStatusWord2() < target) {
            const int above =
                std::min(target + kApproachSteps, CarriagePositions::kFocusUpperLimit);
            preparation_.MoveCarriage(static_cast<std::uint16_t>(above));
        }
        preparation_.MoveCarriage(static_cast<std::uint16_t>(target));
    }
    FinishCarriageMove();
}

void QVFocus::FinishCarriageMove()
{
    displays_.ShowBusy(false);
    camera_.Ui().PostCommand(WindowCommand::CaptureEnded, {});
}

void QVFocus::StartFocus()
{
    displays_.ShowWindowWidth(Width());
    MoveToFocusLine(PickedLine());
    ConfigureWindow();
    const CurveState curve = curve_.CurrentCurve();
    QVToneCurve tables;
    tables.SetHandles(curve.handles);
    tables.SetNegative(curve.negative);
    preparation_.LoadCaptureTables(TableMode::Curve8Bit, &tables);
    {
        std::lock_guard lock(mutex_);
        state_.decoder.UseCurve(curve);
        state_.score.ResetRemainders();
        state_.failing = false;
        state_.running = true;
    }
    displays_.ClearFocusDisplay();
}

int QVFocus::MeasureFocus()
{
    const TransportKind kind = camera_.GetTransportKind();
    const bool usb = kind == TransportKind::Usb;
    // Over USB the samples go through the curve in force now.
    const CurveState curve = usb ? curve_.CurrentCurve() : CurveState{};
    bool failing = false;
    {
        std::lock_guard lock(mutex_);
        failing = state_.failing;
    }
    // A run of failed readings is reported once.
    const CameraReply reply = camera_.Exchange(
        "CLF\r", "#F", -1, failing ? QVCamera::Reporting::Quiet : QVCamera::Reporting::Show);
    FocusReading reading;
    bool decoded = false;
    {
        std::lock_guard lock(mutex_);
        if (reply.accepted && !reply.text.empty()) {
            if (usb)
                state_.decoder.UseCurve(curve);
            decoded = state_.decoder.Decode(kind, reply.bytes, reading.samples);
        }
        state_.failing = !decoded;
        if (decoded) {
            state_.score.Update(reading.samples, state_.enabled);
            reading.scores = state_.score.Scores();
            reading.enabled = state_.enabled;
            state_.reading = reading;
        }
    }
    if (!decoded) {
        displays_.ClearFocusDisplay();
        return -1;
    }
    displays_.ShowFocusReading(reading);
    return 0;
}

void QVFocus::StopFocus()
{
    {
        std::lock_guard lock(mutex_);
        if (!state_.running)
            return;
        // The measuring loop sees this before the carriage starts to move.
        state_.running = false;
    }
    displays_.ShowBusy(true);
    camera_.SetAuxMode(false);
    preparation_.CentreCarriage();
    if (RotatingStage())
        camera_.SetAuxMode(true);
    FinishCarriageMove();
    displays_.ClearFocusDisplay();
}

}  // namespace scanora
