#include "camsim/StageCommands.h"

#include <optional>
#include <string>

#include "camsim/HexText.h"

namespace camsim {

namespace {

constexpr std::string_view kParameterNames[] = {"Ma", "Mb", "Mc", "Md", "Me", "Mf"};

std::optional<std::uint16_t> ParseWord(std::string_view parameters)
{
    const std::optional<unsigned> value = HexText::Parse(parameters, 4);
    if (!value)
        return std::nullopt;
    return static_cast<std::uint16_t>(*value);
}

CommandOutcome Echo(std::string_view name, std::uint16_t value)
{
    return CommandOutcome::Reply(std::string(name) + HexText::Format(value, 4));
}

}  // namespace

StageCommands::StageCommands(CameraState& state) : state_(state)
{
}

void StageCommands::AddTo(CommandSet& commands)
{
    for (std::size_t i = 0; i < std::size(kParameterNames); ++i) {
        const std::string_view name = kParameterNames[i];
        commands.Add(std::string(name),
                     [this, i, name](std::string_view p) { return SetParameter(i, name, p); });
    }
    commands.Add(
        "MA", [this](std::string_view p) { return SetValue("MA", p, &SimStage::SetAcceleration); });
    commands.Add(
        "MR", [this](std::string_view p) { return SetValue("MR", p, &SimStage::SetCruiseRate); });
    commands.Add("MS",
                 [this](std::string_view p) { return SetValue("MS", p, &SimStage::SetSpeed); });
    commands.Add("CMG", [this](std::string_view p) { return Go(p); });
    commands.Add("CMS", [this](std::string_view p) { return Stop(p); });
    commands.Add("CMP", [this](std::string_view p) { return Preset(p); });
    commands.Add("MT", [this](std::string_view p) { return ReadOffset(p); });
}

CommandOutcome StageCommands::SetParameter(std::size_t index, std::string_view name,
                                           std::string_view parameters)
{
    const std::optional<std::uint16_t> value = ParseWord(parameters);
    if (!value)
        return CommandOutcome::Error(CameraErrorCode::kValueError);
    state_.Stage().SetParameter(index, *value);
    return Echo(name, *value);
}

CommandOutcome StageCommands::SetValue(std::string_view name, std::string_view parameters,
                                       void (SimStage::*setter)(std::uint16_t))
{
    const std::optional<std::uint16_t> value = ParseWord(parameters);
    if (!value)
        return CommandOutcome::Error(CameraErrorCode::kValueError);
    (state_.Stage().*setter)(*value);
    return Echo(name, *value);
}

std::optional<CommandOutcome> StageCommands::Refusal(std::string_view parameters) const
{
    if (!parameters.empty())
        return CommandOutcome::Error(CameraErrorCode::kValueError);
    if (state_.Capture().IsBusy())
        return CommandOutcome::Error(CameraErrorCode::kBusy);
    return std::nullopt;
}

// "CMG": turns the stage towards the destination register; the reply comes as it starts. With
// the carriage on the motor output the carriage goes there instead, without coasting.
CommandOutcome StageCommands::Go(std::string_view parameters)
{
    if (std::optional<CommandOutcome> refused = Refusal(parameters))
        return *refused;
    if (state_.IsStageSelected())
        state_.Stage().Go(state_.Destination(), state_.Clock());
    else
        state_.SelectedMotor().MoveTo(state_.Destination(), state_.Clock());
    return CommandOutcome::Ok();
}

// "CMS": stops the motor where it is. Always accepted: stopping is never refused.
CommandOutcome StageCommands::Stop(std::string_view parameters)
{
    if (!parameters.empty())
        return CommandOutcome::Error(CameraErrorCode::kValueError);
    if (state_.IsStageSelected())
        state_.Stage().Stop(state_.Clock());
    else
        state_.SelectedMotor().MoveTo(state_.MotorPosition(), state_.Clock());
    return CommandOutcome::Ok();
}

// "CMP": the stage counts its present place as the destination register; nothing moves.
CommandOutcome StageCommands::Preset(std::string_view parameters)
{
    if (std::optional<CommandOutcome> refused = Refusal(parameters))
        return *refused;
    if (state_.IsStageSelected())
        state_.Stage().Preset(state_.Destination());
    return CommandOutcome::Ok();
}

// "MT": the stage position at which the last capture began, by which the host returns the stage
// after a rotating capture. This camera does not turn the stage during a capture itself, so that
// is where the stage is now.
CommandOutcome StageCommands::ReadOffset(std::string_view parameters) const
{
    if (!parameters.empty())
        return CommandOutcome::Error(CameraErrorCode::kValueError);
    return Echo("MT", state_.Stage().Position(state_.Clock().Now()));
}

}  // namespace camsim
