#pragma once

#include <filesystem>

namespace scanora {

class QVCamera;
class QVCameraSetting;
class QVSize;
class SettingTools;
class UiPort;

// The program's tools a retrieval takes its settings from and works with, borrowed from their
// owner: the camera, the user interface, the preferences record, the setting tools (for the
// current curve), the output geometry (for the resolution) and the preferences file in use
// (the DNG calibration file is looked for beside it).
class RetrievalTools {
public:
    RetrievalTools(QVCamera& camera, UiPort& ui, const QVCameraSetting& cameraSetting,
                   const SettingTools& tools, const QVSize& size,
                   const std::filesystem::path& preferencesPath)
        : camera_(camera),
          ui_(ui),
          cameraSetting_(cameraSetting),
          tools_(tools),
          size_(size),
          preferencesPath_(preferencesPath)
    {
    }

    [[nodiscard]] QVCamera& Camera() const { return camera_; }
    [[nodiscard]] UiPort& Ui() const { return ui_; }
    [[nodiscard]] const QVCameraSetting& CameraSetting() const { return cameraSetting_; }
    [[nodiscard]] const SettingTools& Tools() const { return tools_; }
    [[nodiscard]] const QVSize& Size() const { return size_; }
    // The preferences file in use at the moment of asking.
    [[nodiscard]] const std::filesystem::path& PreferencesPath() const { return preferencesPath_; }

private:
    QVCamera& camera_;
    UiPort& ui_;
    const QVCameraSetting& cameraSetting_;
    const SettingTools& tools_;
    const QVSize& size_;
    const std::filesystem::path& preferencesPath_;
};

}  // namespace scanora
