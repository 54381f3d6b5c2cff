#include "camsim/CaptureCommands.h"

#include <optional>
#include <string>

#include "camsim/HexText.h"

namespace camsim {

namespace {

constexpr std::string_view kBlockNames[] = {"H00", "H01", "H02", "H03"};

CommandOutcome ValueError()
{
    return CommandOutcome::Error(CameraErrorCode::kValueError);
}

}  // namespace

CaptureCommands::CaptureCommands(CaptureEngine& engine) : engine_(engine)
{
}

void CaptureCommands::AddTo(CommandSet& commands)
{
    for (const std::string_view name : kBlockNames) {
        commands.Add(std::string(name),
                     [this, name](std::string_view p) { return ReceiveBlock(name, p); });
    }
    commands.Add("CFR", [this](std::string_view p) { return SelectFrame(p); });
    commands.Add("CLD", [this](std::string_view p) { return LoadDefaults(p); });
    commands.Add("CLL", [this](std::string_view p) { return LoadTable(p); });
    commands.Add("CLB", [this](std::string_view p) { return Begin(p); });
    commands.Add("EE", [this](std::string_view p) { return SetExposureTime(p); });
    commands.Add("CLP", [this](std::string_view p) { return Prepare(p); });
    commands.Add("CLT", [this](std::string_view p) { return Start(p); });
    commands.Add("CLA", [this](std::string_view p) { return Abort(p); });
}

// "H0n" + 128 characters + two checksum digits.
CommandOutcome CaptureCommands::ReceiveBlock(std::string_view name, std::string_view parameters)
{
    const std::string block = std::string(name) + std::string(parameters);
    return CommandOutcome::OkOrError(engine_.ReceiveBlock(block));
}

// "CFR%.2X": selects a sensor frame.
CommandOutcome CaptureCommands::SelectFrame(std::string_view parameters)
{
    const std::optional<unsigned> frame = HexText::Parse(parameters, 2);
    if (!frame)
        return ValueError();
    return CommandOutcome::OkOrError(engine_.SelectFrame(*frame));
}

// "CLD": loads the default tables.
CommandOutcome CaptureCommands::LoadDefaults(std::string_view parameters)
{
    if (!parameters.empty())
        return ValueError();
    return CommandOutcome::OkOrError(engine_.LoadDefaults());
}

// "CLL%.2X": loads one table slot.
CommandOutcome CaptureCommands::LoadTable(std::string_view parameters)
{
    const std::optional<unsigned> slot = HexText::Parse(parameters, 2);
    if (!slot)
        return ValueError();
    return CommandOutcome::OkOrError(engine_.LoadTable(*slot));
}

// "CLB": takes the four parameter blocks as one set-up.
CommandOutcome CaptureCommands::Begin(std::string_view parameters)
{
    if (!parameters.empty())
        return ValueError();
    return CommandOutcome::OkOrError(engine_.Begin());
}

// "EE%.4X": the exposure time within a longer line period.
CommandOutcome CaptureCommands::SetExposureTime(std::string_view parameters)
{
    const std::optional<unsigned> time = HexText::Parse(parameters, 4);
    if (!time)
        return ValueError();
    return CommandOutcome::OkOrError(engine_.SetExposureTime(static_cast<std::uint16_t>(*time)));
}

// "CLP": makes the capture ready; the reply comes when the carriage is at the start.
CommandOutcome CaptureCommands::Prepare(std::string_view parameters)
{
    if (!parameters.empty())
        return ValueError();
    CommandOutcome outcome = CommandOutcome::OkOrError(engine_.Prepare());
    if (outcome.reply == "#OK")
        outcome.workSeconds = std::chrono::duration<double>(kPrepareSeconds);
    return outcome;
}

// "CLT": starts the capture; its reply is the capture's closing reply.
CommandOutcome CaptureCommands::Start(std::string_view parameters)
{
    if (!parameters.empty())
        return ValueError();
    const unsigned result = engine_.Start();
    return result == CameraErrorCode::kNone ? CommandOutcome::Silent()
                                            : CommandOutcome::Error(result);
}

// "CLA": stops the running capture (and is answered "#OK" when none runs).
CommandOutcome CaptureCommands::Abort(std::string_view parameters)
{
    if (!parameters.empty())
        return ValueError();
    engine_.Abort();
    return CommandOutcome::Ok();
}

}  // namespace camsim
