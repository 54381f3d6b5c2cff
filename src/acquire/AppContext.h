#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "camera/CameraConnection.h"
#include "camera/QVCamera.h"
#include "platform/UiPort.h"

namespace scanora {

// Owns the program-wide tools for the life of the program (or of a test): the camera link, the
// camera object and, as they arrive, the other tools. Everything that needs a tool is handed it
// by reference from here; nothing reaches for a global.
class AppContext {
public:
    // Opens the camera link named by `cameraSpec` and identifies the camera (connected or not).
    // Null, with `error` set, when the link text itself is unusable.
    static std::unique_ptr<AppContext> Create(std::string_view cameraSpec, UiPort& ui,
                                              std::string& error, CameraOptions options = {});
    // Identifies the camera over an already parsed link.
    AppContext(CameraConnection connection, UiPort& ui, CameraOptions options = {});
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    QVCamera& Camera() { return *camera_; }
    UiPort& Ui() { return ui_; }
    // The in-process simulated camera, when the link is `sim`.
    camsim::SimCamera* Simulator() { return connection_.simulator.get(); }
    [[nodiscard]] const std::string& LinkName() const { return connection_.linkName; }

private:
    UiPort& ui_;
    CameraConnection connection_;  // declared first: the simulator outlives the camera
    std::unique_ptr<QVCamera> camera_;
};

}  // namespace scanora
