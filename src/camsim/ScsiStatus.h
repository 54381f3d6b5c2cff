#pragma once

namespace camsim {

// Failure codes of the SCSI link, in the numbering the camera program reports them with.
namespace ScsiStatus {
inline constexpr int kSuccess = 0;
inline constexpr int kGeneralFailure = 31;        // a CDB or data phase the camera refuses
inline constexpr int kIoDevice = 1117;            // a transfer that failed on the way
inline constexpr int kDeviceNotConnected = 1167;  // no camera on this link, or a dead link
}  // namespace ScsiStatus

}  // namespace camsim
