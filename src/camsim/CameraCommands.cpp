#include "camsim/CameraCommands.h"

#include <cstdio>
#include <optional>
#include <string>

#include "camsim/HexText.h"

namespace camsim {

namespace {

CommandOutcome ValueError()
{
    return CommandOutcome::Error(CameraErrorCode::kValueError);
}

CommandOutcome Busy()
{
    return CommandOutcome::Error(CameraErrorCode::kBusy);
}

}  // namespace

CameraCommands::CameraCommands(CameraState& state) : state_(state)
{
}

void CameraCommands::AddTo(CommandSet& commands)
{
    commands.Add("MM", [this](std::string_view p) { return QueryModel(p); });
    commands.Add("MV", [this](std::string_view p) { return QueryFirmware(p); });
    commands.Add("MN", [this](std::string_view p) { return QuerySerial(p); });
    commands.Add("CS", [this](std::string_view p) { return QueryStatus(p); });
    commands.Add("CMX", [this](std::string_view p) { return SelectMotorOutput(p); });
    commands.Add("MD", [this](std::string_view p) { return SetDestination(p); });
    commands.Add("CMV", [this](std::string_view p) { return MoveToDestination(p); });
    commands.Add("CMH", [this](std::string_view p) { return MoveHome(p); });
}

// "MM": the model code in decimal.
CommandOutcome CameraCommands::QueryModel(std::string_view parameters) const
{
    if (!parameters.empty())
        return ValueError();
    return CommandOutcome::Reply("MM" + std::to_string(state_.ModelCode()));
}

// "MV": the firmware version in hundredths, four hexadecimal digits (019E = 4.14).
CommandOutcome CameraCommands::QueryFirmware(std::string_view parameters) const
{
    if (!parameters.empty())
        return ValueError();
    char text[16];
    std::snprintf(text, sizeof text, "MV%.4X", static_cast<unsigned>(state_.Firmware()));
    return CommandOutcome::Reply(text);
}

// "MN": the serial number, four hexadecimal digits.
CommandOutcome CameraCommands::QuerySerial(std::string_view parameters) const
{
    if (!parameters.empty())
        return ValueError();
    char text[16];
    std::snprintf(text, sizeof text, "MN%.4X", static_cast<unsigned>(state_.Serial()));
    return CommandOutcome::Reply(text);
}

// "CS": flags, lines scanned, motor position, raw supply voltage, free disk megabytes. During a
// capture the reply that counts its last line tells the camera that the host has seen the end.
CommandOutcome CameraCommands::QueryStatus(std::string_view parameters)
{
    if (!parameters.empty())
        return ValueError();
    const bool countsLastLine = state_.Capture().NoteStatusQuery();
    char text[40];
    std::snprintf(text, sizeof text, "#S%.4X %.4X %.4X %.4X %.4X",
                  static_cast<unsigned>(state_.StatusFlags()),
                  static_cast<unsigned>(state_.LinesScanned()),
                  static_cast<unsigned>(state_.MotorPosition()),
                  static_cast<unsigned>(state_.SupplyVoltageRaw()),
                  static_cast<unsigned>(state_.DiskFreeMegabytes()));
    CommandOutcome outcome = CommandOutcome::Reply(text);
    outcome.reportsLastLine = countsLastLine;
    return outcome;
}

// "CMX00" connects the motor output to the sensor carriage, "CMX01" to the turntable stage.
CommandOutcome CameraCommands::SelectMotorOutput(std::string_view parameters)
{
    const std::optional<unsigned> output = HexText::Parse(parameters, 2);
    if (!output || *output > 1)
        return ValueError();
    if (CaptureRuns())
        return Busy();
    state_.SelectStage(*output == 1);
    return CommandOutcome::Ok();
}

// "MD%.4X": sets the destination of the next move and echoes it.
CommandOutcome CameraCommands::SetDestination(std::string_view parameters)
{
    const std::optional<unsigned> destination = HexText::Parse(parameters, 4);
    if (!destination)
        return ValueError();
    if (CaptureRuns())
        return Busy();
    state_.SetDestination(static_cast<std::uint16_t>(*destination));
    char text[16];
    std::snprintf(text, sizeof text, "MD%.4X", *destination);
    return CommandOutcome::Reply(text);
}

// "CMV": starts the motor towards the destination; the reply comes as it starts.
CommandOutcome CameraCommands::MoveToDestination(std::string_view parameters)
{
    if (!parameters.empty())
        return ValueError();
    if (CaptureRuns())
        return Busy();
    state_.SelectedMotor().MoveTo(state_.Destination(), state_.Clock());
    return CommandOutcome::Ok();
}

// "CMH": starts the motor towards its home position 0.
CommandOutcome CameraCommands::MoveHome(std::string_view parameters)
{
    if (!parameters.empty())
        return ValueError();
    if (CaptureRuns())
        return Busy();
    state_.SelectedMotor().MoveTo(CameraState::kHome, state_.Clock());
    return CommandOutcome::Ok();
}

}  // namespace camsim
