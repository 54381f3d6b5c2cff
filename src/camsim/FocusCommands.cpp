#include "camsim/FocusCommands.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "camsim/HexText.h"

namespace camsim {

namespace {

constexpr std::size_t kColours = 3;
// The most places the lens and the pixel's own width are averaged over for one pixel.
constexpr int kMostTaps = 64;

CommandOutcome ValueError()
{
    return CommandOutcome::Error(CameraErrorCode::kValueError);
}

// The reply to a window command: its name and value echoed.
CommandOutcome Echo(std::string_view name, unsigned value)
{
    return CommandOutcome::Reply(std::string(name) + HexText::Format(value, 4));
}

}  // namespace

FocusCommands::FocusCommands(CameraState& state, SimLink link, const SimFocus& focus)
    : state_(state),
      link_(link),
      lens_(focus),
      scene_(state.Model().sensorWidth, state.Model().linesAlongTravel)
{
}

void FocusCommands::AddTo(CommandSet& commands)
{
    commands.Add("EZ", [this](std::string_view p) { return SetStep(p); });
    commands.Add("EK", [this](std::string_view p) { return SetStart(p); });
    commands.Add("EN", [this](std::string_view p) { return SetCount(p); });
    commands.Add("EY", [this](std::string_view p) { return SetTiming(p); });
    commands.Add("CLF", [this](std::string_view p) { return ReadWindow(p); });
}

double FocusCommands::SceneLine(std::uint16_t position) const
{
    const int pitch = std::max(state_.Model().pixelPitch, 1);
    return (kFirstLinePosition - static_cast<double>(position)) * kPitchPerStep / pitch;
}

// "EZ%.4X": the size step the window samples at; below the model's largest.
CommandOutcome FocusCommands::SetStep(std::string_view parameters)
{
    const std::optional<unsigned> step = HexText::Parse(parameters, 4);
    if (!step || static_cast<int>(*step) >= state_.Model().maxSizeStep)
        return ValueError();
    step_ = *step;
    return Echo("EZ", step_);
}

// "EK%.4X": the window's first sensor pixel.
CommandOutcome FocusCommands::SetStart(std::string_view parameters)
{
    const std::optional<unsigned> start = HexText::Parse(parameters, 4);
    if (!start || static_cast<int>(*start) >= state_.Model().sensorWidth)
        return ValueError();
    start_ = *start;
    return Echo("EK", start_);
}

// "EN%.4X": the pixels of a reading, 1 to 100.
CommandOutcome FocusCommands::SetCount(std::string_view parameters)
{
    const std::optional<unsigned> count = HexText::Parse(parameters, 4);
    if (!count || *count == 0 || *count > kMostPixels)
        return ValueError();
    count_ = *count;
    return Echo("EN", count_);
}

// "EY%.4X": the window's readout timing; kept, it changes nothing the host can see.
CommandOutcome FocusCommands::SetTiming(std::string_view parameters)
{
    const std::optional<unsigned> timing = HexText::Parse(parameters, 4);
    if (!timing)
        return ValueError();
    timing_ = *timing;
    return Echo("EY", timing_);
}

// "CLF": one reading of the window. The pixels lie (M / (M - step)) sensor pixels apart from the
// first; each averages the scene over its own width widened by the lens's blur on both sides.
CommandOutcome FocusCommands::ReadWindow(std::string_view parameters)
{
    if (!parameters.empty())
        return ValueError();
    if (state_.Capture().IsBusy())
        return CommandOutcome::Error(CameraErrorCode::kBusy);
    const CameraModel& model = state_.Model();
    const double pitch = static_cast<double>(model.maxSizeStep) /
                         std::max(model.maxSizeStep - static_cast<int>(step_), 1);
    const double blur = lens_.BlurRadius();
    const double reach = pitch + 2.0 * blur;
    const int taps = std::clamp(static_cast<int>(std::ceil(reach * 4.0)), 4, kMostTaps);
    const double y = SceneLine(state_.CarriagePosition());

    std::vector<double> xs(std::size_t{count_} * static_cast<std::size_t>(taps));
    for (unsigned i = 0; i < count_; ++i) {
        const double from = start_ + i * pitch - blur;
        for (int t = 0; t < taps; ++t)
            xs[i * static_cast<std::size_t>(taps) + static_cast<std::size_t>(t)] =
                from + (t + 0.5) * reach / taps;
    }
    std::vector<Reflectance> seen(xs.size());
    scene_.Row(y, xs, seen);

    const LookupTables& tables = state_.Capture().Tables().Tables();
    const bool usb = link_ == SimLink::Usb;
    std::string reply = "#F";
    reply.reserve(2 + std::size_t{count_} * kColours * 2);
    for (unsigned i = 0; i < count_; ++i) {
        for (std::size_t c = 0; c < kColours; ++c) {
            double sum = 0.0;
            for (int t = 0; t < taps; ++t)
                sum += seen[i * static_cast<std::size_t>(taps) + static_cast<std::size_t>(t)][c];
            const double value = std::clamp(sum / taps * kFullScale, 0.0, 16383.0);
            const auto sensor = static_cast<std::uint16_t>(std::lround(value));
            if (usb) {
                const std::uint16_t sample = tables.Wide(sensor);
                reply.push_back(static_cast<char>(sample >> 8));
                reply.push_back(static_cast<char>(sample & 0xFF));
            } else {
                reply.push_back(static_cast<char>(tables.Narrow(c, sensor)));
            }
        }
    }
    lens_.AdvanceReading();
    CommandOutcome outcome = CommandOutcome::Reply(std::move(reply));
    outcome.workSeconds = std::chrono::duration<double>(SimLens::kReadingSeconds);
    return outcome;
}

}  // namespace camsim
