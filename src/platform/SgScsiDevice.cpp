#include "platform/SgScsiDevice.h"

#include <scsi/sg.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <limits>

namespace scanora {

namespace {

ScsiResult Failure(std::uint16_t error)
{
    return {error, 0};
}

std::uint16_t ErrorOfErrno(int error)
{
    switch (error) {
    case ETIMEDOUT: return LinkError::kTimeout;
    case ENODEV:
    case ENXIO: return LinkError::kDeviceNotConnected;
    case EACCES:
    case EPERM: return LinkError::kAccessDenied;
    case EBUSY: return LinkError::kBusy;
    case EIO: return LinkError::kIoDevice;
    default: return LinkError::kGeneralFailure;
    }
}

// 0 when the host adapter saw no problem.
std::uint16_t ErrorOfHostStatus(std::uint16_t host)
{
    switch (host) {
    case 0: return LinkError::kSuccess;
    case SgOutcome::kHostTimeOut: return LinkError::kTimeout;
    case SgOutcome::kHostNoConnect:
    case SgOutcome::kHostBadTarget: return LinkError::kDeviceNotConnected;
    case SgOutcome::kHostBusBusy:
    case SgOutcome::kHostImmediateRetry:
    case SgOutcome::kHostRequeue: return LinkError::kBusy;
    default: return LinkError::kIoDevice;
    }
}

// 0 when the device completed the command.
std::uint16_t ErrorOfScsiStatus(std::uint8_t status, std::uint8_t senseKey)
{
    switch (status) {
    case SgOutcome::kStatusGood:
    case SgOutcome::kStatusConditionMet: return LinkError::kSuccess;
    case SgOutcome::kStatusCheckCondition:
    case SgOutcome::kStatusCommandTerminated:
        // A recovered error is the device saying it coped; the data is good.
        return senseKey == SgOutcome::kSenseRecoveredError ? LinkError::kSuccess
                                                           : LinkError::kIoDevice;
    case SgOutcome::kStatusBusy:
    case SgOutcome::kStatusReservationConflict:
    case SgOutcome::kStatusTaskSetFull: return LinkError::kBusy;
    default: return LinkError::kGeneralFailure;
    }
}

}  // namespace

SgScsiDevice::SgScsiDevice(UniqueFd device) : device_(std::move(device))
{
}

ScsiResult SgScsiDevice::MapOutcome(const SgOutcome& outcome)
{
    if (outcome.callErrno != 0) {
        return Failure(ErrorOfErrno(outcome.callErrno));
    }
    if (const auto error = ErrorOfHostStatus(outcome.hostStatus); error != LinkError::kSuccess) {
        return Failure(error);
    }
    const auto driver = static_cast<std::uint16_t>(outcome.driverStatus & 0x0F);
    if (driver == SgOutcome::kDriverTimeout) {
        return Failure(LinkError::kTimeout);
    }
    if (driver == SgOutcome::kDriverBusy) {
        return Failure(LinkError::kBusy);
    }
    if (const auto error = ErrorOfScsiStatus(outcome.scsiStatus, outcome.senseKey);
        error != LinkError::kSuccess) {
        return Failure(error);
    }
    if (driver != 0 && driver != SgOutcome::kDriverSense) {
        return Failure(LinkError::kIoDevice);
    }
    // resid comes from the driver: keep it within what was asked for.
    const auto resid =
        static_cast<std::uint32_t>(std::clamp<std::int64_t>(outcome.resid, 0, outcome.requested));
    return {LinkError::kSuccess, outcome.requested - resid};
}

std::uint8_t SgScsiDevice::SenseKey(std::span<const std::uint8_t> sense)
{
    if (sense.empty()) {
        return SgOutcome::kSenseNoSense;
    }
    switch (sense[0] & 0x7F) {
    case 0x70:  // fixed format, current and deferred errors
    case 0x71:
        return sense.size() > 2 ? static_cast<std::uint8_t>(sense[2] & 0x0F)
                                : SgOutcome::kSenseNoSense;
    case 0x72:  // descriptor format
    case 0x73:
        return sense.size() > 1 ? static_cast<std::uint8_t>(sense[1] & 0x0F)
                                : SgOutcome::kSenseNoSense;
    default: return SgOutcome::kSenseNoSense;
    }
}

ScsiResult SgScsiDevice::Execute(const ScsiRequest& request)
{
    if (!device_.IsValid()) {
        return Failure(LinkError::kDeviceNotConnected);
    }
    if (request.cdb.empty() || request.cdb.size() > kMaxCdbLength ||
        (request.length > 0 && request.data == nullptr)) {
        return Failure(LinkError::kGeneralFailure);
    }

    std::array<std::uint8_t, kMaxCdbLength> cdb{};
    std::copy(request.cdb.begin(), request.cdb.end(), cdb.begin());
    std::array<std::uint8_t, std::numeric_limits<std::uint8_t>::max()> sense{};

    // A zero time-out would leave the choice to the kernel; the caller always means a limit.
    constexpr std::uint32_t kMaxSeconds = std::numeric_limits<unsigned>::max() / 1000 - 1;
    const std::uint32_t seconds = std::clamp<std::uint32_t>(request.timeoutSeconds, 1, kMaxSeconds);

    sg_io_hdr_t header{};
    header.interface_id = 'S';
    header.cmdp = cdb.data();
    header.cmd_len = static_cast<unsigned char>(request.cdb.size());
    header.dxfer_direction = request.length == 0 ? SG_DXFER_NONE
                             : request.dataIn    ? SG_DXFER_FROM_DEV
                                                 : SG_DXFER_TO_DEV;
    header.dxferp = request.length == 0 ? nullptr : request.data;
    header.dxfer_len = request.length;
    header.sbp = sense.data();
    header.mx_sb_len = request.senseLength;
    header.timeout = seconds * 1000;

    SgOutcome outcome;
    outcome.requested = request.length;
    if (::ioctl(device_.Get(), SG_IO, &header) < 0) {
        // Not retried on EINTR: the command may already have reached the camera.
        outcome.callErrno = errno;
    } else {
        outcome.scsiStatus = header.status;
        outcome.hostStatus = header.host_status;
        outcome.driverStatus = header.driver_status;
        outcome.resid = header.resid;
        const std::size_t senseBytes = std::min<std::size_t>(header.sb_len_wr, header.mx_sb_len);
        outcome.senseKey = SenseKey(std::span(sense).first(senseBytes));
    }
    return MapOutcome(outcome);
}

}  // namespace scanora
