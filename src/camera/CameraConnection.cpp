#include "camera/CameraConnection.h"

#include "camsim/SimCamera.h"
#include "platform/LibUsbDeviceFinder.h"
#include "platform/SgScsiDeviceFinder.h"
#include "platform/SimulatorLink.h"
#include "platform/SocketLinkFinder.h"

namespace scanora {

CameraConnection::CameraConnection() = default;
CameraConnection::~CameraConnection()
{
    // The finders may reach into the simulator: they go first.
    links = {};
}
CameraConnection::CameraConnection(CameraConnection&&) noexcept = default;
CameraConnection& CameraConnection::operator=(CameraConnection&&) noexcept = default;

namespace {

// Splits "kind:rest" into kind and rest (rest empty when there is no colon).
std::pair<std::string_view, std::string_view> SplitKind(std::string_view spec)
{
    const auto colon = spec.find(':');
    if (colon == std::string_view::npos)
        return {spec, {}};
    return {spec.substr(0, colon), spec.substr(colon + 1)};
}

}  // namespace

bool ParseCameraSpec(std::string_view spec, CameraConnection& connection, std::string& error)
{
    connection = CameraConnection();
    if (spec.empty())
        spec = "auto";
    const auto [kind, rest] = SplitKind(spec);
    connection.linkName = std::string(kind);

    if (kind == "auto" && rest.empty()) {
        connection.links.scsi = std::make_unique<SgScsiDeviceFinder>();
        connection.links.usb = std::make_unique<LibUsbDeviceFinder>();
        return true;
    }
    if (kind == "usb") {
        if (!rest.empty() && !LibUsbDeviceFinder::ParseUsbId(rest)) {
            error = "usb:VID:PID wants two hexadecimal numbers, e.g. usb:1d6b:0104, not '" +
                    std::string(rest) + "'";
            return false;
        }
        connection.links.usb = std::make_unique<LibUsbDeviceFinder>(rest);
        return true;
    }
    if (kind == "scsi") {
        connection.links.scsi = std::make_unique<SgScsiDeviceFinder>(std::string(rest));
        return true;
    }
    if (kind == "sim") {
        camsim::SimConfig config;
        if (!camsim::ParseSimConfig(rest, config, error))
            return false;
        // No waiting in the simulator: no pause between a command block and its data either.
        if (config.speed == 0.0)
            connection.links.usbCommandDelay = std::chrono::microseconds(0);
        connection.simulator = std::make_unique<camsim::SimCamera>(std::move(config));
        if (error = connection.simulator->DiskError(); !error.empty())
            return false;
        // Both sides are offered, as on a real bus: the one the camera is not wired to stays
        // silent, and the camera object finds the other.
        connection.links.scsi = MakeSimulatorScsiFinder(*connection.simulator);
        connection.links.usb = MakeSimulatorUsbFinder(*connection.simulator);
        return true;
    }
    if (kind == "socket" || kind == "tcp") {
        auto finder = std::make_unique<SocketLinkFinder>(spec);
        if (!finder->SpecError().empty()) {
            error = finder->SpecError();
            return false;
        }
        connection.linkName = "socket";
        connection.links.usb = std::move(finder);
        return true;
    }
    error = "unknown camera link '" + std::string(spec) +
            "' (use auto, usb[:VID:PID], scsi[:/dev/sgN], sim[:key=value,...], socket:PATH or "
            "tcp:127.0.0.1:PORT)";
    return false;
}

}  // namespace scanora
