#pragma once

#include <cstdint>
#include <string_view>

#include "camsim/CameraState.h"
#include "camsim/CommandOutcome.h"
#include "camsim/CommandSet.h"
#include "camsim/Scene.h"
#include "camsim/SimConfig.h"
#include "camsim/SimLens.h"

namespace camsim {

// The focus window: "EZ" sets its size step, "EK" its first sensor pixel, "EN" its pixel count
// and "EY" its readout timing; each "CLF" reads the window once from the scene line in front of
// the sensor where the carriage stands, through the simulated lens. The reply is "#F" and the
// pixels' red, green and blue: big-endian 16-bit samples through the wide output table on USB,
// bytes through the narrow tables on SCSI.
class FocusCommands {
public:
    static constexpr unsigned kMostPixels = 100;
    // The carriage position that sees the first line of the field, and one motor step in
    // pitch units.
    static constexpr int kFirstLinePosition = 7536;
    static constexpr int kPitchPerStep = 3175;
    // The 14-bit sensor value of a white of reflectance 1.
    static constexpr double kFullScale = 15000.0;

    FocusCommands(CameraState& state, SimLink link, const SimFocus& focus);

    // Enters every handler into `commands`; this object must outlive the table.
    void AddTo(CommandSet& commands);

    // The field line the carriage at `position` sees, in native lines from the top.
    [[nodiscard]] double SceneLine(std::uint16_t position) const;

private:
    CommandOutcome SetStep(std::string_view parameters);
    CommandOutcome SetStart(std::string_view parameters);
    CommandOutcome SetCount(std::string_view parameters);
    CommandOutcome SetTiming(std::string_view parameters);
    CommandOutcome ReadWindow(std::string_view parameters);

    CameraState& state_;
    SimLink link_;
    SimLens lens_;
    Scene scene_;
    unsigned step_ = 0;
    unsigned start_ = 0;
    unsigned count_ = kMostPixels;
    unsigned timing_ = 0;
};

}  // namespace camsim
