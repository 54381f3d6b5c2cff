#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/DeviceError.h"
#include "platform/LinkError.h"

namespace scanora {

// One pass-through request: a command descriptor block with its data phase.
struct ScsiRequest {
    std::span<const std::uint8_t> cdb;  // 6 or 10 bytes
    bool dataIn = true;                 // true: device to host
    std::uint8_t* data = nullptr;       // the caller's buffer, `length` bytes
    std::uint32_t length = 0;
    std::uint32_t timeoutSeconds = 1;  // as the pass-through interface takes it
    std::uint8_t senseLength = 32;
};

// What the pass-through call reported: an error code in the camera program's numbering
// (0 = success; see LinkError) and the bytes actually transferred.
struct ScsiResult {
    std::uint16_t error = 0;
    std::uint32_t transferred = 0;
};

// SCSI requests report the transports' common error codes.
namespace ScsiError = LinkError;

// One opened SCSI device (a /dev/sg node, or the simulator).
class ScsiDevice {
public:
    virtual ~ScsiDevice() = default;

    virtual ScsiResult Execute(const ScsiRequest& request) = 0;
};

// Lists and opens the generic SCSI devices that may be the camera. The transport sends its own
// identification to each candidate in turn and keeps the first one that passes.
class ScsiDeviceFinder {
public:
    virtual ~ScsiDeviceFinder() = default;

    // Names of the candidate devices, in the order they are to be tried.
    virtual std::vector<std::string> Candidates() = 0;
    // Opens one candidate, or returns null with `why` filled in.
    virtual std::unique_ptr<ScsiDevice> Open(const std::string& name, DeviceError& why) = 0;
};

}  // namespace scanora
