#pragma once

#include <cstddef>
#include <string_view>

#include "camsim/CameraState.h"
#include "camsim/CommandOutcome.h"
#include "camsim/CommandSet.h"

namespace camsim {

// The turntable stage's commands: its motor parameters ("Ma".."Mf"), acceleration ("MA"),
// cruise rate ("MR") and speed ("MS"), each echoed with its value; the move to the destination
// register ("CMG"), stop ("CMS"), preset ("CMP") and the stage offset ("MT"). The destination
// register ("MD") and the motor output ("CMX") belong to the camera's own commands. Moves and
// presets act on the stage only while the motor output is switched to it, and are refused
// "#E11" while a capture runs.
class StageCommands {
public:
    explicit StageCommands(CameraState& state);

    // Enters every handler into `commands`; this object must outlive the table.
    void AddTo(CommandSet& commands);

private:
    CommandOutcome SetParameter(std::size_t index, std::string_view name,
                                std::string_view parameters);
    CommandOutcome SetValue(std::string_view name, std::string_view parameters,
                            void (SimStage::*setter)(std::uint16_t));
    CommandOutcome Go(std::string_view parameters);
    CommandOutcome Stop(std::string_view parameters);
    CommandOutcome Preset(std::string_view parameters);
    CommandOutcome ReadOffset(std::string_view parameters) const;
    // Why a move or preset can not run now, or nothing when it can.
    [[nodiscard]] std::optional<CommandOutcome> Refusal(std::string_view parameters) const;

    CameraState& state_;
};

}  // namespace camsim
