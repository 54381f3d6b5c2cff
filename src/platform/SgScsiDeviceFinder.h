#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/ScsiDevice.h"

namespace scanora {

// Lists and opens the Linux generic SCSI nodes (/dev/sgN) that may be the camera: all of them in
// numeric order, or the one node the user names.
class SgScsiDeviceFinder final : public ScsiDeviceFinder {
public:
    // `path` empty: every sgN node under `deviceRoot`; otherwise that node only.
    explicit SgScsiDeviceFinder(std::string path = {}, std::filesystem::path deviceRoot = "/dev");

    std::vector<std::string> Candidates() override;
    // Opens the node read-write; null with `why` filled in when it is missing, forbidden, busy or
    // not a generic SCSI device.
    std::unique_ptr<ScsiDevice> Open(const std::string& name, DeviceError& why) override;

private:
    std::string path_;
    std::filesystem::path deviceRoot_;
};

}  // namespace scanora
