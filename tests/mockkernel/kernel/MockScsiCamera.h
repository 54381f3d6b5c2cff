#pragma once

#include "MockDevice.h"

namespace camsim {
class SimCamera;
}

namespace scanora::mockkernel {

// The camera back on SCSI as the sg driver shows it: a /dev/sgN node answering SG_IO with the
// command descriptor block and its data phase carried to the simulated camera (INQUIRY
// included: the camera answers it itself). A command the camera refuses ends in CHECK CONDITION
// with fixed-format sense data (ILLEGAL REQUEST for a refused block, HARDWARE ERROR for a
// failed transfer); a camera whose link died is gone, and SG_IO fails with ENODEV.
class MockScsiCamera final : public MockDevice {
public:
    MockScsiCamera(UMockdevTestbed* testbed, camsim::SimCamera& camera);
    ~MockScsiCamera() override;

private:
    std::string AddSysfsEntry(UMockdevTestbed* testbed, int plugging,
                              std::string& devNode) override;
    void HandleIoctl(UMockdevIoctlClient* client) override;
    void RunCommand(UMockdevIoctlClient* client, UMockdevIoctlData* arg);

    camsim::SimCamera& camera_;
};

}  // namespace scanora::mockkernel
