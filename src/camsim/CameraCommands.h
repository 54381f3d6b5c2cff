#pragma once

#include <string_view>

#include "camsim/CameraState.h"
#include "camsim/CommandOutcome.h"
#include "camsim/CommandSet.h"

namespace camsim {

// The camera's command handlers: identity, status, motor output and carriage. Each reads or
// changes the CameraState and composes the reply. A known command with a malformed parameter is
// answered "#E02"; the motor commands are refused "#E11" while a capture drives the carriage.
class CameraCommands {
public:
    explicit CameraCommands(CameraState& state);

    // Enters every handler into `commands`; this object must outlive the table.
    void AddTo(CommandSet& commands);

private:
    CommandOutcome QueryModel(std::string_view parameters) const;
    CommandOutcome QueryFirmware(std::string_view parameters) const;
    CommandOutcome QuerySerial(std::string_view parameters) const;
    CommandOutcome QueryStatus(std::string_view parameters);
    CommandOutcome SelectMotorOutput(std::string_view parameters);
    CommandOutcome SetDestination(std::string_view parameters);
    CommandOutcome MoveToDestination(std::string_view parameters);
    CommandOutcome MoveHome(std::string_view parameters);
    [[nodiscard]] bool CaptureRuns() const { return state_.Capture().IsBusy(); }

    CameraState& state_;
};

}  // namespace camsim
