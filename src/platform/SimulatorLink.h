#pragma once

#include <memory>

#include "platform/BulkDevice.h"
#include "platform/ScsiDevice.h"

namespace camsim {
class SimCamera;
}

namespace scanora {

// Finders that reach the in-process simulated camera over its USB or its SCSI side. The
// simulator must outlive them and every device they open.
std::unique_ptr<BulkDeviceFinder> MakeSimulatorUsbFinder(camsim::SimCamera& camera);
std::unique_ptr<ScsiDeviceFinder> MakeSimulatorScsiFinder(camsim::SimCamera& camera);

}  // namespace scanora
