#include "camsim/CameraCommands.h"

#include <cstdio>
#include <string>

namespace camsim {

namespace {

CommandOutcome ValueError()
{
    return CommandOutcome::Error(CameraErrorCode::kValueError);
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
    commands.Add("CDQ", [this](std::string_view p) { return QueryDirectoryCount(p); });
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

// "CS": flags, lines scanned, motor position, raw supply voltage, free disk megabytes.
CommandOutcome CameraCommands::QueryStatus(std::string_view parameters) const
{
    if (!parameters.empty())
        return ValueError();
    char text[40];
    std::snprintf(text, sizeof text, "#S%.4X %.4X %.4X %.4X %.4X",
                  static_cast<unsigned>(state_.StatusFlags()),
                  static_cast<unsigned>(state_.LinesScanned()),
                  static_cast<unsigned>(state_.MotorPosition()),
                  static_cast<unsigned>(state_.SupplyVoltageRaw()),
                  static_cast<unsigned>(state_.DiskFreeMegabytes()));
    return CommandOutcome::Reply(text);
}

// "CDQ": "DQ" and the number of directory slots in two hexadecimal digits; 256 slots read 00.
CommandOutcome CameraCommands::QueryDirectoryCount(std::string_view parameters) const
{
    if (!parameters.empty())
        return ValueError();
    char text[16];
    std::snprintf(text, sizeof text, "DQ%.2X",
                  static_cast<unsigned>(state_.Disk().Entries().size() & 0xFF));
    return CommandOutcome::Reply(text);
}

// "CMX00" connects the motor output to the sensor carriage, "CMX01" to the turntable stage.
CommandOutcome CameraCommands::SelectMotorOutput(std::string_view parameters)
{
    const std::optional<unsigned> output = ParseHex(parameters, 2);
    if (!output || *output > 1)
        return ValueError();
    state_.SelectStage(*output == 1);
    return CommandOutcome::Ok();
}

// "MD%.4X": sets the destination of the next move and echoes it.
CommandOutcome CameraCommands::SetDestination(std::string_view parameters)
{
    const std::optional<unsigned> destination = ParseHex(parameters, 4);
    if (!destination)
        return ValueError();
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
    state_.SelectedMotor().MoveTo(state_.Destination(), state_.Clock());
    return CommandOutcome::Ok();
}

// "CMH": starts the motor towards its home position 0.
CommandOutcome CameraCommands::MoveHome(std::string_view parameters)
{
    if (!parameters.empty())
        return ValueError();
    state_.SelectedMotor().MoveTo(CameraState::kHome, state_.Clock());
    return CommandOutcome::Ok();
}

std::optional<unsigned> CameraCommands::ParseHex(std::string_view text, std::size_t digits)
{
    if (text.size() != digits)
        return std::nullopt;
    unsigned value = 0;
    for (const char c : text) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else
            return std::nullopt;
        value = value * 16 + digit;
    }
    return value;
}

}  // namespace camsim
