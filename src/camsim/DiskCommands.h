#pragma once

#include <string_view>

#include "camsim/CaptureEngine.h"
#include "camsim/CommandOutcome.h"
#include "camsim/CommandSet.h"
#include "camsim/SimDisk.h"

namespace camsim {

// The camera's disk commands: the directory ("CDQ", "CDR"), deletion ("CDD") and initialisation
// ("CDI"). The disk cannot change under a running capture: "CDD" and "CDI" are then refused
// "#E11".
//
// "CDR%.2X" answers slot i with fields at fixed places:
//   "DR " kind(2) " " reserved(4) " " size(4) "   " block(2) " " width(4) " " height(4) " "
//   extra(4) " " time-high(4) " " time-low(4)
// so the first group starts at character 3 and the second at character 18. The kind is FF for
// free space, otherwise the capture format (bits 4..7 the bytes per pixel); the size counts half
// megabytes; the extra value is the image's size step (16-bit two's complement); the time is
// seconds since 1904-01-01 00:00, high half first. A free slot's second group is all zeros.
class DiskCommands {
public:
    static constexpr double kInitialiseSeconds = 2.0;

    DiskCommands(SimDisk& disk, const CaptureEngine& capture);

    // Enters every handler into `commands`; this object must outlive the table.
    void AddTo(CommandSet& commands);

private:
    CommandOutcome QueryDirectoryCount(std::string_view parameters) const;
    CommandOutcome QueryDirectorySlot(std::string_view parameters) const;
    CommandOutcome Delete(std::string_view parameters);
    CommandOutcome Initialise(std::string_view parameters);

    SimDisk& disk_;
    const CaptureEngine& capture_;
};

}  // namespace camsim
