#pragma once

#include <string_view>

#include "camsim/CaptureEngine.h"
#include "camsim/CommandOutcome.h"
#include "camsim/CommandSet.h"

namespace camsim {

// The camera's capture commands: the parameter blocks "H00".."H03", the table commands "CFR",
// "CLD" and "CLL", then "CLB", "EE", "CLP", "CLT" and "CLA". Every step of the set-up answers
// "#OK" or an error; "CLT" answers nothing until the capture is over (its reply is the capture's
// closing reply, see CaptureSession), or an error at once when the set-up is not ready.
class CaptureCommands {
public:
    // How long the camera takes to bring the carriage to the start of the window on "CLP".
    static constexpr double kPrepareSeconds = 0.5;

    explicit CaptureCommands(CaptureEngine& engine);

    // Enters every handler into `commands`; this object must outlive the table.
    void AddTo(CommandSet& commands);

private:
    CommandOutcome ReceiveBlock(std::string_view name, std::string_view parameters);
    CommandOutcome SelectFrame(std::string_view parameters);
    CommandOutcome LoadDefaults(std::string_view parameters);
    CommandOutcome LoadTable(std::string_view parameters);
    CommandOutcome Begin(std::string_view parameters);
    CommandOutcome SetExposureTime(std::string_view parameters);
    CommandOutcome Prepare(std::string_view parameters);
    CommandOutcome Start(std::string_view parameters);
    CommandOutcome Abort(std::string_view parameters);

    CaptureEngine& engine_;
};

}  // namespace camsim
