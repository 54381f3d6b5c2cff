#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "camsim/LookupTables.h"

namespace camsim {

// The camera's table memory as the capture set-up loads it. "CFRnn" selects the sensor frame nn
// (00..0F) in the camera's own memory; "CLD" loads the default tables: the sensor's column
// calibration and linear output tables; "CLLnn" loads table slot nn: slots 00..03 and 0C from
// the selected frame, 04..06 the red, green and blue narrow tables from the last plane written,
// 08..0B the four byte lanes of the wide table from it.
class TableMemory {
public:
    static constexpr unsigned kFrames = 16;

    // Each returns a CameraErrorCode (kNone when the command was carried out).
    unsigned SelectFrame(unsigned frame);
    void LoadDefaults();
    unsigned Load(unsigned slot);
    // Keeps one 8192-byte plane until the next one arrives. False for a plane of another size.
    bool ReceivePlane(std::span<const std::uint8_t> plane);

    // True once "CLD" has loaded the column calibration; until then every sensor column shows its
    // own small gain error.
    [[nodiscard]] bool IsCalibrated() const { return calibrated_; }
    [[nodiscard]] const LookupTables& Tables() const { return tables_; }

private:
    std::optional<unsigned> frame_;
    bool calibrated_ = false;
    std::vector<std::uint8_t> plane_;  // empty until a plane is written
    LookupTables tables_;
};

}  // namespace camsim
