#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "camera/QVCamera.h"

namespace camsim {
class SimCamera;
}

namespace scanora {

// The camera link a user chose with --camera (or SCANORA_CAMERA): the finders the camera object
// tries, and the in-process simulator when the link is `sim`.
//
//   auto                      SCSI first, then USB
//   usb[:VID:PID]             USB only
//   scsi[:/dev/sgN]           SCSI only
//   sim[:key=value,...]       the simulated camera in this process
//   socket:PATH, tcp:HOST:PORT  the simulated camera served by scanora-camsim
struct CameraConnection {
    std::unique_ptr<camsim::SimCamera> simulator;
    CameraLinks links;
    std::string linkName;  // "auto", "usb", "scsi", "sim", "socket"

    CameraConnection();
    ~CameraConnection();
    CameraConnection(CameraConnection&&) noexcept;
    CameraConnection& operator=(CameraConnection&&) noexcept;
};

// Parses a camera link text. False, with a one-line reason, when it names no usable link.
bool ParseCameraSpec(std::string_view spec, CameraConnection& connection, std::string& error);

}  // namespace scanora
