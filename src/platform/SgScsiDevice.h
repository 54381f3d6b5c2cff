#pragma once

#include <cstdint>
#include <span>

#include "platform/LinkError.h"
#include "platform/ScsiDevice.h"
#include "platform/UniqueFd.h"

namespace scanora {

// What one SG_IO call reported, reduced to the fields that decide the request's result.
struct SgOutcome {
    // Host adapter, driver and SCSI status values the sg driver reports (the kernel's DID_*,
    // DRIVER_* and SAM status codes; most are not in the user-space headers).
    static constexpr std::uint16_t kHostNoConnect = 0x01;
    static constexpr std::uint16_t kHostBusBusy = 0x02;
    static constexpr std::uint16_t kHostTimeOut = 0x03;
    static constexpr std::uint16_t kHostBadTarget = 0x04;
    static constexpr std::uint16_t kHostImmediateRetry = 0x0C;
    static constexpr std::uint16_t kHostRequeue = 0x0D;
    static constexpr std::uint16_t kDriverBusy = 0x01;
    static constexpr std::uint16_t kDriverTimeout = 0x06;
    static constexpr std::uint16_t kDriverSense = 0x08;
    static constexpr std::uint8_t kStatusGood = 0x00;
    static constexpr std::uint8_t kStatusCheckCondition = 0x02;
    static constexpr std::uint8_t kStatusConditionMet = 0x04;
    static constexpr std::uint8_t kStatusBusy = 0x08;
    static constexpr std::uint8_t kStatusReservationConflict = 0x18;
    static constexpr std::uint8_t kStatusCommandTerminated = 0x22;
    static constexpr std::uint8_t kStatusTaskSetFull = 0x28;
    static constexpr std::uint8_t kSenseNoSense = 0x00;
    static constexpr std::uint8_t kSenseRecoveredError = 0x01;

    int callErrno = 0;            // errno of a failed ioctl; 0 when the call itself worked
    std::uint8_t scsiStatus = 0;  // the device's SAM status byte
    std::uint16_t hostStatus = 0;
    std::uint16_t driverStatus = 0;
    std::uint8_t senseKey = 0;    // from the sense data, when the device returned any
    std::uint32_t requested = 0;  // the data length asked for
    std::int32_t resid = 0;       // what the driver says did not move
};

// One opened /dev/sg node: each request is one SG_IO call, its data moving straight between the
// device and the caller's buffer.
class SgScsiDevice final : public ScsiDevice {
public:
    static constexpr std::size_t kMaxCdbLength = 16;

    explicit SgScsiDevice(UniqueFd device);

    ScsiResult Execute(const ScsiRequest& request) override;

    // Turns what SG_IO reported into an error code of LinkError and the bytes transferred.
    static ScsiResult MapOutcome(const SgOutcome& outcome);
    // The sense key of fixed- or descriptor-format sense data; kSenseNoSense when there is none.
    static std::uint8_t SenseKey(std::span<const std::uint8_t> sense);

private:
    UniqueFd device_;
};

}  // namespace scanora
