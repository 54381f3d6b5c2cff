#include "cli/StageCommand.h"

#include <charconv>
#include <chrono>
#include <optional>
#include <thread>
#include <vector>

#include "camera/QVPanoControl.h"
#include "cli/CliApp.h"
#include "cli/CliReport.h"
#include "cli/CliUiPort.h"
#include "cli/EventScope.h"
#include "context/AppContext.h"
#include "settings/QVSize.h"

namespace scanora::cli {

namespace {

using namespace std::chrono_literals;

constexpr auto kJogPoll = 100ms;
// A fine jog over the whole travel of a slow stage takes minutes; no jog takes longer than this.
constexpr auto kJogWaitLimit = 10min;
constexpr std::size_t kCentre = 10;

const char* const kUsage =
    "stage needs one of: move POS, jog min|max --fine|--coarse, calibrate, position, home";

// A motor position: a decimal number from 0 to 65535.
std::optional<std::uint16_t> ParsePosition(const std::string& text)
{
    unsigned value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value > 0xFFFF)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

}  // namespace

StageCommand::StageCommand(const CliOptions& options, AppContext& context, CliUiPort& ui,
                           std::FILE* out, std::FILE* err, const std::atomic<bool>& stopRequested)
    : options_(options),
      context_(context),
      ui_(ui),
      out_(out),
      err_(err),
      stopRequested_(stopRequested)
{
}

std::string StageCommand::CheckArguments(const CliOptions& options)
{
    const std::vector<std::string>& args = options.arguments;
    if (args.empty())
        return kUsage;
    const std::string& action = args.front();
    const bool jog = action == "jog";
    if (!options.stageSpeed.empty() && !jog)
        return "--fine and --coarse go with stage jog";
    if (action == "move") {
        if (args.size() != 2 || !ParsePosition(args[1]))
            return "stage move needs one motor position from 0 to 65535, e.g. stage move 26624";
        return {};
    }
    if (jog) {
        if (args.size() != 2 || (args[1] != "min" && args[1] != "max"))
            return "stage jog needs the end to go to: min or max";
        if (options.stageSpeed.empty())
            return "stage jog needs --fine or --coarse";
        return {};
    }
    if (action == "calibrate" || action == "position" || action == "home") {
        if (args.size() != 1)
            return "stage " + action + " takes no further arguments";
        return {};
    }
    return kUsage;
}

int StageCommand::Run()
{
    const std::string& action = options_.arguments.front();
    // Everything but a look at the position turns the stage: with --json it reports as it goes.
    const EventScope scope(options_.json && action != "position", out_, ui_, "stage",
                           JsonObject().Text("action", action));
    events_ = scope.Events();
    if (action == "move")
        return Move(*ParsePosition(options_.arguments[1]));
    if (action == "jog")
        return Jog();
    if (action == "calibrate")
        return Calibrate();
    if (action == "home")
        return Move(context_.Pano().MotorParams()[kCentre]);
    return ReportPosition();
}

int StageCommand::Move(std::uint16_t position)
{
    QVPanoControl& pano = context_.Pano();
    if (events_) {
        // The stage's motor waits report where it has got to.
        pano.SetRedraw([this, &pano] { EmitPosition(pano.StagePosition()); });
    }
    const bool moved = context_.Camera().SetAuxMode(true) && pano.RotateTo(position);
    pano.SetRedraw({});
    if (!moved)
        return Fail("The stage did not move.");
    return ReportPosition();
}

void StageCommand::EmitPosition(std::optional<std::uint16_t> position) const
{
    if (events_ && position)
        events_->Emit("progress", JsonObject().Integer("position", *position));
}

int StageCommand::Jog()
{
    QVPanoControl& pano = context_.Pano();
    const auto end = options_.arguments[1] == "min" ? QVPanoControl::JogEnd::Minimum
                                                    : QVPanoControl::JogEnd::Maximum;
    const auto speed = options_.stageSpeed == "fine" ? QVPanoControl::JogSpeed::Fine
                                                     : QVPanoControl::JogSpeed::Coarse;
    if (!pano.Jog(end, speed, context_.Size().GetInsertRotation()))
        return Fail("The stage did not move.");
    // Like a jog button held down: the stage runs until it is there or the user lets go.
    const auto limit = std::chrono::steady_clock::now() + kJogWaitLimit;
    for (;;) {
        if (stopRequested_.load()) {
            if (!pano.StopStage())
                return Fail("The stage did not stop.");
            break;
        }
        const std::optional<bool> moving = pano.StageMoving();
        if (!moving)
            return Fail("The camera did not report the stage.");
        if (events_)
            EmitPosition(pano.StagePosition());
        if (!*moving)
            break;
        if (std::chrono::steady_clock::now() >= limit) {
            pano.StopStage();
            return Fail("The stage did not reach the end of its travel in time.");
        }
        std::this_thread::sleep_for(kJogPoll);
    }
    return ReportPosition();
}

int StageCommand::Calibrate()
{
    const std::optional<QVPanoControl::Calibration> calibration =
        context_.Pano().MeasureOvershoot();
    if (!calibration)
        return Fail("The stage could not be calibrated.");
    if (options_.json) {
        CliReport report;
        report.AddInteger("coarse", "Coarse", calibration->coarse);
        report.AddInteger("fine", "Fine", calibration->fine);
        report.PrintJson(out_);
    } else {
        std::fprintf(out_, "%s\n", QVPanoControl::CalibrationText(*calibration).c_str());
    }
    return kExitSuccess;
}

int StageCommand::ReportPosition()
{
    QVPanoControl& pano = context_.Pano();
    const std::optional<std::uint16_t> position = pano.StagePosition();
    const std::optional<bool> moving = position ? pano.StageMoving() : std::nullopt;
    if (!position || !moving)
        return Fail("The camera did not report the stage.");
    CliReport report;
    report.AddInteger("position", "Position", *position);
    report.AddBool("moving", "Moving", *moving);
    if (options_.json)
        report.PrintJson(out_);
    else
        report.PrintText(out_);
    return kExitSuccess;
}

int StageCommand::Fail(const std::string& fallback) const
{
    return CliApp::CameraFailed(out_, err_, options_.json, ui_, fallback);
}

}  // namespace scanora::cli
